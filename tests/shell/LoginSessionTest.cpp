// The login's and the company switch's data steps without a window: the
// data modules on a real installation, the link record, nothing shown.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "CompanySwitch.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "Installation.h"
#include "LinkRecord.h"
#include "LoginSession.h"

using namespace orba;
using Field = dispatch::LinkRecord::Field;
using orba::shell::LoginSession;

class LoginSessionTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Installation install{dir.path()};
  data::TUserDataModule users;
  data::TCo_DataModule companies;
  dispatch::LinkRecord link;
  shell::TShellSettings settings;
  LoginSession session{users, companies, link, settings};

  void SetUp() override {
    settings.DisplayPW = false;
    link.set(Field::DataDir, install.dataDir());
    install.addLanguages();
    install.addCompany(1, "Les Entreprises Tremblay Ltée");
    install.addCompany(2, "Northern Lights Trading Inc.", "NORD2026");
    install.ensureDesktops();
  }
  void connect() {
    ASSERT_TRUE(session.connectSystem());
    session.openUsers();
    session.openDesktops();
    session.openLanguages();
  }
};

TEST_F(LoginSessionTest, OneUserWithoutPasswordDisplayLogsInAsTheFirstUser) {
  install.addUser("SECRET", "ADMIN", "Marie-Ève", 2, 1, {"*"});
  EXPECT_FALSE(session.systemConnected());
  connect();
  EXPECT_TRUE(session.systemConnected());
  EXPECT_EQ(session.loginMode(), LoginSession::LoginMode::FirstUser);
  settings.DisplayPW = true;
  EXPECT_EQ(session.loginMode(), LoginSession::LoginMode::Password) << "DisplayPW always asks";
}

TEST_F(LoginSessionTest, TwoUsersAskAndOnlyAnUpperCasePasswordIsFound) {
  install.addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  install.addUser("CLERK", "CLERK", "John Smith", 1, 1, {"ar01"});
  connect();
  EXPECT_EQ(session.loginMode(), LoginSession::LoginMode::Password);
  EXPECT_FALSE(session.findUser("clerk")) << "the dialog upper-cases what is typed; the lookup does not";
  EXPECT_FALSE(session.findUser("NOBODY"));
  EXPECT_TRUE(session.findUser("CLERK"));
  EXPECT_EQ(session.applyUserLanguage(), "MainMenuen");
  EXPECT_EQ(link.get(Field::LoginName), "John Smith");
}

TEST_F(LoginSessionTest, NoUserAtAllIsSaidSo) {
  install.addUser("X", "X", "X", 0, 1, {});
  {
    data::Table t("users");
    t.declare(data::schemas::User_table);
    t.setDatabaseName(install.dataDir());
    t.open();
    t.first();
    t.deleteRecord();
  }
  connect();
  EXPECT_EQ(session.loginMode(), LoginSession::LoginMode::NoUser);
  EXPECT_TRUE(session.usersFile().endsWith("user.db"));
}

TEST_F(LoginSessionTest, AUserWithoutLanguageKeepsTheSettings) {
  install.addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  link.setLanguage(1);
  connect();
  session.loginMode();
  EXPECT_EQ(session.applyUserLanguage(), std::nullopt);
  EXPECT_EQ(link.get(Field::LoginName), "");
  EXPECT_EQ(link.languageCode(), "en");
}

TEST_F(LoginSessionTest, TheLinkTakesTheUsersCompanyAndListsEveryCompany) {
  install.addUser("ADMIN", "ADMIN", "Marie-Ève", 2, 2, {"*"}, "Laser");
  connect();
  session.loginMode();
  const LoginSession::Link linked = session.setUpLink();
  ASSERT_EQ(linked.companies.size(), 2u);
  EXPECT_EQ(linked.companies[1].number, "2");
  EXPECT_EQ(linked.companies[1].name, "Northern Lights Trading Inc.");
  EXPECT_EQ(linked.current, 1);
  EXPECT_EQ(link.get(Field::CompanyNumber), "2");
  EXPECT_EQ(link.get(Field::CompanyName), "Northern Lights Trading Inc.");
  EXPECT_EQ(link.get(Field::UserName), "Marie-Ève");
  EXPECT_EQ(link.language(), 2);
  EXPECT_EQ(companies.Database1->directory(), install.companyDir(2));
  EXPECT_EQ(session.userPrinterIndex({"PDF", "laser"}), 1) << "by name, whatever the case";
  EXPECT_EQ(session.userPrinterIndex({"PDF"}), -1);
}

TEST_F(LoginSessionTest, AMissingCompanyFolderIsTheEnginesError) {
  install.addUser("ADMIN", "ADMIN", "Admin", 0, 7, {"*"});
  connect();
  session.loginMode();
  try {
    session.setUpLink();
    FAIL() << "company 7 has no folder";
  } catch (const data::DatabaseError& e) {
    EXPECT_TRUE(e.message().contains("data7")) << e.message().toStdString();
  }
  EXPECT_EQ(link.get(Field::CompanyName), "") << "no such company in the table";
}

TEST_F(LoginSessionTest, SetupNoticesNeedTheModuleItsEntryDisabledAndItsFilesMissing) {
  install.addUser("ADMIN", "ADMIN", "Admin", 0, 1, {});
  connect();
  session.loginMode();
  session.setUpLink();
  EXPECT_FALSE(session.setupNotices(false, false).payroll) << "payroll not installed";
  settings.payroll = "y";
  settings.JobCost = "Y";
  EXPECT_TRUE(session.setupNotices(false, false).payroll);
  EXPECT_TRUE(session.setupNotices(false, false).jobCost);
  EXPECT_FALSE(session.setupNotices(true, true).payroll) << "a user who may enter payroll";
  install.touch(1, "PNTRX.DB");
  EXPECT_FALSE(session.setupNotices(false, false).payroll) << "files found whatever their case";
  EXPECT_TRUE(session.setupNotices(false, false).jobCost);
}

class CompanySwitchTest : public LoginSessionTest {
 protected:
  shell::CompanySwitch switcher{companies, users, link};
  void SetUp() override {
    LoginSessionTest::SetUp();
    install.addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
    connect();
    session.loginMode();
    session.setUpLink();
  }
};

TEST_F(CompanySwitchTest, AnotherCompanysPasswordIsAskedAndCancelKeepsTheCurrentOne) {
  EXPECT_EQ(switcher.choose("2"), "NORD2026");
  switcher.abandon();
  EXPECT_EQ(link.get(Field::CompanyNumber), "1");
  EXPECT_EQ(link.get(Field::CompanyName), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(companies.Database1->directory(), install.companyDir(1));

  EXPECT_EQ(switcher.choose("2"), "NORD2026");
  switcher.complete();
  EXPECT_EQ(link.get(Field::CompanyNumber), "2");
  EXPECT_EQ(link.get(Field::CompanyName), "Northern Lights Trading Inc.");
  EXPECT_EQ(companies.Database1->directory(), install.companyDir(2));

  EXPECT_EQ(switcher.choose("1"), "") << "the user's own company never asks";
  switcher.complete();
  EXPECT_EQ(link.get(Field::CompanyName), "Les Entreprises Tremblay Ltée");
}

TEST_F(CompanySwitchTest, CancelAfterTheCompanyListWasReadAgainKeepsTheCurrentCompany) {
  // Company maintenance leaves comp.db read to its end (the company menu is
  // rebuilt from it); a cancelled password must not move anyone to the last
  // company of the table.
  install.addCompany(3, "Zeta Ltd", "ZETA");
  companies.Co_Table->refresh();
  EXPECT_EQ(switcher.companies().size(), 3u);
  EXPECT_EQ(companies.Co_Table->text("Comp_Code"), "1") << "the table is back on the company in force";
  shell::readCompanies(*companies.Co_Table);  // what any other reader of the list does
  EXPECT_EQ(switcher.choose("2"), "NORD2026");
  switcher.abandon();
  EXPECT_EQ(link.get(Field::CompanyNumber), "1");
  EXPECT_EQ(link.get(Field::CompanyName), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(companies.Co_Table->text("Comp_Code"), "1");
  EXPECT_EQ(companies.Database1->directory(), install.companyDir(1));
}

TEST_F(CompanySwitchTest, ACompanyWithoutItsFolderLeavesThePreviousOneConnected) {
  install.addCompany(3, "Sans dossier");
  QDir(install.companyDir(3)).removeRecursively();
  companies.Co_Table->refresh();
  EXPECT_EQ(switcher.choose("3"), "");
  EXPECT_THROW(switcher.complete(), data::DatabaseError);
  EXPECT_EQ(link.get(Field::CompanyNumber), "1");
  EXPECT_EQ(link.get(Field::CompanyName), "Les Entreprises Tremblay Ltée");
  EXPECT_TRUE(companies.Database1->isConnected());
  EXPECT_EQ(companies.Database1->directory(), install.companyDir(1));
  EXPECT_EQ(switcher.companies().size(), 3u);
}
