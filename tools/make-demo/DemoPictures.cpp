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

namespace orba::demo {

namespace {

void person(QPainter& p, const QColor& colour, int dx) {
  p.setBrush(colour);
  p.drawEllipse(QPoint(16 + dx, 10), 6, 6);
  p.drawPie(QRect(5 + dx, 17, 22, 24), 0, 180 * 16);
}

}  // namespace

QImage panelIconGlyph(int which) {
  constexpr int size = 32;
  QImage icon(size, size, QImage::Format_RGB32);
  // Magenta never appears in the drawings, so only the background drops out;
  // without antialiasing no edge pixel is a blend with it.
  icon.fill(QColor(255, 0, 255));
  QPainter p(&icon);
  p.setPen(QPen(Qt::black, 1));
  switch (which) {
    case 0:  // clients: two people
      person(p, QColor(0x9a, 0xb8, 0xe0), 5);
      person(p, QColor(0x1f, 0x5f, 0xbf), -3);
      break;
    case 1:  // suppliers: a delivery truck
      p.setBrush(QColor(0xe0, 0x80, 0x20));
      p.drawRect(2, 8, 18, 14);
      p.setBrush(QColor(0xc0, 0x30, 0x20));
      p.drawRect(20, 12, 9, 10);
      p.setBrush(QColor(0xd0, 0xf0, 0xff));
      p.drawRect(23, 14, 4, 4);
      p.setBrush(QColor(0x30, 0x30, 0x30));
      p.drawEllipse(QPoint(8, 24), 3, 3);
      p.drawEllipse(QPoint(24, 24), 3, 3);
      break;
    case 2:  // accounts: a ledger with ruled columns
      p.setBrush(QColor(0x20, 0x80, 0x40));
      p.drawRect(4, 3, 24, 26);
      p.setBrush(Qt::white);
      p.drawRect(7, 6, 18, 20);
      p.setPen(QColor(0x20, 0x80, 0x40));
      for (int y = 10; y < 26; y += 4) p.drawLine(8, y, 24, y);
      p.drawLine(18, 7, 18, 25);
      break;
    case 3:  // employees: one person with a badge
      person(p, QColor(0x80, 0x20, 0x30), 0);
      p.setBrush(QColor(0xff, 0xd0, 0x30));
      p.drawRect(18, 21, 5, 4);
      break;
    case 4: {  // products: a carton seen from above a corner
      p.setBrush(QColor(0xc8, 0x96, 0x5a));
      const QPoint front[] = {{4, 12}, {18, 16}, {18, 29}, {4, 25}};
      p.drawPolygon(front, 4);
      p.setBrush(QColor(0xa0, 0x70, 0x40));
      const QPoint side[] = {{18, 16}, {28, 11}, {28, 24}, {18, 29}};
      p.drawPolygon(side, 4);
      p.setBrush(QColor(0xe0, 0xb8, 0x80));
      const QPoint top[] = {{4, 12}, {14, 7}, {28, 11}, {18, 16}};
      p.drawPolygon(top, 4);
      break;
    }
    default: {  // to-do list: a clipboard with ticks
      p.setBrush(QColor(0x8b, 0x5a, 0x2b));
      p.drawRect(5, 3, 22, 27);
      p.setBrush(Qt::white);
      p.drawRect(8, 7, 16, 20);
      p.setBrush(QColor(0x90, 0x90, 0x90));
      p.drawRect(12, 1, 8, 4);
      p.setPen(QPen(QColor(0x00, 0x90, 0x00), 2));
      for (int y = 11; y < 26; y += 6) {
        p.drawLine(10, y, 12, y + 2);
        p.drawLine(12, y + 2, 15, y - 2);
      }
      p.setPen(Qt::black);
      for (int y = 11; y < 26; y += 6) p.drawLine(17, y, 22, y);
      break;
    }
  }
  return icon;
}

}  // namespace orba::demo
