#include "ListPanel.h"

namespace orba::desktop {

TListPanel::TListPanel(const QString& name, QWidget* parent) : QGroupBox(parent) {
  setObjectName(name);
  setAutoFillBackground(true);
  setColor(color_);
}

void TListPanel::setColor(TColor color) {
  color_ = color;
  QPalette p = palette();
  p.setColor(QPalette::Window, toQColor(color));
  setPalette(p);
}

void TListPanel::setStreamFont(const StreamFont& font) {
  font_ = font;
  if (!parentFont_) setFont(font_.toQFont());
}

void TListPanel::setParentFont(bool on) {
  parentFont_ = on;
  if (!on) setFont(font_.toQFont());
}

}  // namespace orba::desktop
