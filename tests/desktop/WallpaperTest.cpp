// The wallpaper tiles its picture over the area inside its one-pixel bevel,
// checked on the rendered pixels.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "Wallpaper.h"

using orba::desktop::TWallpaper;

namespace {
// An 8 x 8 tile: red on the left half, blue on the right.
QImage tile() {
  QImage image(8, 8, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, 4, 8, Qt::red);
  p.fillRect(4, 0, 4, 8, Qt::blue);
  return image;
}
}  // namespace

TEST(Wallpaper, TilesFromTheInnerCorner) {
  TWallpaper wallpaper;
  wallpaper.resize(100, 60);
  wallpaper.setWallpaper(tile());
  const QImage shot = wallpaper.grab().toImage();
  const QRect inner = wallpaper.contentsRect();
  EXPECT_EQ(inner.topLeft(), QPoint(1, 1));
  for (int x = inner.left(); x + 4 <= inner.right(); x += 8) {
    EXPECT_EQ(shot.pixelColor(x, 10), QColor(Qt::red)) << x;
    EXPECT_EQ(shot.pixelColor(x + 4, 10), QColor(Qt::blue)) << x;
  }
  EXPECT_NE(shot.pixelColor(0, 10), QColor(Qt::red)) << "the bevel is not painted over";
}

TEST(Wallpaper, AFileThatIsNoPictureKeepsTheCurrentOne) {
  QTemporaryDir dir;
  TWallpaper wallpaper;
  ASSERT_TRUE(tile().save(dir.filePath("tile.bmp")));
  EXPECT_TRUE(wallpaper.loadFromFile(dir.filePath("tile.bmp")));
  EXPECT_EQ(wallpaper.wallpaper().size(), QSize(8, 8));
  EXPECT_FALSE(wallpaper.loadFromFile(dir.filePath("missing.jpg")));
  EXPECT_EQ(wallpaper.wallpaper().size(), QSize(8, 8));
}
