#include "TransparentButton.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace orba::desktop {

namespace {

const QColor kCaptionBackground(0, 128, 128);  // teal

QColor face() { return toQColor(clBtnFace); }
QColor shadow() { return toQColor(clBtnShadow); }
QColor highlight() { return toQColor(clBtnHighlight); }
QColor darkShadow() { return toQColor(cl3DDkShadow); }

// The classic 3D frame: `lines` rectangles inside `r` (right and bottom
// edges excluded), each with its top and left in `top`, its right and bottom
// in `bottom`, the rectangle shrinking by one pixel after each.
void frame3D(QPainter& p, QRect& r, const QColor& top, const QColor& bottom, int lines) {
  int left = r.left(), topY = r.top(), right = r.left() + r.width() - 1, bottomY = r.top() + r.height() - 1;
  for (int i = 0; i < lines && left <= right && topY <= bottomY; ++i) {
    // Top colour: the left edge up from the bottom-left corner, then the top
    // edge to just short of the top-right corner.
    p.fillRect(QRect(left, topY + 1, 1, std::max(0, bottomY - topY)), top);
    p.fillRect(QRect(left, topY, std::max(0, right - left), 1), top);
    // Bottom colour: the right edge down from the top-right corner, then the
    // bottom edge back to the left edge.
    p.fillRect(QRect(right, topY, 1, std::max(0, bottomY - topY)), bottom);
    p.fillRect(QRect(left, bottomY, right - left + 1, 1), bottom);
    ++left, ++topY, --right, --bottomY;
  }
  r = QRect(QPoint(left, topY), QPoint(right + 1, bottomY + 1)).adjusted(0, 0, -1, -1);
}

// A frame's transparent colour is its bottom-left pixel's.
QImage masked(const QImage& frame) {
  if (frame.isNull()) return frame;
  QImage out = frame.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = frame.pixel(0, frame.height() - 1) | 0xFF000000u;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
  }
  return out;
}

}  // namespace

TTransparentButton::TTransparentButton(QWidget* parent) : QWidget(parent) {
  // Painted on the parent's surface: nothing of its own behind it.
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setMouseTracking(true);
  // Reached by Tab and by a click, like any button.
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(0, 0, 40, 40);
}

TTransparentButton::~TTransparentButton() = default;

void TTransparentButton::setBorderWidth(int width) {
  if (borderWidth_ == width) return;
  borderWidth_ = width;
  update();
}

void TTransparentButton::setCaption(const QString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  updateAccelerator();
  update();
}

void TTransparentButton::setDown(bool down) {
  if (down_ == down) return;
  down_ = down;
  tracking_ = down;
  drawnDown_ = down;
  repaint();
}

void TTransparentButton::setFrameStyle(TFrameStyle style) {
  if (frameStyle_ == style) return;
  frameStyle_ = style;
  update();
}

void TTransparentButton::setGlyph(const QImage& glyph) {
  glyph_ = glyph;
  glyphChanged();
  update();
}

void TTransparentButton::setNumGlyphs(int count) {
  count = std::clamp(count, 1, 4);
  if (numGlyphs_ == count) return;
  numGlyphs_ = count;
  // The frames are cut again, so that the gray and disabled images stay at
  // the end of the list where drawing looks for them.
  BuildGlyphList();
  update();
}

void TTransparentButton::setSpacing(int spacing) {
  if (spacing_ == spacing) return;
  spacing_ = spacing;
  update();
}

void TTransparentButton::setTextAlign(TTextAlign align) {
  if (textAlign_ == align) return;
  textAlign_ = align;
  update();
}

void TTransparentButton::setTransparent(bool on) {
  if (transparent_ == on) return;
  transparent_ = on;
  update();
}

void TTransparentButton::setWordWrap(bool on) {
  if (wordWrap_ == on) return;
  wordWrap_ = on;
  update();
}

void TTransparentButton::setStreamFont(const StreamFont& font) {
  font_ = font;
  update();
}

void TTransparentButton::setParentFont(bool on) {
  parentFont_ = on;
  update();
}

void TTransparentButton::setPopUpMenu(QMenu* menu, const QString& name) {
  popUpMenu_ = menu;
  popUpMenuName_ = name;
}

QFont TTransparentButton::captionFont() const { return parentFont_ ? font() : font_.toQFont(); }

void TTransparentButton::glyphChanged() {
  update();
  if (glyph_.height() == 0) return;
  if (glyph_.width() % glyph_.height() == 0) {
    const int frames = glyph_.width() / glyph_.height();
    numGlyphs_ = frames > 4 ? 1 : std::max(1, frames);
  }
  BuildGlyphList();
}

int TTransparentButton::grayLevel(QRgb rgb) {
  return (qRed(rgb) * 11 + qGreen(rgb) * 59 + qBlue(rgb) * 30) / 100;
}

QImage TTransparentButton::grayVersion(const QImage& frame) {
  QImage out = frame.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const int g = grayLevel(line[x]);
      line[x] = qRgb(g, g, g);
    }
  }
  return out;
}

QImage TTransparentButton::disabledVersion(const QImage& frame) const {
  // Two colours first: the background (pixel 0, 0) and white become the
  // background, everything else black.
  const QImage source = frame.convertToFormat(QImage::Format_RGB32);
  const QRgb background = source.pixel(0, 0);
  QImage shape(source.size(), QImage::Format_RGB32);
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x) {
      const QRgb c = source.pixel(x, y) | 0xFF000000u;
      const bool light = c == (background | 0xFF000000u) || c == 0xFFFFFFFFu;
      shape.setPixel(x, y, light ? background : qRgb(0, 0, 0));
    }
  // Then embossed: on the button face, the shape in the highlight colour one
  // pixel right and down, then in the shadow colour where it is.
  QImage out(source.size(), QImage::Format_RGB32);
  out.fill(face());
  for (int pass = 0; pass < 2; ++pass) {
    const int offset = pass == 0 ? 1 : 0;
    const QRgb colour = (pass == 0 ? highlight() : shadow()).rgb();
    for (int y = 0; y < shape.height(); ++y)
      for (int x = 0; x < shape.width(); ++x)
        if ((shape.pixel(x, y) & 0xFFFFFF) == 0 && x + offset < out.width() && y + offset < out.height())
          out.setPixel(x + offset, y + offset, colour);
  }
  return out;
}

void TTransparentButton::BuildGlyphList() {
  if (glyph_.isNull()) return;
  glyphList_.clear();
  const int w = glyph_.width() / numGlyphs_;
  const int h = glyph_.height();
  QImage gray, disabled;
  for (int i = 0; i < numGlyphs_; ++i) {
    const QImage frame = glyph_.copy(i * w, 0, w, h);
    if (i == 0) {
      gray = grayVersion(frame);
      disabled = disabledVersion(frame);
    }
    glyphList_.push_back(masked(frame));
  }
  glyphList_.push_back(masked(gray));
  glyphList_.push_back(masked(disabled));
  update();
}

bool TTransparentButton::FitsInParent(int x, int y) const {
  const QWidget* p = parentWidget();
  if (!p) return false;
  return x >= 0 && y >= 0 && x + width() < p->width() && y + height() < p->height();
}

void TTransparentButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int W = width(), H = height();

  // 1. The base.
  switch (frameStyle_) {
    case TFrameStyle::fsRegular:
      if (!transparent_) {
        p.fillRect(QRect(1, 1, W - 1, H - 1), face());
        p.setPen(QPen(Qt::black, borderWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRect(1, 1, W - 2, H - 2));
      } else {
        QRect r(1, 1, W - 1, H - 1);
        frame3D(p, r, Qt::black, Qt::black, borderWidth_);
      }
      break;
    case TFrameStyle::fsIndent: {
      if (!transparent_) {
        p.fillRect(QRect(0, 0, W - 1, H - 1), face());
        p.setPen(QPen(shadow(), borderWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRect(0, 0, W - 2, H - 2));
      } else {
        QRect r(0, 0, W - 1, H - 1);
        frame3D(p, r, shadow(), shadow(), borderWidth_);
      }
      QRect r(1, 1, W - 1, H - 1);
      frame3D(p, r, highlight(), highlight(), borderWidth_);
      break;
    }
    default:
      if (!transparent_) p.fillRect(rect(), face());
  }

  // 2. to 4. The frame of the state.
  QRect r(0, 0, W, H);
  if (drawnDown_ && frameStyle_ != TFrameStyle::fsNone) {
    switch (frameStyle_) {
      case TFrameStyle::fsRegular:
      case TFrameStyle::fsIndent:
        if (showPressed_) {
          frame3D(p, r, Qt::black, highlight(), borderWidth_);
          frame3D(p, r, shadow(), face(), borderWidth_);
        }
        break;
      case TFrameStyle::fsExplorer:
        if (mouseInside_ || down_) {
          if (showPressed_)
            frame3D(p, r, shadow(), highlight(), borderWidth_);
          else
            frame3D(p, r, highlight(), shadow(), borderWidth_);
        }
        break;
      case TFrameStyle::fsLight:
        if (showPressed_) frame3D(p, r, shadow(), highlight(), 1);
        break;
      case TFrameStyle::fsDark:
        if (showPressed_) frame3D(p, r, darkShadow(), face(), 1);
        break;
      case TFrameStyle::fsMono:
        if (showPressed_) frame3D(p, r, darkShadow(), highlight(), 1);
        break;
      default:
        break;
    }
  } else if (!drawnDown_) {
    switch (frameStyle_) {
      case TFrameStyle::fsRegular:
        frame3D(p, r, highlight(), Qt::black, borderWidth_);
        frame3D(p, r, face(), shadow(), borderWidth_);
        break;
      case TFrameStyle::fsIndent:
        frame3D(p, r, shadow(), highlight(), borderWidth_);
        break;
      case TFrameStyle::fsExplorer:
        if (mouseInside_) frame3D(p, r, highlight(), shadow(), borderWidth_);
        break;
      case TFrameStyle::fsLight:
        frame3D(p, r, highlight(), shadow(), 1);
        break;
      case TFrameStyle::fsDark:
        frame3D(p, r, face(), darkShadow(), 1);
        break;
      case TFrameStyle::fsMono:
        frame3D(p, r, highlight(), darkShadow(), 1);
        break;
      case TFrameStyle::fsNone:
        break;
    }
  }

  // 5. Where the glyph goes.
  int gw = numGlyphs_ > 0 ? glyph_.width() / numGlyphs_ : 0;
  if (gw <= 0) gw = glyph_.width();
  const int gh = glyph_.height();
  const int S = spacing_;
  int top = (H - gh) / 2;
  if (textAlign_ == TTextAlign::ttaBottomRight || textAlign_ == TTextAlign::ttaBottom ||
      textAlign_ == TTextAlign::ttaBottomLeft)
    top = S;
  else if (textAlign_ == TTextAlign::ttaTopLeft || textAlign_ == TTextAlign::ttaTop ||
           textAlign_ == TTextAlign::ttaTopRight)
    top = H - gh - S;
  int left = (W - gw) / 2;
  if (textAlign_ == TTextAlign::ttaLeft)
    left = W - gw - S;
  else if (textAlign_ == TTextAlign::ttaRight)
    left = S;
  QRect glyphRect(left, top, gw, gh);

  // 6. The glyph.
  if (!glyph_.isNull() && !glyphList_.empty()) {
    const int count = static_cast<int>(glyphList_.size());
    int index = 0;
    if (numGlyphs_ == 2)
      index = isEnabled() ? 0 : 1;
    else if (numGlyphs_ >= 3)
      index = !isEnabled() ? 1 : drawnDown_ ? 2 : 0;
    QRect at = glyphRect;
    if (drawnDown_ && showPressed_) at.translate(1, 1);
    if (frameStyle_ == TFrameStyle::fsExplorer && autoGray_ && !mouseInside_) index = count - 2;
    if (!isEnabled() && numGlyphs_ == 1) index = count - 1;
    const QImage& image = glyphList_[static_cast<size_t>(std::clamp(index, 0, count - 1))];
    if (!transparent_) p.fillRect(QRect(at.topLeft(), image.size()), face());
    p.drawImage(at.topLeft(), image);
  }

  // The focus, when the keyboard brought it: a dotted frame inside the edges.
  if (keyboardFocus_ && hasFocus()) {
    p.save();
    p.setPen(
        QPen(parentFont_ ? palette().color(QPalette::WindowText) : toQColor(font_.color), 1, Qt::DotLine));
    p.drawRect(QRect(1, 1, W - 3, H - 3));
    p.restore();
  }

  // 7. The caption.
  if (caption_.isEmpty()) return;
  // Crisp text, as on the original desktop, drawn on whole pixels.
  QFont font = captionFont();
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  // The accelerator's "&" is not drawn; the letter after it is underlined.
  QString text;
  int underline = -1;
  for (int i = 0; i < caption_.size(); ++i) {
    if (caption_[i] == QLatin1Char('&') && i + 1 < caption_.size()) {
      ++i;
      if (caption_[i] != QLatin1Char('&')) underline = static_cast<int>(text.size());
    }
    text += caption_[i];
  }
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(wordWrap_ ? QTextOption::WordWrap : QTextOption::NoWrap);
  layout.setTextOption(option);
  if (underline >= 0) {
    QTextLayout::FormatRange range;
    range.start = underline;
    range.length = 1;
    range.format.setFontUnderline(true);
    layout.setFormats({range});
  }
  layout.beginLayout();
  qreal y = 0;
  qreal tw = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    if (wordWrap_) line.setLineWidth(W);
    line.setPosition(QPointF(0, y));
    y += line.height();
    tw = std::max(tw, line.naturalTextWidth());
  }
  layout.endLayout();
  const int twi = static_cast<int>(std::ceil(tw));
  const int th = static_cast<int>(std::ceil(y));
  const int gt = glyphRect.top(), gb = glyphRect.top() + glyphRect.height();
  int dx = W / 2 - twi / 2, dy = H / 2 - th / 2;
  switch (textAlign_) {
    case TTextAlign::ttaTopLeft:
      dx = S, dy = gt - th - S;
      break;
    case TTextAlign::ttaTop:
      dy = gt - th - S;
      break;
    case TTextAlign::ttaTopRight:
      dx = W - twi - S, dy = gt - th - S;
      break;
    case TTextAlign::ttaRight:
      dx = W - twi - S;
      break;
    case TTextAlign::ttaBottomRight:
      dx = W - twi - S, dy = gb + S;
      break;
    case TTextAlign::ttaBottom:
      dy = gb + S;
      break;
    case TTextAlign::ttaBottomLeft:
      dx = S, dy = gb + S;
      break;
    case TTextAlign::ttaLeft:
      dx = S;
      break;
    case TTextAlign::ttaCenter:
      break;
  }
  if (drawnDown_ && showPressed_) dx += 1, dy += 1;
  // Each line centred in the measured width, on an opaque teal background.
  auto drawText = [&](QPointF origin, const QColor& colour) {
    p.setPen(colour);
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine line = layout.lineAt(i);
      const qreal x = std::floor(origin.x() + (twi - line.naturalTextWidth()) / 2);
      p.fillRect(QRectF(x, origin.y() + line.y(), line.naturalTextWidth(), line.height()),
                 kCaptionBackground);
      line.draw(&p, QPointF(x - line.x(), origin.y()));
    }
  };
  if (!isEnabled()) {
    drawText(QPointF(dx + 1, dy + 1), highlight());
    drawText(QPointF(dx, dy), shadow());
  } else {
    drawText(QPointF(dx, dy), parentFont_ ? palette().color(QPalette::WindowText) : toQColor(font_.color));
  }
}

void TTransparentButton::mousePressEvent(QMouseEvent* event) {
  if (!isEnabled()) return;
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    if (pressPending_) {
      // The press of a double-click.
      pressPending_ = false;
      return;
    }
    pressPending_ = true;
    clickArmed_ = true;
    emit OnMouseDown(this, event->button(), event->modifiers(), at);
    if (movable_) dragAnchorX_ = at.x(), dragAnchorY_ = at.y();
    if (rect().contains(at)) {
      tracking_ = true;
      drawnDown_ = true;
      repaint();
    }
    return;
  }
  if (event->button() == Qt::RightButton && popUpMenu_) {
    popUpMenu_->setProperty("popupComponent", QVariant::fromValue<QObject*>(this));
    popUpMenu_->exec(mapToGlobal(at));
    // What the mouse did while the menu was open belonged to it: the press
    // ends here, as a release where it began.
    release(event->button(), event->modifiers(), at);
  }
}

void TTransparentButton::mouseMoveEvent(QMouseEvent* event) {
  if (!isEnabled()) return;
  const QPoint at = event->position().toPoint();
  emit OnMouseMove(this, event->modifiers(), at);
  if (!tracking_) return;
  if (movable_) {
    const int x = this->x() + at.x() - dragAnchorX_;
    const int y = this->y() + at.y() - dragAnchorY_;
    if (FitsInParent(x, y)) move(x, y);
  }
  // The point as the event gave it, before any move.
  const bool within = rect().contains(at);
  if (!within && drawnDown_) {
    drawnDown_ = false;
    repaint();
  } else if (within && !drawnDown_) {
    drawnDown_ = true;
    repaint();
  }
}

void TTransparentButton::release(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
  if (!pressPending_) return;
  pressPending_ = false;
  if (down_) return;
  emit OnMouseUp(this, button, modifiers, at);
  tracking_ = false;
  drawnDown_ = false;
  repaint();
}

void TTransparentButton::mouseReleaseEvent(QMouseEvent* event) {
  if (!isEnabled()) return;
  const QPoint at = event->position().toPoint();
  const bool click = clickArmed_ && event->button() == Qt::LeftButton && rect().contains(at);
  clickArmed_ = false;
  release(event->button(), event->modifiers(), at);
  if (click) emit OnClick(this);
}

void TTransparentButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!isEnabled()) return;
  emit OnDblClick(this);
  drawnDown_ = false;
  down_ = false;
  tracking_ = false;
  pressPending_ = true;
  clickArmed_ = false;
  // The press that belongs to the double-click comes through, and is
  // ignored: no second OnMouseDown.
  mousePressEvent(event);
}

void TTransparentButton::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (!isEnabled()) return;
  mouseInside_ = true;
  emit OnMouseEnter(this);
  if (frameStyle_ == TFrameStyle::fsExplorer) repaint();
}

void TTransparentButton::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!isEnabled()) return;
  mouseInside_ = false;
  emit OnMouseExit(this);
  if (frameStyle_ == TFrameStyle::fsExplorer) repaint();
}

void TTransparentButton::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::EnabledChange) return;
  if (!isEnabled()) {
    drawnDown_ = false;
    tracking_ = false;
    pressPending_ = false;
    mouseInside_ = false;
  }
  repaint();
}

void TTransparentButton::keyPressEvent(QKeyEvent* event) {
  if (!isEnabled()) {
    QWidget::keyPressEvent(event);
    return;
  }
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(event->modifiers() & ~Qt::KeypadModifier)) {
    // Enter opens what the button stands for, as a double-click does.
    emit OnDblClick(this);
    return;
  }
  if (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    popUpFromKeyboard();
    return;
  }
  emit OnKeyDown(this, key, event->modifiers());
  const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
  if (!arrow) QWidget::keyPressEvent(event);
}

void TTransparentButton::contextMenuEvent(QContextMenuEvent* event) {
  if (!popUpMenu_) {
    event->ignore();
    return;
  }
  // A right-click showed the menu when the button was pressed: the request
  // that follows the press is the same click's, and must not reach the
  // parent (whose own menu would follow). The menu key asks from here.
  event->accept();
  if (event->reason() != QContextMenuEvent::Mouse && isEnabled()) popUpFromKeyboard();
}

void TTransparentButton::popUpFromKeyboard() {
  if (!popUpMenu_) return;
  popUpMenu_->setProperty("popupComponent", QVariant::fromValue<QObject*>(this));
  popUpMenu_->exec(mapToGlobal(QPoint(width() / 2, height() / 2)));
}

void TTransparentButton::focusInEvent(QFocusEvent* event) {
  switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
      keyboardFocus_ = true;
      break;
    case Qt::MouseFocusReason:
      keyboardFocus_ = false;
      break;
    default:  // back from a menu or another window: as it was
      break;
  }
  QWidget::focusInEvent(event);
}

void TTransparentButton::focusOutEvent(QFocusEvent* event) {
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
    keyboardFocus_ = false;
  QWidget::focusOutEvent(event);
}

void TTransparentButton::updateAccelerator() {
  if (accelerator_) releaseShortcut(accelerator_);
  accelerator_ = 0;
  const QKeySequence key = QKeySequence::mnemonic(caption_);
  if (!key.isEmpty()) accelerator_ = grabShortcut(key, Qt::WindowShortcut);
}

bool TTransparentButton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent*>(event)->shortcutId() == accelerator_) {
    if (isEnabled()) emit OnClick(this);
    return true;
  }
  return QWidget::event(event);
}

}  // namespace orba::desktop
