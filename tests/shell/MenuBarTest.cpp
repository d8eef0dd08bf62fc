// The main window's menu bar at the first size of the window: all fourteen
// top-level menus on the bar, inside the window, in both languages.

#include <QMenu>
#include <QtTest/QTest>

#include "MenuBarMirror.h"
#include "PasswordDlg.h"
#include "ShellFixture.h"
#include "WrappingMenuBar.h"

using orba::controls::MenuItem;
using orba::shell::OrbaApplication;

class MenuBarTest : public ShellFixture {
 protected:
  std::unique_ptr<OrbaApplication> app;

  void startWith(const QString& language) {
    // Tracker and job cost installed: every module menu is shown.
    writeSettings("tracker=Y\nJobCost=Y\nlanguage=" + language + "\n");
    // No data: the window stays as it is before a login.
    QFile user(dir.filePath("user.ini"));
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write(QString("[Orba]\ndatadrive=%1\n").arg(dir.filePath("no-data")).toUtf8());
    user.close();
    app = std::make_unique<OrbaApplication>(options());
    app->start();
    auto* window = app->mainWindow();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_EQ(window->width(), 750) << "the first size of the window";
  }
  // Every top-level item: its place on the bar, in window coordinates.
  void expectEveryMenuInside() {
    auto* window = app->mainWindow();
    auto* bar = window->menuBarWidget();
    MenuItem* menu = window->MainMenu;
    ASSERT_EQ(menu->count(), 14);
    for (MenuItem* item : menu->items()) {
      QAction* action = window->menuMirror()->actionFor(item);
      ASSERT_NE(action, nullptr) << item->name().toStdString();
      ASSERT_TRUE(action->isVisible()) << item->name().toStdString();
      const QRect onBar = bar->actionGeometry(action);
      const QRect inWindow(bar->mapTo(window, onBar.topLeft()), onBar.size());
      EXPECT_FALSE(onBar.isEmpty()) << item->name().toStdString();
      EXPECT_TRUE(window->rect().contains(inWindow))
          << item->name().toStdString() << " at " << inWindow.x() << "," << inWindow.y();
    }
    EXPECT_GE(bar->rowCount(), 2) << "fourteen menus do not fit one row at 750 pixels";
    EXPECT_GE(window->centralWidget()->geometry().top(), bar->geometry().bottom()) << "the desktop gives way";
  }
};

TEST_F(MenuBarTest, AllFourteenMenusAreOnTheBarInEnglish) {
  startWith("1");
  EXPECT_EQ(app->mainWindow()->MainMenu->item(0)->caption(), "&General Ledger");
  expectEveryMenuInside();
}

TEST_F(MenuBarTest, AllFourteenMenusAreOnTheBarInFrench) {
  startWith("2");
  EXPECT_EQ(app->mainWindow()->MainMenu->item(0)->caption(), "&Grand livre");
  expectEveryMenuInside();
}

TEST_F(MenuBarTest, QuitAndHelpAreReachedByTheirLetters) {
  startWith("1");
  auto* window = app->mainWindow();
  QTest::keyClick(window, Qt::Key_H, Qt::AltModifier);
  QMenu* open = window->menuBarWidget()->openMenu();
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open, window->menuMirror()->menuFor(window->MainMenu->find("Help1")));
  open->hide();
  QTest::keyClick(window, Qt::Key_Q, Qt::AltModifier);
  EXPECT_FALSE(window->isVisible()) << "Quit closed the window";
}

TEST_F(MenuBarTest, TheCaptionIsExactlyTheSystemsOwn) {
  startWith("1");
  EXPECT_EQ(app->mainWindow()->windowTitle(), "Castellan/Orba");
  EXPECT_EQ(app->mainWindow()->windowHandle()->title(), "Castellan/Orba");
  EXPECT_EQ(app->context().PasswordDlg->windowTitle(), "Password Dialog");
}
