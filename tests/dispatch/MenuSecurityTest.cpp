// The rights pass on the real main-menu tree: every option by its bit, the
// quick entries after their options, the catalogue in the module menus'
// order, and the right a tool borrows.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "DataModules.h"
#include "ListCatalogue.h"
#include "MainMenuBuilder.h"
#include "MenuItem.h"
#include "MenuSecurity.h"
#include "Oracle.h"
#include "UserSecurityManager.h"

using namespace orba;
using controls::MenuItem;

namespace {

using Catalogue = ListCatalogue;

// A users table on disk with one user holding exactly these rights, and the
// rights manager following it, as the desktop's does.
class Rights {
 public:
  explicit Rights(const QStringList& codes) {
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
    users_.setValue("User_security", oracle::rightsBytes(codes));
    users_.post();
    manager_.setDataSource(&source_);
    manager_.setBytesField("User_security");
  }
  operator const dispatch::TUserSecurityManager&() const { return manager_; }
  bool useField(const QString& field) { return manager_.setBytesField(field); }

 private:
  QTemporaryDir dir_;
  data::Table users_{"User_table"};
  data::DataSource source_{"User_datasource", &users_};
  dispatch::TUserSecurityManager manager_{"UserSecurityManager1"};
};

QString suffix(int module) { return QString(" (%1)").arg(module); }

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

class MenuSecurityTest : public ::testing::Test {
 protected:
  std::unique_ptr<MenuItem> menu{shell::buildMainMenu([](MenuItem&) {})};
};

TEST_F(MenuSecurityTest, OptionsFollowTheirBitsAndQuickEntriesTheirOptions) {
  dispatch::ApplyMenuSecurity(menu.get(), Rights({"gl03", "ar01", "pa101", "jc22"}));
  for (const char* on : {"gl03", "gl03f", "ar01", "pa101", "jc22"})
    EXPECT_TRUE(menu->find(on)->isEnabled()) << on;
  for (const char* off : {"gl01", "gl08", "gl08f", "ar05f", "ar02", "ut03", "trk01"})
    EXPECT_FALSE(menu->find(off)->isEnabled()) << off;
  EXPECT_TRUE(menu->find("Edit1")->isEnabled()) << "submenus are never disabled";
}

TEST_F(MenuSecurityTest, TheCatalogueListsVisibleOptionsInMenuOrderWithCodesWhereAllowed) {
  dispatch::ApplyMenuSecurity(menu.get(), Rights({"gl01", "ut02"}));
  menu->find("ar16")->setVisible(false);
  Catalogue catalogue;
  dispatch::fillCatalogue(catalogue, menu.get(), {"", "n", "Y"}, suffix);
  const QStringList codes = catalogue.codes();
  ASSERT_EQ(catalogue.names().size(), codes.size());
  EXPECT_EQ(catalogue.names().first(), "gl01 (0)")
      << "the ledger first, each option with its module's suffix";
  EXPECT_EQ(codes.first(), "gl01");
  EXPECT_EQ(codes.filter("ut02").size(), 1);
  EXPECT_EQ(codes.filter(QRegularExpression("^gl20$")).size(), 0) << "no code without the right";
  EXPECT_TRUE(catalogue.names().contains("gl20 (0)")) << "but the option is listed";
  EXPECT_FALSE(catalogue.names().contains("ar16 (1)")) << "hidden options are not";
  EXPECT_TRUE(catalogue.names().contains("pa101 (7)")) << "payroll counts unless its setting is N (any case)";
  EXPECT_FALSE(catalogue.names().contains("trk01 (8)")) << "the tracker's setting is n";
  EXPECT_TRUE(catalogue.names().contains("jc22 (9)"));

  // The Tools maintenance's pass: rights ignored, optional menus only on "Y".
  dispatch::RebuildCatalogue(catalogue, menu.get(), {"", "n", "Y"}, false, suffix);
  EXPECT_TRUE(catalogue.codes().contains("gl20"));
  EXPECT_FALSE(catalogue.names().contains("pa101 (7)"));
  EXPECT_TRUE(catalogue.names().contains("jc22 (9)"));
  // Its order: system (4) before invoicing (3), purchase orders (6) before inventory (5).
  const QStringList names = catalogue.names();
  EXPECT_LT(names.indexOf("ut02 (4)"), names.indexOf("fa02 (3)"));
  EXPECT_LT(names.indexOf("cf01 (6)"), names.indexOf("iv01 (5)"));
}

TEST_F(MenuSecurityTest, AToolBorrowsTheRightOfTheOptionItNamesButNotTheTrackers) {
  dispatch::ApplyMenuSecurity(menu.get(), Rights({"gl03", "trk01"}));
  EXPECT_TRUE(menu->find("trk01")->isEnabled());
  EXPECT_EQ(dispatch::borrowedRight(menu.get(), "gl03"), true);
  EXPECT_EQ(dispatch::borrowedRight(menu.get(), "ut02"), false);
  EXPECT_EQ(dispatch::borrowedRight(menu.get(), "trk01"), std::nullopt) << "the tracker menu is not searched";
  EXPECT_EQ(dispatch::borrowedRight(menu.get(), "nothing"), std::nullopt);
  EXPECT_EQ(dispatch::borrowedRight(menu.get(), "gl03f"), std::nullopt) << "quick entries are not options";
}

// The whole road on the real main menu, against the rights map written out
// apart from the program (tests/support/oracles): the bit as a user's
// stored rights hold it, read by the rights manager, enables its own option
// (and the quick entry that duplicates it) and nothing else.
TEST_F(MenuSecurityTest, EachStoredBitEnablesItsOwnOptionAndNoOther) {
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
    dispatch::ApplyMenuSecurity(menu.get(), Rights({r.code}));
    QStringList expected{r.code};
    if (menu->find(r.code + "f")) expected << r.code + "f";
    QStringList enabled = enabledOptions(menu.get());
    enabled.sort();
    expected.sort();
    EXPECT_EQ(enabled.join(' ').toStdString(), expected.join(' ').toStdString()) << "bit " << r.bit;
  }
}

// The rights come only from a field that can hold all of them: a narrower
// one is refused; the name's case does not matter.
TEST(RightsField, ANarrowerFieldIsRefused) {
  Rights rights({"gl03"});
  const dispatch::TUserSecurityManager& manager = rights;
  EXPECT_TRUE(manager.HasRight(0, 1, 0));
  EXPECT_FALSE(rights.useField("User_password"));
  EXPECT_FALSE(rights.useField("User_name"));
  EXPECT_TRUE(rights.useField("user_SECURITY"));
  EXPECT_TRUE(manager.HasRight(0, 1, 0));
}
