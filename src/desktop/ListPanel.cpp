#include "ListPanel.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <algorithm>

namespace orba::desktop {

namespace {
// The frame the list keeps inside the panel's edges.
constexpr int kFrame = 2;
constexpr int kTitleRowHeight = 34;
}  // namespace

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
  if (!parentFont_) {
    setFont(font_.toQFont());
    // The caption is drawn in the font's colour.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, toQColor(font_.color));
    setPalette(p);
  }
}

void TListPanel::setParentFont(bool on) {
  parentFont_ = on;
  if (!on) setStreamFont(font_);
}

void TListPanel::setTitleButtons(QToolButton* reduce, QToolButton* enlarge, QToolButton* close) {
  reduce_ = reduce;
  enlarge_ = enlarge;
  close_ = close;
  for (QToolButton* b : {reduce, enlarge, close}) {
    b->setParent(this);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    b->resize(16, 16);
    b->move(b->x(), 11);
  }
}

void TListPanel::setList(QWidget* list) {
  if (list_) list_->removeEventFilter(this);
  list_ = list;
  list->setParent(this);
  list->installEventFilter(this);
  placeList();
}

void TListPanel::layoutTitleRow() {
  const int w = width();
  if (close_) close_->move(w - 23, close_->y());
  if (enlarge_) enlarge_->move(w - 46, enlarge_->y());
  if (reduce_) reduce_->move(w - 65, reduce_->y());
  if (list_) {
    list_->resize(list_->width(), std::max(0, height() - kTitleRowHeight));
    placeList();
  }
}

void TListPanel::placeList() {
  if (!list_) return;
  // Along the bottom edge, as wide as the inside of the frame, at the height
  // it has: a panel stepped by its pop-up menu keeps its list's height.
  const int h = list_->height();
  list_->setGeometry(kFrame, height() - kFrame - h, std::max(0, width() - 2 * kFrame), h);
}

void TListPanel::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  placeList();
}

void TListPanel::mousePressEvent(QMouseEvent* event) {
  pressed_ = true;
  emit surfaceMouseDown(this, event->button(), event->position().toPoint());
  event->accept();
}

void TListPanel::mouseMoveEvent(QMouseEvent* event) {
  emit surfaceMouseMove(this, event->position().toPoint());
  event->accept();
}

void TListPanel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  // The panel may have been destroyed or hidden by a handler; the click
  // counts only when the release is still on the surface.
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(at);
  pressed_ = false;
  emit surfaceMouseUp(this, event->button(), at);
  if (click) emit surfaceClicked(this);
  event->accept();
}

bool TListPanel::eventFilter(QObject* watched, QEvent* event) {
  // The focus coming back with the window (after a dialog or a menu) did
  // not move: only a move from another control of the window counts.
  if (watched == list_ && event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) emit listEntered(this);
  }
  return QGroupBox::eventFilter(watched, event);
}

TTitleButton::TTitleButton(const QString& name, QWidget* parent) : QToolButton(parent) {
  setObjectName(name);
  setFocusPolicy(Qt::NoFocus);
  QFont f(QStringLiteral("Arial"));
  f.setPointSize(8);
  f.setBold(true);
  setFont(f);
}

void TTitleButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool down = isDown();
  p.fillRect(r, toQColor(clBtnFace));
  const QColor light = toQColor(clBtnHighlight);
  const QColor dark = QColor(Qt::black);
  p.setPen(down ? dark : light);
  p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
  p.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
  p.setPen(down ? light : dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  const QPoint shift = down ? QPoint(1, 1) : QPoint();
  if (!icon().isNull()) {
    const QPixmap glyph = icon().pixmap(iconSize(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    p.drawPixmap(QPoint((width() - glyph.width()) / 2, (height() - glyph.height()) / 2) + shift, glyph);
  } else {
    p.setPen(isEnabled() ? QColor(Qt::black) : toQColor(clBtnShadow));
    p.setFont(font());
    p.drawText(r.translated(shift), Qt::AlignCenter, text());
  }
}

void TTitleButton::mouseDoubleClickEvent(QMouseEvent* event) {
  QPointer<TTitleButton> self(this);
  emit doubleClicked();
  if (self) QToolButton::mouseDoubleClickEvent(event);
}

namespace {

// The glyphs are drawn by the program in the sixteen classic colours, on a
// transparent ground.
QImage glyphCanvas() {
  QImage image(15, 15, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void window(QPainter& p, QRect r) {
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.fillRect(r.x() + 1, r.y() + 1, r.width() - 2, 2, QColor(0, 0, 128));
}

}  // namespace

QImage reduceGlyph() {
  QImage image = glyphCanvas();
  QPainter p(&image);
  // A small window in the lower-left corner, and an arrow pointing to it.
  window(p, QRect(0, 8, 8, 7));
  p.setPen(QColor(128, 0, 0));
  p.drawLine(14, 0, 9, 5);
  p.drawLine(9, 5, 9, 2);
  p.drawLine(9, 5, 12, 5);
  return image;
}

QImage enlargeGlyph() {
  QImage image = glyphCanvas();
  QPainter p(&image);
  // A large window filling the glyph, and an arrow pointing out of it.
  window(p, QRect(0, 0, 15, 15));
  p.setPen(QColor(128, 0, 0));
  p.drawLine(3, 12, 11, 4);
  p.drawLine(11, 4, 7, 4);
  p.drawLine(11, 4, 11, 8);
  return image;
}

}  // namespace orba::desktop
