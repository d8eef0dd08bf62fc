// One data folder shared by two accounts of one group, as in an office: the
// accounts are made for the test (which needs root) and write the same
// table in turn and together. The files keep the mode and group the
// administrator gave them, the lock file lets both accounts lock, and no
// account ever meets a permission error.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

const char* const kGroup = "orbashare";
const char* const kUsers[] = {"orbashare1", "orbashare2"};

struct Account {
  uid_t uid;
  gid_t gid;
};

class SharedFolder : public ::testing::Test {
 public:
  // The accounts and group this run made go again at the end of it.
  static void TearDownTestSuite() {
    // Best effort: an account left behind is only untidy.
    for (const std::string& user : made_users_)
      if (std::system(("userdel " + user + " 2>/dev/null").c_str()) != 0) continue;
    if (made_group_ && std::system((std::string("groupdel ") + kGroup + " 2>/dev/null").c_str()) != 0) return;
  }

 protected:
  static inline std::vector<std::string> made_users_;
  static inline bool made_group_ = false;

  Account accounts_[2]{};
  gid_t group_ = 0;
  testing::TempDir dir_;
  std::string path_ = dir_.File("shared.db");

  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "two accounts can be made for this test only as root";
    if (!getgrnam(kGroup)) {
      if (std::system((std::string("groupadd --system ") + kGroup + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "groupadd is not available here";
      made_group_ = true;
    }
    for (const char* user : kUsers) {
      if (getpwnam(user)) continue;
      if (std::system((std::string("useradd --system --no-create-home --gid ") + kGroup +
                       " --shell /usr/sbin/nologin " + user + " 2>/dev/null")
                          .c_str()) != 0)
        GTEST_SKIP() << "useradd is not available here";
      made_users_.push_back(user);
    }
    group_ = getgrnam(kGroup)->gr_gid;
    for (int i = 0; i < 2; ++i) accounts_[i] = {getpwnam(kUsers[i])->pw_uid, group_};
    // The folder as the administrator sets it up: the group's, set-group-ID.
    ASSERT_EQ(::chown(dir_.path().c_str(), 0, group_), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 02770), 0);
  }

  // Runs `body` as the account, in a child; its exit status says how it went.
  static pid_t Start(const Account& a, const std::function<bool()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
      ::alarm(60);
      if (setgroups(1, &a.gid) != 0 || setgid(a.gid) != 0 || setuid(a.uid) != 0) _exit(3);
      umask(022);  // an ordinary account's umask: the table's modes must not depend on it
      _exit(body() ? 0 : 1);
    }
    return pid;
  }
  static bool Finished(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  bool Commit(int value) {
    const Status s =
        AppendRecord(path_, {value ? Value::Int(value) : Value(), Value::Text(std::string(300, 'x'))});
    if (!s.ok()) std::fprintf(stderr, "uid %d: %s\n", static_cast<int>(getuid()), s.ToString().c_str());
    return s.ok();
  }
  void ExpectModeAndGroup(const std::string& file, mode_t mode) {
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 07777, mode) << file;
    EXPECT_EQ(st.st_gid, group_) << file;
  }
};

TEST_F(SharedFolder, TwoAccountsWriteInTurnAndTogetherAndTheFilesKeepTheirAccess) {
  // The first account makes the table: its files take the folder's group
  // and the group's read and write bits.
  ASSERT_TRUE(Finished(Start(accounts_[0], [&] {
    CreateOptions co;
    co.key_field_count = 1;
    return CreateTable(path_, {FieldDef::AutoInc("Id"), FieldDef::Memo("Note", 10)}, co).ok();
  })));
  for (const char* file : {"shared.db", "shared.px", "shared.mb"}) ExpectModeAndGroup(dir_.File(file), 0660);

  // In turn: a hundred commits, each account after the other.
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(Finished(Start(accounts_[i % 2], [&] { return Commit(0); }))) << i;
  for (const char* file : {"shared.db", "shared.px", "shared.mb", "shared.db.lock"})
    ExpectModeAndGroup(dir_.File(file), 0660);

  // The administrator tightens the table; commits keep what was set.
  for (const char* file : {"shared.db", "shared.px", "shared.mb"})
    ASSERT_EQ(::chmod(dir_.File(file).c_str(), 0640 | 020), 0);
  // Together: both accounts at once.
  const pid_t a = Start(accounts_[0], [&] {
    for (int i = 0; i < 30; ++i)
      if (!Commit(0)) return false;
    return true;
  });
  const pid_t b = Start(accounts_[1], [&] {
    for (int i = 0; i < 30; ++i)
      if (!Commit(0)) return false;
    return true;
  });
  EXPECT_TRUE(Finished(a));
  EXPECT_TRUE(Finished(b));
  for (const char* file : {"shared.db", "shared.px", "shared.mb"}) ExpectModeAndGroup(dir_.File(file), 0660);
  EXPECT_EQ(testing::ReadAll(path_).size(), 160u);

  // A commit by root keeps the owner too.
  struct stat before;
  ASSERT_EQ(::stat(path_.c_str(), &before), 0);
  ASSERT_TRUE(Commit(0));
  struct stat after;
  ASSERT_EQ(::stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, group_);
}

TEST_F(SharedFolder, ALockFileMadeByOneAccountCanBeTakenByTheOther) {
  ASSERT_TRUE(Finished(
      Start(accounts_[0], [&] { return CreateTable(path_, {FieldDef::Long("N")}, CreateOptions()).ok(); })));
  ::unlink((path_ + ".lock").c_str());
  ASSERT_TRUE(Finished(Start(accounts_[0], [&] { return AppendRecord(path_, {Value::Int(1)}).ok(); })));
  ExpectModeAndGroup(path_ + ".lock", 0660);
  ASSERT_TRUE(Finished(Start(accounts_[1], [&] { return AppendRecord(path_, {Value::Int(2)}).ok(); })));
}

TEST_F(SharedFolder, ALinkOneAccountPlantsNeverMakesAnotherWriterChangeItsTarget) {
  // The second account's private file, and one only root may read.
  const std::string mine = dir_.File("private-of-2");
  const std::string roots = dir_.File("root-only");
  ASSERT_TRUE(Finished(Start(accounts_[1], [&] {
    testing::WriteFile(mine, "account 2's own\n");
    return ::chmod(mine.c_str(), 0600) == 0;
  })));
  testing::WriteFile(roots, "root's own\n");
  ASSERT_EQ(::chmod(roots.c_str(), 0600), 0);
  struct stat mine_before, roots_before;
  ASSERT_EQ(::stat(mine.c_str(), &mine_before), 0);
  ASSERT_EQ(::stat(roots.c_str(), &roots_before), 0);
  // The first account plants links at names the other's change creates.
  auto plant = [&](std::vector<std::string> names, const std::string& target) {
    return Finished(Start(accounts_[0], [&] {
      for (const std::string& name : names) {
        ::unlink(dir_.File(name).c_str());
        if (::symlink(target.c_str(), dir_.File(name).c_str()) != 0) return false;
      }
      return true;
    }));
  };

  // Creation: the companions are made before the table exists.
  ASSERT_TRUE(plant({"shared.px", "shared.mb", "shared.db.pdxtmp"}, mine));
  EXPECT_TRUE(Finished(Start(accounts_[1], [&] {
    CreateOptions co;
    co.key_field_count = 1;
    return CreateTable(path_, {FieldDef::AutoInc("Id"), FieldDef::Memo("Note", 10)}, co).ok();
  })));

  // A change: the links go in between the writer's opening and its commit,
  // as someone planting in a loop would manage. The writer waits on a pipe
  // while the other account plants.
  int opened[2], planted[2];
  ASSERT_EQ(::pipe(opened), 0);
  ASSERT_EQ(::pipe(planted), 0);
  auto change = [&] {
    std::unique_ptr<TableWriter> w;
    const bool ready = TableWriter::Open(path_, WriteOptions(), &w).ok() &&
                       w->Insert({Value(), Value::Text(std::string(300, 'x'))}).ok();
    char c = ready ? 'y' : 'n';
    if (::write(opened[1], &c, 1) != 1 || ::read(planted[0], &c, 1) != 1 || !ready) return false;
    return w->Commit().ok();
  };
  auto plant_when_opened = [&](const std::string& target) {
    char c = 0;
    const bool ready = ::read(opened[0], &c, 1) == 1 && c == 'y';
    const bool done = ready && plant({"shared.db.pdxtmp", "shared.px.pdxtmp"}, target);
    EXPECT_EQ(::write(planted[1], &c, 1), 1);
    return done;
  };
  const pid_t writer = Start(accounts_[1], change);
  EXPECT_TRUE(plant_when_opened(mine));
  EXPECT_TRUE(Finished(writer)) << "account 2's change";
  std::thread root_writer([&] { EXPECT_TRUE(change()) << "root's change"; });
  EXPECT_TRUE(plant_when_opened(roots));
  root_writer.join();
  for (int fd : {opened[0], opened[1], planted[0], planted[1]}) ::close(fd);
  EXPECT_EQ(testing::ReadAll(path_).size(), 2u);

  struct stat mine_after, roots_after;
  ASSERT_EQ(::stat(mine.c_str(), &mine_after), 0);
  ASSERT_EQ(::stat(roots.c_str(), &roots_after), 0);
  EXPECT_EQ(testing::ReadFile(mine), "account 2's own\n");
  EXPECT_EQ(testing::ReadFile(roots), "root's own\n");
  EXPECT_EQ(mine_after.st_mode, mine_before.st_mode);
  EXPECT_EQ(mine_after.st_uid, mine_before.st_uid);
  EXPECT_EQ(mine_after.st_gid, mine_before.st_gid);
  EXPECT_EQ(roots_after.st_mode, roots_before.st_mode);
  EXPECT_EQ(roots_after.st_uid, roots_before.st_uid);
  EXPECT_EQ(roots_after.st_gid, roots_before.st_gid);
}

// An environment that wraps the disk (a test's, a caller's own) creates the
// commit's files through the disk's CopyAccess: they keep the access set on
// the table as the disk's own commit does.
TEST(WrappedDisk, ACommitThroughAnEnvironmentWrappingTheDiskKeepsTheTablesModes) {
  testing::TempDir dir;
  const std::string path = dir.File("kept.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("Id"), FieldDef::Memo("Note", 10)}, co).ok());
  const char* const files[] = {"kept.db", "kept.px", "kept.mb"};
  for (const char* file : files) ASSERT_EQ(::chmod(dir.File(file).c_str(), 0640), 0) << file;

  testing::FailingEnv wrapped(Env::Default(), std::numeric_limits<int>::max());
  WriteOptions options;
  options.env = &wrapped;
  const Status s = AppendRecord(path, {Value::Int(1), Value::Text(std::string(300, 'x'))}, options);
  ASSERT_TRUE(s.ok()) << s.ToString();
  ASSERT_GT(wrapped.operations(), 0) << "the commit went through the wrapper";
  for (const char* file : files) {
    struct stat st;
    ASSERT_EQ(::stat(dir.File(file).c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 07777, 0640u) << file;
  }
  EXPECT_EQ(testing::ReadAll(path).size(), 1u);
}

}  // namespace
}  // namespace orba::pdx
