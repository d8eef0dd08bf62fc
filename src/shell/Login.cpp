// The main window's first activation: the system tables, the login, and the
// desktop set up for the user and the user's company. Also the logout.

#include <QCheckBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>

#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "Dialogs.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "PasswordDlg.h"
#include "PrinterCatalog.h"
#include "RegionalFormats.h"
#include "SetCaptions.h"
#include "SetupWindows.h"
#include "SmallWindows.h"
#include "Table.h"

namespace orba::shell {

using controls::MenuItem;

namespace {
LinkRecord& link() { return LinkRecord::instance(); }
QString dataDir() { return link().get(LinkRecord::Field::DataDir); }
}  // namespace

void TLogoAppForm::FormActivate() {
  data::TCo_DataModule* co = peers_.companies;
  // Once only, even when connecting the system database fails: every closed
  // message box activates the window again, and a retry would show the same
  // error for ever.
  if (!co || co->Database2->isConnected() || activationStarted_) return;
  activationStarted_ = true;
  try {
    co->Database2->setParams({QStringLiteral("path=") + dataDir()});
    co->Database2->open();
    // From here on, the activations caused by the dialogs below return at once.

    co->Co_Table->setDatabaseName(dataDir());
    co->Co_Table->open();
    link().setReservedFlag(false);

    if (co->Co_Table->recordCount() == 0) {
      RunOption(QStringLiteral("creco"));
      peers_.frmDefaultInfo->setDirectory(dataDir() + QStringLiteral("1"));
      localization::SetCaptions(peers_.frmDefaultInfo, peers_.frmDefaultInfo->components(),
                                QStringLiteral("MainMenu") + link().languageCode());
      controls::Dialogs::exec(*peers_.frmDefaultInfo);
      // The companies the creation module wrote: this table reads the file
      // as it was when opened.
      co->Co_Table->refresh();
    }

    data::TUserDataModule* users = peers_.users;
    users->User_table->setDatabaseName(dataDir());
    users->User_table->open();
    users->Desktop_table->setDatabaseName(dataDir());
    users->Desktop_table->open();
    users->tblLanguage->close();
    users->tblLanguage->setDatabaseName(dataDir());
    users->tblLanguage->open();
    localization::SetCaptions(peers_.PasswordDlg, peers_.PasswordDlg->components(),
                              QStringLiteral("MainMenu") + link().languageCode());

    Load_language_menu();

    if (!Login()) {
      SaveOnClose = false;
      close();
      return;
    }

    applyUserLanguage();
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    StatusBar->show();
    ApplyMenuSecurity();
    Load_applications();
    peers_.PasswordDlg->Password->clear();
    Set_up_link();
    Internationalize();
    selectUserPrinter();

    if (!peers_.PasswordDlg->DesktopCheckBox->isChecked()) {
      if (restoreDesktop_) restoreDesktop_();
    } else {
      DesktopChanged = true;  // the standard desktop replaces the stored one at close
    }

    StatusPanels[0]->setText(link().get(LinkRecord::Field::CompanyName));
    MenuItem* printers = MainMenu->find(QStringLiteral("Selectprinter1"));
    if (MenuItem* current = printers->item(printers::PrinterCatalog::instance().currentIndex()))
      StatusPanels[1]->setText(current->caption());
    setDateCaption();

    if (shell_.trackerInstalled()) Load_database_menu();
    showSetupNotices();
    if (shell_.ShowWelcome) {
      peers_.frmWelcome->setSettingsSection(QStringLiteral("orba"));
      peers_.frmWelcome->setLinkSection(link().section());
      controls::Dialogs::exec(*peers_.frmWelcome);
    }
  } catch (const data::DatabaseError& e) {
    // The remaining steps do not run; later activations do not retry them.
    showError(e.message());
  }
}

bool TLogoAppForm::Login() {
  data::Table* users = peers_.users->User_table;
  if (!shell_.DisplayPW && users->recordCount() <= 1) {
    if (users->recordCount() == 0) {
      showError(QStringLiteral("No user is defined in %1: nobody can log in.").arg(users->filePath()));
      return false;
    }
    users->first();
    return true;
  }
  int outcome = QDialog::Accepted;
  for (;;) {
    outcome = controls::Dialogs::exec(*peers_.PasswordDlg);
    const QString typed = peers_.PasswordDlg->Password->text();
    const bool found = users->findKey({typed});
    if (found || outcome != QDialog::Accepted) break;
  }
  return outcome == QDialog::Accepted;
}

void TLogoAppForm::applyUserLanguage() {
  data::Table* users = peers_.users->User_table;
  const int language = users->value(QStringLiteral("User_language")).toInt();
  if (language == 0) return;  // the user keeps the language of the settings
  link().set(LinkRecord::Field::LoginName, users->text(QStringLiteral("User_name")));
  link().setLanguageNumber(language);
  data::Table* languages = peers_.users->tblLanguage;
  link().setLanguageCode(languages->findKey({language}) ? languages->text(QStringLiteral("LangCode")).left(2)
                                                        : QStringLiteral("en"));
  if (MenuItem* item = MainMenu->find(QStringLiteral("MenuItem") + link().languageCode()))
    item->setChecked(true);

  const QString table = QStringLiteral("MainMenu") + link().languageCode();
  translate(table);
  const std::pair<QObject*, controls::Form*> followers[] = {
      {peers_.PasswordDlg, peers_.PasswordDlg},     {peers_.CompPasswd_Frm, peers_.CompPasswd_Frm},
      {peers_.ContactUs, peers_.ContactUs},         {peers_.ShortcutDlg, peers_.ShortcutDlg},
      {peers_.PropertiesDlg, peers_.PropertiesDlg}, {peers_.AboutBox, peers_.AboutBox},
      {peers_.frmSetup, peers_.frmSetup},           {peers_.frmWelcome, peers_.frmWelcome}};
  for (const auto& [window, form] : followers) localization::SetCaptions(window, form->components(), table);
}

void TLogoAppForm::Set_up_link() {
  data::TCo_DataModule* co = peers_.companies;
  data::Table* companies = co->Co_Table;
  data::Table* users = peers_.users->User_table;

  MenuItem* menu = MainMenu->find(QStringLiteral("Changecompanies1"));
  for (companies->first(); !companies->eof(); companies->next()) {
    CompanyListBox->addItem(companies->text(QStringLiteral("Comp_Code")));
    MenuItem* item = menu->add(QString(), companies->text(QStringLiteral("Comp_Name")));
    components_.own(item);
  }
  for (MenuItem* item : menu->items()) item->setOnClick([this](MenuItem& clicked) { CompanyClick(clicked); });

  link().set(LinkRecord::Field::UserName, users->text(QStringLiteral("User_name")));
  link().setUserDetail(users->value(QStringLiteral("User_detail")).toInt());
  setVersionPanel();
  link().set(LinkRecord::Field::CompanyNumber,
             QString::number(users->value(QStringLiteral("User_company")).toInt()));
  link().setLanguageNumber(users->value(QStringLiteral("User_language")).toInt());

  const QString company = link().get(LinkRecord::Field::CompanyNumber);
  if (companies->findKey({company.toInt()}))
    link().set(LinkRecord::Field::CompanyName, companies->text(QStringLiteral("Comp_Name")));

  co->Database1->close();
  co->Database1->setParams({QStringLiteral("path=") + CompanyDir(dataDir(), company)});
  co->Database1->open();
  co->Ctrl_table->open();
  co->Ctrl_table->close();

  const QString current = companies->text(QStringLiteral("Comp_Code"));
  for (int i = 0; i < CompanyListBox->count(); ++i) {
    if (CompanyListBox->item(i)->text() != current) continue;
    CompanyListBox->setCurrentRow(i);
    if (MenuItem* item = menu->item(i)) item->setChecked(true);
    break;
  }
}

void TLogoAppForm::selectUserPrinter() {
  const QString wanted = peers_.users->User_table->text(QStringLiteral("User_printer"));
  printers::PrinterCatalog& printers = printers::PrinterCatalog::instance();
  const QStringList names = printers.printerNames();
  for (int i = 0; i < names.size(); ++i) {
    if (wanted.isEmpty() || names[i].compare(wanted, Qt::CaseInsensitive) != 0) continue;
    MenuItem* menu = MainMenu->find(QStringLiteral("Selectprinter1"));
    for (MenuItem* item : menu->items()) item->setChecked(false);
    printers.setCurrentIndex(i);
    if (MenuItem* item = menu->item(i)) item->setChecked(true);
    link().set(LinkRecord::Field::PrinterIndex, QString::number(i));
    return;
  }
}

void TLogoAppForm::showSetupNotices() {
  const QString companyDir = CompanyDir(dataDir(), link().get(LinkRecord::Field::CompanyNumber));
  auto missing = [&](const char* file) {
    return !QFileInfo::exists(data::resolveTableFile(companyDir, QString::fromLatin1(file)));
  };
  MenuItem* payrollEntry = MainMenu->find(QStringLiteral("pa04"));
  if (shell_.payrollInstalled() && payrollEntry && !payrollEntry->isEnabled() && missing("pntrx.db")) {
    peers_.frmSetup->setModule(data::TfrmSetup::Module::Payroll);
    controls::Dialogs::exec(*peers_.frmSetup);
  }
  MenuItem* jobCostEntry = MainMenu->find(QStringLiteral("jc10"));
  if (shell_.jobCostInstalled() && jobCostEntry && !jobCostEntry->isEnabled() && missing("jcctrl.db")) {
    peers_.frmSetup->setModule(data::TfrmSetup::Module::JobCost);
    controls::Dialogs::exec(*peers_.frmSetup);
  }
}

void TLogoAppForm::setDateCaption() {
  const QString pattern = QStringLiteral("\"") + Error_Messages->line(shell_.TitleMessageIndex) +
                          QStringLiteral("\" dddd, mmmm d, yyyy ");
  setWindowTitle(formats::formatDateWithPattern(QDate::currentDate(), pattern, QLocale::system()));
}

void TLogoAppForm::Logout() {
  setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
  StatusBar->hide();
  data::TCo_DataModule* co = peers_.companies;
  for (data::Table* t :
       {peers_.clients->Ar_Table, peers_.suppliers->Ap_Table, peers_.ledger->Gl_Table,
        peers_.employees->Emp_Table, peers_.inventory->IvprodTable, peers_.inventory->IvinvTable})
    t->close();
  co->Database1->close();
}

}  // namespace orba::shell
