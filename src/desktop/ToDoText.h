#pragma once

#include <QTextEdit>

#include "StreamValues.h"
#include "Wallpaper.h"

namespace orba::desktop {

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The to-do list's text (RichEdit1): what the user writes, kept as plain
// lines (a stored desktop keeps the lines, not their formatting).
class TToDoText : public QTextEdit {
  Q_OBJECT
 public:
  explicit TToDoText(QWidget* parent = nullptr);

  QStringList lines() const;
  void setLines(const QStringList& lines);
  const StreamFont& streamFont() const { return font_; }
  void setStreamFont(const StreamFont& font);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);
  TScrollStyle scrollBars() const { return scrollBars_; }
  void setScrollBars(TScrollStyle style);
  bool wantTabs() const { return !tabChangesFocus(); }
  void setWantTabs(bool on) { setTabChangesFocus(!on); }

  // With HideScrollBars off, the scroll bars the style asks for are always
  // shown, not only when the text needs them.
  bool hideScrollBars() const { return hideScrollBars_; }
  void setHideScrollBars(bool on);

  int tag = 0;
  TAlign align = TAlign::alNone;
  QString popupMenuName;
  int tabOrder = -1;

 private:
  StreamFont font_;
  bool parentFont_ = true;
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  bool hideScrollBars_ = true;
};

}  // namespace orba::desktop
