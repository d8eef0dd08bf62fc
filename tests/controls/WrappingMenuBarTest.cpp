// The wrapping menu bar in a real main window: every item stays on the bar
// at any width, the window's area below gives way, and the keyboard moves
// across rows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QtTest/QTest>
#include <memory>

#include "WrappingMenuBar.h"

using orba::controls::WrappingMenuBar;

namespace {

const char* const kCaptions[] = {"&General Ledger",
                                 "Accounts &Receivable",
                                 "Accounts &Payable",
                                 "&Invoicing",
                                 "&System",
                                 "Pa&yroll",
                                 "I&nventory",
                                 "Purchase &Orders",
                                 "Trac&ker",
                                 "&Job Cost",
                                 "S&ettings",
                                 "&Tools",
                                 "&Help",
                                 "&Quit"};

}  // namespace

class WrappingMenuBarTest : public ::testing::Test {
 protected:
  QMainWindow window;
  WrappingMenuBar* bar = new WrappingMenuBar;
  QWidget* central = new QWidget;
  std::vector<QAction*> actions;
  int quits = 0;

  void SetUp() override {
    window.setMenuWidget(bar);
    window.setCentralWidget(central);
    for (const char* caption : kCaptions) {
      if (QString(caption) == "&Quit") {
        auto* quit = new QAction(caption, bar);
        QObject::connect(quit, &QAction::triggered, [this] { ++quits; });
        bar->addAction(quit);
        actions.push_back(quit);
        continue;
      }
      auto* menu = new QMenu(caption, bar);
      menu->addAction(QString(caption).remove('&') + " entry");
      bar->addAction(menu->menuAction());
      actions.push_back(menu->menuAction());
    }
  }
  void TearDown() override {
    if (QMenu* open = bar->openMenu()) open->hide();
  }

  void showAt(int width) {
    window.resize(width, 520);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QApplication::processEvents();
  }
  // The item's rectangle in window coordinates.
  QRect inWindow(QAction* a) const {
    const QRect r = bar->actionGeometry(a);
    return QRect(bar->mapTo(&window, r.topLeft()), r.size());
  }
};

TEST_F(WrappingMenuBarTest, EveryItemLiesInsideTheWindowAtAnyWidth) {
  for (int width : {1200, 750, 500, 300}) {
    showAt(width);
    for (QAction* a : actions) {
      const QRect r = inWindow(a);
      EXPECT_FALSE(r.isEmpty()) << width << " " << a->text().toStdString();
      EXPECT_TRUE(window.rect().contains(r)) << width << " " << a->text().toStdString();
      EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(a))) << width;
    }
    // No two items overlap.
    for (std::size_t i = 0; i < actions.size(); ++i)
      for (std::size_t j = i + 1; j < actions.size(); ++j)
        EXPECT_FALSE(inWindow(actions[i]).intersects(inWindow(actions[j]))) << width << " " << i << " " << j;
    // The area below the bar starts where the bar ends.
    EXPECT_GE(central->geometry().top(), bar->geometry().bottom()) << width;
  }
}

TEST_F(WrappingMenuBarTest, NarrowerWindowsGetMoreRowsAndATallerBar) {
  showAt(1600);
  const int oneRow = bar->height();
  EXPECT_EQ(bar->rowCount(), 1);
  showAt(750);
  EXPECT_GE(bar->rowCount(), 2);
  EXPECT_GT(bar->height(), oneRow);
  const int rows750 = bar->rowCount();
  showAt(250);
  EXPECT_GT(bar->rowCount(), rows750);
  EXPECT_EQ(bar->height(), bar->heightForWidth(bar->width()));
  // Items keep their order: reading order is left to right, row by row.
  for (std::size_t i = 1; i < actions.size(); ++i) {
    const QRect a = bar->actionGeometry(actions[i - 1]), b = bar->actionGeometry(actions[i]);
    EXPECT_TRUE(b.top() > a.top() || (b.top() == a.top() && b.left() > a.left())) << i;
  }
}

TEST_F(WrappingMenuBarTest, HiddenItemsTakeNoPlace) {
  showAt(750);
  actions[8]->setVisible(false);
  QApplication::processEvents();
  EXPECT_TRUE(bar->actionGeometry(actions[8]).isEmpty());
  EXPECT_EQ(bar->actionAt(bar->actionGeometry(actions[9]).center()), actions[9]);
}

TEST_F(WrappingMenuBarTest, AltLetterOpensItsMenuAndArrowsCrossRows) {
  showAt(750);
  ASSERT_GE(bar->rowCount(), 2);
  QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
  ASSERT_NE(bar->openMenu(), nullptr);
  EXPECT_EQ(bar->openMenu()->menuAction(), actions[0]);

  // The last item of the first row, then Right: the first of the second.
  int lastOfFirstRow = 0;
  while (bar->actionGeometry(actions[lastOfFirstRow + 1]).top() == bar->actionGeometry(actions[0]).top())
    ++lastOfFirstRow;
  for (int i = 0; i < lastOfFirstRow; ++i) QTest::keyClick(bar->openMenu(), Qt::Key_Right);
  ASSERT_NE(bar->openMenu(), nullptr);
  EXPECT_EQ(bar->activeAction(), actions[lastOfFirstRow]);
  QTest::keyClick(bar->openMenu(), Qt::Key_Right);
  EXPECT_EQ(bar->activeAction(), actions[lastOfFirstRow + 1]);
  EXPECT_GT(bar->actionGeometry(bar->activeAction()).top(), bar->actionGeometry(actions[0]).top());
  QTest::keyClick(bar->openMenu(), Qt::Key_Left);
  EXPECT_EQ(bar->activeAction(), actions[lastOfFirstRow]) << "and back";
  QTest::keyClick(bar->openMenu(), Qt::Key_Escape);
  EXPECT_EQ(bar->openMenu(), nullptr);
}

TEST_F(WrappingMenuBarTest, F10HighlightsThenArrowsWalkAllItemsAndEnterTriggers) {
  showAt(600);
  QTest::keyClick(&window, Qt::Key_F10);
  EXPECT_EQ(bar->activeAction(), actions[0]);
  QTest::keyClick(bar, Qt::Key_Left);
  EXPECT_EQ(bar->activeAction(), actions.back()) << "wraps around to Quit";
  QTest::keyClick(bar, Qt::Key_Return);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(bar->activeAction(), nullptr);
}

TEST_F(WrappingMenuBarTest, AClickOpensAMenuOrTriggersAPlainItem) {
  showAt(750);
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(actions[12]).center());
  ASSERT_NE(bar->openMenu(), nullptr);
  EXPECT_EQ(bar->openMenu()->menuAction(), actions[12]);
  bar->openMenu()->hide();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(actions.back()).center());
  EXPECT_EQ(quits, 1);
  actions[3]->setEnabled(false);
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(actions[3]).center());
  EXPECT_EQ(bar->openMenu(), nullptr) << "a disabled item opens nothing";
}
