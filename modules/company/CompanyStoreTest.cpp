// The company steps on real tables: creation of every company table, the
// refusals, maintenance of comp.db, and what is left when the file system
// fails at any step.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <set>

#include "CompanyStore.h"
#include "CompanyTestSupport.h"
#include "DatabaseError.h"
#include "FailingEnv.h"
#include "Installation.h"
#include "paradox/Table.h"

using namespace orba::company;
using company_test::Listed;
using company_test::listed;
namespace sc = orba::data::schemas;

namespace {

// Fails every change from the one numbered `from` on, as a disk that fills
// up or is unplugged would: the cleanup after the first failure fails too.
class BrokenFromEnv : public FailingEnv {
 public:
  explicit BrokenFromEnv(int from) : FailingEnv(0), from_(from) {}
  orba::pdx::Status OpenWritable(const std::string& p, bool t,
                                 std::unique_ptr<orba::pdx::WritableFile>* f) override {
    return broken() ? fail(p) : FailingEnv::OpenWritable(p, t, f);
  }
  orba::pdx::Status Rename(const std::string& from, const std::string& to) override {
    return broken() ? fail(to) : FailingEnv::Rename(from, to);
  }
  orba::pdx::Status Remove(const std::string& p) override {
    return broken() ? fail(p) : FailingEnv::Remove(p);
  }
  orba::pdx::Status SyncDir(const std::string& d) override {
    return broken() ? fail(d) : FailingEnv::SyncDir(d);
  }

 private:
  bool broken() { return ++count_ >= from_; }
  static orba::pdx::Status fail(const std::string& what) {
    return orba::pdx::Status::IOError(what, "device unplugged");
  }
  int from_;
  int count_ = 0;
};

// Every table a company's folder holds, as each reader declares it.
const orba::data::TableSpec* const kCompanyTables[] = {
    &sc::Co_Ctrl_table, &sc::Gl_Ctrl_table, &sc::Setup_Ctrl_table, &sc::trkdb_table,
    &sc::Gl_Table,      &sc::Ar_Table,      &sc::Ap_Table,         &sc::Emp_Table,
    &sc::IvprodTable,   &sc::IvinvTable,    &sc::TaxRates_table,   &sc::TaxRatesP_table,
};

class CompanyStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<Installation> install;

  void SetUp() override { fresh(); }
  void TearDown() override { orba::data::Table::setEnv(nullptr); }

  // A new installation with an empty list of companies.
  void fresh() {
    install.reset();
    dir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir->isValid());
    install = std::make_unique<Installation>(dir->path());
    install->emptyCompanies();
  }
  QString dataDir() const { return install->dataDir(); }
  // Folders beside the data folder other than the data folder itself and
  // the listed companies' ones: scratch folders left behind.
  QStringList strays() const {
    QStringList out;
    for (const QString& name : QDir(dir->path() + "/Orba").entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
      if (name.contains(".new-")) out << name;
    return out;
  }
  // Every company table opens as its readers declare it; the number of
  // records of each.
  static std::map<QString, int> tablesOf(const QString& folder) {
    std::map<QString, int> out;
    for (const auto* shape : kCompanyTables) {
      orba::data::Table t("Check");
      t.declare(*shape);
      t.setDatabaseName(folder);
      t.open();
      out[QString::fromLatin1(shape->file.data(), shape->file.size())] = t.recordCount();
      t.close();
    }
    return out;
  }
};

TEST_F(CompanyStoreTest, CreationMakesEveryCompanyTableWithItsKeysAndListsTheCompany) {
  install->addCompany(1, "Alpha");
  CompanyStore store(dataDir());
  EXPECT_EQ(store.nextFreeNumber(), 2);
  EXPECT_EQ(store.companyFolder(2), dataDir() + "2");
  ASSERT_EQ(store.create({2, "  Beta  ", "Se7ret"}), Verdict::Done);

  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha", ""}}, {2, {"Beta", "Se7ret"}}}));
  const std::map<QString, int> expected{
      {"ctrl.DB", 1}, {"trkdb.DB", 0},  {"glm.DB", 0},   {"cli.DB", 0},      {"sup.db", 0},
      {"emp.DB", 0},  {"ivprod.DB", 0}, {"ivinv.DB", 0}, {"taxrates.db", 0}, {"taxratesP.db", 0}};
  EXPECT_EQ(tablesOf(store.companyFolder(2)), expected);

  // The primary keys as declared; ctrl.DB has every reader's fields once,
  // the ledger's first.
  for (const auto* shape : kCompanyTables) {
    std::unique_ptr<orba::pdx::Table> t;
    const std::string path =
        orba::data::resolveTableFile(store.companyFolder(2),
                                     QString::fromLatin1(shape->file.data(), shape->file.size()))
            .toStdString();
    ASSERT_TRUE(orba::pdx::Table::Open(path, {}, &t).ok()) << path;
    const bool control = shape->file == "ctrl.DB";
    EXPECT_EQ(t->key_field_count(), control ? 0u : static_cast<unsigned>(shape->keyFields)) << path;
    if (control) {
      std::vector<std::string> names;
      for (const auto& f : t->fields()) names.push_back(f.name);
      std::set<std::string> distinct(names.begin(), names.end());
      EXPECT_EQ(distinct.size(), names.size());
      EXPECT_EQ(names.size(), 5u + 10u + 6u - 4u);  // the ledger's and the company's share four
      EXPECT_EQ(names.front(), "Ctrl_date_fmt");
    }
  }
  orba::data::Table control("Check");
  control.declare(sc::Co_Ctrl_table);
  control.setDatabaseName(store.companyFolder(2));
  control.open();
  control.first();
  EXPECT_EQ(control.value("Ctrl_periods").toInt(), 12);
  EXPECT_EQ(control.value("Ctrl_gl_period").toInt(), 1);
  EXPECT_EQ(control.value("Ctrl_fa_period").toInt(), 1);
  EXPECT_EQ(control.value("Ctrl_eom_gl"), QVariant(false));
  control.close();
  EXPECT_TRUE(strays().isEmpty()) << strays().join(' ').toStdString();
  EXPECT_EQ(store.nextFreeNumber(), 3);
}

TEST_F(CompanyStoreTest, TheNextNumberFollowsTheHighestAndSkipsFoldersInTheWay) {
  CompanyStore store(dataDir());
  EXPECT_EQ(store.nextFreeNumber(), 1);
  install->addCompany(1, "Alpha");
  install->addCompany(3, "Gamma");
  EXPECT_EQ(store.nextFreeNumber(), 4);
  QDir().mkpath(dataDir() + "4");
  QFile(dataDir() + "5").open(QIODevice::WriteOnly);
  EXPECT_EQ(store.nextFreeNumber(), 6);
}

TEST_F(CompanyStoreTest, RefusalsWriteNothing) {
  install->addCompany(1, "Alpha");
  QDir().mkpath(dataDir() + "6");
  QFile(dataDir() + "8").open(QIODevice::WriteOnly);
  QFile comp(dataDir() + "/comp.db");
  ASSERT_TRUE(comp.open(QIODevice::ReadOnly));
  const QByteArray before = comp.readAll();
  comp.close();

  CompanyStore store(dataDir());
  EXPECT_EQ(store.create({1, "Another", ""}), Verdict::NumberInUse);
  EXPECT_EQ(store.create({5, " Alpha ", ""}), Verdict::NameInUse);
  EXPECT_EQ(store.create({6, "Six", ""}), Verdict::FolderExists);
  EXPECT_EQ(store.create({8, "Eight", ""}), Verdict::FolderExists);
  EXPECT_EQ(store.create({7, "   ", ""}), Verdict::EmptyName);
  EXPECT_EQ(store.create({0, "Zero", ""}), Verdict::NumberOutOfRange);
  EXPECT_EQ(store.create({32768, "Big", ""}), Verdict::NumberOutOfRange);

  ASSERT_TRUE(comp.open(QIODevice::ReadOnly));
  EXPECT_EQ(comp.readAll(), before);
  EXPECT_TRUE(company_test::filesOf(dataDir() + "6").isEmpty());
  EXPECT_EQ(QFileInfo(dataDir() + "8").size(), 0);
  for (int n : {5, 7, 0, 32768}) EXPECT_FALSE(QFileInfo::exists(dataDir() + QString::number(n))) << n;
  EXPECT_TRUE(strays().isEmpty());
}

TEST_F(CompanyStoreTest, WithoutACompaniesTableNothingIsMade) {
  QFile::remove(dataDir() + "/comp.db");
  CompanyStore store(dataDir());
  EXPECT_THROW(store.nextFreeNumber(), orba::data::DatabaseError);
  EXPECT_THROW(store.create({1, "Alpha", ""}), orba::data::DatabaseError);
  EXPECT_FALSE(QFileInfo::exists(dataDir() + "1"));
  EXPECT_TRUE(strays().isEmpty());
  // Without a data folder, not the current folder either.
  EXPECT_THROW(CompanyStore("").create({1, "Alpha", ""}), orba::data::DatabaseError);
  EXPECT_FALSE(QFileInfo::exists("1"));
}

TEST_F(CompanyStoreTest, AFailureAtAnyWriteLeavesEitherTheWholeCompanyOrNothing) {
  // How many changes a creation makes.
  FailingEnv counting(0);
  orba::data::Table::setEnv(&counting);
  install->addCompany(1, "Alpha");
  ASSERT_EQ(CompanyStore(dataDir(), &counting).create({2, "Beta", "pw"}), Verdict::Done);
  orba::data::Table::setEnv(nullptr);
  const int changes = counting.operations();
  ASSERT_GT(changes, 20);

  int failed = 0;
  for (int n = 1; n <= changes; ++n) {
    fresh();
    install->addCompany(1, "Alpha");
    FailingEnv env(n);
    orba::data::Table::setEnv(&env);
    CompanyStore store(dataDir(), &env);
    bool done = false;
    try {
      done = store.create({2, "Beta", "pw"}) == Verdict::Done;
    } catch (const CreationFailed& e) {
      ++failed;
      EXPECT_TRUE(env.failed());
      EXPECT_FALSE(e.reason.isEmpty()) << n;
      EXPECT_TRUE(e.leftover.isEmpty()) << n << " " << e.leftover.toStdString();
    }
    orba::data::Table::setEnv(nullptr);
    if (done) {
      // A change that may fail without harm (an index left to rebuild):
      // then the company is whole.
      EXPECT_EQ(listed(dataDir()).size(), 2u) << n;
      EXPECT_EQ(tablesOf(dataDir() + "2").size(), 10u) << n;
    } else {
      EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha", ""}}})) << n;
      EXPECT_FALSE(QFileInfo::exists(dataDir() + "2")) << n;
      EXPECT_TRUE(strays().isEmpty()) << n << " " << strays().join(' ').toStdString();
      // Nothing stands in the way of trying again.
      EXPECT_EQ(CompanyStore(dataDir()).create({2, "Beta", "pw"}), Verdict::Done) << n;
    }
  }
  EXPECT_GT(failed, changes / 2);
}

TEST_F(CompanyStoreTest, WhenTheCleanupFailsTooWhatStaysIsNamedAndTheListIsUntouched) {
  FailingEnv counting(0);
  orba::data::Table::setEnv(&counting);
  install->addCompany(1, "Alpha");
  ASSERT_EQ(CompanyStore(dataDir(), &counting).create({2, "Beta", ""}), Verdict::Done);
  orba::data::Table::setEnv(nullptr);
  const int changes = counting.operations();

  int companyFolderLeft = 0;
  for (int n = 1; n <= changes; ++n) {
    fresh();
    install->addCompany(1, "Alpha");
    BrokenFromEnv env(n);
    orba::data::Table::setEnv(&env);
    CompanyStore store(dataDir(), &env);
    QString leftover;
    bool created = false;
    try {
      created = store.create({2, "Beta", ""}) == Verdict::Done;
    } catch (const CreationFailed& e) {
      leftover = e.leftover;
    }
    orba::data::Table::setEnv(nullptr);
    if (created) {
      // Broken only after comp.db stored the row: what is left to do
      // afterwards (an index, a folder sync) is done at its next change.
      EXPECT_EQ(listed(dataDir()).size(), 2u) << n;
      EXPECT_EQ(tablesOf(dataDir() + "2").size(), 10u) << n;
      continue;
    }
    EXPECT_EQ(listed(dataDir()).size(), 1u) << n;
    if (leftover.isEmpty()) {
      EXPECT_FALSE(QFileInfo::exists(dataDir() + "2")) << n;
      EXPECT_TRUE(strays().isEmpty()) << n;
    } else if (leftover == dataDir() + "2") {
      // Moved into place but not listed: only ever a whole company.
      ++companyFolderLeft;
      EXPECT_EQ(tablesOf(leftover).size(), 10u) << n;
    } else {
      EXPECT_TRUE(leftover.startsWith(dataDir() + "2.new-")) << leftover.toStdString();
      EXPECT_TRUE(QFileInfo(leftover).isDir()) << n;
      EXPECT_FALSE(QFileInfo::exists(dataDir() + "2")) << n;
    }
  }
  EXPECT_GT(companyFolderLeft, 0);
}

TEST_F(CompanyStoreTest, MaintenanceChangesTheRowsAndNeverTheFiles) {
  install->addCompany(1, "Alpha");
  install->addCompany(2, "Beta", "B2");
  install->addCompany(3, "Gamma");
  install->addClients(3, {{"C1", "Client one"}});
  const QStringList gammaFiles = company_test::filesOf(dataDir() + "3");
  CompanyStore store(dataDir());

  EXPECT_EQ(store.rename(1, "  Alpha Inc. "), Verdict::Done);
  EXPECT_EQ(store.rename(1, "Beta"), Verdict::NameInUse);
  EXPECT_EQ(store.rename(1, " "), Verdict::EmptyName);
  EXPECT_EQ(store.rename(9, "Nine"), Verdict::NotListed);
  EXPECT_EQ(store.rename(2, "Beta"), Verdict::Done);  // its own name

  // Another company's password is needed to change it; the current one's
  // is not.
  EXPECT_EQ(store.setPassword(2, "NEW", "b2", 1), Verdict::WrongPassword);
  EXPECT_EQ(store.setPassword(2, "", "", 1), Verdict::WrongPassword);
  EXPECT_EQ(store.setPassword(2, "NEW", "B2", 1), Verdict::Done);
  EXPECT_EQ(store.setPassword(2, "", "", 2), Verdict::Done);
  EXPECT_EQ(store.setPassword(3, "G3", "", 1), Verdict::Done);

  EXPECT_EQ(store.removeFromList(3), Verdict::Done);
  EXPECT_EQ(store.removeFromList(3), Verdict::NotListed);
  EXPECT_EQ(listed(dataDir()), (std::map<int, Listed>{{1, {"Alpha Inc.", ""}}, {2, {"Beta", ""}}}));
  EXPECT_EQ(company_test::filesOf(dataDir() + "3"), gammaFiles);
  // A company taken off the list cannot come back under its old number
  // while its files are there.
  EXPECT_EQ(store.create({3, "Gamma again", ""}), Verdict::FolderExists);
}

TEST_F(CompanyStoreTest, AFailedMaintenanceChangeLeavesTheListAsItWas) {
  const std::function<Verdict(CompanyStore&)> changes[] = {
      [](CompanyStore& s) { return s.rename(2, "Bêta"); },
      [](CompanyStore& s) { return s.setPassword(2, "NEW", "B2", 1); },
      [](CompanyStore& s) { return s.removeFromList(2); },
  };
  for (const auto& change : changes) {
    // Fails each change of the file system in turn, until the whole change
    // runs before the failure would come.
    for (int n = 1;; ++n) {
      fresh();
      install->addCompany(1, "Alpha");
      install->addCompany(2, "Beta", "B2");
      const auto before = listed(dataDir());
      FailingEnv env(n);
      orba::data::Table::setEnv(&env);
      CompanyStore store(dataDir(), &env);
      Verdict verdict = Verdict::NotListed;
      bool threw = false;
      try {
        verdict = change(store);
      } catch (const orba::data::DatabaseError&) {
        threw = true;
      }
      orba::data::Table::setEnv(nullptr);
      if (threw)
        EXPECT_EQ(listed(dataDir()), before) << n;
      else
        EXPECT_EQ(verdict, Verdict::Done) << n;
      if (!env.failed()) {
        EXPECT_NE(listed(dataDir()), before);
        EXPECT_GT(n, 1);
        break;
      }
    }
  }
}

}  // namespace
