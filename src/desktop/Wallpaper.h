#pragma once

#include <QFrame>
#include <QImage>

namespace orba::desktop {

// The desktop background: a panel that tiles its picture over the whole
// inner area, inside a one-pixel raised bevel.
class TWallpaper : public QFrame {
  Q_OBJECT
 public:
  explicit TWallpaper(QWidget* parent = nullptr);

  // Keeps the current picture and returns false when the file cannot be read.
  bool loadFromFile(const QString& path);
  void setWallpaper(const QImage& picture);
  const QImage& wallpaper() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace orba::desktop
