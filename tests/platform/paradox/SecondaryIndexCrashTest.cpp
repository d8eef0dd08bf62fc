// Commits of a table with secondary indexes that fail or lose power at
// every step: the table is as before or as after, every index a reader
// trusts describes it, an index file left older than the table is known to
// be so, and the next writer leaves everything current.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "IndexCheck.h"
#include "MadeTables.h"
#include "PowerLossEnv.h"
#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::CheckSecondaryIndexes;
using testing::IndexCheckOptions;
using testing::PowerLossEnv;
using testing::ReadAll;

const std::string kDir = "/data";
const std::string kPath = kDir + "/customers.db";

// customers (MadeTables.h): a memo field, an index on City, a two-field
// index that ignores case and one with a descending field.
PowerLossEnv::Disk MadeDisk() {
  PowerLossEnv::Disk disk;
  testing::TempDir dir;
  testing::MakeCustomers(dir.path());
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (!name.ends_with(".lock")) disk[kDir + "/" + name] = testing::ReadFile(e.path().string());
  }
  return disk;
}

// An insert, a moved record with a memo long enough for the .MB, a delete.
Status Change(TableWriter& w) {
  Record r;
  Status s = w.Get(4, &r);
  if (!s.ok()) return s;
  r[0] = Value();
  r[1] = Value::Text("Aardvark");
  r[6] = Value::Text("Zanzibar");
  s = w.Insert(r);
  if (s.ok()) s = w.Get(12, &r);
  r[2] = Value::Text("zoe");
  r[5] = Value::Double(-1000);
  r[6] = Value::Text("Athens");
  r[testing::kCustomerMemo] = Value::Text(std::string(900, 'm'));
  if (s.ok()) s = w.Update(12, r);
  return s.ok() ? w.Delete(20) : s;
}

Status Write(Env* env, const std::function<Status(TableWriter&)>& change, std::string* note = nullptr) {
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(kPath, wo, &w);
  if (s.ok()) s = change(*w);
  if (s.ok()) s = w->Commit();
  if (s.ok() && note) *note = w->commit_note();
  return s;
}

IndexCheckOptions On(Env* env, bool allow_out_of_date) {
  IndexCheckOptions o;
  o.env = env;
  o.allow_out_of_date = allow_out_of_date;
  return o;
}

// The state a crash or failure left: the table before or after, each index
// a reader uses describing it, each other one recognised as out of date;
// then a writer that only opens the table brings every index up to date.
void ExpectBeforeOrAfter(Env* env, const std::vector<Record>& before, const std::vector<Record>& after,
                         const std::string& what, int* landed_before, int* landed_after) {
  const std::vector<Record> rows = ReadAll(kPath, env);
  if (rows == before)
    ++*landed_before;
  else if (rows == after)
    ++*landed_after;
  else
    FAIL() << what << ": the table holds neither the state before nor the state after";
  IndexCheckOptions o = On(env, true);
  EXPECT_EQ(CheckSecondaryIndexes(kPath, o), "") << what;

  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(kPath, wo, &w);
  ASSERT_TRUE(s.ok()) << what << ": " << s.ToString();
  w.reset();
  int checked = 0;
  o.allow_out_of_date = false;
  EXPECT_EQ(CheckSecondaryIndexes(kPath, o, &checked), "") << what;
  EXPECT_EQ(checked, 3) << what;
  std::vector<std::string> names;
  ASSERT_TRUE(env->ListDir(kDir, &names).ok());
  for (const std::string& name : names) EXPECT_FALSE(name.ends_with(".pdxtmp")) << what << ": " << name;
}

// Every mutating operation of the commit fails in turn (the ones after it
// too, as after a crash): a failure reported means not stored, with the old
// index files untouched; a success may leave index files older than the
// table, which the note says and readers see.
TEST(SecondaryIndexCrash, EveryFailureLeavesTheOldOrTheNewFiles) {
  const PowerLossEnv::Disk disk = MadeDisk();
  ASSERT_FALSE(disk.empty());
  auto fresh = [&] {
    auto env = NewMemEnv();
    for (const auto& [path, data] : disk) {
      std::unique_ptr<WritableFile> f;
      env->OpenWritable(path, true, &f);
      f->Write(0, data);
    }
    return env;
  };
  auto base = fresh();
  const std::vector<Record> before = ReadAll(kPath, base.get());
  ASSERT_TRUE(Write(base.get(), Change).ok());
  const std::vector<Record> after = ReadAll(kPath, base.get());
  ASSERT_NE(before, after);

  int landed_before = 0, landed_after = 0, noted = 0;
  for (int fail_at = 1;; ++fail_at) {
    auto env = fresh();
    testing::FailingEnv failing(env.get(), fail_at);
    std::string note;
    const Status s = Write(&failing, Change, &note);
    const std::string what = "failure at operation " + std::to_string(fail_at);
    if (!s.ok()) {
      EXPECT_EQ(ReadAll(kPath, env.get()), before) << what << ": reported " << s.ToString();
      for (const auto& [path, data] : disk) {
        if (path.ends_with(".mb")) continue;  // may keep an unreferenced tail
        std::unique_ptr<RandomAccessFile> f;
        std::string now;
        ASSERT_TRUE(env->OpenRandomAccess(path, &f).ok());
        f->Read(0, f->Size(), &now);
        EXPECT_EQ(now, data) << what << ": " << path << " changed although nothing was stored";
      }
    } else {
      EXPECT_EQ(failing.failed(), !note.empty()) << what << ": " << note;
      noted += !note.empty();
    }
    ExpectBeforeOrAfter(env.get(), before, after, what, &landed_before, &landed_after);
    if (!failing.failed()) break;
    ASSERT_LT(fail_at, 300);
  }
  // The change goes in place: the .MB's append, the room taken and the
  // journal's writes come before its commit point.
  EXPECT_GT(landed_before, 5);
  EXPECT_GT(landed_after, 0);
  EXPECT_GT(noted, 3) << "failures past the commit point, one per index file renamed";
}

// The power goes at every operation of the commit, with and without the
// disk reordering what was not yet synced.
TEST(SecondaryIndexCrash, PowerCutAtEveryOperation) {
  const PowerLossEnv::Disk disk = MadeDisk();
  ASSERT_FALSE(disk.empty());
  std::vector<Record> before, after;
  int operations = 0;
  {
    PowerLossEnv env(disk);
    before = ReadAll(kPath, &env);
    ASSERT_TRUE(Write(&env, Change).ok());
    operations = env.operations();
    PowerLossEnv done(env.Current());
    after = ReadAll(kPath, &done);
  }
  int landed_before = 0, landed_after = 0;
  for (int cut = 1; cut <= operations + 1; ++cut) {
    for (bool reorder : {false, true}) {
      PowerLossEnv env(disk, cut, reorder, static_cast<uint32_t>(cut * 7919));
      Write(&env, Change);
      PowerLossEnv recovered(env.Recover());
      ExpectBeforeOrAfter(&recovered, before, after,
                          "power cut at operation " + std::to_string(cut) + (reorder ? ", reordered" : ""),
                          &landed_before, &landed_after);
    }
  }
  EXPECT_GT(landed_before, 0);
  EXPECT_GT(landed_after, 0);
}

}  // namespace
}  // namespace orba::pdx
