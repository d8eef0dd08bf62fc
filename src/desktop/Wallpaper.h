#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <string>

#include "StreamValues.h"

namespace orba::desktop {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// The picture a wallpaper holds: a bitmap or a JPEG image, kept as the file
// it came from (so that it is stored as it was) and decoded for painting.
struct WallpaperPicture {
  enum class Kind { None, Bitmap, Jpeg };
  Kind kind = Kind::None;
  std::string file;  // the BMP or JPEG file's bytes
  QImage image;

  bool isEmpty() const { return kind == Kind::None || image.isNull(); }
  // From a file's bytes, of either kind (decided by the content). None when
  // it is neither a bitmap nor a JPEG image.
  static WallpaperPicture fromFile(const std::string& bytes);
  // The stream's "Wallpaper.Data": the graphic's class name ("TBitmap",
  // "TJPEGImage"), then a 4-byte size and the file. Empty for no picture.
  std::string streamData() const;
  static std::optional<WallpaperPicture> fromStreamData(const std::string& data);
};

// The desktop background: a panel with bevels that tiles its picture over
// its inner area, from the inner top-left corner, unscaled, clipped at the
// inner edges. The inner area is the client area less the inset: the border
// width, plus the bevel width for each bevel that is on.
//
// The picture is prepared for painting once, when it changes; a paint only
// draws it. The list panels and shortcut icons of the desktop are its
// children.
class TWallpaper : public QWidget {
  Q_OBJECT
 public:
  explicit TWallpaper(QWidget* parent = nullptr);

  // Keeps the current picture and returns false when the file is neither a
  // bitmap nor a JPEG image.
  bool loadFromFile(const QString& path);
  void setPicture(const WallpaperPicture& picture);
  const WallpaperPicture& picture() const { return picture_; }
  // The picture as painted.
  const QImage& wallpaper() const { return picture_.image; }

  int inset() const;
  // Where tiles go: the client area less the inset.
  QRect innerRect() const;

  // Published state that the stream carries (and that painting uses where
  // it has a meaning here).
  TAlign align = TAlign::alTop;
  TBevelCut bevelInner = TBevelCut::bvNone;
  TBevelCut bevelOuter = TBevelCut::bvRaised;
  int bevelWidth = 1;
  int borderWidth = 0;
  TColor color = clBtnFace;
  int tabOrder = -1;
  QString popupMenuName;
  int tag = 0;
  void setBevels(TBevelCut outer, TBevelCut inner, int width, int border);

 signals:
  // The picture changed (it is repainted at once).
  void pictureChanged();
  // The desktop took another size (the window was resized or maximised).
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  WallpaperPicture picture_;
  QPixmap prepared_;
};

}  // namespace orba::desktop
