#include <QLabel>
#include <QStatusBar>

#include "DesktopFixture.h"

using orba::dispatch::LinkRecord;

class LoginTest : public DesktopFixture {};

TEST_F(LoginTest, SingleUserLogsInWithoutADialog) {
  standardData();
  install->addUser("SECRET", "ADMIN", "Marie-Ève Tremblay", 0, 1, {"*"});
  start();
  EXPECT_TRUE(dialogsShown.isEmpty()) << dialogsShown.join(",").toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "Marie-Ève Tremblay");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "1");
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Les Entreprises Tremblay Ltée");
  EXPECT_EQ(link().section().UserDetail, 7);
  EXPECT_TRUE(window->StatusBar->isVisibleTo(window));
  EXPECT_EQ(window->StatusPanels[0]->text(), "Les Entreprises Tremblay Ltée");
  EXPECT_TRUE(window->windowTitle().endsWith(QString::number(QDate::currentDate().year()) + " "));
  EXPECT_TRUE(menu->find("Changecompanies1")->item(0)->isChecked());
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(LoginTest, TwoUsersAskForThePasswordTypedInAnyCase) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  install->addUser("CLERK", "CLERK", "John Smith", 0, 1, {"ar01"});
  // Unknown, longer than any stored password, then right.
  answers = {typePassword("nobody"), typePassword("muchtoolongforthefield"), typePassword("clerk")};
  start();
  EXPECT_EQ(dialogsShown, (QStringList{"PasswordDlg", "PasswordDlg", "PasswordDlg"}))
      << "an unknown password asks again";
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), "John Smith");
  EXPECT_TRUE(menu->find("ar01")->isEnabled());
  EXPECT_FALSE(menu->find("gl03")->isEnabled());
}

TEST_F(LoginTest, CancelClosesWithoutSavingTheDesktopButWithThePlacement) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  install->addUser("CLERK", "CLERK", "Clerk", 0, 1, {});
  answers = {typePassword("ADMIN", false)};
  window = nullptr;
  start();
  EXPECT_FALSE(window->saveOnClose());
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(readSettingsFile().contains(",Y\n")) << readSettingsFile().toStdString();
  EXPECT_EQ(link().get(LinkRecord::Field::UserName), QString()) << "nobody logged in";
}

TEST_F(LoginTest, UserWithoutLanguageKeepsTheSettingsLanguage) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  start("ShowWelcome=N\nlanguage=1\n");
  EXPECT_EQ(link().get(LinkRecord::Field::LoginName), "");
  EXPECT_EQ(link().language(), 0) << "the link record takes the user's 0";
  EXPECT_EQ(link().languageCode(), "en");
  EXPECT_EQ(menu->find("gl03")->caption(), "Transactions entry");
}

TEST_F(LoginTest, FrenchUserGetsTheFrenchDesktop) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève", 2, 1, {"*"});
  start();
  EXPECT_EQ(link().get(LinkRecord::Field::LoginName), "Marie-Ève");
  EXPECT_EQ(link().language(), 2);
  EXPECT_EQ(link().languageCode(), "fr");
  EXPECT_TRUE(menu->find("MenuItemfr")->isChecked());
  EXPECT_FALSE(menu->find("MenuItemen")->isChecked());
  EXPECT_EQ(menu->find("gl03")->caption(), "Saisie des transactions");
  EXPECT_EQ(window->context().PasswordDlg->windowTitle(), "Mot de passe");
}

TEST_F(LoginTest, NoCompanyYetRunsCompanyCreationThenTheWizard) {
  install->addLanguages();
  install->emptyCompanies();
  install->ensureDesktops();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  installModules({"creco"}, TESTCRECO);
  start();
  ASSERT_FALSE(dialogsShown.isEmpty());
  EXPECT_EQ(dialogsShown[0], "frmDefaultInfo");
  EXPECT_EQ(window->context().frmDefaultInfo->directory(), install->dataDir() + "1");
}

// The wizard cannot be left without writing into the first company: when
// company creation made none, the run ends with the reason instead.
TEST_F(LoginTest, NoCompanyCreatedEndsTheRunWithoutTheWizard) {
  install->addLanguages();
  install->emptyCompanies();
  install->ensureDesktops();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"});
  installModules({"creco"});  // the test module: runs, creates nothing
  start();
  EXPECT_EQ(calledLibraries().value(0), "creco");
  EXPECT_FALSE(dialogsShown.contains("frmDefaultInfo"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], window->message(orba::dispatch::ErrorMessage::NoCompanyCreated));
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->saveOnClose());
}

TEST_F(LoginTest, StandardDesktopIsMarkedChangedAndWelcomeAndPrinterFollowTheUser) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 1, {"*"}, "pdf");
  install->addUser("CLERK", "CLERK", "Clerk", 0, 1, {});
  answers = {[](QDialog& d) {
    auto* password = qobject_cast<orba::shell::TPasswordDlg*>(&d);
    QTest::keyClicks(password->Password, "admin");
    password->DesktopCheckBox->setChecked(true);
    return static_cast<int>(QDialog::Accepted);
  }};
  start("ShowWelcome=Y\n");
  EXPECT_TRUE(window->desktopChanged());
  EXPECT_EQ(dialogsShown.last(), "frmWelcome");
  EXPECT_EQ(window->context().frmWelcome->settingsSection(), "orba");
  EXPECT_EQ(link().get(LinkRecord::Field::PrinterIndex), "2") << "found by name, whatever the case";
  EXPECT_EQ(window->StatusPanels[1]->text(), "PDF");
  EXPECT_TRUE(window->context().PasswordDlg->Password->text().isEmpty());
}

TEST_F(LoginTest, MissingCompanyFolderStopsTheSequenceWithTheEnginesMessage) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Admin", 0, 7, {"*"});
  start();
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_TRUE(messages.last().contains("data7")) << messages.last().toStdString();
  EXPECT_FALSE(window->windowTitle().contains(QString::number(QDate::currentDate().year())))
      << "the steps after the failure did not run";
  window->FormActivate();
  EXPECT_EQ(messages.size(), 1) << "later activations do not retry";
}

TEST_F(LoginTest, AMissingDataDriveIsReportedOnceAndTheWindowStaysUsable) {
  // The folder the settings name is not there: nothing is made in its place.
  QFile user(dir.filePath("user.ini"));
  ASSERT_TRUE(user.open(QIODevice::WriteOnly));
  user.write(QString("[Orba]\ndatadrive=%1\n").arg(dir.filePath("absent")).toUtf8());
  user.close();
  start();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(dir.filePath("absent") + "/Orba/data")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("datadrive")) << messages[0].toStdString();
  window->FormActivate();
  window->FormActivate();
  EXPECT_EQ(messages.size(), 1) << "activations after a failed start do not repeat the error";
  EXPECT_FALSE(window->MainMenu->find("ut03")->isEnabled()) << "no rights were applied, so nothing may run";
  EXPECT_FALSE(window->MainMenu->find("gl03f")->isEnabled());
  EXPECT_FALSE(window->MainMenu->find("Setupwizard1")->isEnabled());
}
