#include "ModuleRunner.h"

#include <QFileInfo>
#include <exception>

#include "LinkRecord.h"
#include "ModuleLibrary.h"
#include "OptionCatalogue.h"
#include "OptionCode.h"
#include "Table.h"

namespace orba::dispatch {

namespace {

using Field = LinkRecord::Field;

// Whichever way a run ends, the next option does not inherit this one's
// context (a tracker account, a ledger prefix).
class ContextReset {
 public:
  explicit ContextReset(LinkRecord& link) : link_(link) {}
  ~ContextReset() { link_.set(Field::OptionContext, QString()); }
  ContextReset(const ContextReset&) = delete;
  ContextReset& operator=(const ContextReset&) = delete;

 private:
  LinkRecord& link_;
};

RunReport stopped(Notice notice) {
  RunReport report;
  report.outcome = RunReport::Outcome::Stopped;
  report.notice = std::move(notice);
  return report;
}

}  // namespace

QString loadFailureText(const QString& code, int errorNumber, const QString& reason) {
  QString text =
      QStringLiteral("error loading option ") + code + QStringLiteral("  ") + QString::number(errorNumber);
  if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
  return text;
}

ModuleRunner::ModuleRunner(LinkRecord& link, ModuleLoader& loader) : link_(link), loader_(loader) {}

bool ModuleRunner::companyFileExists(const QString& file) const {
  const QString directory = link_.get(Field::DataDir) + link_.get(Field::CompanyNumber);
  return QFileInfo::exists(data::resolveTableFile(directory, file));
}

ModuleLoader::Result ModuleRunner::load(const QString& library) {
  if (observer_) observer_->loadingStarted();
  ModuleLoader::Result loaded = loader_.load(link_.get(Field::ProgramDir), library);
  if (observer_) observer_->loadingFinished();
  return loaded;
}

void ModuleRunner::call(ModuleLoader::Result loaded, const QString& library, const QString& code,
                        const std::function<std::int32_t(LoadedModule&)>& entry, RunReport& report) {
  if (observer_) observer_->moduleStarting();
  std::optional<Notice> failure;
  bool refused = false;
  try {
    refused = entry(*loaded.module) == 0;
  } catch (const std::exception& e) {
    failure = Notice::error(QString::fromUtf8(e.what()));
  } catch (...) {
    failure = Notice::module(ModuleMessage::ModuleFailed, Notice::Style::Error, kModuleFailed.arg(library),
                             library);
  }
  // Whatever the module did, it is unloaded before anything is shown, and
  // the desktop brought up to date.
  loaded.module.reset();
  report.refreshCompanies = code != QLatin1String("creco");
  report.rebuildCompanyMenu = code.toUpper() == QLatin1String("MCOMP");
  if (observer_) observer_->moduleFinished();
  if (failure) {
    report.outcome = RunReport::Outcome::Failed;
    report.notice = std::move(failure);
  } else if (refused) {
    report.notice = Notice::module(ModuleMessage::AccessDenied, Notice::Style::Plain, kAccessDenied);
  }
}

RunReport ModuleRunner::run(const QString& received, const QString& context) {
  ContextReset reset(link_);
  link_.set(Field::OptionContext, context);
  if (received.left(3) == QLatin1String("trk") && received != QLatin1String("trkcreate")) {
    if (trackerAccount_.isEmpty()) return stopped(Notice::line(ErrorMessage::NoTrackerAccount));
    link_.set(Field::OptionContext, trackerAccount_);
  }
  const OptionRequest request = normalizeOptionCode(received);
  const QString& code = request.code;
  // Whole codes only: the right to "ar091" is no right to "ar09".
  if (request.fromShortcut && !(catalogue_ && catalogue_->allows(code)))
    return stopped(Notice::line(ErrorMessage::NoRight));
  if ((code.startsWith(QLatin1String("pa")) || code == QLatin1String("gl23")) && payrollInstalled_ &&
      code != QLatin1String("pa1004") && !companyFileExists(QStringLiteral("Pndept.db")))
    return stopped(Notice::line(ErrorMessage::PayrollFilesMissing, Notice::Style::Information));
  if (code.startsWith(QLatin1String("jc")) && code != QLatin1String("jc22") &&
      !companyFileExists(QStringLiteral("JcCtrl.db")))
    return stopped(Notice::line(ErrorMessage::JobCostFilesMissing, Notice::Style::Information));

  QString moduleContext = link_.get(Field::OptionContext);
  const QString library = moduleLibraryName(code, &moduleContext);
  link_.set(Field::OptionContext, moduleContext);

  RunReport report;
  ModuleLoader::Result loaded = load(library);
  if (loaded.module) {
    call(
        std::move(loaded), library, code, [this](LoadedModule& m) { return m.call(link_.section()); },
        report);
    if (report.outcome == RunReport::Outcome::Failed) return report;  // the closing steps do not run
  } else {
    report.outcome = RunReport::Outcome::LoadFailed;
    report.notice =
        code.startsWith(QLatin1String("pa")) && loaded.errorNumber == ModuleLibrary::kDependencyMissing
            ? Notice::line(ErrorMessage::PayrollLibraryMissing)
            : Notice::plain(loadFailureText(code, loaded.errorNumber, loaded.errorText));
  }
  report.reloadTrackerMenu = code == QLatin1String("trkcreate");
  report.reloadInternationalWording = code == QLatin1String("ut02");
  report.setCaption = true;
  return report;
}

RunReport ModuleRunner::runToolsMaintenance(const OptionCatalogue& catalogue,
                                            const CatalogueRebuild& rebuild) {
  ContextReset reset(link_);
  const QString library = QStringLiteral("mtools");
  RunReport report;
  ModuleLoader::Result loaded = load(library);
  if (!loaded.module) {
    report.outcome = RunReport::Outcome::LoadFailed;
    QString text = QStringLiteral("error loading mtools") + QString::number(loaded.errorNumber);
    if (!loaded.errorText.isEmpty()) text += QLatin1Char('\n') + loaded.errorText;
    report.notice = Notice::plain(text);
    report.setCaption = true;
    return report;
  }
  rebuild(false);
  call(
      std::move(loaded), library, library,
      [&](LoadedModule& m) {
        struct Restore {
          const CatalogueRebuild& rebuild;
          ~Restore() { rebuild(true); }
        } restore{rebuild};
        return m.callWithCatalogue(link_.section(), catalogue.names(), catalogue.codes());
      },
      report);
  // The maintenance may have changed apps.db even when it failed afterwards:
  // the menu shows what the table holds now.
  report.reloadToolsMenu = true;
  report.setCaption = report.outcome != RunReport::Outcome::Failed;
  return report;
}

}  // namespace orba::dispatch
