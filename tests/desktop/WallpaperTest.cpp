// The wallpaper tiles its picture from the inner corner, checked on the
// rendered pixels, and keeps its picture in its component stream.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "ComponentStreams.h"
#include "Wallpaper.h"

using namespace orba::desktop;

namespace {

// A tile with a red top-left pixel on blue, so that each tile's corner shows.
QImage markedTile(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::blue);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  return image;
}

std::string fileOf(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 100);
  return bytes.toStdString();
}

WallpaperPicture pictureOf(const QImage& image, const char* format = "BMP") {
  return WallpaperPicture::fromFile(fileOf(image, format));
}

}  // namespace

TEST(Wallpaper, EightByFiveTilesFromTheInnerCornerOfA742By437Area) {
  TWallpaper wallpaper;
  wallpaper.resize(742, 437);
  wallpaper.setPicture(pictureOf(markedTile(100, 100)));
  ASSERT_EQ(wallpaper.inset(), 1);
  const QImage shot = wallpaper.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int corners = 0;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(shot.pixel(1 + 100 * i, 1 + 100 * j), qRgb(255, 0, 0)) << i << "," << j;
      ++corners;
    }
  EXPECT_EQ(corners, 40);
  EXPECT_EQ(shot.pixel(740, 300), qRgb(0, 0, 255)) << "the eighth column is cut at x = 741";
  EXPECT_NE(shot.pixel(741, 300), qRgb(0, 0, 255)) << "x = 741 is the bevel";
  EXPECT_NE(shot.pixel(0, 0), qRgb(255, 0, 0)) << "the bevel is not painted over";
}

TEST(Wallpaper, TheInsetCountsTheBorderAndEveryBevel) {
  TWallpaper wallpaper;
  wallpaper.resize(300, 200);
  wallpaper.setBevels(TBevelCut::bvRaised, TBevelCut::bvLowered, 1, 2);
  EXPECT_EQ(wallpaper.inset(), 4);
  wallpaper.setPicture(pictureOf(markedTile(50, 50)));
  const QImage shot = wallpaper.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(4, 4), qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(54, 54), qRgb(255, 0, 0));
  EXPECT_NE(shot.pixel(3, 3), qRgb(255, 0, 0));
  wallpaper.setBevels(TBevelCut::bvNone, TBevelCut::bvNone, 1, 0);
  EXPECT_EQ(wallpaper.inset(), 0);
}

TEST(Wallpaper, APictureLargerThanTheWallpaperIsDrawnOnceCutAtTheEdges) {
  TWallpaper wallpaper;
  wallpaper.resize(80, 60);
  QImage big(500, 400, QImage::Format_RGB32);
  big.fill(Qt::green);
  big.setPixel(0, 0, qRgb(255, 0, 0));
  wallpaper.setPicture(pictureOf(big));
  const QImage shot = wallpaper.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(1, 1), qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(78, 58), qRgb(0, 255, 0));
}

TEST(Wallpaper, LoadingANewPictureRepaintsAndAFileThatIsNoPictureKeepsTheOld) {
  QTemporaryDir dir;
  TWallpaper wallpaper;
  wallpaper.resize(50, 50);
  int changes = 0;
  QObject::connect(&wallpaper, &TWallpaper::pictureChanged, [&] { ++changes; });
  ASSERT_TRUE(markedTile(8, 8).save(dir.filePath("tile.bmp")));
  ASSERT_TRUE(markedTile(8, 8).save(dir.filePath("tile.jpg"), "JPG", 100));
  EXPECT_TRUE(wallpaper.loadFromFile(dir.filePath("tile.jpg")));
  EXPECT_EQ(wallpaper.picture().kind, WallpaperPicture::Kind::Jpeg);
  EXPECT_TRUE(wallpaper.loadFromFile(dir.filePath("tile.bmp")));
  EXPECT_EQ(wallpaper.picture().kind, WallpaperPicture::Kind::Bitmap);
  EXPECT_EQ(changes, 2);
  QFile text(dir.filePath("notes.bmp"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a picture");
  text.close();
  EXPECT_FALSE(wallpaper.loadFromFile(dir.filePath("notes.bmp")));
  EXPECT_FALSE(wallpaper.loadFromFile(dir.filePath("missing.jpg")));
  EXPECT_EQ(wallpaper.picture().kind, WallpaperPicture::Kind::Bitmap);
  EXPECT_EQ(changes, 2);
}

TEST(Wallpaper, ItsStreamCarriesThePictureUnderItsClassName) {
  for (const char* format : {"BMP", "JPEG"}) {
    TWallpaper wallpaper;
    wallpaper.setObjectName("Wallpaper1");
    wallpaper.setGeometry(0, 0, 742, 437);
    wallpaper.align = TAlign::alClient;
    wallpaper.popupMenuName = "PopupMenu";
    wallpaper.tabOrder = 0;
    wallpaper.setPicture(pictureOf(markedTile(16, 16), format));
    const orba::stream::Component c = writeComponent(wallpaper);
    QStringList names;
    for (const auto& p : c.properties) names << QString::fromStdString(p.name);
    EXPECT_EQ(names, (QStringList{"Left", "Top", "Width", "Height", "Align", "PopupMenu", "TabOrder",
                                  "Wallpaper.Data"}));
    const std::string data = c.find("Wallpaper.Data")->text;
    EXPECT_EQ(data.substr(1, static_cast<uint8_t>(data[0])),
              std::string(format) == "BMP" ? "TBitmap" : "TJPEGImage");
    const std::string first = orba::stream::writeComponentStream(c);
    TWallpaper copy;
    readComponent(copy, orba::stream::readComponentStream(first).component);
    EXPECT_EQ(orba::stream::writeComponentStream(writeComponent(copy)), first) << format;
    EXPECT_EQ(copy.picture().file, wallpaper.picture().file) << "the file is kept as it was";
    EXPECT_EQ(copy.align, TAlign::alClient);
  }
  // A new wallpaper writes its geometry and its align only: the rest holds
  // the declared defaults.
  TWallpaper plain;
  plain.setObjectName("Wallpaper1");
  QStringList names;
  for (const auto& p : writeComponent(plain).properties) names << QString::fromStdString(p.name);
  EXPECT_EQ(names, (QStringList{"Left", "Top", "Width", "Height", "Align"})) << "created top-aligned";
}
