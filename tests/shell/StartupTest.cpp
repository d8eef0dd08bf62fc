#include <QApplication>

#include "LinkRecord.h"
#include "RegionalFormats.h"
#include "ShellFixture.h"
#include "Wallpaper.h"

using orba::dispatch::LinkRecord;
using orba::shell::OrbaApplication;

class StartupTest : public ShellFixture {};

TEST_F(StartupTest, CreatesEveryWindowAndDataModuleOnceInOrder) {
  writeSettings();
  OrbaApplication app(options());
  app.start();
  QStringList names;
  for (QObject* o : app.instances()) names << o->objectName();
  EXPECT_EQ(names, (QStringList{"LogoAppForm", "AboutBox", "PasswordDlg", "UserDataModule", "Gl_DataModule",
                                "Ar_DataModule", "Ap_DataModule", "Co_DataModule", "Emp_DataModule",
                                "CompPasswd_Frm", "InvDataModule", "ContactUs", "frmDefaultInfo", "frmSetup",
                                "frmWelcome", "ShortcutDlg", "PropertiesDlg", "HelpWindow"}));
  // Qt appends a display name to every window title; the program sets none.
  EXPECT_EQ(QApplication::applicationDisplayName(), QApplication::applicationName());
  EXPECT_EQ(orba::controls::Messages::title(), "Castellan/Orba");
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(StartupTest, ProgressLibraryThatRefusesEveryCallStillReachesTheMainWindow) {
  writeSettings();
  OrbaApplication app(options({PROGRESS_ZERO}));
  app.start();
  EXPECT_EQ(messages, QStringList(7, "Access denied..."));
  ASSERT_NE(app.mainWindow(), nullptr);
  app.mainWindow()->show();
  EXPECT_TRUE(app.mainWindow()->isVisible());
  app.mainWindow()->close();
}

TEST_F(StartupTest, ProgressRoutinesAreCalledInOrderAndMissingOnesSkipped) {
  writeSettings();
  const QString log = dir.filePath("progress.log");
  qputenv("ORBA_PROGRESS_LOG", log.toUtf8());
  {
    OrbaApplication app(options({"/nonexistent/loadingdlg.so", PROGRESS_RECORDING}));
    app.start();
  }
  {
    OrbaApplication app(options({PROGRESS_PARTIAL}));
    app.start();
  }
  qunsetenv("ORBA_PROGRESS_LOG");
  QFile f(log);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()),
            "open\ncaption 0\nstep\ncaption 1\nstep\nstep\nclose\n"
            "open\nclose\n");
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(StartupTest, NoProgressLibraryAndOurOwnDialogBothStartSilently) {
  writeSettings();
  {
    OrbaApplication app(options({"/nonexistent/loadingdlg.so"}));
    app.start();
  }
  {
    OrbaApplication app(options({LOADINGDLG}));
    app.start();
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(StartupTest, MissingWallpaperShowsTheFirstMessageAndGoesOn) {
  writeSettings();
  QFile::remove(programDir() + "/Cast32.jpg");
  OrbaApplication app(options());
  app.start();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "The picture could not be loaded.");
  EXPECT_TRUE(app.mainWindow()->Wallpaper1->wallpaper().isNull());
}

TEST_F(StartupTest, SettingsReachTheLinkRecordAndTheFormats) {
  writeSettings("customer=ACME\nlanguage=2\n");
  {
    QFile f(dir.filePath("orba.ini"));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("[Settings]\nCurrAlign=R\nCurrSmbl=€\n");
  }
  OrbaApplication app(options());
  app.start();
  const LinkRecord& link = LinkRecord::instance();
  EXPECT_EQ(link.get(LinkRecord::Field::Customer), "ACME");
  EXPECT_EQ(link.language(), 2);
  EXPECT_EQ(link.languageCode(), "fr");
  EXPECT_EQ(link.get(LinkRecord::Field::ProgramDir), programDir());
  EXPECT_EQ(link.get(LinkRecord::Field::DataDir), dir.path() + "/Orba/data");
  EXPECT_EQ(link.get(LinkRecord::Field::OptionContext), "");
  EXPECT_EQ(link.get(LinkRecord::Field::PrinterIndex), "1");
  EXPECT_EQ(orba::formats::RegionalFormats::instance().formatCurrency(-2), "(2.00€)");
  EXPECT_EQ(app.mainWindow()->rawDataDrive(), dir.path());
}

TEST_F(StartupTest, AnUnusableSettingsFileIsNamedFirstAndTheDefaultsAreUsed) {
  QDir().mkpath(dir.filePath("orba.ini"));  // a folder where the file should be
  OrbaApplication app(options());
  app.start();
  ASSERT_GE(messages.size(), 2) << messages.join('|').toStdString();
  EXPECT_EQ(messages[0], "The settings file " + dir.filePath("orba.ini") +
                             " is not a file (a directory). The default settings are used.");
  EXPECT_GT(messages.indexOf("The picture could not be loaded."), 0)
      << "what follows from the defaults comes after";
  EXPECT_TRUE(messages[1].contains("/usr/lib/castellan/Orba/languages"))
      << "the default program folder's tables";
  EXPECT_EQ(LinkRecord::instance().get(LinkRecord::Field::DataDir), "/var/lib/castellan/Orba/data");
}

TEST_F(StartupTest, TheSettingsMessageIsInTheLanguageTheReadableFileGives) {
  {
    QFile f(dir.filePath("orba.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x00\x01binary", 8));
    QFile u(dir.filePath("user.ini"));
    ASSERT_TRUE(u.open(QIODevice::WriteOnly));
    u.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%1\nlanguage=2\n").arg(dir.path()).toUtf8());
  }
  OrbaApplication app(options());
  app.start();
  ASSERT_EQ(messages.size(), 1) << messages.join('|').toStdString();
  EXPECT_EQ(messages[0],
            "Le fichier de paramètres " + dir.filePath("orba.ini") +
                " contient des données binaires et non des paramètres. Les paramètres par défaut "
                "sont utilisés.");
}
