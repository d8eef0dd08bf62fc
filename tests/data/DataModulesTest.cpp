#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "DataModules.h"
#include "DatabaseError.h"

using namespace orba::data;

namespace {

void fill(Table* t, const QString& dir, const std::function<void(Table&)>& rows) {
  t->setDatabaseName(dir);
  t->createTable();
  const bool readOnly = t->readOnly();
  t->setReadOnly(false);
  t->open();
  rows(*t);
  t->close();
  t->setReadOnly(readOnly);
}

}  // namespace

TEST(DataModules, OnHandIsTheSumOfTheFiveQuantities) {
  QTemporaryDir dir;
  TInvDataModule inv;
  fill(inv.IvinvTable, dir.path(), [](Table& t) {
    t.append();
    t.setValue("Ivinv_Line_Code", "QC");
    t.setValue("Ivinv_item_code", "A-1");
    t.setValue("Ivinv_store", 1);
    for (int q = 1; q <= 5; ++q) t.setValue(QString("Ivinv_qty%1").arg(q), q);
    t.post();
    t.append();
    t.setValue("Ivinv_Line_Code", "QC");
    t.setValue("Ivinv_item_code", "B-2");
    t.setValue("Ivinv_store", 1);
    t.setValue("Ivinv_qty2", 2.5);
    t.post();
  });
  inv.IvinvTable->open();
  EXPECT_DOUBLE_EQ(inv.IvinvTable->value("ivinv_on_hand").toDouble(), 15.0);
  inv.IvinvTable->next();
  EXPECT_DOUBLE_EQ(inv.IvinvTable->value("ivinv_on_hand").toDouble(), 2.5) << "empty quantities count as 0";
}

TEST(DataModules, AccountDescriptionsStayEmpty) {
  QTemporaryDir dir;
  TGl_DataModule gl;
  fill(gl.Gl_Table, dir.path(), [](Table& t) {
    t.append();
    t.setValue("Glm_account", 1000);
    t.setValue("Glm_Description", "Encaisse");
    t.setValue("Glm_summarize", "N");
    t.post();
  });
  gl.Gl_Table->open();
  EXPECT_EQ(gl.Gl_Table->text("Glm_Description"), "Encaisse");
  EXPECT_EQ(gl.Gl_Table->text("glm_type_desc"), "");
  EXPECT_EQ(gl.Gl_Table->text("glm_summarize_desc"), "");
}

TEST(DataModules, DesktopRowsFollowTheCurrentUser) {
  QTemporaryDir dir;
  TUserDataModule users;
  fill(users.User_table, dir.path(), [](Table& t) {
    for (auto [password, code] : {std::pair{"ADMIN", "ADMIN"}, std::pair{"CLERK", "CLERK"}}) {
      t.append();
      t.setValue("User_password", password);
      t.setValue("User_code", code);
      t.setValue("User_name", code);
      t.setValue("User_language", 1);
      t.setValue("User_company", 1);
      t.post();
    }
  });
  fill(users.Desktop_table, dir.path(), [](Table& t) {
    for (auto [user, index] : {std::pair{"CLERK", 1}, std::pair{"ADMIN", 2}, std::pair{"CLERK", 3}}) {
      t.append();
      t.setValue("Desktop_user", user);
      t.setValue("Desktop_ComponentIndex", index);
      t.post();
    }
  });
  users.User_table->open();
  users.Desktop_table->open();
  ASSERT_TRUE(users.User_table->findKey({"CLERK"}));
  EXPECT_EQ(users.Desktop_table->recordCount(), 2);
  EXPECT_EQ(users.Desktop_table->value("Desktop_ComponentIndex").toInt(), 1);
  ASSERT_TRUE(users.User_table->findKey({"ADMIN"}));
  EXPECT_EQ(users.Desktop_table->recordCount(), 1);
  EXPECT_EQ(users.Desktop_table->value("Desktop_ComponentIndex").toInt(), 2);

  // A row added while the admin is current belongs to the admin: the link
  // field is filled in.
  users.Desktop_table->append();
  users.Desktop_table->setValue("Desktop_ComponentIndex", 4);
  users.Desktop_table->post();
  EXPECT_EQ(users.Desktop_table->recordCount(), 2);
  EXPECT_EQ(users.Desktop_table->value("Desktop_ComponentIndex").toInt(), 4);
  EXPECT_EQ(users.Desktop_table->text("Desktop_user"), "ADMIN");

  // Without a current user the detail shows nobody's rows.
  users.User_table->close();
  users.Desktop_table->refresh();
  EXPECT_EQ(users.Desktop_table->recordCount(), 0);
}

TEST(DataModules, CompanyTablesOpenThroughTheCompanyDatabase) {
  QTemporaryDir dir;
  TCo_DataModule co;
  TAr_DataModule ar;
  fill(ar.Ar_Table, dir.path() + "/data7", [](Table& t) {
    t.append();
    t.setValue("Cli_code", "C00001");
    t.setValue("Cli_name", "Boulangerie Saint-Édouard");
    t.post();
  });
  ar.Ar_Table->setDatabaseName(kCompanyDatabase);
  co.Database1->setParams({"path=" + dir.path() + "/data7"});
  co.Database1->open();
  ar.Ar_Table->open();
  EXPECT_EQ(ar.Ar_Table->text("Cli_name"), "Boulangerie Saint-Édouard");
  EXPECT_THROW(ar.Ar_Table->edit(), DatabaseError) << "clients are read-only for the desktop";
}
