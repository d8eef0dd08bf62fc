#include "ToDoText.h"

namespace orba::desktop {

TToDoText::TToDoText(QWidget* parent) : QTextEdit(parent) {
  setObjectName(QStringLiteral("RichEdit1"));
  setAcceptRichText(false);
  setTabChangesFocus(true);
  setScrollBars(TScrollStyle::ssNone);
}

QStringList TToDoText::lines() const {
  const QString text = toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TToDoText::setLines(const QStringList& lines) { setPlainText(lines.join(QLatin1Char('\n'))); }

void TToDoText::setStreamFont(const StreamFont& font) {
  font_ = font;
  if (!parentFont_) setFont(font_.toQFont());
}

void TToDoText::setParentFont(bool on) {
  parentFont_ = on;
  if (!on) setFont(font_.toQFont());
}

void TToDoText::setScrollBars(TScrollStyle style) {
  scrollBars_ = style;
  const bool horizontal = style == TScrollStyle::ssHorizontal || style == TScrollStyle::ssBoth;
  const bool vertical = style == TScrollStyle::ssVertical || style == TScrollStyle::ssBoth;
  const Qt::ScrollBarPolicy shown = hideScrollBars_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
  setHorizontalScrollBarPolicy(horizontal ? shown : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? shown : Qt::ScrollBarAlwaysOff);
  setLineWrapMode(horizontal ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
}

void TToDoText::setHideScrollBars(bool on) {
  hideScrollBars_ = on;
  setScrollBars(scrollBars_);
}

}  // namespace orba::desktop
