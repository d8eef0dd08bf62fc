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
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setLineWrapMode(horizontal ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
}

}  // namespace orba::desktop
