// The set-up of a company from the main window: the wizard run for a
// company, offered again where the set-up was never completed, and the
// System menu's entry that runs it for the current company.
//
// Who may: the right to Parameters maintenance (ut02), which changes the
// same values (tax rates, currency words) afterwards. It needs no bit of its
// own in the rights field, so the stored rights keep their layout.

#include <QMessageBox>
#include <QPushButton>

#include "CompanyDefaults.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "Dialogs.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "MessageList.h"
#include "Messages.h"
#include "SetCaptions.h"
#include "SetupWizard.h"

namespace orba::shell {

using controls::MenuItem;
using dispatch::LinkRecord;

namespace {

LinkRecord& link() { return LinkRecord::instance(); }
QString languageTable() { return QStringLiteral("MainMenu") + link().languageCode(); }
QString currentCompanyDir() {
  return CompanyDir(link().get(LinkRecord::Field::DataDir), link().get(LinkRecord::Field::CompanyNumber));
}

}  // namespace

bool TLogoAppForm::maySetUpCompany() const {
  const MenuItem* parameters = MainMenu->find(QStringLiteral("ut02"));
  return parameters && parameters->isEnabled();
}

void TLogoAppForm::followSetupRight() {
  MainMenu->find(QStringLiteral("Setupwizard1"))->setEnabled(maySetUpCompany());
}

bool TLogoAppForm::runSetupWizard(const QString& companyDir, const QString& companyName, WizardRun run) {
  TfrmDefaultInfo* wizard = context_.frmDefaultInfo;
  wizard->setDirectory(companyDir);
  wizard->setDataDir(link().get(LinkRecord::Field::DataDir));
  wizard->setLanguage(link().language());
  wizard->setSettings(&settings_);
  wizard->setErrorTexts(errorTexts_);
  wizard->setCancellable(run != WizardRun::FirstStart);
  localization::SetCaptions(wizard, wizard->components(), languageTable());
  // A company set up before shows what it holds, so that going through the
  // pages does not replace its rates by the proposed ones. A new company
  // holds nothing yet.
  if (run != WizardRun::FirstStart) wizard->startFrom(readRecordedSetup(companyDir));
  if (!companyName.isEmpty())
    wizard->setWindowTitle(QStringLiteral("%1 - %2").arg(wizard->windowTitle(), companyName));
  if (controls::Dialogs::exec(*wizard) != QDialog::Accepted) return false;
  // The display settings the wizard wrote are the program's from now on.
  settings_.reload();
  ReadRegionalSettings(settings_);
  shell_.intl = settings_.value(kSettingsSection, QStringLiteral("intl"), QStringLiteral("N"));
  Internationalize();
  return true;
}

bool TLogoAppForm::askToCompleteSetup(const QString& companyName) {
  TfrmDefaultInfo* wizard = context_.frmDefaultInfo;
  // The question's words are the wizard's, in the user's language.
  localization::SetCaptions(wizard, wizard->components(), languageTable());
  const QString text = wizard->memOffer->line(kOfferWhy).arg(companyName) + QStringLiteral("\n\n") +
                       wizard->memOffer->line(kOfferQuestion);
  QMessageBox box(QMessageBox::Question, controls::Messages::title(), text, QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("SetupOffer"));
  QPushButton* now = box.addButton(wizard->memOffer->line(kOfferNow), QMessageBox::YesRole);
  now->setObjectName(QStringLiteral("btnNow"));
  QPushButton* later = box.addButton(wizard->memOffer->line(kOfferLater), QMessageBox::NoRole);
  later->setObjectName(QStringLiteral("btnLater"));
  box.setDefaultButton(now);
  box.setEscapeButton(later);
  controls::Dialogs::exec(box);
  return box.clickedButton() == now;
}

void TLogoAppForm::offerCompanySetup() {
  if (!maySetUpCompany()) return;
  const QString companyDir = currentCompanyDir();
  const QString companyName = link().get(LinkRecord::Field::CompanyName);
  try {
    if (!readRecordedSetup(companyDir).needsWizard()) return;
    if (askToCompleteSetup(companyName)) runSetupWizard(companyDir, companyName, WizardRun::Offered);
  } catch (const data::DatabaseError& e) {
    // Told, and the start goes on: the company was opened already.
    showError(describe(e));
  }
}

void TLogoAppForm::Setupwizard1Click() {
  if (!maySetUpCompany()) return;
  try {
    runSetupWizard(currentCompanyDir(), link().get(LinkRecord::Field::CompanyName), WizardRun::Chosen);
  } catch (const data::DatabaseError& e) {
    showError(describe(e));
  }
}

}  // namespace orba::shell
