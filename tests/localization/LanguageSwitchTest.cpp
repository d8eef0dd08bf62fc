#include <QLabel>

#include "DataModules.h"
#include "FileVersion.h"
#include "LinkRecord.h"
#include "Oracle.h"
#include "ShellFixture.h"
#include "SmallWindows.h"

using orba::controls::MenuItem;
using orba::dispatch::LinkRecord;
using orba::shell::OrbaApplication;

class LanguageSwitchTest : public ShellFixture {
 protected:
  std::unique_ptr<OrbaApplication> app;
  MenuItem* menu = nullptr;
  orba::data::Table* languages = nullptr;

  void start(const QString& settingsLines, bool withRows = true) {
    writeSettings();
    if (!settingsLines.isEmpty()) {
      QFile f(dir.filePath("orba.ini"));
      ASSERT_TRUE(f.open(QIODevice::Append));
      f.write(settingsLines.toUtf8());
    }
    app = std::make_unique<OrbaApplication>(options());
    app->start();
    menu = app->mainWindow()->MainMenu;
    auto* users = app->context().UserDataModule;
    languages = users->tblLanguage;
    languages->setDatabaseName(dir.path() + "/Orba/data");
    languages->createTable();
    languages->open();
    if (withRows)
      for (const oracle::Language& l : oracle::languages()) {
        languages->append();
        languages->setValue("LangKey", l.key);
        languages->setValue("LangCode", l.code);
        languages->setValue("LangName", l.name);
        languages->post();
      }
    app->mainWindow()->Load_language_menu();
  }
  MenuItem* language(const char* name) { return menu->find(name); }
  QString ap09() { return menu->find("ap09")->caption(); }
};

TEST_F(LanguageSwitchTest, MenuListsTheLanguagesInKeyOrder) {
  start({});
  MenuItem* setLanguage = menu->find("Setlanguage1");
  ASSERT_EQ(setLanguage->count(), 2);
  EXPECT_EQ(setLanguage->item(0)->name(), "MenuItemen");
  EXPECT_EQ(setLanguage->item(0)->caption(), "English");
  EXPECT_EQ(setLanguage->item(1)->name(), "MenuItemfr");
  EXPECT_EQ(setLanguage->item(1)->caption(), "Français");
}

TEST_F(LanguageSwitchTest, FrenchTranslatesTheWindowsThatFollowAndSetsTheLanguage) {
  start({});
  auto* about = app->context().AboutBox;
  // Whatever the panel held before, the switch writes the version into it.
  app->mainWindow()->StatusPanels[3]->setText({});
  language("MenuItemfr")->click();
  EXPECT_TRUE(language("MenuItemfr")->isChecked());
  EXPECT_FALSE(language("MenuItemen")->isChecked());
  EXPECT_EQ(LinkRecord::instance().language(), 2);
  EXPECT_EQ(LinkRecord::instance().languageCode(), "fr");
  EXPECT_EQ(menu->find("gl03")->caption(), "Saisie des transactions");
  EXPECT_EQ(about->windowTitle(), "À propos");
  EXPECT_EQ(app->mainWindow()->Error_Messages->line(16), "Bienvenue dans Castellan/Orba");
  EXPECT_EQ(app->mainWindow()->StatusPanels[3]->text(),
            "Version " + QString::fromStdString(orba::version::ProgramVersionText()));
  // The caption: the translated title, four spaces, the date day first, one space.
  const QString title = app->mainWindow()->windowTitle();
  EXPECT_TRUE(title.startsWith("Castellan/Orba    ")) << title.toStdString();
  EXPECT_TRUE(title.endsWith(QString::number(QDate::currentDate().year()) + " ")) << title.toStdString();
  EXPECT_TRUE(title.contains(", " + QString::number(QDate::currentDate().day()) + " "))
      << title.toStdString();
}

// The six items of the international wording, reached by their places in
// the menu (tests/support/oracles/wording.tsv).
TEST_F(LanguageSwitchTest, InternationalWordingFollowsEnglishOnly) {
  start("[Settings]\nintl=Y\n");
  const auto wording = [this] {
    QStringList out;
    for (const oracle::Wording& w : oracle::wording()) {
      MenuItem* item = menu->item(w.top)->item(w.submenu)->item(w.position);
      EXPECT_EQ(item->name(), w.item);
      out << item->caption();
    }
    return out;
  };
  QStringList international;
  for (const oracle::Wording& w : oracle::wording()) international << w.caption;
  language("MenuItemen")->click();
  EXPECT_EQ(wording(), international);
  language("MenuItemfr")->click();
  for (const QString& caption : wording())
    EXPECT_FALSE(international.contains(caption)) << caption.toStdString();
  language("MenuItemen")->click();
  EXPECT_EQ(wording(), international);
}

TEST_F(LanguageSwitchTest, WithoutInternationalWordingTheTableWordingStays) {
  start("[Settings]\nintl=N\n");
  language("MenuItemen")->click();
  EXPECT_NE(ap09(), "Edit check entries");
  EXPECT_FALSE(ap09().isEmpty());
}

TEST_F(LanguageSwitchTest, EmptyLanguagesTableLeavesAnEmptyMenu) {
  start({}, false);
  EXPECT_EQ(menu->find("Setlanguage1")->count(), 0);
}
