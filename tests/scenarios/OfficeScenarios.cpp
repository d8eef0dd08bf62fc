// An office's first week, through the window system: menus rebuilt from
// their own clicks, menus open over the wrapped menu bar, the company switch,
// the lists after a module has changed their table.

#include <QAbstractItemView>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>

#include "DBGrid.h"
#include "DataModules.h"
#include "DesktopPanels.h"
#include "LinkRecord.h"
#include "ListPanel.h"
#include "LogoAppForm.h"
#include "MenuItem.h"
#include "Scenario.h"
#include "Table.h"
#include "WrappingMenuBar.h"

namespace {

using orba::dispatch::LinkRecord;

class OfficeScenario : public Scenario {
 protected:
  void adminAndClerk() {
    standardData();
    install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 1, 1, {"*"});
    install->addUser("CLERK", "CLERK", "John Smith", 1, 1, {"ar01", "ar04", "ar05"});
  }
  int toolsCount(Driver& d) {
    return d.gui([&] { return window->MainMenu->find("Accessories1")->count(); });
  }
};

TEST_F(OfficeScenario, ToolsMaintenanceAddAndCloseTwentyTimes) {
  adminAndClerk();
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin")) << d.windowsOnScreen().toStdString();
    ASSERT_EQ(toolsCount(d), 1);  // the maintenance entry a new table is seeded with
    for (int round = 0; round < 20; ++round) {
      SCOPED_TRACE(round);
      ASSERT_TRUE(d.chooseMenu({"Accessories1", "mtools"}));
      ASSERT_TRUE(d.waitForWindow("ToolsForm")) << d.windowsOnScreen().toStdString();
      d.click("ToolsForm", "AddBtn");
      ASSERT_TRUE(d.waitForWindow("ToolDlg")) << d.windowsOnScreen().toStdString();
      d.click("ToolDlg", "NameEdit");
      d.type(QStringLiteral("Tool %1").arg(round));
      d.click("ToolDlg", "NameFrEdit");
      d.type(QStringLiteral("Outil %1").arg(round));
      d.click("ToolDlg", "ProgramEdit");
      d.type(QStringLiteral("tool%1").arg(round));
      d.click("ToolDlg", "OKBtn");
      ASSERT_TRUE(d.waitForWindowGone("ToolDlg")) << d.gui([&] { return d.messageBoxText(); }).toStdString();
      d.click("ToolsForm", "CloseBtn");
      ASSERT_TRUE(d.waitForWindowGone("ToolsForm"));
      // The Tools menu is rebuilt from the table after the maintenance.
      ASSERT_TRUE(d.waitUntil([&] { return window->MainMenu->find("Accessories1")->count() == round + 2; }));
    }
    // Every entry is on the menu bar's pop-up too.
    ASSERT_TRUE(d.chooseMenu({"Accessories1"}));
    EXPECT_TRUE(d.waitUntil([&] { return d.openMenuItemRect("tool19").isValid(); }));
    d.key("Escape");
    d.screenshot("tools-menu");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// The program's own windows, by the name of the window and of the button
// that closes it.
void closeWith(Driver& d, const QString& window, const QString& button) {
  ASSERT_TRUE(d.waitForWindow(window))
      << window.toStdString() << "; on screen: " << d.windowsOnScreen().toStdString();
  d.click(window, button);
  ASSERT_TRUE(d.waitForWindowGone(window)) << window.toStdString();
}

TEST_F(OfficeScenario, ALongSessionEndsInQuitWithoutFault) {
  adminAndClerk();
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    // The second printer, then French, English and French again.
    ASSERT_TRUE(d.chooseMenu({"Settings1", "Selectprinter1", "#1"}));
    ASSERT_TRUE(d.waitUntil([&] { return window->StatusPanels[1]->text() == "Cheques"; }));
    for (const char* language : {"MenuItemfr", "MenuItemen", "MenuItemfr"}) {
      ASSERT_TRUE(d.chooseMenu({"Settings1", "Setlanguage1", language}));
      const QString code = QString::fromLatin1(language).mid(8);
      ASSERT_TRUE(d.waitUntil([&] { return LinkRecord::instance().languageCode() == code; })) << language;
    }
    EXPECT_EQ(d.gui([&] { return window->MainMenu->find("Help1")->caption(); }), "&Aide");
    ASSERT_TRUE(d.chooseMenu({"Help1", "Helptopics1"}));
    ASSERT_TRUE(d.waitForWindow("HelpWindow"));
    d.gui([&] { d.window("HelpWindow")->close(); });
    ASSERT_TRUE(d.waitForWindowGone("HelpWindow"));
    ASSERT_TRUE(d.chooseMenu({"Help1", "About1"}));
    closeWith(d, "AboutBox", "OKButton");
    ASSERT_TRUE(d.chooseMenu({"Help1", "Contactus1"}));
    closeWith(d, "ContactUs", "Button1");
    ASSERT_TRUE(d.chooseMenu({"Systemmanager1", "Edit5", "ut03"}));
    closeWith(d, "UsersForm", "CloseBtn");
    ASSERT_TRUE(d.chooseMenu({"Accessories1", "mtools"}));
    closeWith(d, "ToolsForm", "CloseBtn");
    d.screenshot("before-quit");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit) << "the program ended by its Quit entry";
}

// At the window's default width the menu bar takes two rows, and the menus
// of the first row open over the second: a click on a menu's item is that
// item's, never the bar's entry beneath it.
TEST_F(OfficeScenario, TheFirstItemOfEveryFirstRowMenuRunsThatItem) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, {"*"});
  install->addUser("CLERK", "CLERK", "John Smith", 2, 1, {"ar01"});
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    ASSERT_EQ(d.gui([&] { return window->width(); }), 750);
    // The bar's entries on its first row that open a menu.
    const QStringList firstRow = d.gui([&] {
      QStringList names;
      orba::controls::WrappingMenuBar* bar = window->menuBarWidget();
      int top = -1;
      for (QAction* a : bar->actions()) {
        const QRect r = bar->actionGeometry(a);
        if (r.isEmpty()) continue;
        if (top < 0) top = r.top();
        if (r.top() == top && a->menu()) names << a->objectName();
      }
      return names;
    });
    ASSERT_GE(firstRow.size(), 4);
    ASSERT_GT(d.gui([&] { return window->menuBarWidget()->rowCount(); }), 1);
    for (const QString& top : firstRow) {
      SCOPED_TRACE(top.toStdString());
      // The first item, through the submenus that come first ("Maintenance"
      // of the System menu), and the option it runs ("gl03f" runs gl03).
      const auto [path, enabled] = d.gui([&] {
        QStringList names{top};
        orba::controls::MenuItem* menu = window->MainMenu->find(top);
        for (;;) {
          orba::controls::MenuItem* first = nullptr;
          for (orba::controls::MenuItem* i : menu->items())
            if (i->isVisible() && !i->isSeparator()) {
              first = i;
              break;
            }
          if (!first) return std::pair(QStringList(), false);
          names << first->name();
          if (first->count() == 0) return std::pair(names, first->isEnabled());
          menu = first;
        }
      });
      ASSERT_GE(path.size(), 2);
      const QString item = path.back();
      QString code = item;
      if (code.endsWith('f') && code.size() > 4) code.chop(1);
      QFile::remove(programDir() + "/" + code + ".so");
      QFile::copy(QStringLiteral(ORBA_RUNTIME_DIR "/sample.so"), programDir() + "/" + code + ".so");
      ASSERT_TRUE(d.chooseMenu(path)) << path.join(" > ").toStdString();
      if (enabled) {
        ASSERT_TRUE(d.waitForWindow("SampleModuleDialog"))
            << item.toStdString() << ": " << d.windowsOnScreen().toStdString();
        EXPECT_TRUE(d.gui([&] {
          auto* label = qobject_cast<QLabel*>(d.child("SampleModuleDialog", "OptionLabel"));
          return label && label->text().contains(code);
        })) << item.toStdString();
        d.click("SampleModuleDialog", "CloseButton");
        ASSERT_TRUE(d.waitForWindowGone("SampleModuleDialog"));
      } else {
        d.settle(400);
      }
      ASSERT_TRUE(d.gui([&] { return window->isVisible(); })) << "the program quit on " << item.toStdString();
      d.settle(100);
    }
    // The clerk's greyed first items do nothing either.
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// Company maintenance reads the companies to their end; a company switch
// cancelled afterwards keeps the company in force for the status bar, the
// check mark and the modules alike.
TEST_F(OfficeScenario, ACancelledCompanySwitchAfterCompanyMaintenanceKeepsTheCompany) {
  adminAndClerk();
  install->addCompany(2, "Northern Lights Trading Inc.", "NORD2026");
  install->addCompany(3, "Zeta Supplies", "ZETA");
  install->addClients(1, {{"C001", "Client of company 1"}});
  install->addClients(3, {{"Z001", "Client of company 3"}});
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    ASSERT_TRUE(d.chooseMenu({"Systemmanager1", "Edit5", "mcomp"}));
    closeWith(d, "frmCompanies", "btnClose");
    // Northern Lights asks for its password: a wrong one, then Cancel.
    ASSERT_TRUE(d.chooseMenu({"Settings1", "Changecompanies1", "#1"}));
    ASSERT_TRUE(d.waitForWindow("CompPasswd_Frm"));
    EXPECT_EQ(d.gui([&] { return qobject_cast<QLabel*>(d.child("CompPasswd_Frm", "CompanyLabel"))->text(); }),
              "Northern Lights Trading Inc.");
    ASSERT_TRUE(d.giveKeyboardTo("CompPasswd_Frm"));
    d.type("wrong");
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return !d.messageBoxText().isEmpty(); }));
    EXPECT_TRUE(d.gui([&] { return d.messageBoxText(); }).contains("not correct"));
    ASSERT_TRUE(d.giveKeyboardTo("QMessageBox"));
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] {
      auto* field = qobject_cast<QLineEdit*>(d.child("CompPasswd_Frm", "Password"));
      return d.messageBoxText().isEmpty() && field && field->text().isEmpty();
    })) << "the window comes back empty";
    d.click("CompPasswd_Frm", "CancelBtn");
    ASSERT_TRUE(d.waitForWindowGone("CompPasswd_Frm"));
    EXPECT_EQ(d.gui([&] { return LinkRecord::instance().get(LinkRecord::Field::CompanyNumber); }), "1");
    EXPECT_EQ(d.gui([&] { return window->StatusPanels[0]->text(); }), "Les Entreprises Tremblay Ltée");
    EXPECT_TRUE(d.gui([&] { return window->MainMenu->find("Changecompanies1")->item(0)->isChecked(); }));
    // The clients file shows company 1's clients, not the last company's.
    ASSERT_TRUE(d.chooseMenu({"Accountsreceivable1", "Edit2", "ar01"}));
    ASSERT_TRUE(d.waitForWindow("ClientMaint"));
    const QString shown = d.gui([&] {
      auto* grid = qobject_cast<QAbstractItemView*>(d.child("ClientMaint", "grdRecords"));
      return grid && grid->model()->rowCount() > 0 ? grid->model()->index(0, 1).data().toString() : QString();
    });
    EXPECT_EQ(shown, "Client of company 1");
    closeWith(d, "ClientMaint", "btnClose");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// A client changed and one deleted through the clients file show so in the
// client list that stays open on the desktop.
TEST_F(OfficeScenario, AClientEditedAndDeletedThroughTheClientsFileShowsInTheOpenList) {
  adminAndClerk();
  install->addClients(1, {{"C001", "Alpha"}, {"C002", "Bravo"}, {"C003", "Charlie"}});
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    // The names the client list shows (on the program's thread).
    const auto listed = [&] {
      QStringList names;
      auto* grid = window->panels().grid(0);
      for (int r = 0; r < grid->model()->rowCount(); ++r)
        names << grid->model()->index(r, 1).data().toString();
      return names;
    };
    // The client list, from its icon.
    const QPoint icon = d.gui([&] {
      for (QObject* c : window->components().components())
        if (c->objectName() == "ClientBtn") {
          auto* w = qobject_cast<QWidget*>(c);
          return w->mapToGlobal(w->rect().center());
        }
      return QPoint(-1, -1);
    });
    ASSERT_GE(icon.x(), 0);
    d.doubleClickAt(icon);
    ASSERT_TRUE(
        d.waitUntil([&] { return window->panels().panel(orba::shell::PanelId::Client)->isVisible(); }));
    ASSERT_EQ(d.gui(listed), (QStringList{"Alpha", "Bravo", "Charlie"}));

    ASSERT_TRUE(d.chooseMenu({"Accountsreceivable1", "Edit2", "ar01"}));
    ASSERT_TRUE(d.waitForWindow("ClientMaint"));
    // Bravo renamed.
    d.gui([&] {
      auto* grid = qobject_cast<QAbstractItemView*>(d.child("ClientMaint", "grdRecords"));
      grid->setCurrentIndex(grid->model()->index(1, 0));
    });
    d.click("ClientMaint", "btnEdit");
    ASSERT_TRUE(d.waitForWindow("ClientForm"));
    d.gui([&] { qobject_cast<QLineEdit*>(d.child("ClientForm", "edtCli_name"))->clear(); });
    d.click("ClientForm", "edtCli_name");
    d.type("Bravo Renamed");
    d.click("ClientForm", "btnOK");
    ASSERT_TRUE(d.waitForWindowGone("ClientForm"));
    // Charlie deleted.
    d.gui([&] {
      auto* grid = qobject_cast<QAbstractItemView*>(d.child("ClientMaint", "grdRecords"));
      grid->setCurrentIndex(grid->model()->index(2, 0));
    });
    d.click("ClientMaint", "btnDelete");
    ASSERT_TRUE(d.waitForWindow("ListQuestion"));
    ASSERT_TRUE(d.clickButton("ListQuestion", "Yes")) << d.windowsOnScreen().toStdString();
    ASSERT_TRUE(d.waitForWindowGone("ListQuestion"));
    closeWith(d, "ClientMaint", "btnClose");
    EXPECT_TRUE(d.waitUntil([&] {
      return listed() == QStringList{"Alpha", "Bravo Renamed"};
    })) << d.gui(listed).join(", ").toStdString();
    d.screenshot("client-list-after-maintenance");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

}  // namespace
