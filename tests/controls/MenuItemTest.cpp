// The menu tree's helpers for menus built from data, and what happens to an
// error thrown by a click.

#include <gtest/gtest.h>

#include <stdexcept>

#include "ComponentList.h"
#include "MenuItem.h"
#include "MenuRefill.h"

using orba::controls::ComponentList;
using orba::controls::MenuItem;

TEST(MenuRefill, ReplacesTheItemsAndKeepsTheOwnersListInStep) {
  MenuItem menu("Changecompanies1");
  ComponentList owner;
  int clicked = -1;
  auto first =
      orba::controls::refillMenu(&menu, owner, {"A", "B"}, [&](MenuItem& i) { clicked = i.menuIndex(); });
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(owner.components().size(), 2u);
  menu.item(1)->click();
  EXPECT_EQ(clicked, 1);

  auto second = orba::controls::refillMenu(&menu, owner, {"C", "D", "E"}, {});
  EXPECT_EQ(menu.count(), 3);
  EXPECT_EQ(menu.item(2)->caption(), "E");
  EXPECT_EQ(owner.components().size(), 3u) << "the old items left the owner's list";

  orba::controls::checkOnly(&menu, 1);
  EXPECT_FALSE(menu.item(0)->isChecked());
  EXPECT_TRUE(menu.item(1)->isChecked());
  orba::controls::checkOnly(&menu, -1);
  EXPECT_FALSE(menu.item(1)->isChecked());
}

TEST(MenuItem, AnErrorInAClickIsReportedAndGoesNoFurther) {
  QStringList reported;
  MenuItem::setErrorReporter([&](const std::exception& e) { reported << QString::fromUtf8(e.what()); });
  MenuItem item("gl03");
  item.setOnClick([](MenuItem&) { throw std::runtime_error("comp.db: table is locked"); });
  EXPECT_NO_THROW(item.click());
  EXPECT_EQ(reported, QStringList{"comp.db: table is locked"});
  MenuItem::setErrorReporter({});
}

TEST(MenuItem, HintsAndCaptionsAnnounceTheirChange) {
  MenuItem item("gl03", "Transactions entry");
  int changes = 0;
  QObject::connect(&item, &MenuItem::changed, [&] { ++changes; });
  item.setHint("Enter the day's transactions");
  item.setHint("Enter the day's transactions");
  item.setCaption("Saisie des transactions");
  EXPECT_EQ(changes, 2);
}
