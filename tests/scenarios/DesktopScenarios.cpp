// The desktop as a French office uses it through the window system: texts
// in the user's language after a desktop stored in another, a day's work by
// the keyboard alone, a window and panels that stay on their screen, icons
// that lie beneath the panels, and one menu per right-click.

#include <QAbstractItemView>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>

#include "DBGrid.h"
#include "DataModules.h"
#include "DesktopPanels.h"
#include "LinkRecord.h"
#include "ListPanel.h"
#include "LogoAppForm.h"
#include "MenuItem.h"
#include "Scenario.h"
#include "ShortcutIcons.h"
#include "Table.h"
#include "TransparentButton.h"
#include "Wallpaper.h"
#include "WrappingMenuBar.h"
#include "XServer.h"

namespace {

using orba::desktop::TListPanel;
using orba::desktop::TTransparentButton;
using orba::dispatch::LinkRecord;
using orba::shell::PanelId;

class DesktopScenario : public Scenario {
 protected:
  void office(int adminLanguage) {
    standardData();
    install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", adminLanguage, 1, {"*"});
    install->addUser("CLERK", "CLERK", "John Smith", 1, 1, {"ar01", "ar04", "iv01", "iv04"});
    install->addClients(1, {{"C001", "Alpha"}, {"C002", "Bravo"}, {"C003", "Charlie"}});
    companyLists();
  }
  // The company's other lists: suppliers, accounts, employees, products.
  void companyLists() {
    namespace sc = orba::data::schemas;
    const QString company = install->companyDir(1);
    using T = orba::data::Table;
    Installation::fill(sc::Ap_Table, company, [](T& t) {
      for (auto [code, name, city] : {std::tuple{"F010", "Papeterie Dubé", "Rimouski"},
                                      std::tuple{"F020", "Distribution Nordique", "Québec"},
                                      std::tuple{"F030", "Atlantic Hardware Ltd.", "Moncton"}}) {
        t.append();
        t.setValue("Sup_code", code);
        t.setValue("Sup_name", name);
        t.setValue("Sup_city", city);
        t.post();
      }
    });
    Installation::fill(sc::Gl_Table, company, [](T& t) {
      for (auto [number, name, type] :
           {std::tuple{1010, "Encaisse", "Actif"}, std::tuple{2100, "Comptes fournisseurs", "Passif"},
            std::tuple{4000, "Ventes", "Revenus"}, std::tuple{5200, "Loyer", "Dépenses"}}) {
        t.append();
        t.setValue("Glm_account", number);
        t.setValue("Glm_Description", name);
        t.setValue("Glm_type", type);
        t.setValue("Glm_summarize", "N");
        t.post();
      }
    });
    Installation::fill(sc::Emp_Table, company, [](T& t) {
      for (auto [code, name] : {std::pair{"E01", "Sophie Gagnon"}, std::pair{"E02", "Peter MacLeod"}}) {
        t.append();
        t.setValue("Emp_Code", code);
        t.setValue("Emp_Name", name);
        t.post();
      }
    });
    Installation::fill(sc::IvprodTable, company, [](T& t) {
      const struct {
        const char* line;
        const char* item;
        const char* description;
        double price1, price2, price3, cost;
      } products[] = {{"BOL", "B-100", "Boulons 1/4 po", 4.5, 4.25, 4.0, 2.1},
                      {"OUT", "P-2000", "Perceuse sans fil", 1000, 950, 899.99, 610},
                      {"RAB", "R-1", "Rabais promotionnel", -5, -5, -5, 0},
                      {"OUT", "S-330", "Scie à onglets", 1234.56, 1199, 1150, 780.4}};
      for (const auto& p : products) {
        t.append();
        t.setValue("Ivprod_line_code", p.line);
        t.setValue("Ivprod_item_code", p.item);
        t.setValue("Ivprod_desc_1", p.description);
        t.setValue("Ivprod_sup1", "F020");
        t.setValue("Ivprod_price1", p.price1);
        t.setValue("Ivprod_price2", p.price2);
        t.setValue("Ivprod_price3", p.price3);
        t.setValue("Ivprod_std_cost", p.cost);
        t.post();
      }
    });
    Installation::fill(sc::IvinvTable, company, [](T&) {});
  }

  // Changes a user's language in the users table, as the users window does.
  void setUserLanguage(const QString& code, int language) {
    Installation::fill(orba::data::schemas::User_table, dataDir(), [&](orba::data::Table& t) {
      for (t.first(); !t.eof(); t.next())
        if (t.text("User_code") == code) {
          t.edit();
          t.setValue("User_language", language);
          t.post();
        }
    });
  }
  // On the program's thread.
  TTransparentButton* icon(const QString& name) const {
    for (TTransparentButton* i : window->icons().icons())
      if (i->objectName() == name) return i;
    return nullptr;
  }
  TListPanel* panel(PanelId id) const { return window->panels().panel(id); }
  QString focused() const {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
  }
  QPoint iconCentre(Driver& d, const QString& name) {
    return d.gui([&] {
      TTransparentButton* i = icon(name);
      return i ? i->mapToGlobal(i->rect().center()) : QPoint(-1, -1);
    });
  }
  // Presses `key` until `done` holds, at most `times` times.
  bool pressUntil(Driver& d, const std::string& key, const std::function<bool()>& done, int times = 20) {
    for (int i = 0; i < times; ++i) {
      if (d.gui([&] { return done(); })) return true;
      d.key(key);
      d.settle(60);
    }
    return d.gui([&] { return done(); });
  }
  // Opens or closes a panel from its icon, as `open` says; once more when a
  // busy machine took the double-click for two clicks.
  bool setPanel(Driver& d, PanelId id, bool open) {
    const QString name = QStringList{"ClientBtn",   "SupplierBtn", "AccountsBtn",
                                     "EmployeeBtn", "ToDoListBtn", "ProductBtn"}[static_cast<int>(id)];
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (d.gui([&] { return panel(id)->isVisible() == open; })) return true;
      d.doubleClickAt(iconCentre(d, name));
      if (d.waitUntil([&] { return panel(id)->isVisible() == open; }, 3000)) return true;
    }
    return false;
  }
  // Moves the focus with Tab until `name` has it; out of a grid, which
  // keeps Tab for its cells, with Ctrl+Tab.
  bool tabTo(Driver& d, const QString& name, int times = 30) {
    for (int i = 0; i < times; ++i) {
      const QString now = d.gui([&] { return focused(); });
      if (now == name) return true;
      d.key(now.startsWith("DBGrid") ? "ctrl+Tab" : "Tab");
      d.settle(60);
    }
    return d.gui([&] { return focused(); }) == name;
  }
  // The shown menus (pop-ups) on screen.
  static int menusShown() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<QMenu*>(w) && w->isVisible()) ++n;
    return n;
  }
};

// A desktop stored in English by the administrator, who then works in
// French: the panels, their columns and the panel icons speak French at the
// next login, a caption the user typed stays as typed, and a live switch
// moves the icons' captions with the rest.
TEST_F(DesktopScenario, AFrenchLoginOverADesktopSavedInEnglishShowsFrenchPanelsAndColumns) {
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    for (const char* name : {"ClientBtn", "ProductBtn"}) {
      d.doubleClickAt(iconCentre(d, name));
      d.settle(200);
    }
    ASSERT_TRUE(d.waitUntil(
        [&] { return panel(PanelId::Client)->isVisible() && panel(PanelId::Product)->isVisible(); }));
    ASSERT_EQ(d.gui([&] { return panel(PanelId::Client)->caption(); }), "Client list");
    // The to-do icon renamed by its user, in its properties.
    d.clickAt(iconCentre(d, "ToDoListBtn"), 3);
    ASSERT_TRUE(d.waitUntil([&] { return d.openMenuItemRect("Properties6").isValid(); }));
    d.clickAt(d.gui([&] { return d.openMenuItemRect("Properties6"); }).center());
    ASSERT_TRUE(d.waitForWindow("PropertiesDlg"));
    d.click("PropertiesDlg", "NewCaption");
    d.key("ctrl+a");
    d.type("Mes notes");
    d.click("PropertiesDlg", "OKBtn");
    ASSERT_TRUE(d.waitForWindowGone("PropertiesDlg"));
    ASSERT_EQ(d.gui([&] { return icon("ToDoListBtn")->caption(); }), "Mes notes");
    ASSERT_TRUE(quitByMenu(d));
  });
  ASSERT_TRUE(quit);

  setUserLanguage("ADMIN", 2);
  quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->isVisible(); }));
    EXPECT_EQ(d.gui([&] { return panel(PanelId::Client)->caption(); }), "Liste des clients");
    EXPECT_EQ(d.gui([&] { return panel(PanelId::Product)->caption(); }), "Liste des produits");
    const QStringList titles = d.gui([&] {
      QStringList t;
      QAbstractItemModel* m = window->panels().grid(0)->model();
      for (int c = 0; c < m->columnCount(); ++c) t << m->headerData(c, Qt::Horizontal).toString();
      return t;
    });
    ASSERT_GE(titles.size(), 5);
    EXPECT_EQ(titles.mid(0, 5),
              (QStringList{"No client", "Nom", "Téléphone", "Adresse", "Adresse (ligne 2)"}));
    EXPECT_EQ(d.gui([&] { return icon("SupplierBtn")->caption(); }), "Fournisseurs");
    EXPECT_EQ(d.gui([&] { return icon("ToDoListBtn")->caption(); }), "Mes notes") << "typed by its user";
    d.screenshot("french-login-over-english-desktop");

    // English, then French again, live.
    ASSERT_TRUE(d.chooseMenu({"Settings1", "Setlanguage1", "MenuItemen"}));
    ASSERT_TRUE(d.waitUntil([&] { return icon("SupplierBtn")->caption() == "Suppliers"; }))
        << d.gui([&] { return icon("SupplierBtn")->caption(); }).toStdString();
    EXPECT_EQ(d.gui([&] { return panel(PanelId::Client)->caption(); }), "Client list");
    ASSERT_TRUE(d.chooseMenu({"Settings1", "Setlanguage1", "MenuItemfr"}));
    ASSERT_TRUE(d.waitUntil([&] { return icon("EmployeeBtn")->caption() == "Employés"; }));
    EXPECT_EQ(d.gui([&] { return icon("ToDoListBtn")->caption(); }), "Mes notes");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// A clerk's day without the mouse: log in, open two lists from their icons,
// find a client, add one with Insert, open a shortcut icon, switch the
// language and quit.
TEST_F(DesktopScenario, TheClerksDayByKeyboardAlone) {
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    // The password dialog: Tab goes to the standard desktop, OK, Cancel.
    ASSERT_TRUE(d.waitForWindow("PasswordDlg"));
    ASSERT_TRUE(d.waitUntil([&] { return d.window("PasswordDlg")->isActiveWindow(); }));
    ASSERT_TRUE(d.waitUntil([&] { return focused() == "Password"; }));
    for (const char* next : {"DesktopCheckBox", "OKBtn", "CancelBtn", "Password"}) {
      d.key("Tab");
      ASSERT_TRUE(d.waitUntil([&] { return focused() == next; }, 3000))
          << next << " but " << d.gui([&] { return focused(); }).toStdString();
    }
    ASSERT_TRUE(logIn(d, "admin"));

    // Two lists from their icons: Tab reaches the icons, the arrows move
    // among them, Enter opens.
    ASSERT_TRUE(pressUntil(d, "Tab", [&] { return focused() == "ClientBtn"; }))
        << "focus on " << d.gui([&] { return focused(); }).toStdString();
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->isVisible(); }));
    ASSERT_TRUE(pressUntil(
        d, "Down", [&] { return focused() == "ProductBtn"; }, 6));
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Product)->isVisible(); }));
    d.screenshot("two-lists-by-keyboard");

    // F10 reaches the menu bar whichever control has the focus.
    ASSERT_TRUE(tabTo(d, "DBGrid1"));
    d.key("F10");
    ASSERT_TRUE(d.waitUntil([&] { return window->menuBarWidget()->activeAction() != nullptr; }));
    d.key("Escape");
    ASSERT_TRUE(d.waitUntil([&] { return window->menuBarWidget()->activeAction() == nullptr; }));

    // Find a client in the clients file: Alt+R opens the menu with its first
    // entry highlighted; Maintenance, Clients file.
    d.key("alt+r");
    ASSERT_TRUE(d.waitUntil([&] {
      QMenu* open = window->menuBarWidget()->openMenu();
      return open && open->activeAction();
    }));
    EXPECT_EQ(d.gui([&] { return window->menuBarWidget()->openMenu()->activeAction()->objectName(); }),
              "ar05f");
    ASSERT_TRUE(pressUntil(
        d, "Down",
        [&] { return window->menuBarWidget()->openMenu()->activeAction()->objectName() == "Edit2"; }, 8));
    d.key("Right");
    d.settle(200);
    d.key("Return");
    ASSERT_TRUE(d.waitForWindow("ClientMaint")) << d.windowsOnScreen().toStdString();
    ASSERT_TRUE(d.waitUntil([&] { return focused() == "edtSearch"; }));
    d.type("bra");
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return focused() == "grdRecords"; }));
    d.key("Return");
    ASSERT_TRUE(d.waitForWindow("ClientForm"));
    EXPECT_EQ(d.gui([&] { return qobject_cast<QLineEdit*>(d.child("ClientForm", "edtCli_name"))->text(); }),
              "Bravo");
    d.key("Escape");
    ASSERT_TRUE(d.waitForWindowGone("ClientForm"));
    d.key("Escape");
    ASSERT_TRUE(d.waitForWindowGone("ClientMaint"));

    // A new client from the desktop's list: Insert.
    ASSERT_TRUE(tabTo(d, "DBGrid1"));
    d.key("Insert");
    ASSERT_TRUE(d.waitForWindow("ClientForm"));
    ASSERT_TRUE(d.waitUntil([&] { return focused() == "edtCli_code"; }));
    d.type("C004");
    d.key("Tab");
    d.type("Delta");
    d.key("Return");
    ASSERT_TRUE(d.waitForWindowGone("ClientForm"));
    EXPECT_TRUE(d.waitUntil([&] {
      QAbstractItemModel* m = window->panels().grid(0)->model();
      for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 1).data().toString() == "Delta") return true;
      return false;
    })) << "the new client shows in the list";

    // The grid keeps Tab for its cells (dgTabs); Ctrl+Tab leaves it. The
    // to-do icon opens its panel, and its menu comes with the menu key.
    ASSERT_TRUE(d.waitUntil([&] { return focused() == "DBGrid1"; }));
    d.key("ctrl+Tab");
    ASSERT_TRUE(d.waitUntil([&] { return focused() != "DBGrid1"; }));
    ASSERT_TRUE(tabTo(d, "ToDoListBtn")) << d.gui([&] { return focused(); }).toStdString();
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::ThingsToDo)->isVisible(); }));
    d.key("shift+F10");
    ASSERT_TRUE(d.waitUntil([&] { return menusShown() == 1; }));
    d.key("Escape");
    ASSERT_TRUE(d.waitUntil([&] { return menusShown() == 0; }));
    d.screenshot("keyboard-day");

    // French: Settings, Language, Français.
    d.key("alt+e");
    ASSERT_TRUE(d.waitUntil([&] {
      QMenu* open = window->menuBarWidget()->openMenu();
      return open && open->activeAction();
    }));
    ASSERT_TRUE(pressUntil(
        d, "Down",
        [&] { return window->menuBarWidget()->openMenu()->activeAction()->objectName() == "Setlanguage1"; },
        6));
    d.key("Right");
    d.settle(200);
    d.key("Down");
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return LinkRecord::instance().languageCode() == "fr"; }));
    ASSERT_TRUE(d.waitUntil([&] { return window->MainMenu->find("Quit1")->caption() == "&Quitter"; }));
    // Quitter: Alt+Q.
    d.key("alt+q");
  });
  EXPECT_TRUE(quit) << "Alt+Q quit the program";
}

// One menu for a right-click on an icon, and none left after Escape.
TEST_F(DesktopScenario, ARightClickOnAnIconShowsOneMenu) {
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    d.clickAt(iconCentre(d, "SupplierBtn"), 3);
    ASSERT_TRUE(d.waitUntil([&] { return menusShown() == 1; }));
    EXPECT_EQ(d.gui([&] { return window->popupComponent()->objectName(); }), "SupplierBtn");
    d.screenshot("icon-menu");
    d.key("Escape");
    d.settle(600);
    EXPECT_EQ(d.gui([&] { return menusShown(); }), 0) << "a second menu followed the first";
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// An icon lies on the desktop beneath the panels: the panel opened over it
// takes the clicks, and a panel opened from its icon comes to the front.
TEST_F(DesktopScenario, AnIconUnderAnOpenedPanelStaysBeneathIt) {
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    // The to-do list opened first, then the client list: the one opened
    // last is in front where they overlap.
    d.doubleClickAt(iconCentre(d, "ToDoListBtn"));
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::ThingsToDo)->isVisible(); }));
    d.doubleClickAt(iconCentre(d, "ClientBtn"));
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->isVisible(); }));
    const QRect both = d.gui([&] {
      return panel(PanelId::ThingsToDo)->geometry().intersected(panel(PanelId::Client)->geometry());
    });
    ASSERT_FALSE(both.isEmpty()) << "the two lists overlap on this desktop";
    const QPoint overlap = d.gui([&] { return window->Wallpaper1->mapToGlobal(both.center()); });
    EXPECT_TRUE(d.gui([&] { return panel(PanelId::Client)->isAncestorOf(QApplication::widgetAt(overlap)); }))
        << "the panel opened last is in front";

    // The accounts icon dragged onto the client list's title row: it lies
    // beneath the panel, which keeps its clicks, and does not show through.
    const QPoint title = d.gui([&] { return panel(PanelId::Client)->mapToGlobal(QPoint(100, 8)); });
    d.drag(iconCentre(d, "AccountsBtn"), title);
    ASSERT_TRUE(d.waitUntil([&] {
      return icon("AccountsBtn")->geometry().contains(window->Wallpaper1->mapFromGlobal(title));
    })) << "the icon was dragged";
    EXPECT_TRUE(d.gui([&] { return panel(PanelId::Client)->isAncestorOf(QApplication::widgetAt(title)); }))
        << "the icon is above the panel";
    d.doubleClickAt(title);
    d.settle(500);
    EXPECT_FALSE(d.gui([&] { return panel(PanelId::Accounts)->isVisible(); }))
        << "the icon beneath the panel took the double-click";
    d.screenshot("icon-beneath-panel");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// Three steps up from the client list's title button: the panel stops at
// the desktop's edge, and its buttons stay within reach.
TEST_F(DesktopScenario, ThreeEnlargeStepsStayInsideTheDesktop) {
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    d.doubleClickAt(iconCentre(d, "ClientBtn"));
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->isVisible(); }));
    for (int step = 0; step < 3; ++step) {
      d.click("LogoAppForm", "ClientEnlarge");
      d.settle(150);
    }
    const auto [inside, size] = d.gui([&] {
      TListPanel* p = panel(PanelId::Client);
      return std::pair(window->Wallpaper1->rect().contains(p->geometry()), p->size());
    });
    EXPECT_TRUE(inside) << size.width() << " x " << size.height();
    d.screenshot("three-steps-up");
    // Its reduce button is on the desktop and works.
    d.click("LogoAppForm", "ClientReduce");
    EXPECT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->width() < size.width(); }));
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
}

// A placement saved on a 1920 x 1080 screen, restored on an 800 x 600 one:
// the whole window is on screen, its last menu and its status bar too, the
// password dialog over it; a desktop stored there keeps its panels within
// reach. (Run on an 800 x 600 screen: scenarios_800x600.)
TEST_F(DesktopScenario, APlacementSavedAt1920IsRestoredOn800x600FullyVisible) {
  if (server->width() > 800 || server->height() > 600) GTEST_SKIP() << "for an 800 x 600 screen";
  office(1);
  writeSettings("ShowWelcome=N\nDisplayPW=Y\nForm=1000,60,40,1800,Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(d.waitForWindow("PasswordDlg"));
    const QRect screen = d.gui([&] { return QGuiApplication::primaryScreen()->availableGeometry(); });
    // The window manager confirms the new size after it was asked for.
    d.waitUntil([&] { return screen.contains(mainWindow()->frameGeometry()); }, 3000);
    const auto [frame, dialog] = d.gui(
        [&] { return std::pair(mainWindow()->frameGeometry(), d.window("PasswordDlg")->frameGeometry()); });
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_TRUE(frame.contains(dialog.center())) << "the dialog is over the window";
    EXPECT_TRUE(screen.contains(dialog));
    d.screenshot("password-on-small-screen");
    ASSERT_TRUE(logIn(d, "admin"));
    // The last entry of the menu bar and the status bar's version.
    const auto [quitItem, version] = d.gui([&] {
      orba::controls::WrappingMenuBar* bar = window->menuBarWidget();
      QAction* last = nullptr;
      for (QAction* a : bar->actions())
        if (a->isVisible()) last = a;
      const QRect r = bar->actionGeometry(last);
      QLabel* v = window->StatusPanels[3];
      return std::pair(QRect(bar->mapToGlobal(r.topLeft()), r.size()),
                       QRect(v->mapToGlobal(QPoint(0, 0)), v->size()));
    });
    EXPECT_TRUE(screen.contains(quitItem));
    EXPECT_TRUE(screen.contains(version));
    d.doubleClickAt(iconCentre(d, "ClientBtn"));
    ASSERT_TRUE(d.waitUntil([&] { return panel(PanelId::Client)->isVisible(); }));
    EXPECT_TRUE(
        d.gui([&] { return window->Wallpaper1->rect().contains(panel(PanelId::Client)->geometry()); }));
    d.screenshot("desktop-on-small-screen");
    // Maximised (a double-click on its title bar), then closed: it comes
    // back maximised.
    const QPoint title = d.gui([&] {
      const QRect f = window->frameGeometry();
      return QPoint(f.center().x(), f.top() + (window->geometry().top() - f.top()) / 2);
    });
    d.doubleClickAt(title);
    ASSERT_TRUE(d.waitUntil([&] { return window->isMaximized(); }));
    d.settle(300);
    ASSERT_TRUE(quitByMenu(d));
  });
  ASSERT_TRUE(quit);
  const bool again = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    EXPECT_TRUE(d.waitUntil([&] { return window->isMaximized(); })) << "the maximised state as saved";
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(again);
}

// The pictures of the documentation, at the screen's size (800 x 600 and
// 1920 x 1080: scenarios_800x600, scenarios_1920x1080), in French and in
// English: the desktop with its six lists, the products list, and the
// icon's picture dialog.
class DesktopShots : public DesktopScenario {
 protected:
  QString size() const { return QStringLiteral("%1x%2").arg(server->width()).arg(server->height()); }
  // Drags a panel just opened (and so in front) by its title to the i-th
  // place of six: side by side where the desktop has room for them, each
  // below the one before's title where it has not.
  void arrange(Driver& d, PanelId id, int i) {
    const QSize desk = d.gui([&] { return window->Wallpaper1->size(); });
    const bool roomy = desk.width() >= 1500;
    const QPoint target =
        roomy ? QPoint(110 + (i % 3) * ((desk.width() - 110) / 3), (i / 3) * (desk.height() / 2))
              : QPoint(100 + i * 24, i * 34);
    // The window system may merge the pointer's moves: a few tries.
    for (int attempt = 0; attempt < 4; ++attempt) {
      const auto [grab, offset] = d.gui([&] {
        TListPanel* p = panel(id);
        return std::pair(p->mapToGlobal(QPoint(60, 6)), target - p->pos());
      });
      if (offset.manhattanLength() < 8) return;
      d.drag(grab, grab + offset);
    }
  }
};

TEST_F(DesktopShots, DesktopProductsAndIconPictureInFrenchAndEnglish) {
  if (!(server->width() == 800 && server->height() == 600) &&
      !(server->width() == 1920 && server->height() == 1080))
    GTEST_SKIP() << "pictures at 800 x 600 and 1920 x 1080 only";
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, {"*"});
  install->addUser("JOHN", "JOHN", "John Smith", 1, 1, {"*"});
  install->addClients(
      1, {{"C001", "Pharmacie Gagnon"}, {"C002", "Mitchell Construction"}, {"C003", "Boulangerie St-Jean"}});
  companyLists();
  // Maximised: the pictures show the desktop as a user sees it on the
  // screen; with the payroll, whose employees have a list.
  writeSettings("ShowWelcome=N\nDisplayPW=Y\npayroll=Y\nForm=520,20,36,750,Y,M\n");
  for (const char* who : {"admin", "john"}) {
    const QString language = QString(who) == "admin" ? "fr" : "en";
    SCOPED_TRACE(language.toStdString());
    const bool quit = run([&](Driver& d) {
      ASSERT_TRUE(logIn(d, who));
      ASSERT_TRUE(d.waitUntil([&] { return window->isMaximized(); }));
      int placed = 0;
      for (PanelId id : {PanelId::ThingsToDo, PanelId::Employee, PanelId::Supplier, PanelId::Accounts,
                         PanelId::Product, PanelId::Client}) {
        ASSERT_TRUE(setPanel(d, id, true))
            << static_cast<int>(id) << " " << d.windowsOnScreen().toStdString();
        arrange(d, id, placed++);
      }
      d.settle(300);
      d.screenshot("desktop-" + language + "-" + size());

      // The products list alone, one step larger.
      for (PanelId id :
           {PanelId::ThingsToDo, PanelId::Employee, PanelId::Supplier, PanelId::Accounts, PanelId::Client})
        ASSERT_TRUE(setPanel(d, id, false));
      d.click("LogoAppForm", "ProductEnlarge");
      d.settle(300);
      d.screenshot("products-" + language + "-" + size());

      // The icon's picture dialog: Properties, Change icon.
      d.clickAt(iconCentre(d, "ProductBtn"), 3);
      ASSERT_TRUE(d.waitUntil([&] { return d.openMenuItemRect("Properties6").isValid(); }));
      d.clickAt(d.gui([&] { return d.openMenuItemRect("Properties6"); }).center());
      ASSERT_TRUE(d.waitForWindow("PropertiesDlg"));
      d.click("PropertiesDlg", "ChangeIcon");
      ASSERT_TRUE(d.waitForWindow("PictureDlg"));
      d.settle(500);
      d.screenshot("icon-file-dialog-" + language + "-" + size());
      d.key("Escape");
      ASSERT_TRUE(d.waitForWindowGone("PictureDlg"));
      d.click("PropertiesDlg", "CancelBtn");
      ASSERT_TRUE(d.waitForWindowGone("PropertiesDlg"));
      ASSERT_TRUE(quitByMenu(d));
    });
    EXPECT_TRUE(quit);
  }
}

}  // namespace
