// The rights applied to the menus, the option catalogue, and the road from a
// chosen option to its module library and back.

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "DataModules.h"
#include "DatabaseError.h"
#include "DesktopDialogs.h"
#include "LinkRecord.h"
#include "LogoAppForm.h"
#include "Messages.h"
#include "ModuleLibrary.h"
#include "OptionCatalogue.h"
#include "OptionCode.h"
#include "RightsMap.h"
#include "UserSecurityManager.h"
#include "WaitCursor.h"

namespace orba::shell {

using controls::MenuItem;

namespace {

LinkRecord& link() { return LinkRecord::instance(); }

int firstSubmenu(int position) {
  return dispatch::moduleMenus()[static_cast<std::size_t>(position)].firstSubmenu;
}

}  // namespace

void TLogoAppForm::ApplyMenuSecurity() {
  for (int position : {0, 1, 2, 4, 3, 5, 6, 7, 8, 9}) {
    MenuItem* top = moduleMenu(position);
    UserSecurityManager1->MarkTMenu(top, firstSubmenu(position), 0, top->count() - 1, true);
  }
  // A quick entry follows the option it duplicates.
  for (int position : {0, 1, 2, 3, 5, 6, 7, 9}) {
    MenuItem* top = moduleMenu(position);
    for (MenuItem* quick : top->items()) {
      if (quick->groupIndex() != 0) continue;
      for (int i = firstSubmenu(position); i < top->count(); ++i)
        for (MenuItem* option : top->item(i)->items())
          if (option->name() + QLatin1Char('f') == quick->name()) quick->setEnabled(option->isEnabled());
    }
  }
  fillCatalogue();
}

void TLogoAppForm::appendMenuInfo(int position, bool withRights) {
  MenuItem* top = moduleMenu(position);
  dispatch::GetMenuInfo(*peers_.ShortcutDlg, top, firstSubmenu(position), top->count() - 1, withRights,
                        Error_Messages->line(top->tag() + 3));
}

void TLogoAppForm::fillCatalogue() {
  peers_.ShortcutDlg->clear();
  for (int position : {0, 1, 2, 3, 4, 6, 7}) appendMenuInfo(position, true);
  // Modules count here unless their setting says "N"; RebuildCatalogue asks for "Y".
  if (shell_.payroll.toUpper() != QLatin1String("N")) appendMenuInfo(5, true);
  if (shell_.tracker.toUpper() != QLatin1String("N")) appendMenuInfo(8, true);
  if (shell_.JobCost.toUpper() != QLatin1String("N")) appendMenuInfo(9, true);
}

void TLogoAppForm::RebuildCatalogue(bool withRights) {
  peers_.ShortcutDlg->clear();
  for (int position : {0, 1, 2, 4, 3, 7, 6}) appendMenuInfo(position, withRights);
  if (shell_.payrollInstalled()) appendMenuInfo(5, withRights);
  if (shell_.trackerInstalled()) appendMenuInfo(8, withRights);
  if (shell_.jobCostInstalled()) appendMenuInfo(9, withRights);
}

void TLogoAppForm::ExecuteOption(MenuItem& item) {
  try {
    RunOption(item.name());
  } catch (const data::DatabaseError& e) {
    showError(e.message());
  }
}

bool TLogoAppForm::PayrollFilesReady() {
  const QString dir =
      CompanyDir(link().get(LinkRecord::Field::DataDir), link().get(LinkRecord::Field::CompanyNumber));
  if (QFileInfo::exists(data::resolveTableFile(dir, QStringLiteral("Pndept.db")))) return true;
  controls::Messages::information(Error_Messages->line(15), this);
  return false;
}

bool TLogoAppForm::JobCostFilesReady() {
  const QString dir =
      CompanyDir(link().get(LinkRecord::Field::DataDir), link().get(LinkRecord::Field::CompanyNumber));
  if (QFileInfo::exists(data::resolveTableFile(dir, QStringLiteral("JcCtrl.db")))) return true;
  controls::Messages::information(Error_Messages->line(19), this);
  return false;
}

void TLogoAppForm::reportModuleFailure(const QString& code, int errorNumber, const QString& reason) {
  if (code.startsWith(QLatin1String("pa")) && errorNumber == dispatch::ModuleLibrary::kDependencyMissing) {
    controls::Messages::show(Error_Messages->line(14), this);
    return;
  }
  QString text =
      QStringLiteral("error loading option ") + code + QStringLiteral("  ") + QString::number(errorNumber);
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  controls::Messages::show(text, this);
}

void TLogoAppForm::RunOption(const QString& received) {
  // Whichever way this ends, the next option does not inherit this one's
  // context (a tracker account, a ledger prefix).
  struct ClearContext {
    ~ClearContext() { link().set(LinkRecord::Field::OptionContext, QString()); }
  } clearContext;
  if (received.left(3) == QLatin1String("trk") && received != QLatin1String("trkcreate")) {
    if (OpenTrackerAccount.isEmpty()) {
      controls::Messages::show(Error_Messages->line(13), this);
      return;
    }
    link().set(LinkRecord::Field::OptionContext, OpenTrackerAccount);
  }
  const dispatch::OptionRequest request = dispatch::normalizeOptionCode(received);
  const QString& code = request.code;
  // Whole codes only: the right to "ar091" is no right to "ar09".
  if (request.fromShortcut && !(peers_.ShortcutDlg && peers_.ShortcutDlg->allows(code))) {
    controls::Messages::show(Error_Messages->line(17), this);
    return;
  }
  if ((code.startsWith(QLatin1String("pa")) || code == QLatin1String("gl23")) && shell_.payrollInstalled() &&
      code != QLatin1String("pa1004") && !PayrollFilesReady())
    return;
  if (code.startsWith(QLatin1String("jc")) && code != QLatin1String("jc22") && !JobCostFilesReady()) return;

  QString context = link().get(LinkRecord::Field::OptionContext);
  const QString library = dispatch::moduleLibraryName(code, &context);
  link().set(LinkRecord::Field::OptionContext, context);

  dispatch::ModuleLibrary module = [&] {
    WaitCursor wait;
    return dispatch::ModuleLibrary::load(link().get(LinkRecord::Field::ProgramDir), library);
  }();
  if (module.isLoaded()) {
    repaint();
    QString failure;
    try {
      if (module.call(link().section()) == 0)
        controls::Messages::show(QStringLiteral("Access denied..."), this);
    } catch (const std::exception& e) {
      failure = QString::fromUtf8(e.what());
    } catch (...) {
      failure = QStringLiteral("The module %1 failed.").arg(library);
    }
    // Whatever the module did, it is unloaded and the desktop brought up to
    // date; its error is reported once nothing of it is left in use.
    module.unload();
    FinishOption(code);
    repaint();
    if (!failure.isEmpty()) {
      showError(failure);
      return;
    }
  } else {
    reportModuleFailure(code, module.errorNumber(), module.errorText());
  }

  link().set(LinkRecord::Field::OptionContext, QString());
  if (code == QLatin1String("trkcreate")) Load_database_menu();
  if (code == QLatin1String("ut02")) {
    settings_.reload();
    shell_.intl = settings_.value(kSettingsSection, QStringLiteral("intl"), QStringLiteral("N"));
    Internationalize();
  }
  setDateCaption();
}

void TLogoAppForm::FinishOption(const QString& code) {
  if (code == QLatin1String("creco")) return;
  data::Table* companies = peers_.companies ? peers_.companies->Co_Table : nullptr;
  if (companies && companies->isActive()) companies->refresh();
  if (code.toUpper() == QLatin1String("MCOMP")) RebuildCompanyMenu();
}

}  // namespace orba::shell
