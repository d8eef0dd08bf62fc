// The rights map against its own copy (tests/support/oracles), written out
// apart from the program's table: an option code in the wrong place, a
// wrong module number or a shifted group shows here, whichever part of the
// program put it there. The stored rights of every installation depend on
// these positions.

#include <gtest/gtest.h>

#include "Oracle.h"
#include "RightsMap.h"

using namespace orba;

TEST(RightsMap, EveryOptionHasTheModuleGroupPositionAndBitOfTheStoredRights) {
  int options = 0;
  for (const dispatch::ModuleMenu& menu : dispatch::moduleMenus())
    for (const QStringList& group : menu.groups) options += static_cast<int>(group.size());
  EXPECT_EQ(options, static_cast<int>(oracle::rights().size())) << "no option more, none less";
  for (const oracle::Right& r : oracle::rights()) {
    const dispatch::OptionPlace p = dispatch::findOption(r.code);
    EXPECT_EQ(p.module, r.module) << r.code.toStdString();
    EXPECT_EQ(p.group, r.group) << r.code.toStdString();
    EXPECT_EQ(p.item, r.position) << r.code.toStdString();
    EXPECT_EQ(dispatch::rightsBit(p.module, p.group, p.item), r.bit) << r.code.toStdString();
  }
}

TEST(RightsMap, TheModuleMenusKeepTheirPlacesNumbersAndGroups) {
  const auto& menus = dispatch::moduleMenus();
  ASSERT_EQ(menus.size(), oracle::menus().size());
  for (std::size_t i = 0; i < menus.size(); ++i) {
    const oracle::Menu& m = oracle::menus()[i];
    SCOPED_TRACE(m.name.toStdString());
    EXPECT_EQ(menus[i].name, m.name);
    EXPECT_EQ(menus[i].position, m.position);
    EXPECT_EQ(menus[i].module, m.module);
    EXPECT_EQ(menus[i].firstSubmenu, m.firstSubmenu);
    EXPECT_EQ(QStringList(menus[i].groupNames.begin(), menus[i].groupNames.end()), m.groups);
    EXPECT_EQ(menus[i].quickEntries, m.quickEntries);
  }
}
