#include "Wallpaper.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>

namespace orba::desktop {

namespace {

std::string withSize(const std::string& bytes) {
  std::string out;
  const auto n = static_cast<uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>(n >> (8 * i));
  return out + bytes;
}

}  // namespace

WallpaperPicture WallpaperPicture::fromFile(const std::string& bytes) {
  WallpaperPicture p;
  const bool bitmap = bytes.size() > 2 && bytes.compare(0, 2, "BM") == 0;
  const bool jpeg = bytes.size() > 3 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
                    static_cast<uint8_t>(bytes[1]) == 0xD8 && static_cast<uint8_t>(bytes[2]) == 0xFF;
  if (!bitmap && !jpeg) return p;
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()),
                          bitmap ? "BMP" : "JPEG"))
    return p;
  p.kind = bitmap ? Kind::Bitmap : Kind::Jpeg;
  p.file = bytes;
  p.image = image;
  return p;
}

std::string WallpaperPicture::streamData() const {
  if (isEmpty()) return {};
  const std::string className = kind == Kind::Bitmap ? "TBitmap" : "TJPEGImage";
  return std::string(1, static_cast<char>(className.size())) + className + withSize(file);
}

std::optional<WallpaperPicture> WallpaperPicture::fromStreamData(const std::string& data) {
  if (data.empty()) return WallpaperPicture{};
  const size_t nameLength = static_cast<uint8_t>(data[0]);
  if (data.size() < 1 + nameLength + 4) return std::nullopt;
  const std::string className = data.substr(1, nameLength);
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i)
    n |= static_cast<uint32_t>(static_cast<uint8_t>(data[1 + nameLength + i])) << (8 * i);
  if (n != data.size() - 1 - nameLength - 4) return std::nullopt;
  const std::string file = data.substr(1 + nameLength + 4);
  WallpaperPicture p = fromFile(file);
  const bool expected = (className == "TBitmap" && p.kind == Kind::Bitmap) ||
                        (className == "TJPEGImage" && p.kind == Kind::Jpeg);
  if (!expected) return std::nullopt;
  return p;
}

TWallpaper::TWallpaper(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

bool TWallpaper::loadFromFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = f.read(64 * 1024 * 1024);
  const WallpaperPicture p = WallpaperPicture::fromFile(bytes.toStdString());
  if (p.isEmpty()) return false;
  setPicture(p);
  return true;
}

void TWallpaper::setPicture(const WallpaperPicture& picture) {
  picture_ = picture;
  // Prepared once for painting: a pixmap in the screen's format.
  prepared_ = picture_.isEmpty() ? QPixmap() : QPixmap::fromImage(picture_.image);
  repaint();
  emit pictureChanged();
}

void TWallpaper::setBevels(TBevelCut outer, TBevelCut inner, int width, int border) {
  bevelOuter = outer;
  bevelInner = inner;
  bevelWidth = width;
  borderWidth = border;
  update();
}

int TWallpaper::inset() const {
  int inset = borderWidth;
  if (bevelOuter != TBevelCut::bvNone) inset += bevelWidth;
  if (bevelInner != TBevelCut::bvNone) inset += bevelWidth;
  return inset;
}

QRect TWallpaper::innerRect() const { return rect().adjusted(inset(), inset(), -inset(), -inset()); }

void TWallpaper::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  // The panel: background, then the bevels.
  p.fillRect(event->rect(), toQColor(color));
  const QColor light = toQColor(clBtnHighlight), dark = toQColor(clBtnShadow);
  auto bevel = [&](QRect r, TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    const QColor topLeft = cut == TBevelCut::bvRaised ? light : dark;
    const QColor bottomRight = cut == TBevelCut::bvRaised ? dark : light;
    for (int i = 0; i < bevelWidth; ++i) {
      p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
      p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
      p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
      p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
      r.adjust(1, 1, -1, -1);
    }
  };
  bevel(rect(), bevelOuter);
  const int outer = bevelOuter != TBevelCut::bvNone ? bevelWidth : 0;
  bevel(rect().adjusted(outer + borderWidth, outer + borderWidth, -outer - borderWidth, -outer - borderWidth),
        bevelInner);

  if (prepared_.isNull() || prepared_.width() <= 0 || prepared_.height() <= 0) return;
  // Cols + 1 by Rows + 1 tiles from the inner corner, clipped to the inner
  // area: the last column and row are cut at its edges.
  const QRect inner = innerRect();
  p.setClipRect(inner.intersected(event->rect()));
  p.drawTiledPixmap(inner, prepared_, QPoint(0, 0));
}

void TWallpaper::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit resized();
}

}  // namespace orba::desktop
