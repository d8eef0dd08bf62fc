// The module runner: every rule of an option's run, first with a fake loader
// behind the seam (what was loaded, what the module saw, when it was
// unloaded), then with the real test module loaded through dlopen.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>
#include <stdexcept>

#include "LinkRecord.h"
#include "ListCatalogue.h"
#include "ModuleLibrary.h"
#include "ModuleRunner.h"

using namespace orba::dispatch;
using Field = LinkRecord::Field;

namespace {

QString text(OrbaString s) { return s ? QString::fromUtf8(s) : QString(); }

// What a fake module does when called.
struct Behaviour {
  std::int32_t result = 1;
  bool throws = false;
};

// The calls the fake loader saw, in order: "load gl03", "call gl03 ctx=ap",
// "unload gl03", and the observer's notes.
struct Journal {
  QStringList lines;
};

class FakeModule : public LoadedModule {
 public:
  FakeModule(QString name, Behaviour behaviour, Journal& journal)
      : name_(std::move(name)), behaviour_(behaviour), journal_(journal) {}
  ~FakeModule() override { journal_.lines << "unload " + name_; }
  std::int32_t call(const TLinkSection& link) override {
    journal_.lines << "call " + name_ + " ctx=" + text(link.OptionContext);
    if (behaviour_.throws) throw std::runtime_error("the module broke");
    return behaviour_.result;
  }
  std::int32_t callWithCatalogue(const TLinkSection& link, const QStringList& names,
                                 const QStringList& codes) override {
    journal_.lines << QString("catalogue %1 names=%2 codes=%3 ctx=%4")
                          .arg(name_)
                          .arg(names.size())
                          .arg(codes.join(','))
                          .arg(text(link.OptionContext));
    if (behaviour_.throws) throw std::runtime_error("the module broke");
    return behaviour_.result;
  }

 private:
  QString name_;
  Behaviour behaviour_;
  Journal& journal_;
};

class FakeLoader : public ModuleLoader {
 public:
  explicit FakeLoader(Journal& journal) : journal_(journal) {}
  std::map<QString, Behaviour> installed;
  int errorNumber = ModuleLibrary::kNotFound;

  Result load(const QString& programDir, const QString& library) override {
    journal_.lines << "load " + library;
    lastProgramDir = programDir;
    Result r;
    const auto it = installed.find(library);
    if (it == installed.end()) {
      r.errorNumber = errorNumber;
      r.errorText = programDir + "/" + library + ".so: cannot open shared object file";
      return r;
    }
    r.module = std::make_unique<FakeModule>(library, it->second, journal_);
    return r;
  }
  QString lastProgramDir;

 private:
  Journal& journal_;
};

using Catalogue = ListCatalogue;

class Notes : public ModuleRunner::Observer {
 public:
  explicit Notes(Journal& journal) : journal_(journal) {}
  void loadingStarted() override { journal_.lines << "hourglass on"; }
  void loadingFinished() override { journal_.lines << "hourglass off"; }
  void moduleStarting() override { journal_.lines << "repaint"; }
  void moduleFinished() override { journal_.lines << "repaint"; }

 private:
  Journal& journal_;
};

}  // namespace

class ModuleRunnerTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  LinkRecord link;
  Journal journal;
  FakeLoader loader{journal};
  Catalogue catalogue;
  ModuleRunner runner{link, loader};

  void SetUp() override {
    link.set(Field::ProgramDir, dir.filePath("bin"));
    link.set(Field::DataDir, dir.filePath("data"));
    link.set(Field::CompanyNumber, "1");
    QDir().mkpath(companyDir());
    runner.setCatalogue(&catalogue);
  }
  QString companyDir() const { return dir.filePath("data1"); }
  void install(std::initializer_list<const char*> libraries, Behaviour behaviour = {}) {
    for (const char* name : libraries) loader.installed[name] = behaviour;
  }
  void touch(const QString& file) {
    QFile f(companyDir() + "/" + file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QStringList loaded() const { return journal.lines.filter(QRegularExpression("^load ")); }
};

TEST_F(ModuleRunnerTest, EveryFormOfACodeRunsTheSameLibraryAndOnlyTheIconIsChecked) {
  install({"gl03", "mcomp"});
  catalogue.append("Transactions entry", "gl03");
  for (const char* code : {"gl03", "gl03f", "gl03S", "gl03p", "mcomp"}) {
    const RunReport report = runner.run(code);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Ran) << code;
    EXPECT_FALSE(report.notice.has_value()) << code;
    EXPECT_TRUE(report.setCaption) << code;
    EXPECT_TRUE(report.refreshCompanies) << code;
  }
  EXPECT_EQ(loaded(), (QStringList{"load gl03", "load gl03", "load gl03", "load gl03", "load mcomp"}));
  EXPECT_EQ(loader.lastProgramDir, dir.filePath("bin"));

  catalogue.clear();
  const RunReport refused = runner.run("gl03S");
  EXPECT_EQ(refused.outcome, RunReport::Outcome::Stopped);
  ASSERT_TRUE(refused.notice && refused.notice->message);
  EXPECT_EQ(*refused.notice->message, ErrorMessage::NoRight);
  EXPECT_EQ(loaded().size(), 5) << "nothing loaded for a refused icon";
  EXPECT_FALSE(refused.setCaption);
}

TEST_F(ModuleRunnerTest, AnIconIsAllowedByItsWholeCodeOnly) {
  install({"gl18", "gl19"});
  catalogue.append("Report maintenance", "ar091");
  EXPECT_EQ(runner.run("ar09S").outcome, RunReport::Outcome::Stopped) << "ar091 is no right to ar09";
  EXPECT_EQ(runner.run("ar091S").outcome, RunReport::Outcome::Ran);
  EXPECT_EQ(loaded(), QStringList{"load gl18"});
  runner.setCatalogue(nullptr);
  EXPECT_EQ(runner.run("ar091S").outcome, RunReport::Outcome::Stopped) << "without a catalogue, no icon runs";
}

TEST_F(ModuleRunnerTest, SharedReportLibrariesLearnTheirModuleAndTheContextIsEmptiedAfterwards) {
  install({"gl19"});
  runner.run("ap07");
  EXPECT_TRUE(journal.lines.contains("call gl19 ctx=ap")) << journal.lines.join('|').toStdString();
  EXPECT_EQ(link.get(Field::OptionContext), "");
}

TEST_F(ModuleRunnerTest, TrackerOptionsNeedAnOpenAccountButCreationDoesNot) {
  install({"trk01", "trkcreate", "Createdatabase1"});
  RunReport report = runner.run("trk01");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Stopped);
  EXPECT_EQ(report.notice->message, ErrorMessage::NoTrackerAccount);
  EXPECT_TRUE(loaded().isEmpty());

  report = runner.run("trkcreate");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Ran);
  EXPECT_TRUE(report.reloadTrackerMenu);
  EXPECT_EQ(runner.run("Createdatabase1").outcome, RunReport::Outcome::Ran)
      << "no tracker check: no \"trk\" prefix";

  runner.setOpenTrackerAccount("20");
  runner.run("trk01");
  EXPECT_TRUE(journal.lines.contains("call trk01 ctx=20"));
  EXPECT_EQ(link.get(Field::OptionContext), "");
  EXPECT_EQ(runner.openTrackerAccount(), "20") << "the account stays open for the next tracker option";
}

TEST_F(ModuleRunnerTest, RefusedOptionsLeaveNoContextBehind) {
  install({"gl03"});
  runner.setOpenTrackerAccount("5");
  EXPECT_EQ(runner.run("trk01S").outcome, RunReport::Outcome::Stopped);
  EXPECT_EQ(link.get(Field::OptionContext), "");
  catalogue.append("x", "gl03");
  runner.run("gl03");
  EXPECT_TRUE(journal.lines.contains("call gl03 ctx="));
}

TEST_F(ModuleRunnerTest, PayrollAndJobCostFilesAreCheckedExceptByTheirCreators) {
  install({"pa04", "pa1004", "gl23", "jc01", "jc22"});
  // Without the payroll module installed, no payroll file is asked for.
  EXPECT_EQ(runner.run("pa04").outcome, RunReport::Outcome::Ran);

  runner.setPayrollInstalled(true);
  for (const char* code : {"pa04", "gl23"}) {
    const RunReport report = runner.run(code);
    EXPECT_EQ(report.outcome, RunReport::Outcome::Stopped) << code;
    EXPECT_EQ(report.notice->message, ErrorMessage::PayrollFilesMissing) << code;
    EXPECT_EQ(report.notice->style, Notice::Style::Information) << code;
  }
  EXPECT_EQ(runner.run("pa1004").outcome, RunReport::Outcome::Ran);
  const RunReport jobCost = runner.run("jc01");
  EXPECT_EQ(jobCost.notice->message, ErrorMessage::JobCostFilesMissing) << "whatever the JobCost setting";
  EXPECT_EQ(runner.run("jc22").outcome, RunReport::Outcome::Ran);

  touch("PNDEPT.DB");  // any letter case
  touch("jcctrl.db");
  EXPECT_EQ(runner.run("pa04").outcome, RunReport::Outcome::Ran);
  EXPECT_EQ(runner.run("jc01").outcome, RunReport::Outcome::Ran);
}

TEST_F(ModuleRunnerTest, LoadFailuresNameTheCodeTheNumberAndTheReason) {
  RunReport report = runner.run("gl04");
  EXPECT_EQ(report.outcome, RunReport::Outcome::LoadFailed);
  ASSERT_TRUE(report.notice);
  EXPECT_FALSE(report.notice->message);
  EXPECT_EQ(report.notice->text, "error loading option gl04  2\n" + dir.filePath("bin") +
                                     "/gl04.so: cannot open shared object file");
  EXPECT_TRUE(report.setCaption) << "the closing steps still run";
  EXPECT_FALSE(report.refreshCompanies) << "nothing ran";

  loader.errorNumber = ModuleLibrary::kDependencyMissing;
  report = runner.run("pa101");
  EXPECT_EQ(report.notice->message, ErrorMessage::PayrollLibraryMissing);
  report = runner.run("gl04");
  EXPECT_TRUE(report.notice->text.startsWith("error loading option gl04  1157"))
      << "only payroll has its own";
}

TEST_F(ModuleRunnerTest, ARefusalIsReportedAfterTheUnloadAndTheDesktopIsRefreshed) {
  install({"gl03"}, {0, false});
  Notes notes(journal);
  runner.setObserver(&notes);
  const RunReport report = runner.run("gl03");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Ran);
  ASSERT_TRUE(report.notice);
  EXPECT_EQ(report.notice->text, "Access denied...");
  EXPECT_TRUE(report.refreshCompanies);
  EXPECT_TRUE(report.setCaption);
  EXPECT_EQ(journal.lines, (QStringList{"hourglass on", "load gl03", "hourglass off", "repaint",
                                        "call gl03 ctx=", "unload gl03", "repaint"}));
}

TEST_F(ModuleRunnerTest, AnErrorInTheModuleUnloadsItAndSkipsTheClosingSteps) {
  install({"mcomp", "ut02"}, {1, true});
  const RunReport report = runner.run("mcomp");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
  EXPECT_EQ(report.notice->style, Notice::Style::Error);
  EXPECT_EQ(report.notice->text, "the module broke");
  EXPECT_TRUE(journal.lines.contains("unload mcomp"));
  EXPECT_TRUE(report.refreshCompanies) << "the desktop is brought up to date all the same";
  EXPECT_TRUE(report.rebuildCompanyMenu);
  EXPECT_FALSE(report.setCaption);
  EXPECT_FALSE(runner.run("ut02").reloadInternationalWording) << "closing steps skipped";
}

TEST_F(ModuleRunnerTest, AfterEffectsBelongToTheirOptions) {
  install({"creco", "mcomp", "MCOMP", "ut02", "gl03"});
  struct Case {
    const char* code;
    bool refreshCompanies, rebuildCompanyMenu, reloadWording;
  };
  const Case cases[] = {{"creco", false, false, false},
                        {"mcomp", true, true, false},
                        {"MCOMP", true, true, false},
                        {"ut02", true, false, true},
                        {"gl03", true, false, false}};
  for (const Case& c : cases) {
    const RunReport report = runner.run(c.code);
    EXPECT_EQ(report.refreshCompanies, c.refreshCompanies) << c.code;
    EXPECT_EQ(report.rebuildCompanyMenu, c.rebuildCompanyMenu) << c.code;
    EXPECT_EQ(report.reloadInternationalWording, c.reloadWording) << c.code;
  }
}

TEST_F(ModuleRunnerTest, ToolsMaintenanceSeesEveryOptionThenTheUsersRightsComeBack) {
  install({"mtools"});
  const auto rebuild = [&](bool withRights) {
    journal.lines << QString("rebuild %1").arg(withRights ? "with rights" : "without rights");
    catalogue.clear();
    catalogue.append("Transactions entry", "gl03");
    catalogue.append("Budget", withRights ? "" : "gl20");
  };
  RunReport report = runner.runToolsMaintenance(catalogue, rebuild);
  EXPECT_EQ(report.outcome, RunReport::Outcome::Ran);
  EXPECT_TRUE(report.setCaption);
  EXPECT_EQ(
      journal.lines,
      (QStringList{"load mtools", "rebuild without rights",
                   "catalogue mtools names=2 codes=gl03,gl20 ctx=", "rebuild with rights", "unload mtools"}));
  EXPECT_EQ(catalogue.codes(), (QStringList{"gl03", ""}));

  journal.lines.clear();
  loader.installed["mtools"] = {1, true};
  report = runner.runToolsMaintenance(catalogue, rebuild);
  EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
  EXPECT_TRUE(journal.lines.contains("rebuild with rights")) << "whatever the module did";
  EXPECT_EQ(catalogue.codes(), (QStringList{"gl03", ""}));

  loader.installed.clear();
  report = runner.runToolsMaintenance(catalogue, rebuild);
  EXPECT_EQ(report.outcome, RunReport::Outcome::LoadFailed);
  EXPECT_TRUE(report.notice->text.startsWith("error loading mtools2\n")) << report.notice->text.toStdString();
}

// The same road with real libraries: the test module, loaded by absolute
// path from the program folder, writes down what it received.
class RealModuleTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  LinkRecord link;
  LibraryModuleLoader loader;
  ModuleRunner runner{link, loader};

  void SetUp() override {
    QDir().mkpath(programDir());
    link.set(Field::ProgramDir, programDir());
    link.set(Field::DataDir, dir.filePath("data"));
    link.set(Field::CompanyNumber, "3");
    link.set(Field::UserName, "Marie-Ève Tremblay");
    qputenv("ORBA_TEST_MODULE_LOG", log().toUtf8());
  }
  void TearDown() override {
    qunsetenv("ORBA_TEST_MODULE_LOG");
    qunsetenv("ORBA_TEST_MODULE_RESULT");
    qunsetenv("ORBA_TEST_MODULE_THROW");
  }
  QString programDir() const { return dir.filePath("bin"); }
  QString log() const { return dir.filePath("module.log"); }
  QString logged() const {
    QFile f(log());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
};

TEST_F(RealModuleTest, TheLibraryIsCalledWithTheRecordAndItsAnswerReported) {
  ASSERT_TRUE(QFile::copy(TESTMODULE, programDir() + "/gl19.so"));
  RunReport report = runner.run("ar09");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Ran);
  EXPECT_FALSE(report.notice);
  EXPECT_TRUE(logged().contains("call=gl19\n")) << logged().toStdString();
  EXPECT_TRUE(logged().contains("OptionContext=ar\n"));
  EXPECT_TRUE(logged().contains("UserName=Marie-Ève Tremblay\n"));

  qputenv("ORBA_TEST_MODULE_RESULT", "0");
  report = runner.run("gl19");
  EXPECT_EQ(report.notice->text, "Access denied...");
  qunsetenv("ORBA_TEST_MODULE_RESULT");

  qputenv("ORBA_TEST_MODULE_THROW", "1");
  report = runner.run("gl19");
  EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
  EXPECT_EQ(report.notice->text, "module failure");
}

TEST_F(RealModuleTest, MissingLibrariesAndLibrariesWithoutTheEntryAreLoadFailures) {
  RunReport report = runner.run("gl03");
  EXPECT_EQ(report.outcome, RunReport::Outcome::LoadFailed);
  EXPECT_TRUE(report.notice->text.startsWith(
      QString("error loading option gl03  %1\n").arg(ModuleLibrary::kNotFound)));
  EXPECT_TRUE(report.notice->text.contains(programDir() + "/gl03.so"));

  QFile bogus(programDir() + "/gl08.so");
  ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
  bogus.write("not a library");
  bogus.close();
  report = runner.run("gl08");
  EXPECT_TRUE(
      report.notice->text.startsWith(QString("error loading option gl08  %1").arg(ModuleLibrary::kBadFormat)))
      << report.notice->text.toStdString();
}
