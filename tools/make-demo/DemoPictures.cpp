#include "DemoPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orba::demo {

QImage wallpaperTile() {
  constexpr int size = 128;
  QImage tile(size, size, QImage::Format_RGB32);
  QPainter p(&tile);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size);
  sky.setColorAt(0.0, QColor(0x1f, 0x3a, 0x5f));
  sky.setColorAt(0.5, QColor(0x27, 0x4b, 0x78));
  sky.setColorAt(1.0, QColor(0x1f, 0x3a, 0x5f));
  p.fillRect(tile.rect(), sky);
  // A lattice of faint diamonds; each edge meets its neighbour's.
  p.setPen(QPen(QColor(255, 255, 255, 28), 1.5));
  QPainterPath diamond;
  diamond.moveTo(size / 2.0, 0);
  diamond.lineTo(size, size / 2.0);
  diamond.lineTo(size / 2.0, size);
  diamond.lineTo(0, size / 2.0);
  diamond.closeSubpath();
  p.drawPath(diamond);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 18));
  p.drawEllipse(QPointF(size / 2.0, size / 2.0), 6, 6);
  return tile;
}

QImage shortcutPicture() {
  constexpr int size = 32;
  QImage icon(size, size, QImage::Format_RGB32);
  icon.fill(QColor(0xc0, 0xc0, 0xc0));
  QPainter p(&icon);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(3, 5, 25, 21);
  p.fillRect(4, 6, 24, 5, QColor(0x00, 0x00, 0x80));
  p.setPen(QColor(0x80, 0x80, 0x80));
  for (int y = 14; y < 24; y += 3) p.drawLine(7, y, 24, y);
  return icon;
}

}  // namespace orba::demo
