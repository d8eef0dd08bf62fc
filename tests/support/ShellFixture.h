#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include "LogoAppForm.h"
#include "Messages.h"
#include "OrbaApplication.h"
#include "PrinterCatalog.h"

// An installation in a temporary folder: a settings file whose program root
// holds a wallpaper picture, a fixed printer list, and message boxes recorded
// instead of shown.
class ShellFixture : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QStringList messages;
  QString previousDir_;

  void SetUp() override {
    // The program runs from its program folder, with the language tables in
    // ../languages beside it.
    previousDir_ = QDir::currentPath();
    QDir().mkpath(programDir());
    QDir().mkpath(languagesDir());
    for (const QString& file : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
      QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + file, languagesDir() + "/" + file);
    QDir::setCurrent(programDir());
    orba::controls::Messages::setInterceptor(
        [this](orba::controls::Messages::Kind, const QString& text) { messages << text; });
    orba::printers::PrinterCatalog::setInstance(
        std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{"Laser", "Cheques", "PDF"}, 1));
    withPicture();
  }
  void TearDown() override {
    orba::controls::Messages::setInterceptor({});
    QDir::setCurrent(previousDir_);
  }
  QString languagesDir() const { return dir.path() + "/Orba/languages"; }

  QString programDir() const { return dir.path() + "/Orba/bin"; }
  void withPicture() {
    QDir().mkpath(programDir());
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::darkBlue);
    ASSERT_TRUE(tile.save(programDir() + "/Cast32.jpg", "JPG"));
  }
  // Writes the machine-wide settings; pgmdrive and datadrive point into dir.
  void writeSettings(const QString& extraOrbaLines = {}) {
    QFile f(dir.filePath("orba.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%1\n%2").arg(dir.path(), extraOrbaLines).toUtf8());
  }
  orba::shell::OrbaApplication::Options options(std::vector<std::string> progress = {}) const {
    orba::shell::OrbaApplication::Options o;
    o.settings = {dir.filePath("orba.ini"), dir.filePath("user.ini")};
    o.progressLibraries = std::move(progress);
    return o;
  }
  QString readSettingsFile() const {
    QFile f(dir.filePath("orba.ini"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
};
