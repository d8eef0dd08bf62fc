// The list panels' size steps (exact, with the extended-precision width
// factor) and their title row, checked on real widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest/QTest>

#include "ListPanel.h"
#include "PanelSizing.h"
#include "ToDoText.h"

using namespace orba::desktop;

TEST(PanelSizing, WidthsStepByTheExtendedNumberJustBelowOnePointFifteen) {
  EXPECT_EQ(sizing::enlarged({505, 233}), QSize(580, 291));
  EXPECT_EQ(sizing::reduced({505, 233}), QSize(439, 186));
  // A multiple of 20 lands one short of the decimal product.
  EXPECT_EQ(sizing::enlargeWidth(100), 114);
  EXPECT_EQ(sizing::enlargeWidth(20), 22);
  EXPECT_EQ(sizing::enlargeWidth(200), 229);
  // Truncation cancels small steps; nothing grows from 0.
  EXPECT_EQ(sizing::enlargeWidth(6), 6);
  EXPECT_EQ(sizing::enlargeWidth(7), 8);
  EXPECT_EQ(sizing::enlargeHeight(3), 3);
  EXPECT_EQ(sizing::enlargeHeight(4), 5);
  EXPECT_EQ(sizing::enlarged({0, 0}), QSize(0, 0));
  EXPECT_EQ(sizing::reduced({1, 1}), QSize(0, 0));
  // The to-do menu steps both sides by 1.15.
  EXPECT_EQ(sizing::popupEnlarged({313, 169}), QSize(359, 194));
  EXPECT_EQ(sizing::popupReduced({359, 194}), QSize(312, 168));
  // Very large sides do not overflow.
  EXPECT_EQ(sizing::enlargeWidth(2000000000 / 2), 1149999999);
}

namespace {

struct Panel {
  QWidget desk;
  TListPanel* panel = new TListPanel("ClientList", &desk);
  TTitleButton* reduce = new TTitleButton("ClientReduce");
  TTitleButton* enlarge = new TTitleButton("ClientEnlarge");
  TTitleButton* close = new TTitleButton("ClientClose");
  TToDoText* list = new TToDoText;
  Panel() {
    desk.resize(800, 600);
    panel->setGeometry(224, 40, 505, 233);
    panel->setTitleButtons(reduce, enlarge, close);
    list->resize(501, 199);
    panel->setList(list);
    panel->layoutTitleRow();
  }
};

}  // namespace

TEST(ListPanel, TheTitleRowFollowsTheWidthAndTheListTheHeight) {
  Panel p;
  p.desk.show();
  EXPECT_EQ(p.close->geometry(), QRect(505 - 23, 11, 16, 16));
  EXPECT_EQ(p.enlarge->x(), 505 - 46);
  EXPECT_EQ(p.reduce->x(), 505 - 65);
  EXPECT_EQ(p.list->geometry(), QRect(2, 32, 501, 199)) << "along the bottom edge, H - 34 high";
  EXPECT_EQ(p.reduce->focusPolicy(), Qt::NoFocus);

  p.panel->resize(sizing::enlarged(p.panel->size()));
  p.panel->layoutTitleRow();
  EXPECT_EQ(p.close->x(), 580 - 23);
  EXPECT_EQ(p.list->geometry(), QRect(2, 291 - 2 - 257, 576, 257));

  // A step that leaves the title row alone keeps the list's height at the
  // new bottom edge.
  p.panel->resize(sizing::popupEnlarged(p.panel->size()));
  EXPECT_EQ(p.close->x(), 580 - 23);
  EXPECT_EQ(p.list->height(), 257);
  EXPECT_EQ(p.list->geometry().bottom(), p.panel->height() - 3);

  // Reduced below its title row, the list has no height rather than a
  // negative one.
  p.panel->resize(40, 20);
  p.panel->layoutTitleRow();
  EXPECT_EQ(p.list->height(), 0);
}

TEST(ListPanel, ItsSurfaceAndItsListReportWhatHappens) {
  Panel p;
  QLineEdit outside(&p.desk);
  outside.move(10, 400);
  p.desk.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.desk));
  QSignalSpy down(p.panel, &TListPanel::surfaceMouseDown);
  QSignalSpy clicked(p.panel, &TListPanel::surfaceClicked);
  QSignalSpy entered(p.panel, &TListPanel::listEntered);
  QTest::mouseClick(p.panel, Qt::LeftButton, {}, QPoint(100, 8));
  EXPECT_EQ(down.count(), 1);
  EXPECT_EQ(clicked.count(), 1);
  QTest::mouseClick(p.panel, Qt::RightButton, {}, QPoint(100, 8));
  EXPECT_EQ(down.count(), 2);
  EXPECT_EQ(clicked.count(), 1) << "only the left button clicks";
  // A press on the list is the list's, not the surface's.
  QTest::mouseClick(p.list->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(down.count(), 2);

  p.desk.activateWindow();
  outside.setFocus();
  p.list->setFocus();
  EXPECT_GE(entered.count(), 1);
}

TEST(ListPanel, ATitleButtonReportsTheDoubleClickAndStillClicksTwice) {
  Panel p;
  p.desk.show();
  QSignalSpy clicked(p.enlarge, &QToolButton::clicked);
  QSignalSpy doubled(p.enlarge, &TTitleButton::doubleClicked);
  // A double-click as the window system delivers it: press, release, then
  // the second press as a double-click, and its release.
  QTest::mouseClick(p.enlarge, Qt::LeftButton);
  QTest::mouseDClick(p.enlarge, Qt::LeftButton);
  QTest::mouseRelease(p.enlarge, Qt::LeftButton);
  EXPECT_EQ(doubled.count(), 1);
  EXPECT_EQ(clicked.count(), 2);
}
