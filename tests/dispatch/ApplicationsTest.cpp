// The applications table behind the Tools menu and the tracker accounts, on
// real tables in a temporary folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Applications.h"
#include "DatabaseError.h"
#include "Table.h"
#include "TableSchemas.h"
#include "TrackerAccounts.h"

using namespace orba;

class ApplicationsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  data::Table apps{"Applications_table"};
  void SetUp() override { apps.declare(data::schemas::Applications_table); }
};

TEST_F(ApplicationsTest, AMissingTableIsCreatedWithTheToolsMaintenanceAlone) {
  dispatch::ApplicationsTable table(apps);
  const std::vector<dispatch::Application> rows = table.load(dir.path());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].program, "mtools");
  EXPECT_EQ(rows[0].caption(1), "Maintenance of Tools menu");
  EXPECT_EQ(rows[0].caption(2), "Maintenance du menu Outils");
  EXPECT_EQ(rows[0].caption(0), "Maintenance of Tools menu") << "any language but French reads English";
  EXPECT_EQ(rows[0].hint(2), "Sécurité comme Maintenance des paramètres");
  EXPECT_EQ(rows[0].security, "ut02");
  EXPECT_TRUE(rows[0].isModule);
  EXPECT_FALSE(apps.isActive()) << "closed again";

  // Loaded again, the table is read as it is, not seeded twice.
  EXPECT_EQ(table.load(dir.path()).size(), 1u);
}

TEST_F(ApplicationsTest, RowsInTableOrderAndAProgramsFolder) {
  apps.setDatabaseName(dir.path());
  apps.createTable();
  apps.open();
  for (auto [name, program, module, folder] :
       {std::tuple{"Calculator", " calc ", false, "/tmp"}, std::tuple{"Ledger entry", "gl03", true, ""}}) {
    apps.append();
    apps.setValue("Application_name", name);
    apps.setValue("Application_pgm", program);
    apps.setValue("Application_type", module);
    apps.setValue("Application_directory", folder);
    apps.setValue("Application_security", "gl03");
    apps.post();
  }
  apps.close();
  dispatch::ApplicationsTable table(apps);
  const auto rows = table.load(dir.path());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].program, "calc") << "names are trimmed";
  EXPECT_FALSE(rows[0].isModule);
  EXPECT_EQ(rows[1].program, "gl03");
  EXPECT_EQ(table.directoryOf("calc"), "/tmp");
  EXPECT_EQ(table.directoryOf("gl03"), "");
  EXPECT_EQ(table.directoryOf("nothing"), "");
}

TEST_F(ApplicationsTest, ATableThatExistsButCannotBeReadIsAnErrorNotReplaced) {
  QFile damaged(dir.filePath("apps.DB"));
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("not a table");
  damaged.close();
  dispatch::ApplicationsTable table(apps);
  EXPECT_THROW(table.load(dir.path()), data::DatabaseError);
  QFile again(dir.filePath("apps.DB"));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), "not a table");
}

TEST(TrackerAccounts, ReadInKeyOrderAndCreatedWhenMissing) {
  QTemporaryDir dir;
  data::Table accounts("trkdb_table");
  accounts.declare(data::schemas::trkdb_table);
  accounts.setDatabaseName(dir.path());
  EXPECT_TRUE(dispatch::readTrackerAccounts(accounts).empty());
  EXPECT_TRUE(accounts.exists()) << "created for the company";
  accounts.open();
  for (auto [number, name] : {std::pair{20, "Second"}, std::pair{10, "First"}}) {
    accounts.append();
    accounts.setValue("Trkdb_account", number);
    accounts.setValue("Trkdb_name", name);
    accounts.setValue("Trkdb_type", 1);
    accounts.post();
  }
  accounts.close();
  const auto read = dispatch::readTrackerAccounts(accounts);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].number, "10");
  EXPECT_EQ(read[0].name, "First");
  EXPECT_EQ(read[1].number, "20");
  EXPECT_FALSE(accounts.isActive());
}
