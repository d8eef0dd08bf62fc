#include <QLabel>

#include "DesktopFixture.h"
#include "ModuleLibrary.h"
#include "Oracle.h"

using orba::controls::MenuItem;
using orba::dispatch::LinkRecord;

// The French texts of the main window's messages, as the language tables
// hold them (the users of these tests work in French).
const QString kNoRight = "Vous n'avez pas le droit d'exécuter cette option.";

class DispatchTest : public DesktopFixture {
 protected:
  // One user with the given rights, logged in.
  void loginWith(const QStringList& rights, const QString& settings = "ShowWelcome=N\n") {
    standardData();
    install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 2, 1, rights);
    start(settings);
    ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  }
  void click(const QString& name) {
    MenuItem* item = menu->find(name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    item->click();
  }
};

TEST_F(DispatchTest, RightsEnableOptionsAndTheirQuickEntries) {
  loginWith({"gl01", "gl03", "ar01", "pa101", "ut07"});
  for (const char* granted : {"gl01", "gl03", "ar01", "pa101", "ut07", "gl03f"})
    EXPECT_TRUE(menu->find(granted)->isEnabled()) << granted;
  for (const char* denied : {"gl20", "gl08", "ar02", "pa104", "ut06", "gl08f", "ar05f"})
    EXPECT_FALSE(menu->find(denied)->isEnabled()) << denied;
  EXPECT_TRUE(menu->find("Transactions1")->isEnabled()) << "submenus are never disabled";
}

TEST_F(DispatchTest, NullRightsDisableEveryOption) {
  loginWith({});
  int enabled = 0;
  for (const oracle::Right& r : oracle::rights()) enabled += menu->find(r.code)->isEnabled();
  EXPECT_EQ(enabled, 0);
  EXPECT_FALSE(menu->find("gl03f")->isEnabled());
}

TEST_F(DispatchTest, CatalogueListsVisibleOptionsWithCodesOnlyWhereAllowed) {
  loginWith({"gl03", "ar15"});
  const QStringList names = catalogue()->names();
  const QStringList codes = catalogue()->codes();
  ASSERT_EQ(names.size(), codes.size());
  const int gl03 = codes.indexOf("gl03");
  ASSERT_GE(gl03, 0);
  EXPECT_EQ(names[gl03], "Saisie des transactions - Grand livre");
  const int gl01 = names.indexOf("Liste du plan comptable - Grand livre");
  ASSERT_GE(gl01, 0) << "a visible option without the right is listed";
  EXPECT_EQ(codes[gl01], "") << "with an empty code";
  EXPECT_FALSE(codes.contains("ar16")) << "hidden without job cost";
  EXPECT_EQ(names.filter(menu->find("ar16")->caption() + " - Comptes clients").size(), 0);
  EXPECT_FALSE(codes.contains("pa101")) << "no payroll options without payroll";
}

TEST_F(DispatchTest, IconWithoutTheRightIsRefusedAndWholeCodesOnly) {
  installModules({"gl03", "gl19", "gl18"});
  loginWith({"ar091"});
  window->RunOption("gl03S");
  window->RunOption("ar09S");  // may run ar091, which is no right to ar09
  ASSERT_EQ(messages.size(), 2);
  EXPECT_EQ(messages[0], kNoRight);
  EXPECT_EQ(messages[1], kNoRight);
  EXPECT_TRUE(calledLibraries().isEmpty());
  window->RunOption("ar091S");
  EXPECT_EQ(calledLibraries(), QStringList{"gl18"});
}

TEST_F(DispatchTest, TheModuleSeesTheWholeContext) {
  installModules({"gl03"});
  loginWith({"*"});
  click("gl03");
  ASSERT_EQ(calls().size(), 1);
  const auto seen = calls()[0];
  EXPECT_EQ(seen.value("UserName"), "Marie-Ève Tremblay");
  EXPECT_EQ(seen.value("LoginName"), "Marie-Ève Tremblay");
  EXPECT_EQ(seen.value("CompanyNumber"), "1");
  EXPECT_EQ(seen.value("CompanyName"), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(seen.value("Language"), "2");
  EXPECT_EQ(seen.value("LanguageCode"), "fr");
  EXPECT_EQ(seen.value("PrinterIndex"), "1");
  EXPECT_EQ(seen.value("ProgramDir"), programDir());
  EXPECT_EQ(seen.value("DataDir"), install->dataDir());
  EXPECT_EQ(seen.value("UserDetail"), "7");
  EXPECT_EQ(seen.value("ReservedFlag"), "0");
  EXPECT_EQ(seen.value("lengths"), "ok");
  EXPECT_TRUE(window->windowTitle().endsWith(QString::number(QDate::currentDate().year()) + " "));
}

TEST_F(DispatchTest, RefusalMissingLibrariesAndFailingModulesAreReported) {
  installModules({"gl03"});
  loginWith({"*"});
  qputenv("ORBA_TEST_MODULE_RESULT", "0");
  click("gl03");
  EXPECT_EQ(messages.value(0), "Accès refusé...") << "from the language table, in the user's language";
  qunsetenv("ORBA_TEST_MODULE_RESULT");

  click("gl04");
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].startsWith(
      QString("error loading option gl04  %1").arg(orba::dispatch::ModuleLibrary::kNotFound)))
      << messages[1].toStdString();
  EXPECT_TRUE(messages[1].contains("gl04.so"));

  // A library without the entry point is treated as one that did not load.
  QFile::copy(VERSIONED_LIBRARY, programDir() + "/gl07.so");
  click("gl07");
  EXPECT_TRUE(messages.value(2).startsWith(
      QString("error loading option gl07  %1").arg(orba::dispatch::ModuleLibrary::kNoEntryPoint)));

  qputenv("ORBA_TEST_MODULE_THROW", "1");
  window->RunOption("gl03");
  qunsetenv("ORBA_TEST_MODULE_THROW");
  EXPECT_EQ(messages.value(3), "module failure");
  // Unloaded: the next run loads it afresh and works.
  click("gl03");
  EXPECT_EQ(messages.size(), 4);
  EXPECT_EQ(calledLibraries(), (QStringList{"gl03", "gl03", "gl03"}));
}

TEST_F(DispatchTest, CompanyMaintenanceKeepsItsPAndRebuildsTheCompanyMenu) {
  installModules({"mcomp"});
  loginWith({"*"});
  install->addCompany(2, "Northern Lights Trading Inc.");
  click("mcomp");
  EXPECT_EQ(calledLibraries(), QStringList{"mcomp"});
  MenuItem* companies = menu->find("Changecompanies1");
  ASSERT_EQ(companies->count(), 2);
  EXPECT_EQ(companies->item(1)->caption(), "Northern Lights Trading Inc.");
  EXPECT_TRUE(companies->item(0)->isChecked());
}

TEST_F(DispatchTest, TrackerOptionsNeedAnOpenAccount) {
  installModules({"trk01", "trkcreate"});
  loginWith({"*"}, "ShowWelcome=N\ntracker=y\n");
  click("trk01");
  EXPECT_EQ(messages.value(0),
            "Aucune base de données du traqueur n'est ouverte. Ouvrez-en une d'abord dans le menu Traqueur.");
  EXPECT_TRUE(calledLibraries().isEmpty());
  EXPECT_EQ(menu->find("trkopen")->count(), 0) << "the company had no accounts; the table was created";

  // The creation module adds accounts; the menu is reloaded afterwards.
  {
    orba::data::Table accounts("Accounts");
    accounts.declare(orba::data::schemas::trkdb_table);
    accounts.setDatabaseName(install->companyDir(1));
    accounts.open();
    for (auto [number, name] : {std::pair{20, "Second"}, std::pair{10, "First"}}) {
      accounts.append();
      accounts.setValue("Trkdb_account", number);
      accounts.setValue("Trkdb_name", name);
      accounts.setValue("Trkdb_type", 1);
      accounts.post();
    }
  }
  window->RunOption("trkcreate");
  MenuItem* open = menu->find("trkopen");
  ASSERT_EQ(open->count(), 2);
  EXPECT_EQ(open->item(0)->caption(), "First") << "in key order";
  open->item(1)->click();
  EXPECT_TRUE(open->item(1)->isChecked());
  click("trk01");
  EXPECT_EQ(calls().last().value("OptionContext"), "20");
  EXPECT_EQ(link().get(LinkRecord::Field::OptionContext), "");
}

TEST_F(DispatchTest, PayrollAndJobCostFilesAreCheckedExceptByTheirCreators) {
  installModules({"pa1004", "pa04", "jc22", "jc01"});
  loginWith({"*"}, "ShowWelcome=N\npayroll=Y\nJobCost=Y\n");
  messages.clear();
  window->RunOption("pa1004");
  window->RunOption("pa04");
  window->RunOption("jc22");
  window->RunOption("jc01");
  EXPECT_EQ(calledLibraries(), (QStringList{"pa1004", "jc22"}));
  EXPECT_EQ(messages,
            (QStringList{
                "Les fichiers de paie de cette entreprise n'ont pas été créés. Utilisez Paie > Procédures > "
                "Création des fichiers de paie.",
                "Les fichiers de coûts par projet de cette entreprise n'ont pas été créés. Utilisez Coûts "
                "par projet > Procédures > Création des fichiers de projets."}));
  install->touch(1, "Pndept.db");
  install->touch(1, "JcCtrl.db");
  window->RunOption("pa04");
  window->RunOption("jc01");
  EXPECT_EQ(calledLibraries(), (QStringList{"pa1004", "jc22", "pa04", "jc01"}));
}

TEST_F(DispatchTest, CompanySwitchAsksForAnotherCompanysPassword) {
  standardData();
  install->addCompany(2, "Northern Lights Trading Inc.", "NORD2026");
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  start();
  MenuItem* companies = menu->find("Changecompanies1");
  ASSERT_EQ(companies->count(), 2);
  auto typeCompanyPassword = [](const QString& text, bool ok) {
    return [text, ok](QDialog& d) {
      auto* dialog = qobject_cast<orba::shell::TCompPasswd_Frm*>(&d);
      dialog->Password->setText(text);
      return static_cast<int>(ok ? QDialog::Accepted : QDialog::Rejected);
    };
  };
  // Cancel keeps everything as it was.
  answers = {typeCompanyPassword("wrong", true), typeCompanyPassword("", false)};
  companies->item(1)->click();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1");
  EXPECT_TRUE(companies->item(0)->isChecked());
  EXPECT_EQ(window->StatusPanels[0]->text(), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(window->context().Co_DataModule->Database1->directory(), install->companyDir(1));

  answers = {typeCompanyPassword("NORD2026", true)};
  companies->item(1)->click();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "2");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Northern Lights Trading Inc.");
  EXPECT_TRUE(companies->item(1)->isChecked());
  EXPECT_FALSE(companies->item(0)->isChecked());
  EXPECT_EQ(window->context().Co_DataModule->Database1->directory(), install->companyDir(2));

  // The user's own company never asks.
  const int asked = dialogsShown.size();
  companies->item(0)->click();
  EXPECT_EQ(dialogsShown.size(), asked);
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1");
}

TEST_F(DispatchTest, TwoCompaniesWithOneNameEachSelectTheirOwn) {
  standardData();
  install->addCompany(2, "Les Entreprises Tremblay Ltée");
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  start();
  MenuItem* companies = menu->find("Changecompanies1");
  companies->item(1)->click();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "2");
  companies->item(0)->click();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1");
}

TEST_F(DispatchTest, ToolsMenuIsSeededAndItsMaintenanceGetsTheCatalogue) {
  installModules({"mtools"}, TESTMTOOLS);
  loginWith({"ut02", "gl03"});
  MenuItem* tools = menu->find("Accessories1");
  ASSERT_EQ(tools->count(), 1);
  EXPECT_EQ(tools->item(0)->name(), "mtools");
  EXPECT_EQ(tools->item(0)->caption(), "Maintenance du menu Outils");
  EXPECT_TRUE(tools->item(0)->isEnabled()) << "borrows the right to ut02";
  tools->item(0)->click();
  ASSERT_EQ(calls().size(), 1);
  const auto seen = calls()[0];
  EXPECT_EQ(seen.value("call"), "mtools");
  const int count = seen.value("codes.count").toInt();
  EXPECT_EQ(seen.value("names.count").toInt(), count);
  QStringList codes;
  for (int i = 0; i < count; ++i) codes << seen.value(QString("codes.%1").arg(i));
  EXPECT_TRUE(codes.contains("gl20")) << "every visible option, rights ignored";
  EXPECT_FALSE(catalogue()->codes().contains("gl20")) << "and the user's rights again afterwards";
  EXPECT_TRUE(catalogue()->codes().contains("gl03"));
}

TEST_F(DispatchTest, ToolsBorrowTheRightsOfTheOptionTheyName) {
  standardData();
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {"ar01"});
  start();
  EXPECT_FALSE(menu->find("Accessories1")->item(0)->isEnabled()) << "no right to ut02";
  EXPECT_EQ(menu->find("Accessories1")->item(0)->caption(), "Maintenance of Tools menu");
}

// A module of the Tools menu runs like the option it names: it needs that
// option's right whatever the row borrows, and the borrowed right can only
// take more away.
TEST_F(DispatchTest, AToolsModuleNeedsTheRightOfTheOptionItRuns) {
  standardData();
  install->addTool("ut03", true, "");      // users and rights, nothing borrowed
  install->addTool("ar05", true, "ut03");  // an option the clerk has, borrowing one he has not
  install->addTool("report9", true, "");   // a module that is no option: open to all
  install->addTool("ar01", false, "");     // a program named like an option: a program
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {"ar01", "ar05"});
  start();
  MenuItem* tools = menu->find("Accessories1");
  ASSERT_EQ(tools->count(), 4);
  EXPECT_FALSE(tools->find("ut03")->isEnabled());
  EXPECT_FALSE(tools->find("ar05")->isEnabled());
  EXPECT_TRUE(tools->find("report9")->isEnabled());
  EXPECT_TRUE(tools->find("ar01")->isEnabled());
}

TEST_F(DispatchTest, ARefusedOptionLeavesNoContextBehind) {
  installModules({"trk01", "gl03"});
  loginWith({"gl03"}, "ShowWelcome=N\ntracker=Y\n");
  {
    orba::data::Table accounts("Accounts");
    accounts.declare(orba::data::schemas::trkdb_table);
    accounts.setDatabaseName(install->companyDir(1));
    accounts.open();
    accounts.append();
    accounts.setValue("Trkdb_account", 5);
    accounts.setValue("Trkdb_name", "Projet");
    accounts.setValue("Trkdb_type", 1);
    accounts.post();
  }
  window->Load_database_menu();
  menu->find("trkopen")->item(0)->click();
  window->RunOption("trk01S");  // an icon for an option this user may not run
  EXPECT_EQ(messages.value(0), kNoRight);
  EXPECT_EQ(link().get(LinkRecord::Field::OptionContext), "");
  click("gl03");
  EXPECT_EQ(calls().last().value("OptionContext"), "") << "the next option does not inherit the account";
}

TEST_F(DispatchTest, ARightsFieldTooNarrowGrantsNothing) {
  standardData();
  // A users table whose rights field holds only 100 bytes.
  std::vector<orba::data::FieldSpec> fields(orba::data::schemas::User_table.fields.begin(),
                                            orba::data::schemas::User_table.fields.end());
  for (auto& f : fields)
    if (f.name == "User_security") f.size = 100;
  const orba::data::TableSpec narrow{"User_table", "user.db", 1, fields};
  {
    orba::data::Table users("Users");
    users.declare(narrow);
    users.setDatabaseName(install->dataDir());
    users.createTable();
    users.open();
    users.append();
    users.setValue("User_password", "ADMIN");
    users.setValue("User_code", "ADMIN");
    users.setValue("User_name", "Admin");
    users.setValue("User_language", 0);
    users.setValue("User_company", 1);
    users.setValue("User_security", Installation::rights({"*"}).left(100));
    users.post();
  }
  start();
  EXPECT_FALSE(menu->find("gl01")->isEnabled());
  EXPECT_FALSE(menu->find("gl03")->isEnabled());
}
