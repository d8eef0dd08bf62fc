// The main window's handlers of options and of the menus built from tables:
// each calls the class that does the work and shows what it reports.

#include <QDate>
#include <QLabel>

#include "CompanyMenu.h"
#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "DesktopPanels.h"
#include "FileVersion.h"
#include "HelpBook.h"
#include "HelpWindow.h"
#include "LanguageMenu.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "MenuSecurity.h"
#include "Messages.h"
#include "ModuleRunner.h"
#include "PrinterMenu.h"
#include "RegionalFormats.h"
#include "SetCaptions.h"
#include "SmallWindows.h"
#include "SystemCaptions.h"
#include "ToolsMenu.h"
#include "TrackerMenu.h"
#include "UserSecurityManager.h"

namespace orba::shell {

using controls::MenuItem;
using dispatch::LinkRecord;
using dispatch::Notice;
using dispatch::RunReport;

namespace {

LinkRecord& link() { return LinkRecord::instance(); }

dispatch::OptionalModules optionalModules(const TShellSettings& shell) {
  return {shell.payroll, shell.tracker, shell.JobCost};
}

}  // namespace

void TLogoAppForm::ExecuteOption(MenuItem& item) { RunOption(item.name()); }

void TLogoAppForm::RunOption(const QString& code, const QString& context) {
  apply(runner_->run(code, context));
}

void TLogoAppForm::MaintainTools() {
  desktop::TShortcutDlg& catalogue = *context_.ShortcutDlg;
  apply(runner_->runToolsMaintenance(catalogue, [this](bool withRights) { RebuildCatalogue(withRights); }));
}

void TLogoAppForm::showNotice(const Notice& notice) {
  QString text = notice.message ? message(*notice.message) : notice.text;
  if (notice.moduleMessage) {
    // From the language tables; a table without the line keeps the English.
    const QString line = Module_Messages->line(dispatch::lineOf(*notice.moduleMessage));
    if (!line.isEmpty()) text = line.contains(QLatin1String("%1")) ? line.arg(notice.argument) : line;
  }
  switch (notice.style) {
    case Notice::Style::Plain:
      controls::Messages::show(text, this);
      break;
    case Notice::Style::Information:
      controls::Messages::information(text, this);
      break;
    case Notice::Style::Error:
      controls::Messages::error(text, this);
      break;
  }
}

void TLogoAppForm::apply(const RunReport& report) {
  // The desktop is brought up to date before anything is shown; an error
  // while doing so is shown in its turn and abandons the rest.
  try {
    if (report.refreshCompanies) {
      data::Table* companies = context_.Co_DataModule->Co_Table;
      if (companies->isActive()) companies->refresh();
    }
    if (report.rebuildCompanyMenu) RebuildCompanyMenu();
  } catch (const data::DatabaseError& e) {
    if (report.notice) showNotice(*report.notice);
    showError(describe(e));
    return;
  }
  if (report.notice) showNotice(*report.notice);
  try {
    if (report.reloadTrackerMenu) Load_database_menu();
    if (report.reloadToolsMenu) Load_applications();
    if (report.reloadInternationalWording) {
      settings_.reload();
      shell_.intl = settings_.value(kSettingsSection, QStringLiteral("intl"), QStringLiteral("N"));
      Internationalize();
    }
  } catch (const data::DatabaseError& e) {
    showError(describe(e));
  }
  // Whatever the module changed shows in the open lists.
  if (panels_) panels_->refreshOpen();
  if (report.setCaption) setDateCaption();
}

void TLogoAppForm::ApplyMenuSecurity() {
  dispatch::ApplyMenuSecurity(MainMenu, *UserSecurityManager1);
  followSetupRight();
  fillCatalogue();
}

void TLogoAppForm::fillCatalogue() {
  if (!context_.ShortcutDlg) return;
  dispatch::fillCatalogue(*context_.ShortcutDlg, MainMenu, optionalModules(shell_), [this](int module) {
    return Error_Messages->line(dispatch::moduleSuffixLine(module));
  });
}

void TLogoAppForm::RebuildCatalogue(bool withRights) {
  dispatch::RebuildCatalogue(
      *context_.ShortcutDlg, MainMenu, optionalModules(shell_), withRights,
      [this](int module) { return Error_Messages->line(dispatch::moduleSuffixLine(module)); });
}

void TLogoAppForm::Load_applications() { toolsMenu_->load(); }

void TLogoAppForm::ChgLang_applications() {
  if (toolsMenu_) toolsMenu_->retranslate();
}

void TLogoAppForm::RebuildCompanyMenu() {
  companyMenu_->rebuild(link().get(LinkRecord::Field::CompanyNumber),
                        link().get(LinkRecord::Field::CompanyName));
}

void TLogoAppForm::Load_database_menu() { trackerMenu_->load(); }

void TLogoAppForm::Load_language_menu() { languageMenu_->load(); }

void TLogoAppForm::setVersionPanel() {
  StatusPanels[3]->setText(QStringLiteral("Version ") +
                           QString::fromStdString(version::ProgramVersionText()));
}

void TLogoAppForm::English1Click(MenuItem& item) {
  if (const std::optional<Language> language = languageMenu_->choose(item)) {
    link().setLanguageCode(language->code.left(2));
    link().setLanguageNumber(language->key);
  }

  const QString table = QStringLiteral("MainMenu") + link().languageCode();
  translateQt(link().languageCode());
  translate(table);
  const std::pair<QObject*, controls::Form*> followers[] = {{context_.ContactUs, context_.ContactUs},
                                                            {context_.AboutBox, context_.AboutBox},
                                                            {context_.HelpWindow, context_.HelpWindow}};
  for (const auto& [window, form] : followers)
    if (window) localization::SetCaptions(window, form->components(), table);
  // The panel icons are not the window's own components: their captions
  // follow here, unless a user typed them.
  captions_->follow();
  // An open help window goes on in the new language, at the same page.
  if (context_.HelpWindow && context_.HelpWindow->isVisible())
    context_.HelpWindow->switchBook(help_book::folder(link().get(LinkRecord::Field::ProgramDir),
                                                      link().language(), link().languageCode()));

  setVersionPanel();
  fillCatalogue();

  const QString pattern = QStringLiteral("\"") + windowTitle() + QStringLiteral(" \"   dddd, d mmmm yyyy ");
  setWindowTitle(formats::formatDateWithPattern(QDate::currentDate(), pattern, QLocale::system()));

  StatusPanels[0]->setText(link().get(LinkRecord::Field::CompanyName));
  showPrinterInStatus();
  ChgLang_applications();
  Internationalize();
}

void TLogoAppForm::Internationalize() {
  if (link().language() == 2 || !shell_.international()) return;
  applyInternationalWording(MainMenu);
}

}  // namespace orba::shell
