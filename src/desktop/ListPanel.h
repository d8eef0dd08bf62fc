#pragma once

#include <QGroupBox>

#include "StreamValues.h"

namespace orba::desktop {

// A list panel of the desktop (clients, suppliers, accounts, employees,
// products, the to-do list): a framed box with its caption, holding a grid
// or the to-do text. The state a stored desktop keeps is here; its Tag is 1
// while the panel is open.
class TListPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit TListPanel(const QString& name, QWidget* parent = nullptr);

  QString caption() const { return title(); }
  void setCaption(const QString& caption) { setTitle(caption); }
  TColor color() const { return color_; }
  void setColor(TColor color);
  const StreamFont& streamFont() const { return font_; }
  void setStreamFont(const StreamFont& font);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);

  int tag = 0;
  bool parentColor = false;
  std::string dragCursor = "crDrag";
  QString popupMenuName;
  int tabOrder = -1;

 private:
  TColor color_ = clBtnFace;
  StreamFont font_;
  bool parentFont_ = true;
};

}  // namespace orba::desktop
