#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QSet>
#include <algorithm>

#include "LinkRecord.h"
#include "MenuBarMirror.h"
#include "Oracle.h"
#include "RightsMap.h"
#include "ShellFixture.h"
#include "WrappingMenuBar.h"

using orba::controls::MenuItem;
using orba::dispatch::LinkRecord;
using orba::dispatch::moduleMenus;
using orba::shell::OrbaApplication;

class MainMenuTest : public ShellFixture {
 protected:
  std::unique_ptr<OrbaApplication> app;
  MenuItem* menu = nullptr;
  void start(const QString& extra = {}) {
    writeSettings(extra);
    app = std::make_unique<OrbaApplication>(options());
    app->start();
    menu = app->mainWindow()->MainMenu;
  }
  // The bit an option's right uses, from where the option actually sits in
  // the menu tree: module * 105 + group * 15 + position.
  int bitOf(const QString& code) {
    MenuItem* option = menu->find(code);
    MenuItem* group = option->parentItem();
    MenuItem* top = group->parentItem();
    const int first = oracle::menus().at(static_cast<std::size_t>(top->menuIndex())).firstSubmenu;
    return top->tag() * 105 + (group->menuIndex() - first) * 15 + option->menuIndex();
  }
};

TEST_F(MainMenuTest, TopLevelItemsInOrder) {
  start();
  QStringList names;
  for (MenuItem* item : menu->items()) names << item->name();
  EXPECT_EQ(names, (QStringList{"Generalledger1", "Accountsreceivable1", "Accountspayable1", "Invoicing1",
                                "Systemmanager1", "Payroll1", "Inventory1", "Purchaseorders1", "Tracker1",
                                "Jobcost1", "Settings1", "Accessories1", "Help1", "Quit1"}));
  const int tags[] = {0, 1, 2, 3, 4, 7, 5, 6, 8, 9};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(menu->item(i)->tag(), tags[i]) << i;
  EXPECT_EQ(menu->item(0)->caption(), "&General Ledger") << "translated from the English table at start-up";
}

TEST_F(MainMenuTest, EveryOptionCodeOnceInItsGroupAtItsIndex) {
  start();
  QSet<QString> seen;
  for (const oracle::Menu& module : oracle::menus()) {
    MenuItem* top = menu->item(module.position);
    ASSERT_EQ(top->name(), module.name);
    EXPECT_EQ(top->tag(), module.module);
    // The System menu ends with the set-up wizard, after its groups.
    const int trailing = module.name == "Systemmanager1" ? 2 : 0;
    ASSERT_EQ(top->count(), module.firstSubmenu + 4 + trailing) << module.name.toStdString();
    for (int g = 0; g < 4; ++g) EXPECT_EQ(top->item(module.firstSubmenu + g)->name(), module.groups[g]);
  }
  for (const oracle::Right& r : oracle::rights()) {
    const oracle::Menu& module = *std::find_if(oracle::menus().begin(), oracle::menus().end(),
                                               [&](const oracle::Menu& m) { return m.module == r.module; });
    MenuItem* group = menu->item(module.position)->item(module.firstSubmenu + r.group);
    ASSERT_GT(group->count(), r.position) << r.code.toStdString();
    MenuItem* option = group->item(r.position);
    EXPECT_EQ(option->name(), r.code);
    EXPECT_TRUE(option->hasClickHandler());
    seen.insert(option->name());
  }
  EXPECT_EQ(seen.size(), static_cast<qsizetype>(oracle::rights().size()));
  // Every option name occurs exactly once in the whole tree.
  QMap<QString, int> count;
  menu->forEach([&](MenuItem& item) { ++count[item.name()]; });
  for (const QString& code : seen) EXPECT_EQ(count[code], 1) << code.toStdString();
}

TEST_F(MainMenuTest, QuickEntriesSeparatorsAndGroupIndexes) {
  start();
  QStringList separators;
  for (const auto& module : moduleMenus()) {
    MenuItem* top = menu->item(module.position);
    int quick = 0;
    for (int i = 0; i < module.firstSubmenu; ++i) {
      MenuItem* child = top->item(i);
      if (child->isSeparator()) {
        EXPECT_EQ(i, module.firstSubmenu - 1) << "the separator comes just before the first group";
        EXPECT_EQ(child->groupIndex(), module.submenuGroupIndex);
        separators << child->name();
      } else if (child->name().endsWith('f')) {
        EXPECT_EQ(child->groupIndex(), 0);
        EXPECT_NE(menu->find(child->name().chopped(1)), nullptr) << "a quick entry duplicates an option";
        ++quick;
      }
    }
    EXPECT_EQ(quick, module.quickEntries.size()) << module.name.toStdString();
    for (int g = 0; g < 4; ++g)
      EXPECT_EQ(top->item(module.firstSubmenu + g)->groupIndex(), module.submenuGroupIndex);
  }
  EXPECT_EQ(separators, (QStringList{"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8", "N9"}));
  EXPECT_EQ(menu->find("Generalledger1")->item(0)->name(), "gl03f");
  EXPECT_EQ(menu->find("Inventory1")->item(4)->groupIndex(), 0) << "inventory groups share index 0";
  EXPECT_EQ(menu->find("Tracker1")->item(0)->name(), "trkopen");
  EXPECT_EQ(menu->find("Tracker1")->item(1)->name(), "Createdatabase1");
}

// Payroll sits at position 5 but is module 7, inventory at 6 but module 5,
// and an empty group still takes its number (ut07 is group 2).
TEST_F(MainMenuTest, RightsBitsFollowTheMenuPositions) {
  start();
  for (const oracle::Right& r : oracle::rights()) EXPECT_EQ(bitOf(r.code), r.bit) << r.code.toStdString();
}

TEST_F(MainMenuTest, SettingsHelpAndUninstalledModules) {
  start();
  QStringList settings;
  for (MenuItem* item : menu->find("Settings1")->items()) settings << item->name();
  EXPECT_EQ(settings, (QStringList{"Changecompanies1", "Selectprinter1", "Setlanguage1", "Setdesktop1"}));
  EXPECT_NE(menu->find("Setdesktop1")->find("Changeproperties1"), nullptr);
  EXPECT_NE(menu->find("Setdesktop1")->find("Addshortcut1"), nullptr);
  QStringList help;
  for (MenuItem* item : menu->find("Help1")->items()) help << item->name();
  EXPECT_EQ(help, (QStringList{"Helptopics1", "About1", "Contactus1"}));

  EXPECT_FALSE(menu->find("Tracker1")->isVisible());
  EXPECT_FALSE(menu->find("Jobcost1")->isVisible());
  EXPECT_FALSE(menu->find("ar16")->isVisible());
  orba::controls::WrappingMenuBar* bar = app->mainWindow()->menuBarWidget();
  EXPECT_EQ(bar->actions().size(), 14);
  EXPECT_FALSE(bar->actions()[8]->isVisible());
  EXPECT_TRUE(bar->actions()[0]->isVisible());
}

TEST_F(MainMenuTest, InstalledTrackerAndJobCostStayVisible) {
  start("tracker=y\nJobCost=Y\n");
  EXPECT_TRUE(menu->find("Tracker1")->isVisible());
  EXPECT_TRUE(menu->find("Jobcost1")->isVisible());
  EXPECT_TRUE(menu->find("ar16")->isVisible());
}

TEST_F(MainMenuTest, PrinterMenuListsThePrintersWithTheCurrentOneChecked) {
  start();
  MenuItem* printers = menu->find("Selectprinter1");
  ASSERT_EQ(printers->count(), 3);
  EXPECT_EQ(printers->item(0)->caption(), "Laser");
  EXPECT_EQ(printers->item(2)->caption(), "PDF");
  EXPECT_FALSE(printers->item(0)->isChecked());
  EXPECT_TRUE(printers->item(1)->isChecked());
  EXPECT_EQ(app->mainWindow()->PrinterListBox->count(), 3);
  EXPECT_EQ(LinkRecord::instance().get(LinkRecord::Field::PrinterIndex), "1");

  // Chosen through the menu bar, as a user would.
  QMenu* shown = app->mainWindow()->menuMirror()->menuFor(printers);
  ASSERT_NE(shown, nullptr);
  shown->actions()[2]->trigger();
  EXPECT_TRUE(printers->item(2)->isChecked());
  EXPECT_FALSE(printers->item(1)->isChecked());
  EXPECT_TRUE(shown->actions()[2]->isChecked());
  EXPECT_FALSE(shown->actions()[1]->isChecked());
  EXPECT_EQ(orba::printers::PrinterCatalog::instance().currentIndex(), 2);
  EXPECT_EQ(LinkRecord::instance().get(LinkRecord::Field::PrinterIndex), "2");
}

TEST_F(MainMenuTest, NoPrinterAtAllGivesAnEmptyMenu) {
  orba::printers::PrinterCatalog::setInstance(
      std::make_unique<orba::printers::FixedPrinterCatalog>(QStringList{}));
  start();
  EXPECT_EQ(menu->find("Selectprinter1")->count(), 0);
  EXPECT_EQ(LinkRecord::instance().get(LinkRecord::Field::PrinterIndex), "");
}

TEST_F(MainMenuTest, MenuBarFollowsTheTree) {
  start();
  auto* window = app->mainWindow();
  EXPECT_FALSE(menu->find("gl03")->isEnabled()) << "nothing runs before a user's rights are applied";
  EXPECT_FALSE(menu->find("gl03f")->isEnabled());
  // As the rights pass does for a user who may run gl03.
  menu->find("gl03")->setEnabled(true);
  menu->find("gl03f")->setEnabled(true);
  QAction* gl03 = window->menuMirror()->actionFor(menu->find("gl03"));
  ASSERT_NE(gl03, nullptr);
  gl03->trigger();
  window->menuMirror()->actionFor(menu->find("gl03f"))->trigger();
  // Both reach the dispatch as gl03; no gl03.so is installed here.
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[0].startsWith("error loading option gl03  2")) << messages[0].toStdString();
  EXPECT_TRUE(messages[1].startsWith("error loading option gl03  2")) << messages[1].toStdString();

  menu->find("gl03")->setEnabled(false);
  menu->find("gl03")->setCaption("Saisie des transactions");
  EXPECT_FALSE(gl03->isEnabled());
  EXPECT_EQ(gl03->text(), "Saisie des transactions");

  // Items added later (the company menu is filled at login) show up too.
  MenuItem* companies = menu->find("Changecompanies1");
  companies->add(QString(), "Demo Inc.");
  QMenu* shown = window->menuMirror()->menuFor(companies);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->actions().size(), 1);
  companies->clear();
  EXPECT_EQ(window->menuMirror()->menuFor(companies), nullptr);
  EXPECT_NE(window->menuMirror()->actionFor(companies), nullptr);
}
