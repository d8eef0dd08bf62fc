// The properties dialog with the picture dialog answered in advance.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTemporaryDir>

#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "PictureDialog.h"

using namespace orba::desktop;

namespace {

// Answers the picture dialogs that come up, in order: a file name chosen
// (accepted), or empty (cancelled).
struct Answers {
  QStringList files;
  QStringList foldersShown;
  Answers() {
    orba::controls::Dialogs::setInterceptor([this](QDialog& d) {
      auto* pictures = qobject_cast<TPictureDlg*>(&d);
      if (!pictures || files.isEmpty()) return static_cast<int>(QDialog::Rejected);
      foldersShown << pictures->directory().absolutePath();
      const QString file = files.takeFirst();
      if (file.isEmpty()) return static_cast<int>(QDialog::Rejected);
      pictures->selectFile(file);
      return static_cast<int>(QDialog::Accepted);
    });
  }
  ~Answers() { orba::controls::Dialogs::setInterceptor({}); }
};

QString picture(const QTemporaryDir& dir, const char* name, QColor colour, const char* format) {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(colour);
  const QString path = dir.filePath(name);
  EXPECT_TRUE(image.save(path, format, 100));
  return path;
}

}  // namespace

TEST(PropertiesDlg, ACancelledSecondChoiceKeepsThePreviewButNotTheChange) {
  QTemporaryDir dir;
  TPictureDlg pictures;
  TPropertiesDlg dialog;
  dialog.setPictureDialog(&pictures, dir.path());
  Answers answers;
  answers.files = {picture(dir, "red.bmp", Qt::red, "BMP"), QString()};
  dialog.ChangeIconClick();
  EXPECT_TRUE(dialog.IconChanged);
  EXPECT_EQ(dialog.chosenFile(), dir.filePath("red.bmp"));
  EXPECT_EQ(dialog.Image1->pixmap().toImage().pixel(5, 5), qRgb(255, 0, 0));
  dialog.ChangeIconClick();
  EXPECT_FALSE(dialog.IconChanged) << "the icon keeps its picture on OK";
  EXPECT_EQ(dialog.Image1->pixmap().toImage().pixel(5, 5), qRgb(255, 0, 0)) << "the preview keeps the first";
  EXPECT_EQ(answers.foldersShown.value(0), QDir(dir.path()).absolutePath()) << "starts in the program folder";
}

TEST(PropertiesDlg, AJpegLoadsIntoThePreview) {
  QTemporaryDir dir;
  TPictureDlg pictures;
  TPropertiesDlg dialog;
  dialog.setPictureDialog(&pictures, dir.path());
  Answers answers;
  answers.files = {picture(dir, "green.jpg", Qt::green, "JPG")};
  dialog.ChangeIconClick();
  EXPECT_TRUE(dialog.IconChanged);
  EXPECT_GT(qGreen(dialog.Image1->pixmap().toImage().pixel(5, 5)), 200);
}

TEST(PropertiesDlg, ThePictureDialogOffersBitmapsAndJpegsThatExist) {
  TPictureDlg pictures;
  EXPECT_EQ(pictures.fileMode(), QFileDialog::ExistingFile);
  ASSERT_EQ(pictures.nameFilters().size(), 2);
  EXPECT_TRUE(pictures.nameFilters()[0].startsWith("Bitmap image (*.bmp"));
  EXPECT_TRUE(pictures.nameFilters()[1].startsWith("Jpeg image (*.jpg"));
  TPropertiesDlg dialog;
  QStringList names;
  for (QObject* c : dialog.components().components()) names << c->objectName();
  EXPECT_EQ(names,
            (QStringList{"Bevel1", "Image1", "NewCaption", "DllLabel", "ChangeIcon", "OKBtn", "CancelBtn"}));
  EXPECT_EQ(dialog.size(), QSize(313, 178));
}
