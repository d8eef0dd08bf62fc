// A company's set-up after the first start: a company whose set-up was never
// completed is offered the wizard at login and when it is chosen, to a user
// with the right to Parameters maintenance; System > Setup Wizard runs it for
// the current company. The whole program on an installation on disk, its
// dialogs answered in advance.

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "DesktopFixture.h"
#include "MaskEdit.h"
#include "RadioGroup.h"
#include "SetupWizard.h"
#include "Table.h"
#include "TableSchemas.h"

using orba::dispatch::LinkRecord;
using orba::shell::TfrmDefaultInfo;
namespace sc = orba::data::schemas;

namespace {

// ctrl.DB as company creation makes it: every field of the record, the
// wizard's left empty.
std::vector<orba::data::FieldSpec> controlFields() {
  std::vector<orba::data::FieldSpec> fields(sc::Co_Ctrl_table.fields.begin(), sc::Co_Ctrl_table.fields.end());
  fields.insert(fields.end(), sc::Setup_Ctrl_table.fields.begin(), sc::Setup_Ctrl_table.fields.end());
  return fields;
}

class CompanySetupTest : public DesktopFixture {
 protected:
  // A company as creation leaves it; `gstRate` set, it was set up.
  void addCompany(int code, const QString& name, const QVariant& gstRate = {}) {
    Installation::fill(sc::Co_Table, install->dataDir(), [&](orba::data::Table& t) {
      t.append();
      t.setValue("Comp_Code", code);
      t.setValue("Comp_Name", name);
      t.post();
    });
    Installation::fill(orba::data::TableSpec{"Ctrl_table", "ctrl.DB", 0, controlFields()},
                       install->companyDir(code), [&](orba::data::Table& t) {
                         t.append();
                         t.setValue("Ctrl_periods", 12);
                         if (gstRate.isValid()) t.setValue("Ctrl_fed_rate", gstRate);
                         t.post();
                       });
    for (const auto* shape : {&sc::TaxRates_table, &sc::TaxRatesP_table})
      Installation::fill(*shape, install->companyDir(code), [](orba::data::Table&) {});
  }
  QVariant gstOf(int code) const {
    orba::data::Table t("Check");
    t.declare(sc::Setup_Ctrl_table);
    t.setDatabaseName(install->companyDir(code));
    t.open();
    return t.value("Ctrl_fed_rate");
  }
  // Answers the offer with its button "btnNow" or "btnLater", recording
  // the question.
  std::function<int(QDialog&)> answerOffer(const char* button) {
    return [this, button](QDialog& d) {
      auto* box = qobject_cast<QMessageBox*>(&d);
      EXPECT_NE(box, nullptr) << d.objectName().toStdString();
      if (!box) return static_cast<int>(QDialog::Rejected);
      offered << box->text();
      box->findChild<QAbstractButton*>(button)->click();
      return box->result();
    };
  }
  // Goes through the wizard outside Canada with this first rate; the
  // title and the rate it started from are recorded.
  std::function<int(QDialog&)> completeWizard(const QString& gst, bool close = true) {
    return [this, gst, close](QDialog& d) {
      auto* wizard = qobject_cast<TfrmDefaultInfo*>(&d);
      EXPECT_NE(wizard, nullptr) << d.objectName().toStdString();
      if (!wizard) return static_cast<int>(QDialog::Rejected);
      wizardTitles << wizard->windowTitle();
      startedWith << wizard->edtGST->text();
      EXPECT_TRUE(wizard->cancellable());
      if (!close) {
        // Escape, as the dialog takes it.
        static_cast<QDialog*>(wizard)->reject();
        return wizard->result();
      }
      wizard->FormActivate();
      wizard->rgpInCanada->setItemIndex(1);
      wizard->btnNext1->click();
      wizard->edtGST->setText(gst);
      wizard->btnNext3->click();
      wizard->btnNext4->click();
      wizard->btnClose->click();
      EXPECT_EQ(wizard->result(), QDialog::Accepted) << wizard->lblError->text().toStdString();
      return wizard->result();
    };
  }

  QStringList offered;
  QStringList wizardTitles;
  QStringList startedWith;
};

TEST_F(CompanySetupTest, AtLoginACompanyNeverSetUpIsOfferedTheWizardUntilItIsCompleted) {
  install->addLanguages();
  install->ensureDesktops();
  addCompany(1, "Alpha", 5.0);
  addCompany(2, "Beta");
  install->addUser("ADMIN", "ADMIN", "Admin", 1, 2, {"*"});

  // Later: nothing is written, and the next start asks again.
  answers = {answerOffer("btnLater")};
  start();
  ASSERT_EQ(offered.size(), 1);
  EXPECT_TRUE(offered[0].startsWith("The set-up of Beta was never completed")) << offered[0].toStdString();
  EXPECT_FALSE(dialogsShown.contains("frmDefaultInfo"));
  EXPECT_FALSE(gstOf(2).isValid());
  window->close();
  app.reset();

  // Now, then the wizard left without saving: asked again at the next start.
  answers = {answerOffer("btnNow"), completeWizard("", false)};
  start();
  EXPECT_EQ(offered.size(), 2);
  EXPECT_EQ(wizardTitles, QStringList{"Setup Wizard - Beta"});
  EXPECT_FALSE(gstOf(2).isValid());
  window->close();
  app.reset();

  answers = {answerOffer("btnNow"), completeWizard("20")};
  start();
  EXPECT_EQ(offered.size(), 3);
  EXPECT_EQ(gstOf(2).toDouble(), 20.0) << messages.join('|').toStdString();
  EXPECT_EQ(gstOf(1).toDouble(), 5.0) << "only the user's company";
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
  window->close();
  app.reset();

  // Completed: never offered again.
  dialogsShown.clear();
  start();
  EXPECT_EQ(offered.size(), 3);
  EXPECT_TRUE(dialogsShown.isEmpty()) << dialogsShown.join(',').toStdString();
}

TEST_F(CompanySetupTest, OnlyAUserWithTheRightToParametersMaintenanceIsOfferedIt) {
  install->addLanguages();
  install->ensureDesktops();
  addCompany(1, "Alpha");
  install->addUser("CLERK", "CLERK", "Clerk", 1, 1, {"ar01", "ut03"});
  start();
  EXPECT_TRUE(dialogsShown.isEmpty()) << dialogsShown.join(',').toStdString();
  EXPECT_FALSE(menu->find("Setupwizard1")->isEnabled());
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyName), "Alpha");
}

TEST_F(CompanySetupTest, ChoosingACompanyNeverSetUpOffersTheWizardForThatCompany) {
  install->addLanguages();
  install->ensureDesktops();
  addCompany(1, "Alpha", 5.0);
  addCompany(2, "Beta");
  install->addUser("ADMIN", "ADMIN", "Admin", 1, 1, {"ut02"});
  start();
  EXPECT_TRUE(offered.isEmpty());
  answers = {answerOffer("btnNow"), completeWizard("19")};
  menu->find("Changecompanies1")->item(1)->click();
  EXPECT_EQ(link().get(LinkRecord::Field::CompanyNumber), "2");
  EXPECT_EQ(offered.size(), 1);
  EXPECT_EQ(gstOf(2).toDouble(), 19.0) << messages.join('|').toStdString();
  // Back to Alpha, set up long ago: nothing asked.
  menu->find("Changecompanies1")->item(0)->click();
  EXPECT_EQ(offered.size(), 1);
  EXPECT_EQ(gstOf(1).toDouble(), 5.0);
}

TEST_F(CompanySetupTest, TheSystemMenuRunsTheWizardForTheCurrentCompanyFromWhatItHolds) {
  install->addLanguages();
  install->ensureDesktops();
  addCompany(1, "Alpha", 5.0);
  addCompany(3, "Gamma", 7.0);
  install->addUser("ADMIN", "ADMIN", "Admin", 1, 3, {"*"});
  start();
  EXPECT_TRUE(dialogsShown.isEmpty()) << dialogsShown.join(',').toStdString();
  orba::controls::MenuItem* entry = menu->find("Setupwizard1");
  ASSERT_TRUE(entry->isEnabled());
  EXPECT_EQ(entry->caption(), "Setup Wizard...");

  // Left: the menu keeps its wording. Completed outside Canada: the
  // international wording at once, as the settings the wizard wrote say.
  const QString wording = menu->find("ap09")->caption();
  ASSERT_NE(wording, "Edit check entries");
  answers = {completeWizard("", false)};
  entry->click();
  EXPECT_EQ(menu->find("ap09")->caption(), wording);
  answers = {completeWizard("8")};
  entry->click();
  EXPECT_EQ(menu->find("ap09")->caption(), "Edit check entries");
  EXPECT_EQ(startedWith, (QStringList{"7", "7"}));
  EXPECT_EQ(wizardTitles, (QStringList{"Setup Wizard - Gamma", "Setup Wizard - Gamma"}));
  EXPECT_EQ(gstOf(3).toDouble(), 8.0);
  EXPECT_EQ(gstOf(1).toDouble(), 5.0);
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

}  // namespace
