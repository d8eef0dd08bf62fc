// Two real processes appending to one table at the same time.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "TestSupport.h"
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
  no_wait.wait_for_lock = false;
  Status s = TableWriter::Open(path, no_wait, &second);
  EXPECT_TRUE(s.IsLocked()) << s.ToString();
  first.reset();
  EXPECT_TRUE(TableWriter::Open(path, no_wait, &second).ok());
}

}  // namespace
}  // namespace orba::pdx
