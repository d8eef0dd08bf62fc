// One office, two accounts: two real Unix accounts, members of one group
// besides their own private groups, work in turn in one data folder. Each
// makes companies, users, Tools entries, list records and desktops, and runs
// the set-up wizard's save, as the program and its modules do; the other
// then reads and changes them. At the end every folder and file under the
// data folder belongs to the office's group, which may read and write it.
//
// Making the accounts needs root (useradd, groupadd); without it the test
// skips and says why. Each account's work runs in a child process that has
// taken that account's identity (initgroups, setgid, setuid) and the usual
// umask 022, so nothing of root's rights helps it.

#include <dirent.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "CompanyDefaults.h"
#include "CompanyStore.h"
#include "DataFolder.h"
#include "DatabaseError.h"
#include "DesktopStore.h"
#include "ListDefinitions.h"
#include "RecordStore.h"
#include "SystemFolder.h"
#include "Table.h"
#include "TableSchemas.h"
#include "ToolStore.h"
#include "UserStore.h"

namespace {

namespace sc = orba::data::schemas;
using orba::shell::prepareDataFolder;

// The office's group and its two accounts, made for this test and taken
// away after it when it made them.
const char* const kGroup = "orbaoffice";
const char* const kFirst = "orbaclerka";
const char* const kSecond = "orbaclerkb";

int run(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()); }

bool groupExists(const char* name) { return ::getgrnam(name) != nullptr; }
bool accountExists(const char* name) { return ::getpwnam(name) != nullptr; }

// What a child process found wrong, one line each, sent back through a pipe.
class Checks {
 public:
  void check(bool ok, const QString& what) {
    if (!ok) failures_ << what;
  }
  template <typename T>
  void equal(const T& actual, const T& expected, const QString& what) {
    if (!(actual == expected)) failures_ << what;
  }
  void fail(const QString& what) { failures_ << what; }
  const QStringList& failures() const { return failures_; }

 private:
  QStringList failures_;
};

// Runs `work` as `account` in a child process; returns what it found
// wrong (or why it could not run).
QStringList as(const char* account, const std::function<void(Checks&)>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return {"pipe failed"};
  const pid_t child = ::fork();
  if (child < 0) return {"fork failed"};
  if (child == 0) {
    ::close(channel[0]);
    Checks checks;
    const passwd* who = ::getpwnam(account);
    if (!who || ::initgroups(account, who->pw_gid) != 0 || ::setgid(who->pw_gid) != 0 ||
        ::setuid(who->pw_uid) != 0 || ::getuid() == 0) {
      checks.fail(QStringLiteral("cannot become %1").arg(account));
    } else {
      ::umask(022);
      try {
        work(checks);
      } catch (const orba::data::DatabaseError& e) {
        checks.fail(QStringLiteral("%1: %2").arg(account, e.message()));
      } catch (const orba::company::CreationFailed& e) {
        checks.fail(QStringLiteral("%1: company not created: %2").arg(account, e.reason));
      } catch (const orba::tools::ToolRefused& e) {
        checks.fail(QStringLiteral("%1: tool refused (%2) %3").arg(account).arg(e.reason).arg(e.subject));
      } catch (const orba::users::UserRefused& e) {
        checks.fail(QStringLiteral("%1: user refused (%2) %3").arg(account).arg(e.reason).arg(e.subject));
      } catch (const std::exception& e) {
        checks.fail(QStringLiteral("%1: %2").arg(account, QString::fromLocal8Bit(e.what())));
      }
    }
    const QByteArray report = checks.failures().join('\n').toUtf8();
    if (!report.isEmpty() && ::write(channel[1], report.constData(), static_cast<size_t>(report.size())) < 0)
      ::_exit(2);
    ::_exit(checks.failures().isEmpty() ? 0 : 1);
  }
  ::close(channel[1]);
  QByteArray report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  QStringList failures = report.isEmpty() ? QStringList() : QString::fromUtf8(report).split('\n');
  if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && failures.isEmpty()))
    failures << QStringLiteral("%1's process ended with status %2").arg(account).arg(status);
  return failures;
}

// Every folder and file below `root`, with what is wrong with its sharing.
void collectSharing(const std::string& path, gid_t group, QStringList* wrong) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  const QString name = QString::fromStdString(path);
  if (st.st_gid != group) *wrong << name + ": not the office's group";
  if (S_ISDIR(st.st_mode)) {
    if ((st.st_mode & (S_IRWXG | S_ISGID)) != (S_IRWXG | S_ISGID))
      *wrong << name + QStringLiteral(": folder mode %1").arg(st.st_mode & 07777, 0, 8);
    DIR* d = ::opendir(path.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
      const std::string entry = e->d_name;
      if (entry != "." && entry != "..") collectSharing(path + "/" + entry, group, wrong);
    }
    ::closedir(d);
  } else if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
    *wrong << name + QStringLiteral(": file mode %1").arg(st.st_mode & 07777, 0, 8);
  }
}

orba::dispatch::Application tool(const QString& name, const QString& program) {
  orba::dispatch::Application a;
  a.name = name;
  a.nameFr = name;
  a.program = program;
  return a;
}

QStringList clientNames(const QString& companyDir) {
  orba::lists::RecordStore clients(*orba::lists::definitionFor("ar01"), companyDir);
  QStringList names;
  for (const auto& record : clients.readAll()) names << clients.value(record, "Cli_name").toString();
  return names;
}

// The desktop rows stored for a user.
std::vector<orba::shell::DesktopRow> desktopOf(const QString& dataDir, const QString& user) {
  orba::data::Table users("User_table");
  users.declare(sc::User_table);
  users.setDatabaseName(dataDir);
  users.open();
  orba::data::Table desktops("Desktop_table");
  desktops.declare(sc::Desktop_table);
  desktops.setDatabaseName(dataDir);
  desktops.open();
  std::vector<orba::shell::DesktopRow> rows;
  for (const auto& row : orba::shell::DesktopStore::load(desktops, nullptr)) rows.push_back(row);
  std::vector<orba::shell::DesktopRow> mine;
  const QStringList fields{"Desktop_user", "Desktop_Component_type", "Desktop_ComponentIndex",
                           "Desktop_Component"};
  for (int i = 0; i < desktops.recordCount(); ++i) {
    const QVariantList v = desktops.valuesAt(i, fields);
    if (v[0].toString() == user) mine.push_back({v[1].toInt(), v[2].toInt(), v[3].toByteArray()});
  }
  return mine;
}

void saveDesktop(const QString& dataDir, const QString& user,
                 const std::vector<orba::shell::DesktopRow>& rows) {
  orba::data::Table desktops("Desktop_table");
  desktops.declare(sc::Desktop_table);
  desktops.setDatabaseName(dataDir);
  desktops.open();
  orba::shell::DesktopStore::save(desktops, user, rows);
}

orba::shell::CompanyDefaults outsideCanada(const QString& first, const QString& second) {
  orba::shell::CompanyDefaults d;
  d.gstRate = first;
  d.pstRate = second;
  d.taxSystem = 1;
  d.currencyName = "Euros";
  d.fractionName = "Cents";
  return d;
}

// A step's failures, one a line, or none.
void expectClean(const QStringList& failures) {
  EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}

class TwoAccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "making the two accounts needs root (useradd, groupadd)";
    if (run("command -v useradd && command -v groupadd") != 0)
      GTEST_SKIP() << "useradd or groupadd is not installed";
    madeGroup_ = !groupExists(kGroup);
    if (madeGroup_) {
      ASSERT_EQ(run(std::string("groupadd --system ") + kGroup), 0);
    }
    for (const char* account : {kFirst, kSecond}) {
      if (accountExists(account)) continue;
      ASSERT_EQ(
          run(std::string("useradd --system --user-group --no-create-home --shell /usr/sbin/nologin -G ") +
              kGroup + " " + account),
          0)
          << account;
      madeAccounts_.push_back(account);
    }
    group_ = ::getgrnam(kGroup)->gr_gid;

    // A folder every account can reach.
    char pattern[] = "/tmp/orba-office-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = QString::fromLocal8Bit(pattern);
    ASSERT_EQ(::chmod(pattern, 0755), 0);
  }
  // The administrator's part: in it the folder `datadrive` names, the
  // office group's, with this mode.
  void makeDrive(mode_t mode) {
    drive_ = root_ + "/office";
    ASSERT_TRUE(QDir().mkpath(drive_));
    ASSERT_EQ(::chown(QFile::encodeName(drive_).constData(), 0, group_), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(drive_).constData(), mode), 0);
    dataDir_ = drive_ + "/Orba/data";
  }
  // The two accounts in turn, each on what the other made (below).
  void workInTurn();
  void TearDown() override {
    if (!root_.isEmpty()) QDir(root_).removeRecursively();
    for (const char* account : madeAccounts_) run(std::string("userdel ") + account);
    if (madeGroup_) run(std::string("groupdel ") + kGroup);
  }

  QString companyDir(int number) const { return dataDir_ + QString::number(number); }

  QString root_;
  QString drive_;
  QString dataDir_;
  gid_t group_ = 0;
  bool madeGroup_ = false;
  std::vector<const char*> madeAccounts_;
};

// The folder as docs/administration.md has it: set-group-ID, 2770.
TEST_F(TwoAccountsTest, InASetGroupIdFolderEachAccountWorksOnWhatTheOtherMade) {
  makeDrive(02770);
  workInTurn();
}

// A folder the group may write in, without set-group-ID: the data folder
// the first start makes below it keeps the group all the same.
TEST_F(TwoAccountsTest, InAGroupFolderEachAccountWorksOnWhatTheOtherMade) {
  makeDrive(0770);
  workInTurn();
}

void TwoAccountsTest::workInTurn() {
  using orba::company::Company;
  using orba::company::CompanyStore;
  using orba::company::Verdict;
  using orba::shell::DesktopRow;
  using orba::users::User;
  using orba::users::UserStore;

  // The first account starts a blank installation: the data folder, the
  // system tables, company 1 set up, a user, a tool, a client, a desktop.
  expectClean(as(kFirst, [&](Checks& c) {
    c.check(prepareDataFolder(drive_, dataDir_).kind == orba::shell::DataFolderState::Kind::Made,
            "the data folder made");
    orba::company::initialiseSystemFolder(dataDir_, 1);
    CompanyStore companies(dataDir_);
    c.check(companies.create({1, "Alpha", {}}) == Verdict::Done, "company 1 created");
    orba::shell::saveCompanyTables(companyDir(1), outsideCanada("20", "5"));
    User marie;
    marie.password = "MARIE";
    marie.code = "MARIE";
    marie.name = "Marie Lavoie";
    marie.company = 1;
    c.equal(UserStore(dataDir_).add(marie), QString(), "Marie added");
    orba::tools::ToolStore(dataDir_).add(tool("Calculator", "gnome-calculator"));
    orba::lists::RecordStore clients(*orba::lists::definitionFor("ar01"), companyDir(1));
    c.check(clients.add({{"Cli_code", "C001"}, {"Cli_name", "Pharmacie Gagnon"}}).ok(), "client C001 added");
    saveDesktop(dataDir_, "ADMIN", {{DesktopRow::Icon, 0, "first"}});
  }));

  // The second reads all of it and changes each.
  expectClean(as(kSecond, [&](Checks& c) {
    c.check(prepareDataFolder(drive_, dataDir_).usable(), "the data folder usable");
    CompanyStore companies(dataDir_);
    c.equal(companies.companies().size(), size_t(1), "company 1 listed");
    c.check(orba::shell::readRecordedSetup(companyDir(1)).completed, "company 1 set up");
    c.check(companies.create({2, "Beta", {}}) == Verdict::Done, "company 2 created");
    c.check(companies.rename(1, "Alpha Ltd") == Verdict::Done, "company 1 renamed");
    orba::shell::saveCompanyTables(companyDir(1), outsideCanada("21", "6"));

    UserStore users(dataDir_);
    std::vector<User> listed = users.users();
    c.check(listed.size() == 2 && listed[1].name == "Marie Lavoie", "Marie read");
    User marie = listed.size() == 2 ? listed[1] : User{};
    marie.name = "Marie Lavoie-Tremblay";
    c.equal(users.update("MARIE", marie), QString(), "Marie changed");

    orba::tools::ToolStore tools(dataDir_);
    const auto rows = tools.tools();
    c.check(rows.size() == 2 && rows[1].program == "gnome-calculator", "the tool read");
    if (rows.size() == 2) tools.update(1, rows[1], tool("Calculatrice", "gnome-calculator"));
    tools.add(tool("Text editor", "gedit"));

    orba::lists::RecordStore clients(*orba::lists::definitionFor("ar01"), companyDir(1));
    const auto records = clients.readAll();
    c.check(records.size() == 1, "client C001 read");
    if (!records.empty())
      c.check(clients.update(records[0], {{"Cli_code", "C001"}, {"Cli_name", "Pharmacie Gagnon Inc."}}).ok(),
              "client C001 changed");
    c.check(clients.add({{"Cli_code", "C002"}, {"Cli_name", "Mitchell Construction"}}).ok(),
            "client C002 added");
    orba::lists::RecordStore others(*orba::lists::definitionFor("ar01"), companyDir(2));
    c.check(others.add({{"Cli_code", "B001"}, {"Cli_name", "Beta's client"}}).ok(),
            "a client of company 2 added");

    c.check(desktopOf(dataDir_, "ADMIN").size() == 1, "the desktop read");
    saveDesktop(dataDir_, "ADMIN", {{DesktopRow::Icon, 0, "second"}, {DesktopRow::Icon, 1, "second"}});
    saveDesktop(dataDir_, "MARIE", {{DesktopRow::Wallpaper, 0, "marie"}});
  }));

  // The first account again, on what the second made and changed.
  expectClean(as(kFirst, [&](Checks& c) {
    CompanyStore companies(dataDir_);
    const auto listed = companies.companies();
    c.check(listed.size() == 2 && listed[0].name == "Alpha Ltd" && listed[1].name == "Beta",
            "both companies read");
    c.check(companies.setPassword(2, "B2", {}, 2) == Verdict::Done, "company 2's password set");
    c.check(orba::shell::readRecordedSetup(companyDir(2)).needsWizard(), "company 2 not set up");
    orba::shell::saveCompanyTables(companyDir(2), outsideCanada("19", "4"));
    c.equal(orba::shell::readRecordedSetup(companyDir(1)).gstRate, QString("21"),
            "company 1's rate as the second account stored it");

    UserStore users(dataDir_);
    const auto all = users.users();
    c.check(all.size() == 2 && all[1].name == "Marie Lavoie-Tremblay", "Marie's change read");
    c.equal(users.remove("MARIE"), QString(), "Marie removed");

    orba::tools::ToolStore tools(dataDir_);
    const auto rows = tools.tools();
    c.check(rows.size() == 3 && rows[1].name == "Calculatrice", "the tools read");
    if (rows.size() == 3) tools.remove(2, rows[2]);

    c.equal(clientNames(companyDir(1)), QStringList({"Pharmacie Gagnon Inc.", "Mitchell Construction"}),
            "company 1's clients read");
    orba::lists::RecordStore clients(*orba::lists::definitionFor("ar01"), companyDir(2));
    const auto records = clients.readAll();
    c.check(records.size() == 1, "company 2's client read");
    if (!records.empty()) c.check(clients.remove(records[0]).ok(), "company 2's client deleted");

    c.check(desktopOf(dataDir_, "ADMIN").size() == 2, "the second account's desktop read");
    saveDesktop(dataDir_, "ADMIN", {{DesktopRow::Icon, 0, "first again"}});
  }));

  // And the second reads the last changes.
  expectClean(as(kSecond, [&](Checks& c) {
    c.equal(UserStore(dataDir_).users().size(), size_t(1), "Marie gone");
    c.equal(orba::tools::ToolStore(dataDir_).tools().size(), size_t(2), "the editor gone");
    c.equal(clientNames(companyDir(2)), QStringList(), "company 2's client gone");
    c.equal(orba::shell::readRecordedSetup(companyDir(2)).gstRate, QString("19"), "company 2 set up");
    const auto desktop = desktopOf(dataDir_, "ADMIN");
    c.check(desktop.size() == 1 && desktop[0].stream == "first again", "the desktop as last saved");
    c.equal(desktopOf(dataDir_, "MARIE").size(), size_t(0), "Marie's desktop left with her");
  }));

  // Whoever made or changed them, everything is the office's.
  QStringList wrong;
  collectSharing(QFile::encodeName(drive_ + "/Orba").toStdString(), group_, &wrong);
  EXPECT_TRUE(wrong.isEmpty()) << wrong.join('\n').toStdString();
}

// An account that may not write where the data folder belongs is told so,
// and nothing is made.
TEST_F(TwoAccountsTest, AFolderClosedToTheAccountIsSaidSo) {
  const QString closed = root_ + "/closed";
  ASSERT_TRUE(QDir().mkpath(closed));
  ASSERT_EQ(::chmod(QFile::encodeName(closed).constData(), 0755), 0);
  expectClean(as(kFirst, [&](Checks& c) {
    const orba::shell::DataFolderState state = prepareDataFolder(closed, closed + "/Orba/data");
    c.check(state.kind == orba::shell::DataFolderState::Kind::NotWritable, "not writable");
    c.equal(state.folder, closed, "the folder named");
  }));
  EXPECT_FALSE(QFile::exists(closed + "/Orba"));
}

}  // namespace
