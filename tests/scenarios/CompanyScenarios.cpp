// Companies through the window system: a second company made from company
// maintenance and chosen from the menu, a set-up wizard that was stopped
// offered again, and the first start on a folder that holds nothing yet.

#include <QAbstractItemView>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>

#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "MenuItem.h"
#include "Scenario.h"
#include "Table.h"
#include "TableSchemas.h"

namespace {

using orba::dispatch::LinkRecord;

class CompanyScenario : public Scenario {
 protected:
  // Company creation's window, filled in as a user does. On a new
  // installation it tells who the first user is before it closes.
  void createCompany(Driver& d, const QString& name, bool newInstallation = false) {
    ASSERT_TRUE(d.waitForWindow("frmCreateCompany")) << d.windowsOnScreen().toStdString();
    d.click("frmCreateCompany", "edtName");
    d.type(name);
    d.click("frmCreateCompany", "btnCreate");
    if (newInstallation) {
      ASSERT_TRUE(d.waitForWindow("CompanyMessage")) << d.windowsOnScreen().toStdString();
      EXPECT_TRUE(d.gui([&] { return d.messageBoxText(); }).contains("ADMIN"));
      ASSERT_TRUE(d.giveKeyboardTo("CompanyMessage"));
      d.key("Return");
    }
    ASSERT_TRUE(d.waitForWindowGone("frmCreateCompany"))
        << d.gui([&] { return d.messageBoxText(); }).toStdString();
  }
  // The wizard's pages outside Canada, with this first rate.
  void goThroughTheWizard(Driver& d, const QString& rate) {
    ASSERT_TRUE(d.waitForWindow("frmDefaultInfo")) << d.windowsOnScreen().toStdString();
    d.click("frmDefaultInfo", "btnNext1");
    ASSERT_TRUE(d.waitUntil([&] { return d.child("frmDefaultInfo", "edtGST") != nullptr; }));
    d.click("frmDefaultInfo", "edtGST");
    d.key("ctrl+a");
    d.type(rate);
    d.click("frmDefaultInfo", "btnNext3");
    ASSERT_TRUE(d.waitUntil([&] { return d.child("frmDefaultInfo", "btnNext4") != nullptr; }));
    d.click("frmDefaultInfo", "btnNext4");
    ASSERT_TRUE(d.waitUntil([&] { return d.child("frmDefaultInfo", "btnClose") != nullptr; }));
    d.click("frmDefaultInfo", "btnClose");
    ASSERT_TRUE(d.waitForWindowGone("frmDefaultInfo")) << d.windowsOnScreen().toStdString();
  }
  // The first rate the company's control record holds; invalid when none.
  QVariant gstOf(const QString& companyDir) const {
    orba::data::Table t("Check");
    t.declare(orba::data::schemas::Setup_Ctrl_table);
    t.setDatabaseName(companyDir);
    t.open();
    return t.value("Ctrl_fed_rate");
  }
  // The machine-wide settings with `datadrive` naming another folder.
  void settingsWithDataDrive(const QString& dataDrive, const QString& extra) {
    writeSettings();
    QFile f(dir.filePath("orba.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QString("[Orba]\npgmdrive=%1\ndatadrive=%2\nShowWelcome=N\n%3")
                .arg(dir.path(), dataDrive, extra)
                .toUtf8());
  }
};

// Company maintenance makes the company, the company menu lists it when the
// option closes, and choosing it moves the desktop there; the new company's
// set-up is offered, and the System menu runs the wizard for it.
TEST_F(CompanyScenario, ASecondCompanyMadeFromCompanyMaintenanceIsChosenFromTheMenu) {
  standardData();
  install->addUser("ADMIN", "ADMIN", "Marie-Ève Tremblay", 1, 1, {"*"});
  install->addUser("CLERK", "CLERK", "John Smith", 1, 1, {"ar01"});
  writeSettings("ShowWelcome=N\nDisplayPW=Y\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(logIn(d, "admin"));
    ASSERT_TRUE(d.chooseMenu({"Systemmanager1", "Edit5", "mcomp"}));
    ASSERT_TRUE(d.waitForWindow("frmCompanies")) << d.windowsOnScreen().toStdString();
    d.click("frmCompanies", "btnNew");
    createCompany(d, "Northern Lights Trading");
    ASSERT_TRUE(d.waitUntil([&] {
      auto* grid = qobject_cast<QTableWidget*>(d.child("frmCompanies", "grdCompanies"));
      return grid && grid->rowCount() == 2 && grid->item(1, 1)->text() == "Northern Lights Trading";
    }));
    d.screenshot("company-maintenance-new-company");
    d.click("frmCompanies", "btnClose");
    ASSERT_TRUE(d.waitForWindowGone("frmCompanies"));

    ASSERT_TRUE(d.waitUntil([&] { return window->MainMenu->find("Changecompanies1")->count() == 2; }));
    ASSERT_TRUE(d.chooseMenu({"Settings1", "Changecompanies1", "#1"}));
    // Its set-up was never completed: the program offers the wizard.
    ASSERT_TRUE(d.waitForWindow("SetupOffer")) << d.windowsOnScreen().toStdString();
    EXPECT_TRUE(d.gui([&] { return d.messageBoxText(); }).contains("Northern Lights Trading"));
    d.click("SetupOffer", "btnLater");
    ASSERT_TRUE(d.waitForWindowGone("SetupOffer"));
    EXPECT_EQ(d.gui([&] { return LinkRecord::instance().get(LinkRecord::Field::CompanyNumber); }), "2");
    EXPECT_EQ(d.gui([&] { return window->StatusPanels[0]->text(); }), "Northern Lights Trading");
    EXPECT_TRUE(d.gui([&] { return window->MainMenu->find("Changecompanies1")->item(1)->isChecked(); }));
    EXPECT_FALSE(d.gui([&] { return window->MainMenu->find("Changecompanies1")->item(0)->isChecked(); }));

    // Later, from the System menu.
    ASSERT_TRUE(d.chooseMenu({"Systemmanager1", "Setupwizard1"}));
    goThroughTheWizard(d, "20");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
  EXPECT_EQ(gstOf(install->companyDir(2)).toDouble(), 20.0);
}

// The first start stopped on the wizard's first page: the company is made,
// its set-up is not. The program offers the wizard again (and at the next
// start), until it is completed.
TEST_F(CompanyScenario, AnInterruptedWizardIsOfferedAgain) {
  writeSettings("ShowWelcome=N\n");
  bool quit = run([&](Driver& d) {
    createCompany(d, "Atelier Beaulieu", true);
    ASSERT_TRUE(d.waitForWindow("frmDefaultInfo")) << d.windowsOnScreen().toStdString();
    ASSERT_TRUE(d.waitUntil([&] { return d.child("frmDefaultInfo", "btnNext1") != nullptr; }));
    // Stopped there, as a process is stopped: nothing of the wizard stored.
    d.gui([&] { qobject_cast<QDialog*>(d.window("frmDefaultInfo"))->done(QDialog::Rejected); });
    ASSERT_TRUE(d.waitForWindow("SetupOffer")) << d.windowsOnScreen().toStdString();
    d.click("SetupOffer", "btnLater");
    ASSERT_TRUE(d.waitForWindowGone("SetupOffer")) << d.windowsOnScreen().toStdString();
    ASSERT_TRUE(logIn(d));
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
  ASSERT_TRUE(QFile::exists(install->companyDir(1) + "/ctrl.DB"));
  EXPECT_FALSE(gstOf(install->companyDir(1)).isValid());

  // The next start.
  quit = run([&](Driver& d) {
    ASSERT_TRUE(d.waitForWindow("SetupOffer")) << d.windowsOnScreen().toStdString();
    EXPECT_TRUE(d.gui([&] { return d.messageBoxText(); }).contains("Atelier Beaulieu"));
    d.screenshot("setup-offered-again");
    d.click("SetupOffer", "btnNow");
    goThroughTheWizard(d, "7");
    ASSERT_TRUE(logIn(d));
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
  EXPECT_EQ(gstOf(install->companyDir(1)).toDouble(), 7.0);
}

// `datadrive` names an empty folder: the data folder is made there and the
// first start goes on, in French, to company creation and the wizard.
TEST_F(CompanyScenario, ABlankFolderStartsWithCompanyCreationInFrench) {
  const QString office = dir.filePath("bureau");
  ASSERT_TRUE(QDir().mkpath(office));
  settingsWithDataDrive(office, "language=2\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(d.waitForWindow("frmCreateCompany")) << d.windowsOnScreen().toStdString();
    EXPECT_EQ(d.gui([&] { return d.window("frmCreateCompany")->windowTitle(); }), "Créer une entreprise");
    d.settle(300);
    d.screenshot("blank-folder-first-start-fr");
    createCompany(d, "Atelier Beaulieu", true);
    goThroughTheWizard(d, "5");
    ASSERT_TRUE(logIn(d));
    EXPECT_EQ(d.gui([&] { return window->StatusPanels[0]->text(); }), "Atelier Beaulieu");
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
  EXPECT_TRUE(QFile::exists(office + "/Orba/data/comp.db"));
  EXPECT_EQ(gstOf(office + "/Orba/data1").toDouble(), 5.0);
}

// `datadrive` names a folder that is not there: it is not made; the user
// reads in French which folder is missing, which setting of which file
// names it and what to do.
TEST_F(CompanyScenario, AMissingFolderSaysWhatToDoInFrench) {
  const QString absent = dir.filePath("mnt/bureau");
  settingsWithDataDrive(absent, "language=2\n");
  const bool quit = run([&](Driver& d) {
    ASSERT_TRUE(d.waitUntil([&] { return !d.messageBoxText().isEmpty(); }))
        << d.windowsOnScreen().toStdString();
    const QString text = d.gui([&] { return d.messageBoxText(); });
    EXPECT_TRUE(text.startsWith("Le dossier de données " + absent + "/Orba/data ne peut pas être créé"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("datadrive")) << text.toStdString();
    EXPECT_TRUE(text.contains(dir.filePath("orba.ini"))) << text.toStdString();
    d.settle(300);
    d.screenshot("blank-folder-missing-fr");
    ASSERT_TRUE(d.giveKeyboardTo("QMessageBox"));
    d.key("Return");
    ASSERT_TRUE(d.waitUntil([&] { return d.messageBoxText().isEmpty(); }));
    EXPECT_FALSE(d.gui([&] { return mainWindow()->MainMenu->find("ut03")->isEnabled(); }))
        << "nothing may run";
    ASSERT_TRUE(quitByMenu(d));
  });
  EXPECT_TRUE(quit);
  EXPECT_FALSE(QFile::exists(dir.filePath("mnt")));
}

}  // namespace
