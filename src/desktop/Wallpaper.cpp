#include "Wallpaper.h"

#include <QImageReader>
#include <QPainter>

namespace orba::desktop {

TWallpaper::TWallpaper(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
}

bool TWallpaper::loadFromFile(const QString& path) {
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  const QImage picture = reader.read();
  if (picture.isNull()) return false;
  setWallpaper(picture);
  return true;
}

void TWallpaper::setWallpaper(const QImage& picture) {
  picture_ = picture;
  update();
}

void TWallpaper::paintEvent(QPaintEvent* event) {
  if (!picture_.isNull()) {
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawTiledPixmap(contentsRect(), QPixmap::fromImage(picture_), QPoint(0, 0));
  }
  QFrame::paintEvent(event);
}

}  // namespace orba::desktop
