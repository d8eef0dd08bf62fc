#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "SettingsStore.h"
#include "ShellSettings.h"

using namespace orba::shell;
using orba::settings::SettingsStore;

namespace {

// A settings store over a temporary file holding `text`.
struct Settings {
  QTemporaryDir dir;
  std::unique_ptr<SettingsStore> store;
  explicit Settings(const QString& text = {}) {
    QFile f(dir.filePath("orba.ini"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
    f.close();
    store = std::make_unique<SettingsStore>(
        SettingsStore::Paths{dir.filePath("orba.ini"), dir.filePath("user.ini")});
  }
};

}  // namespace

TEST(ReadSettings, NoSettingsAtAllGiveTheDefaults) {
  Settings s;
  const SettingsReading r = readShellSettings(*s.store);
  EXPECT_EQ(r.language, 1);
  EXPECT_EQ(r.languageCode, "en");
  EXPECT_EQ(r.customer, "");
  // Where the package puts the program and the data.
  EXPECT_EQ(r.programDir, "/usr/lib/castellan/Orba/bin");
  EXPECT_EQ(r.dataDir, "/var/lib/castellan/Orba/data");
  EXPECT_EQ(r.rawDataDrive, "/var/lib/castellan") << "the lock-control directory is the raw root";
  EXPECT_FALSE(r.shell.payrollInstalled());
  EXPECT_FALSE(r.shell.jobCostInstalled());
  EXPECT_FALSE(r.shell.trackerInstalled());
  EXPECT_FALSE(r.shell.DisplayPW);
  EXPECT_TRUE(r.shell.ShowWelcome);
  EXPECT_FALSE(r.shell.international());
  EXPECT_EQ(r.shell.TitleMessageIndex, 16);
  const WindowPlacement p = WindowPlacement::parse(r.shell.Form);
  EXPECT_EQ(p.width, 750);
  EXPECT_EQ(p.height, 520);
  EXPECT_FALSE(p.useSavedPosition());
}

TEST(ReadSettings, EachSwitchKeepsItsOwnLetterCaseRule) {
  Settings s("[ORBA]\nPAYROLL=y\nJobcost=y\nTracker=Y\nDISPLAYPW=y\nshowwelcome=y\n[settings]\nINTL=y\n");
  const SettingsReading r = readShellSettings(*s.store);
  EXPECT_TRUE(r.shell.payrollInstalled()) << "payroll compares upper-cased";
  EXPECT_TRUE(r.shell.jobCostInstalled());
  EXPECT_TRUE(r.shell.trackerInstalled());
  EXPECT_FALSE(r.shell.DisplayPW) << "DisplayPW must be exactly Y";
  EXPECT_FALSE(r.shell.ShowWelcome) << "ShowWelcome must be exactly Y";
  EXPECT_TRUE(r.shell.international()) << "intl accepts y";

  Settings exact("[Orba]\nDisplayPW=Y\nShowWelcome=N\n");
  const SettingsReading e = readShellSettings(*exact.store);
  EXPECT_TRUE(e.shell.DisplayPW);
  EXPECT_FALSE(e.shell.ShowWelcome);
}

TEST(ReadSettings, LanguageNumberDecidesTheCode) {
  EXPECT_EQ(readShellSettings(*Settings("[Orba]\nlanguage=2\n").store).languageCode, "fr");
  const SettingsReading three = readShellSettings(*Settings("[Orba]\nlanguage=3\n").store);
  EXPECT_EQ(three.language, 3);
  EXPECT_EQ(three.languageCode, "");
  for (const char* bad : {"two", "", "2x", "0x2"}) {
    const SettingsReading r = readShellSettings(*Settings(QString("[Orba]\nlanguage=%1\n").arg(bad)).store);
    EXPECT_EQ(r.language, 1) << bad;
    EXPECT_EQ(r.languageCode, "en") << bad;
  }
}

TEST(ReadSettings, PathsArePlainJoins) {
  Settings s("[Orba]\npgmdrive=/srv/apps\ndatadrive=/srv/data/\ncustomer=ACME Ltée\n");
  const SettingsReading r = readShellSettings(*s.store);
  EXPECT_EQ(r.programDir, "/srv/apps/Orba/bin");
  EXPECT_EQ(r.dataDir, "/srv/data//Orba/data") << "a trailing separator stays doubled";
  EXPECT_EQ(r.rawDataDrive, "/srv/data/");
  EXPECT_EQ(r.customer, "ACME Ltée");
  EXPECT_EQ(CompanyDir(r.dataDir, "12"), "/srv/data//Orba/data12");
  EXPECT_EQ(WallpaperPath(r.programDir), "/srv/apps/Orba/bin/Cast32.jpg");
  EXPECT_EQ(HelpFilePath(r.programDir, 1, "en"), "/srv/apps/Orba/bin/Help");
  EXPECT_EQ(HelpFilePath(r.programDir, 2, "fr"), "/srv/apps/Orba/bin/Helpfr");
  EXPECT_EQ(HelpFilePath(r.programDir, 0, "en"), "/srv/apps/Orba/bin/Helpen");
}

TEST(WindowPlacement, MalformedValuesFallBackToTheDefault) {
  for (const char* bad : {"", "520,20,36,750", "a,b,c,d,Y", "520,20,36,x,Y", "0,20,36,750,Y",
                          "520,20,36,-5,Y", "520;20;36;750;Y"}) {
    const WindowPlacement p = WindowPlacement::parse(bad);
    EXPECT_EQ(p.height, 520) << bad;
    EXPECT_EQ(p.width, 750) << bad;
    EXPECT_EQ(p.left, 20) << bad;
    EXPECT_EQ(p.top, 36) << bad;
    EXPECT_FALSE(p.useSavedPosition()) << bad;
  }
  const WindowPlacement p = WindowPlacement::parse("600,-10,40,800,Y");
  EXPECT_EQ(p.height, 600);
  EXPECT_EQ(p.left, -10);
  EXPECT_EQ(p.top, 40);
  EXPECT_EQ(p.width, 800);
  EXPECT_TRUE(p.useSavedPosition());
  EXPECT_FALSE(WindowPlacement::parse("600,10,40,800,y").useSavedPosition()) << "exactly Y";
  EXPECT_EQ(p.toSavedText(), "600,-10,40,800,Y");
}
