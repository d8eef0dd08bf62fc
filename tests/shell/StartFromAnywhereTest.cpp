// The desktop started from another folder than its program folder (a
// desktop entry, a terminal elsewhere) still finds its language tables.

#include "ShellFixture.h"

using orba::shell::OrbaApplication;

class StartFromAnywhereTest : public ShellFixture {};

TEST_F(StartFromAnywhereTest, TheLanguageTablesAreFoundBesideTheProgramFolder) {
  writeSettings("language=2\n");
  QTemporaryDir elsewhere;
  QDir::setCurrent(elsewhere.path());
  OrbaApplication app(options());
  app.start();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  EXPECT_EQ(app.mainWindow()->MainMenu->find("gl03")->caption(), "Saisie des transactions");
  EXPECT_EQ(QDir::currentPath(), QDir(elsewhere.path()).canonicalPath())
      << "the current folder is left alone";
}

TEST_F(StartFromAnywhereTest, AProgramFolderWithoutTablesBesideItIsReportedByName) {
  QDir(languagesDir()).removeRecursively();
  writeSettings();
  OrbaApplication app(options());
  app.start();
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_TRUE(messages[0].contains("MainMenuen")) << messages[0].toStdString();
  EXPECT_EQ(app.mainWindow()->MainMenu->find("gl03")->caption(), "gl03") << "the design texts stay";
}
