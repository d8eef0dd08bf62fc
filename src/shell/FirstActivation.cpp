// The main window's first activation: what the login shows and how its
// results are applied to the window. The data steps are LoginSession's.

#include <QCheckBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>

#include "CompanyMenu.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "HelpWindow.h"
#include "LanguageMenu.h"
#include "LinkRecord.h"
#include "LoginSession.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "PasswordDlg.h"
#include "PrinterCatalog.h"
#include "PrinterMenu.h"
#include "RegionalFormats.h"
#include "SetCaptions.h"
#include "SetupWindows.h"
#include "SmallWindows.h"

namespace orba::shell {

using controls::MenuItem;
using dispatch::ErrorMessage;
using dispatch::LinkRecord;

namespace {
LinkRecord& link() { return LinkRecord::instance(); }
QString languageTable() { return QStringLiteral("MainMenu") + link().languageCode(); }
}  // namespace

void TLogoAppForm::FormActivate() {
  // Once only, even when connecting the system database fails: every closed
  // message box activates the window again, and a retry would show the same
  // error for ever.
  if (!session_ || session_->systemConnected() || activationStarted_) return;
  activationStarted_ = true;
  try {
    // A data folder to work in first. Without one the sequence stops here,
    // as after any failure of the tables: nothing may run.
    if (!checkDataFolder()) return;
    // From here on, the activations caused by the dialogs below return at once.
    if (!session_->connectSystem()) {
      RunOption(QStringLiteral("creco"));
      // The wizard writes into the first company, and cannot be left
      // without writing: when company creation made none (cancelled or
      // failed), say so and end the run instead.
      if (!QFileInfo(session_->firstCompanyDirectory()).isDir()) {
        controls::Messages::error(message(ErrorMessage::NoCompanyCreated), this);
        saveOnClose_ = false;
        close();
        return;
      }
      runSetupWizard(session_->firstCompanyDirectory(), QString(), WizardRun::FirstStart);
      session_->refreshCompanies();
    }

    // Without the users table nobody can log in.
    session_->openUsers();
    // What the login can do without is told once, and the login goes on
    // with what can be read: the standard desktop without the desktops
    // table, the settings' language without the languages table, the design
    // texts without a language table, no Tools without the tools table.
    carryOn([&] { session_->openDesktops(); });
    carryOn([&] { session_->openLanguages(); });
    carryOn([&] {
      localization::SetCaptions(context_.PasswordDlg, context_.PasswordDlg->components(), languageTable());
    });
    carryOn([&] { Load_language_menu(); });

    if (!Login()) {
      saveOnClose_ = false;
      close();
      return;
    }

    carryOn([&] { applyUserLanguage(); });
    // Normal, or maximised when it was left maximised.
    setWindowState(placement_.maximized ? (windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized
                                        : windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    StatusBar->show();
    ApplyMenuSecurity();
    carryOn([&] { Load_applications(); });
    context_.PasswordDlg->Password->clear();
    Set_up_link();
    Internationalize();
    selectUserPrinter();

    // The standard desktop chosen at login (the six list icons) replaces the
    // stored one at close; the menus and catalogue that follow from the user
    // are set up either way.
    if (context_.PasswordDlg->DesktopCheckBox->isChecked()) {
      restoreStandardIcons();
      setUpAfterRestore();
    } else {
      Set_Desktop();
    }

    StatusPanels[0]->setText(link().get(LinkRecord::Field::CompanyName));
    showPrinterInStatus();
    setDateCaption();

    // From here on the desktop on screen is this user's, and closing stores it.
    desktopOwned_ = true;

    if (shell_.trackerInstalled()) carryOn([&] { Load_database_menu(); });
    offerCompanySetup();
    showSetupNotices();
    showWelcome();
  } catch (const data::DatabaseError& e) {
    // The remaining steps do not run; later activations do not retry them.
    showError(describe(e));
  }
}

void TLogoAppForm::carryOn(const std::function<void()>& step) {
  try {
    step();
  } catch (const data::DatabaseError& e) {
    showError(describe(e));
  }
}

bool TLogoAppForm::Login() {
  switch (session_->loginMode()) {
    case LoginSession::LoginMode::NoUser:
      showError(QStringLiteral("No user is defined in %1: nobody can log in.").arg(session_->usersFile()));
      return false;
    case LoginSession::LoginMode::FirstUser:
      return true;
    case LoginSession::LoginMode::Password:
      break;
  }
  // An unknown password asks again, without a message; Cancel fails the
  // login even when the typed text matched.
  for (;;) {
    const int outcome = controls::Dialogs::exec(*context_.PasswordDlg);
    const bool found = session_->findUser(context_.PasswordDlg->Password->text());
    if (outcome != QDialog::Accepted) return false;
    if (found) return true;
  }
}

void TLogoAppForm::applyUserLanguage() {
  const std::optional<QString> table = session_->applyUserLanguage();
  if (!table) return;  // the user keeps the language of the settings
  languageMenu_->check(link().languageCode());
  translateQt(link().languageCode());
  translate(*table);
  const std::pair<QObject*, controls::Form*> followers[] = {
      {context_.PasswordDlg, context_.PasswordDlg},     {context_.CompPasswd_Frm, context_.CompPasswd_Frm},
      {context_.ContactUs, context_.ContactUs},         {context_.ShortcutDlg, context_.ShortcutDlg},
      {context_.PropertiesDlg, context_.PropertiesDlg}, {context_.AboutBox, context_.AboutBox},
      {context_.frmSetup, context_.frmSetup},           {context_.frmWelcome, context_.frmWelcome},
      {context_.HelpWindow, context_.HelpWindow}};
  for (const auto& [window, form] : followers) localization::SetCaptions(window, form->components(), *table);
}

void TLogoAppForm::Set_up_link() {
  const LoginSession::Link linked = session_->setUpLink();
  setVersionPanel();
  companyMenu_->fill(linked.companies, linked.current);
}

void TLogoAppForm::selectUserPrinter() {
  const int index = session_->userPrinterIndex(printers::PrinterCatalog::instance().printerNames());
  if (index >= 0) printerMenu_->select(index);
}

void TLogoAppForm::showSetupNotices() {
  const MenuItem* payrollEntry = MainMenu->find(QStringLiteral("pa04"));
  const MenuItem* jobCostEntry = MainMenu->find(QStringLiteral("jc10"));
  const LoginSession::Notices notices = session_->setupNotices(!payrollEntry || payrollEntry->isEnabled(),
                                                               !jobCostEntry || jobCostEntry->isEnabled());
  if (notices.payroll) {
    context_.frmSetup->setNotices(true, false);
    controls::Dialogs::exec(*context_.frmSetup);
  }
  if (notices.jobCost) {
    context_.frmSetup->setNotices(false, true);
    controls::Dialogs::exec(*context_.frmSetup);
  }
}

void TLogoAppForm::showWelcome() {
  if (!shell_.ShowWelcome) return;
  context_.frmWelcome->setSettingsSection(QStringLiteral("orba"));
  context_.frmWelcome->setSettings(&settings_);
  context_.frmWelcome->setLinkSection(link().section());
  controls::Dialogs::exec(*context_.frmWelcome);
}

void TLogoAppForm::setDateCaption() {
  const QString pattern = QStringLiteral("\"") + Error_Messages->line(shell_.TitleMessageIndex) +
                          QStringLiteral("\" dddd, mmmm d, yyyy ");
  setWindowTitle(formats::formatDateWithPattern(QDate::currentDate(), pattern, QLocale::system()));
}

}  // namespace orba::shell
