// The rights map against its own copy (tests/support/oracles), written out
// apart from the program's table: an option code in the wrong place, a
// wrong module number or a shifted group shows here, whichever part of the
// program put it there. The stored rights of every installation depend on
// these positions.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "DataModules.h"
#include "MainMenuBuilder.h"
#include "MenuItem.h"
#include "MenuSecurity.h"
#include "Oracle.h"
#include "RightsMap.h"
#include "UserSecurityManager.h"

using namespace orba;
using controls::MenuItem;

namespace {

// A users table on disk whose one user holds these rights bytes, and the
// rights manager following it, as the desktop's does.
class StoredRights {
 public:
  explicit StoredRights(const QByteArray& bytes) {
    users_.declare(data::schemas::User_table);
    users_.setDatabaseName(dir_.path());
    users_.createTable();
    users_.open();
    users_.append();
    users_.setValue("User_password", "ADMIN");
    users_.setValue("User_code", "ADMIN");
    users_.setValue("User_name", "Admin");
    users_.setValue("User_language", 1);
    users_.setValue("User_company", 1);
    users_.setValue("User_security", bytes);
    users_.post();
    manager_.setDataSource(&source_);
    manager_.setBytesField("User_security");
  }
  const dispatch::TUserSecurityManager& manager() const { return manager_; }

 private:
  QTemporaryDir dir_;
  data::Table users_{"User_table"};
  data::DataSource source_{"User_datasource", &users_};
  dispatch::TUserSecurityManager manager_{"UserSecurityManager1"};
};

// The option items of the module menus that are enabled, quick entries too.
QStringList enabledOptions(MenuItem* mainMenu) {
  QStringList out;
  for (const oracle::Menu& m : oracle::menus()) {
    MenuItem* top = mainMenu->item(m.position);
    for (const QString& quick : m.quickEntries)
      if (mainMenu->find(quick)->isEnabled()) out << quick;
    for (int g = 0; g < 4; ++g) {
      MenuItem* group = top->item(m.firstSubmenu + g);
      for (int j = 0; j < group->count(); ++j)
        if (group->item(j)->isEnabled()) out << group->item(j)->name();
    }
  }
  return out;
}

}  // namespace

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

// The whole road on the real main menu: the bit as a user's stored rights
// hold it, read by the rights manager, enables its own option (and the
// quick entry that duplicates it) and nothing else.
TEST(RightsMap, EachStoredBitEnablesItsOwnOptionAndNoOther) {
  std::unique_ptr<MenuItem> menu{shell::buildMainMenu([](MenuItem&) {})};
  for (const oracle::Menu& m : oracle::menus()) {
    MenuItem* top = menu->item(m.position);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->name(), m.name);
    EXPECT_EQ(top->tag(), m.module) << m.name.toStdString();
    for (int g = 0; g < 4; ++g) {
      MenuItem* group = top->item(m.firstSubmenu + g);
      ASSERT_NE(group, nullptr) << m.name.toStdString();
      EXPECT_EQ(group->name(), m.groups[g]);
    }
  }
  for (const oracle::Right& r : oracle::rights()) {
    StoredRights stored(oracle::rightsBytes({r.code}));
    dispatch::ApplyMenuSecurity(menu.get(), stored.manager());
    QStringList expected{r.code};
    if (menu->find(r.code + "f")) expected << r.code + "f";
    QStringList enabled = enabledOptions(menu.get());
    enabled.sort();
    expected.sort();
    EXPECT_EQ(enabled.join(' ').toStdString(), expected.join(' ').toStdString()) << "bit " << r.bit;
  }
}
