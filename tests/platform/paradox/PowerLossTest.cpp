// Power cuts during commits: at every kind of point of an insert, an edit, a
// delete and a change of blob values, with and without the disk reordering
// the writes it had not yet flushed, the table afterwards reads cleanly and
// holds exactly what it held before the change or what it holds after it.
//
// ORBA_POWER_LOSS_RUNS sets the number of simulated cuts (1,000 by default).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>

#include "PowerLossEnv.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::PowerLossEnv;

const std::string kPath = "/data/notes.db";

std::vector<FieldDef> Fields() {
  return {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Memo("Note", 10),
          FieldDef::Binary("Scan", 0)};
}

Record Row(int id, const std::string& name, const std::string& note, size_t scan = 0) {
  return {Value::Int(id), Value::Text(name), note.empty() ? Value() : Value::Text(note),
          scan == 0 ? Value() : Value::Blob(std::string(scan, static_cast<char>('a' + id % 26)))};
}

// Every record, or why the table could not be read.
Status ReadTable(const PowerLossEnv::Disk& disk, std::vector<Record>* rows) {
  PowerLossEnv env(disk);
  OpenOptions o;
  o.env = &env;
  std::unique_ptr<Table> t;
  Status s = Table::Open(kPath, o, &t);
  rows->clear();
  for (uint32_t i = 0; s.ok() && i < t->record_count(); ++i) {
    Record r;
    s = t->ReadRecord(i, &r);
    rows->push_back(std::move(r));
  }
  return s;
}

PowerLossEnv::Disk StartingDisk() {
  PowerLossEnv env({});
  CreateOptions co;
  co.env = &env;
  co.key_field_count = 1;
  EXPECT_TRUE(CreateTable(kPath, Fields(), co).ok());
  WriteOptions wo;
  wo.env = &env;
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(kPath, wo, &w).ok());
  for (int id = 1; id <= 30; ++id)
    EXPECT_TRUE(w->Insert(Row(id * 10, "row " + std::to_string(id), id % 4 ? "" : std::string(40 + id, 'n'),
                              id % 5 ? 0 : 300))
                    .ok());
  EXPECT_TRUE(w->Commit().ok());
  return env.Recover();
}

struct Change {
  const char* name;
  std::function<Status(TableWriter&)> apply;
};

const std::vector<Change>& Changes() {
  static const std::vector<Change> changes = {
      {"insert", [](TableWriter& w) { return w.Insert(Row(155, "new", "short")); }},
      {"insert with blobs",
       [](TableWriter& w) { return w.Insert(Row(5, "first", std::string(900, 'm'), 5000)); }},
      {"edit",
       [](TableWriter& w) {
         Record r;
         Status s = w.Get(3, &r);
         r[1] = Value::Text("edited");
         return s.ok() ? w.Update(3, r) : s;
       }},
      {"edit of blobs",
       [](TableWriter& w) {
         Record r;
         Status s = w.Get(4, &r);
         r[2] = Value::Text(std::string(2000, 'e'));
         r[3] = Value::Blob(std::string(100, 'x'));
         return s.ok() ? w.Update(4, r) : s;
       }},
      {"delete", [](TableWriter& w) { return w.Delete(7); }},
      {"several at once",
       [](TableWriter& w) {
         Status s = w.Insert(Row(999, "last", std::string(60, 'z'), 70));
         if (s.ok()) s = w.Delete(0);
         Record r;
         if (s.ok()) s = w.Get(10, &r);
         if (s.ok()) r[2] = Value();
         return s.ok() ? w.Update(10, r) : s;
       }},
  };
  return changes;
}

// Runs a change on the disk; the power goes at operation `cut` (0: never).
PowerLossEnv::Disk RunChange(const PowerLossEnv::Disk& disk, const Change& change, int cut, bool reorder,
                             uint32_t seed, int* operations = nullptr) {
  PowerLossEnv env(disk, cut, reorder, seed);
  WriteOptions wo;
  wo.env = &env;
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(kPath, wo, &w);
  if (s.ok()) s = change.apply(*w);
  if (s.ok()) s = w->Commit();
  w.reset();
  if (operations) *operations = env.operations();
  if (cut == 0) {
    EXPECT_TRUE(s.ok()) << change.name << ": " << s.ToString();
    // Without a cut, whatever was done counts (the folder was synced).
    return env.Current();
  }
  return env.Recover();
}

TEST(PowerLoss, EveryCutLeavesTheTableBeforeOrAfterTheChange) {
  const char* configured = std::getenv("ORBA_POWER_LOSS_RUNS");
  const int runs = configured ? std::atoi(configured) : 1000;
  const PowerLossEnv::Disk base = StartingDisk();
  std::vector<Record> before;
  ASSERT_TRUE(ReadTable(base, &before).ok());

  struct Expected {
    std::vector<Record> after;
    int operations = 0;
  };
  std::vector<Expected> expected;
  for (const Change& change : Changes()) {
    Expected e;
    const PowerLossEnv::Disk done = RunChange(base, change, 0, false, 0, &e.operations);
    ASSERT_TRUE(ReadTable(done, &e.after).ok()) << change.name;
    ASSERT_NE(e.after, before) << change.name;
    expected.push_back(std::move(e));
  }

  std::mt19937 random(20261206);
  int landed_before = 0, landed_after = 0;
  for (int run = 0; run < runs; ++run) {
    const size_t which = static_cast<size_t>(run) % Changes().size();
    const Change& change = Changes()[which];
    // From the first operation to just after the last (the power goes once
    // the change is complete).
    const int cut = 1 + static_cast<int>(random() % static_cast<unsigned>(expected[which].operations + 1));
    const bool reorder = random() % 2;
    const PowerLossEnv::Disk disk = RunChange(base, change, cut, reorder, static_cast<uint32_t>(random()));
    const std::string what = std::string(change.name) + ", power cut at operation " + std::to_string(cut) +
                             (reorder ? " with reordered writes" : "");

    std::vector<Record> rows;
    const Status read = ReadTable(disk, &rows);
    ASSERT_TRUE(read.ok()) << what << ": " << read.ToString();
    if (rows == before)
      ++landed_before;
    else if (rows == expected[which].after)
      ++landed_after;
    else
      FAIL() << what << ": the table holds neither the state before nor the state after";

    // The next writer cleans up and goes on from there.
    PowerLossEnv next(disk);
    WriteOptions wo;
    wo.env = &next;
    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(kPath, wo, &w);
    if (s.ok()) s = w->Insert(Row(7777, "after the cut", std::string(500, 'q')));
    if (s.ok()) s = w->Commit();
    ASSERT_TRUE(s.ok()) << what << ": " << s.ToString();
    std::vector<Record> again;
    ASSERT_TRUE(ReadTable(next.Current(), &again).ok()) << what;
    ASSERT_EQ(again.size(), rows.size() + 1) << what;
  }
  EXPECT_GT(landed_before, 0);
  EXPECT_GT(landed_after, 0);
  std::printf("power cuts: %d, table as before: %d, as after: %d\n", runs, landed_before, landed_after);
}

}  // namespace
}  // namespace orba::pdx
