// Real processes sharing one table: two appending at once, a writer killed
// in the middle of its commits, writers waiting for each other's lock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>
#include <set>

#include "TestSupport.h"
#include "paradox/Journal.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

TEST(Concurrency, TwoProcessesAppendingBothLandEveryRecord) {
  testing::TempDir dir;
  const std::string path = dir.File("journal.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(
      CreateTable(path, {FieldDef::AutoInc("Id"), FieldDef::Alpha("Who", 10), FieldDef::Long("Seq")}, co)
          .ok());
  constexpr int kPerProcess = 60;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 0;
      for (int i = 0; i < kPerProcess && rc == 0; ++i) {
        Status s = AppendRecord(path, {Value(), Value::Text(c == 0 ? "first" : "second"), Value::Int(i)});
        if (!s.ok()) rc = 1;
      }
      _exit(rc);
    }
    children[c] = pid;
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  ASSERT_EQ(t->record_count(), 2u * kPerProcess);
  EXPECT_TRUE(t->index_status().ok());
  std::set<std::pair<std::string, int64_t>> seen;
  Record r;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    ASSERT_TRUE(t->ReadRecord(i, &r).ok());
    EXPECT_EQ(r[0], Value::Int(i + 1));  // unique, gap-free autoincrement keys
    seen.emplace(r[1].text(), r[2].int_value());
  }
  EXPECT_EQ(seen.size(), 2u * kPerProcess);
  EXPECT_EQ(t->header().auto_increment, 2u * kPerProcess);
}

TEST(Concurrency, SecondWriterWithoutWaitingIsToldTheTableIsLocked) {
  testing::TempDir dir;
  const std::string path = dir.File("locked.db");
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("N")}, CreateOptions()).ok());
  std::unique_ptr<TableWriter> first, second;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &first).ok());
  WriteOptions no_wait;
  no_wait.lock_wait = std::chrono::milliseconds(0);
  Status s = TableWriter::Open(path, no_wait, &second);
  EXPECT_TRUE(s.IsLocked()) << s.ToString();
  EXPECT_EQ(s.message(), "table locked.db is in use by another program or workstation");
  first.reset();
  EXPECT_TRUE(TableWriter::Open(path, no_wait, &second).ok());
}

// A writer blocked by another process's lock gives up after its bounded
// wait, says who holds the table, and changes nothing.
TEST(Concurrency, AWriterBlockedByAnotherProcessGivesUpAfterItsWait) {
  testing::TempDir dir;
  const std::string path = dir.File("held.db");
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("N")}, CreateOptions()).ok());
  ASSERT_TRUE(AppendRecord(path, {Value::Int(1)}).ok());
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    // Holds the table until told to let go (or the parent goes away).
    std::unique_ptr<TableWriter> w;
    const bool held = TableWriter::Open(path, WriteOptions(), &w).ok();
    char c = held ? 'y' : 'n';
    if (write(ready[1], &c, 1) != 1) _exit(2);
    if (read(release[0], &c, 1) < 0) _exit(3);
    _exit(held ? 0 : 1);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  WriteOptions wo;
  wo.lock_wait = std::chrono::milliseconds(300);
  std::unique_ptr<TableWriter> w;
  const Status s = TableWriter::Open(path, wo, &w);
  EXPECT_TRUE(s.IsLocked()) << s.ToString();
  EXPECT_EQ(s.message(), "table held.db is in use by another program or workstation");
  EXPECT_NE(AppendRecord(path, {Value::Int(2)}, wo).message().find("in use"), std::string::npos);
  ASSERT_EQ(write(release[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(testing::ReadAll(path).size(), 1u) << "nothing changed";
  // Once the holder has let go, the same change goes through.
  EXPECT_TRUE(AppendRecord(path, {Value::Int(2)}, wo).ok());
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

// A writer killed (SIGKILL) at random moments while it commits in place,
// two records at a time (one at the front of the table, one at the end,
// each with a memo in the .MB): the next opener finds every commit whole or
// absent, in order, every memo readable, the .PX still its table's, and the
// next writer goes on in place.
TEST(Concurrency, AWriterKilledDuringItsCommitsLeavesEachCommitWholeOrAbsent) {
  testing::TempDir dir;
  const std::string path = dir.File("killed.db");
  CreateOptions co;
  co.key_field_count = 1;
  co.block_size_kib = 1;
  // With a memo: each commit appends its values to the .MB first.
  ASSERT_TRUE(
      CreateTable(path, {FieldDef::Long("Id"), FieldDef::Alpha("Name", 40), FieldDef::Memo("Notes", 10)}, co)
          .ok());
  auto note = [](int64_t id) { return Value::Text("a note on record " + std::to_string(id)); };
  {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    for (int i = 0; i < 300; ++i)
      ASSERT_TRUE(w->Insert({Value::Int(10 * i), Value::Text("first"), Value()}).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  constexpr int kRounds = 30, kPerRound = 100000;
  std::mt19937 random(42);
  std::vector<int> landed(kRounds, 0);
  int journals_left = 0;  // by a writer killed between its journal and its end
  for (int round = 0; round < kRounds; ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(started[0]);
      for (int i = 0;; ++i) {
        const int k = round * kPerRound + i;
        std::unique_ptr<TableWriter> w;
        Status s = TableWriter::Open(path, WriteOptions(), &w);
        if (s.ok()) s = w->Insert({Value::Int(-1 - k), Value::Text("front"), note(-1 - k)});
        if (s.ok()) s = w->Insert({Value::Int(10000000 + k), Value::Text("end"), note(10000000 + k)});
        if (s.ok()) s = w->Commit();
        if (!s.ok() || !w->in_place()) _exit(1);
        if (i == 0 && write(started[1], "x", 1) != 1) _exit(1);
      }
    }
    // Killed once its first commit is in: however slow the machine, the
    // kills land among commits, not before them.
    close(started[1]);
    char byte = 0;
    const bool running = read(started[0], &byte, 1) == 1;
    close(started[0]);
    usleep(2000 + static_cast<useconds_t>(random() % 20000));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(running && WIFSIGNALED(status)) << "the writer stopped by itself: a commit failed";
    struct stat st {};
    if (stat(JournalPath(path).c_str(), &st) == 0) ++journals_left;

    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok()) << "round " << round;
    EXPECT_TRUE(t->placed_by_index()) << "round " << round << ": the .PX is not the table's";
    std::set<int> front, end;
    Record r;
    for (uint32_t i = 0; i < t->record_count(); ++i) {
      ASSERT_TRUE(t->ReadRecord(i, &r).ok()) << "round " << round << ", record " << i;
      const int64_t id = r[0].int_value();
      if (id < 0 || id >= 10000000) {
        ASSERT_EQ(r[2], note(id)) << "round " << round << ", record " << i;
      }
      if (id < 0) front.insert(static_cast<int>(-1 - id));
      if (id >= 10000000) end.insert(static_cast<int>(id - 10000000));
    }
    ASSERT_EQ(front, end) << "round " << round << ": a commit landed in part";
    for (int k : front)
      if (k / kPerRound == round) ++landed[round];
    // Commits land in order: the round's are the first n of its sequence.
    if (landed[round] > 0) {
      EXPECT_TRUE(front.count(round * kPerRound + landed[round] - 1)) << "round " << round;
    }
  }
  // The next writer goes on in place, and leaves no journal.
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  EXPECT_TRUE(w->in_place());
  ASSERT_TRUE(w->Insert({Value::Int(5), Value::Text("after"), note(5)}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  struct stat st {};
  EXPECT_NE(stat(JournalPath(path).c_str(), &st), 0) << "the journal is retired";
  int total = 0;
  for (int n : landed) total += n;
  std::printf("killed writers: %d, journals they left: %d, commits landed: %d\n", kRounds, journals_left,
              total);
}

// A second writer opened by mistake in the same process waits a bounded
// time too, instead of sleeping for ever.
TEST(Concurrency, ASecondWriterInTheSameProcessGivesUpAfterItsWait) {
  testing::TempDir dir;
  const std::string path = dir.File("twice.db");
  ASSERT_TRUE(CreateTable(path, {FieldDef::Long("N")}, CreateOptions()).ok());
  std::unique_ptr<TableWriter> first, second;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &first).ok());
  WriteOptions wo;
  wo.lock_wait = std::chrono::milliseconds(200);
  const Status s = TableWriter::Open(path, wo, &second);
  EXPECT_TRUE(s.IsLocked()) << s.ToString();
  EXPECT_EQ(s.message(), "table twice.db is in use by another program or workstation");
}

}  // namespace
}  // namespace orba::pdx
