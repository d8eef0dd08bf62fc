#pragma once

#include <QString>
#include <functional>

#include "ModuleLoader.h"
#include "RunReport.h"

namespace orba::dispatch {

class LinkRecord;
class OptionCatalogue;

// The road from an option code to its module library and back: every way of
// starting a module (menu options, quick entries, shortcut icons, the Insert
// key of a list, company creation at start-up, the Tools menu) ends here.
//
// run() normalises the code, applies the option's checks (tracker account,
// the right of an icon or list key, payroll and job-cost files), loads the
// library (a shared report library with its module in OptionContext), calls
// it with the link record, unloads it, and reports what the user must be
// told and what the desktop must bring up to date. It shows nothing itself
// and needs no window: the main window shows the report.
//
// The runner keeps the tracker account opened from the tracker menu; every
// run leaves OptionContext empty behind it.
class ModuleRunner {
 public:
  // Told while a module runs, so that the desktop can show the hourglass
  // while it loads and repaint before and after the call.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void loadingStarted() {}
    virtual void loadingFinished() {}
    virtual void moduleStarting() {}
    virtual void moduleFinished() {}
  };

  // REQUIRES: link and loader outlive the runner.
  ModuleRunner(LinkRecord& link, ModuleLoader& loader);

  // The `payroll` setting is "Y": payroll options need the company's files.
  void setPayrollInstalled(bool installed) { payrollInstalled_ = installed; }
  // The option catalogue that icons and list keys are checked against; none
  // refuses them all.
  void setCatalogue(const OptionCatalogue* catalogue) { catalogue_ = catalogue; }
  void setObserver(Observer* observer) { observer_ = observer; }

  // The tracker account open for tracker options; empty when none is.
  void setOpenTrackerAccount(const QString& account) { trackerAccount_ = account; }
  const QString& openTrackerAccount() const { return trackerAccount_; }

  // One option, by the component name that was activated ("gl03", "gl03f",
  // "gl03S", "mcomp", "trk01" ...). `context` is handed to the module in
  // OptionContext for this run (kNewRecordContext from a list's Insert key);
  // a tracker account or a shared report library's module takes its place.
  RunReport run(const QString& received, const QString& context = QString());

  // The Tools-menu maintenance library "mtools", called with the catalogue
  // of every visible option (rights ignored), after which the catalogue
  // returns to the user's rights whatever the module did. `rebuild` refills
  // the catalogue, with or without the user's rights.
  using CatalogueRebuild = std::function<void(bool withRights)>;
  RunReport runToolsMaintenance(const OptionCatalogue& catalogue, const CatalogueRebuild& rebuild);

 private:
  // The company's file exists (any letter case).
  bool companyFileExists(const QString& file) const;
  ModuleLoader::Result load(const QString& library);
  // Calls the module, unloads it whatever happens, and fills the report.
  void call(ModuleLoader::Result loaded, const QString& library, const QString& code,
            const std::function<std::int32_t(LoadedModule&)>& entry, RunReport& report);

  LinkRecord& link_;
  ModuleLoader& loader_;
  const OptionCatalogue* catalogue_ = nullptr;
  Observer* observer_ = nullptr;
  bool payrollInstalled_ = false;
  QString trackerAccount_;
};

// OptionContext of a maintenance option run by the Insert key of a desktop
// list: the module opens the form of a new record rather than its list.
inline const QString kNewRecordContext = QStringLiteral("new");

// The English wording of the module messages (ModuleMessage), which the
// main window shows from its Module_Messages list in the user's language.
inline const QString kAccessDenied = QStringLiteral("Access denied...");
inline const QString kModuleFailed = QStringLiteral("The module %1 failed.");
// The fixed text of a library that did not load, with the loader's reason.
QString loadFailureText(const QString& code, int errorNumber, const QString& reason);

}  // namespace orba::dispatch
