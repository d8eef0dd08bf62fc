// Settings > Desktop > Change properties: a new wallpaper from the picture
// dialog.

#include <QFileDialog>

#include "Dialogs.h"
#include "PictureDialog.h"
#include "ShellFixture.h"
#include "Wallpaper.h"

using orba::shell::OrbaApplication;

class WallpaperChangeTest : public ShellFixture {
 protected:
  QString chosen;
  QString startedIn;
  void SetUp() override {
    ShellFixture::SetUp();
    orba::controls::Dialogs::setInterceptor([this](QDialog& d) {
      auto* pictures = qobject_cast<orba::desktop::TPictureDlg*>(&d);
      if (!pictures || chosen.isEmpty()) return static_cast<int>(QDialog::Rejected);
      startedIn = pictures->directory().absolutePath();
      pictures->selectFile(chosen);
      return static_cast<int>(QDialog::Accepted);
    });
  }
  void TearDown() override {
    orba::controls::Dialogs::setInterceptor({});
    ShellFixture::TearDown();
  }
};

TEST_F(WallpaperChangeTest, APictureChosenReplacesTheWallpaperAndMarksTheDesktopChanged) {
  writeSettings();
  OrbaApplication app(options());
  app.start();
  auto* window = app.mainWindow();
  QImage red(10, 10, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(programDir() + "/red.bmp"));
  chosen = programDir() + "/red.bmp";
  EXPECT_FALSE(window->desktopChanged());
  window->MainMenu->find("Changeproperties1")->click();
  EXPECT_EQ(startedIn, QDir(programDir()).absolutePath());
  EXPECT_TRUE(window->desktopChanged());
  EXPECT_EQ(window->Wallpaper1->wallpaper().pixel(3, 3), qRgb(255, 0, 0));
  EXPECT_TRUE(messages.isEmpty());

  // A file that is no picture: said, and the red one stays.
  QFile text(programDir() + "/notes.bmp");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a picture");
  text.close();
  chosen = programDir() + "/notes.bmp";
  window->MainMenu->find("Changeproperties1")->click();
  EXPECT_EQ(messages, QStringList{"The picture could not be loaded."});
  EXPECT_EQ(window->Wallpaper1->wallpaper().pixel(3, 3), qRgb(255, 0, 0));

  // Cancelled: nothing at all.
  chosen.clear();
  window->MainMenu->find("Changeproperties1")->click();
  EXPECT_EQ(messages.size(), 1);
}
