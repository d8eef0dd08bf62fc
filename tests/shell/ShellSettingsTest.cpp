#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "SettingsStore.h"
#include "ShellSettings.h"
#include "WindowFit.h"

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

// The maximised state rides as a sixth field, which older readers ignore.
TEST(WindowPlacement, TheMaximisedStateIsASixthField) {
  WindowPlacement p = WindowPlacement::parse("600,10,40,800,Y,M");
  EXPECT_TRUE(p.maximized);
  EXPECT_EQ(p.width, 800);
  EXPECT_EQ(p.toSavedText(), "600,10,40,800,Y,M");
  EXPECT_FALSE(WindowPlacement::parse("600,10,40,800,Y").maximized);
  EXPECT_FALSE(WindowPlacement::parse("600,10,40,800,Y,X").maximized);
  p.maximized = false;
  EXPECT_EQ(p.toSavedText(), "600,10,40,800,Y");
}

// A window saved on a large screen, shown on a small one: moved onto it,
// made smaller only where it does not fit, its frame included.
TEST(WindowFit, AWindowIsBroughtWhollyOntoTheScreen) {
  const QRect small(0, 0, 800, 600);
  // Already inside: left alone.
  EXPECT_EQ(fitFrame(QRect(10, 20, 300, 200), small), QRect(10, 20, 300, 200));
  // Off to the right and below: moved back, same size.
  EXPECT_EQ(fitFrame(QRect(700, 500, 300, 200), small), QRect(500, 400, 300, 200));
  // Off to the left and above.
  EXPECT_EQ(fitFrame(QRect(-50, -30, 300, 200), small), QRect(0, 0, 300, 200));
  // Saved at 1920 x 1080: as large as the screen, at its corner.
  EXPECT_EQ(fitFrame(QRect(60, 40, 1800, 1000), small), small);
  // A screen that does not start at 0 (a panel at the top, a second screen).
  EXPECT_EQ(fitFrame(QRect(0, 0, 400, 300), QRect(1920, 28, 800, 572)), QRect(1920, 28, 400, 300));
  // The client area within a frame: the frame goes on the screen.
  const QMargins frame(4, 24, 4, 4);
  const QRect client = fitClient(QRect(60, 40, 1800, 1000), frame, small);
  EXPECT_EQ(client.marginsAdded(frame), small);
  EXPECT_EQ(client, QRect(4, 24, 792, 572));
}
