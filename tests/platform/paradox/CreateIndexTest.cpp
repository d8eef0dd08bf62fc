// Giving a table a new single-field secondary index: the files written are
// read back as a current index, lookups go through it, later commits keep it
// complete, its headers are laid out as Paradox lays out its own, fields it
// cannot order are refused with the files untouched, and a failure or a
// power cut at any step leaves the table with no index or a whole one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "CreateIndexSupport.h"
#include "IndexCheck.h"
#include "PowerLossEnv.h"
#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

std::vector<FieldDef> LedgerFields() {
  return {FieldDef::Long("Id"), FieldDef::Alpha("City", 20), FieldDef::Number("Amount"),
          FieldDef::Date("Due"), FieldDef::Binary("Scan", 10)};
}

const char* const kCities[] = {"Montréal", "montréal", "Québec", "Alma", "Zurich", "Gatineau", "Laval"};

Record LedgerRow(int id) {
  return {Value::Int(id), id % 9 == 0 ? Value() : Value::Text(kCities[id % 7]),
          Value::Double((id * 37) % 23 - 11.5),
          id % 4 == 0 ? Value() : Value::Of(Date::FromYmd(2020 + id % 5, 1 + id % 12, 1 + id % 28)),
          id % 5 == 0 ? Value::Blob(std::string(40, static_cast<char>('a' + id % 26))) : Value()};
}

using testing::CheckSecondaryIndexes;
using testing::IndexCheckOptions;
using testing::ReadAll;
using testing::ReadFile;
using testing::TempDir;

class CreateIndex : public ::testing::Test {
 protected:
  std::string MakeLedger(int rows, unsigned keys = 1) {
    const std::string path = dir_.File("ledger.db");
    CreateOptions co;
    co.key_field_count = keys;
    EXPECT_TRUE(CreateTable(path, LedgerFields(), co).ok());
    std::unique_ptr<TableWriter> w;
    EXPECT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    // Keys inserted out of order, so that table order is not insertion order.
    for (int i = 0; i < rows; ++i) EXPECT_TRUE(w->Insert(LedgerRow((i * 7919) % rows + 1)).ok());
    EXPECT_TRUE(w->Commit().ok());
    return path;
  }
  TempDir dir_;
};

// A keyed table over many blocks: the index comes back current, with the
// primary-key layout and case kept; lookups use it, and so do they after
// commits that insert ties, move records in its order and delete.
TEST_F(CreateIndex, KeyedTableGetsACurrentIndexThatLaterCommitsKeep) {
  const std::string path = MakeLedger(1500);
  const std::vector<Record> before = ReadAll(path);
  std::string note = "untouched";
  ASSERT_TRUE(CreateSecondaryIndex(path, "city", WriteOptions(), &note).ok());
  EXPECT_EQ(note, "");
  EXPECT_EQ(ReadAll(path), before) << "creating an index changes no record";
  const std::string x = ReadFile(dir_.File("ledger.x02"));
  ASSERT_GT(x.size(), 10u * 2048) << "several blocks of entries";
  EXPECT_EQ(x[format::kFileType], format::kFileTypeIndexByKey);
  EXPECT_EQ(ReadFile(dir_.File("ledger.y02"))[format::kFileType], format::kFileTypeIndexTree);

  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  const SecondaryIndexInfo info = t->secondary_indexes()[0];
  EXPECT_EQ(info.file, "ledger.x02");
  EXPECT_EQ(info.name, "");
  ASSERT_EQ(info.fields.size(), 1u);
  EXPECT_EQ(info.fields[0].field, 1u);
  EXPECT_FALSE(info.fields[0].descending);
  EXPECT_EQ(info.letter_case, LetterCase::kSensitive);
  EXPECT_EQ(info.layout, IndexLayout::kPrimaryKey);
  EXPECT_TRUE(info.status.ok()) << info.status.ToString();
  EXPECT_EQ(CheckSecondaryIndexes(path), "");
  std::vector<Value> probes = {Value(), Value::Text("Nowhere"), Value::Text("MONTRÉAL")};
  for (const char* city : kCities) probes.push_back(Value::Text(city));
  ExpectLookupsThroughIndex(path, 1, probes);

  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  for (int id = 2000; id < 2010; ++id) {
    Record r = LedgerRow(id);
    r[1] = Value::Text(id % 2 ? "Alma" : "Aaa first");
    ASSERT_TRUE(w->Insert(r).ok());
  }
  Record moved;
  ASSERT_TRUE(w->Get(700, &moved).ok());
  moved[1] = Value::Text("zzz last");
  ASSERT_TRUE(w->Update(700, moved).ok());
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(w->Delete(static_cast<uint32_t>(i * 3)).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 1);
  probes.push_back(Value::Text("Aaa first"));
  probes.push_back(Value::Text("zzz last"));
  ExpectLookupsThroughIndex(path, 1, probes);
}

// A table without a key, as the desktop's is: entries by record number.
// Rows of one user removed and written again at the end, the way a desktop
// is saved, keep the index right; a second index goes beside the first.
TEST_F(CreateIndex, UnkeyedTableIsIndexedByRecordNumber) {
  const std::string path = MakeLedger(200, 0);
  ASSERT_TRUE(CreateSecondaryIndex(path, "City").ok());
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  EXPECT_EQ(t->secondary_indexes()[0].layout, IndexLayout::kRecordNumber);
  EXPECT_EQ(ReadFile(dir_.File("ledger.x02"))[format::kFileType], format::kFileTypeIndexByNumber);
  EXPECT_EQ(CheckSecondaryIndexes(path), "");

  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  for (uint32_t i = w->record_count(); i-- > 0;) {
    Record r;
    ASSERT_TRUE(w->Get(i, &r).ok());
    if (r[1] == Value::Text("Alma")) {
      ASSERT_TRUE(w->Delete(i).ok());
    }
  }
  for (int i = 0; i < 12; ++i) {
    Record r = LedgerRow(900 + i);
    r[1] = Value::Text("Alma");
    ASSERT_TRUE(w->Insert(r).ok());
  }
  ASSERT_TRUE(w->Commit().ok());
  ASSERT_TRUE(w->CreateIndex("Due").ok());
  w.reset();
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
  const std::vector<Record> rows = ReadAll(path);
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  std::vector<uint32_t> found;
  bool used = false;
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Alma")}, &found, &used).ok());
  EXPECT_TRUE(used);
  EXPECT_EQ(found.size(), 12u);
  EXPECT_EQ(found, Scan(rows, 1, Value::Text("Alma")));
  EXPECT_EQ(found.front(), rows.size() - 12) << "the rows written again are at the end";
}

// Fields whose order the engine cannot keep, names that are not fields,
// an index that exists, pending changes: each refused with what is wrong,
// and every file as it was. The writer that refused still works.
TEST_F(CreateIndex, RefusalsNameTheReasonAndChangeNoFile) {
  const std::string path = dir_.File("t.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path,
                          {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Memo("Note", 10),
                           FieldDef::Bytes("Code", 4), FieldDef::Graphic("Logo", 0)},
                          co)
                  .ok());
  for (int i = 1; i <= 5; ++i)
    ASSERT_TRUE(AppendRecord(path, {Value::Int(i), Value::Text("n" + std::to_string(i)),
                                    Value::Text(std::string(30, 'x')), Value::Blob("\x01\x02"), Value()})
                    .ok());
  ASSERT_TRUE(CreateSecondaryIndex(path, "Name").ok());
  const auto before = Snapshot(dir_.path());
  struct Case {
    const char* field;
    bool not_supported;
    const char* says;
  };
  const Case cases[] = {
      {"Note", true, "t.db: cannot index field 'Note': a M field holds values no index orders"},
      {"Logo", true, "t.db: cannot index field 'Logo': a G field holds values no index orders"},
      {"Code", true, "t.db: cannot index field 'Code': Paradox indexes no bytes fields"},
      {"Colour", false, "t.db: no field 'Colour'"},
      {"NAME", false, "t.db: field 'Name' has its index already (t.x02)"},
  };
  for (const Case& c : cases) {
    const Status s = CreateSecondaryIndex(path, c.field);
    EXPECT_EQ(s.IsNotSupported(), c.not_supported) << s.ToString();
    EXPECT_EQ(s.message(), c.says);
  }
  EXPECT_EQ(Snapshot(dir_.path()), before);

  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->Insert({Value::Int(9), Value::Text("n9"), Value(), Value(), Value()}).ok());
  const Status pending = w->CreateIndex("Id");
  EXPECT_TRUE(pending.IsInvalidArgument()) << pending.ToString();
  EXPECT_EQ(Snapshot(dir_.path()), before);
  ASSERT_TRUE(w->Commit().ok());
  ASSERT_TRUE(w->CreateIndex("Id").ok()) << "an index on the key field itself, like TelephNum.XG0's";
  w.reset();
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("t.x01")));
}

// A table named in capitals, as older programs name theirs: its new indexes'
// files are named in capitals too, next to the ones it has.
TEST_F(CreateIndex, ATableNamedInCapitalsGetsIndexFilesNamedInCapitals) {
  const std::string path = dir_.File("LEDGER.DB");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, LedgerFields(), co).ok());
  for (int i = 1; i <= 30; ++i) ASSERT_TRUE(AppendRecord(path, LedgerRow(i)).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  IndexDefinition def;
  def.fields = {{2, false}, {3, false}};
  def.name = "AmountDue";
  ASSERT_TRUE(w->CreateIndex(def).ok());
  def.fields = {{3, false}, {0, false}};
  def.name = "DueId";
  ASSERT_TRUE(w->CreateIndex(def).ok());
  w.reset();
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    names.insert(entry.path().filename().string());
  for (const char* file : {"LEDGER.XG0", "LEDGER.YG0", "LEDGER.XG1", "LEDGER.YG1"})
    EXPECT_TRUE(names.count(file)) << file;
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
}

// A table with an index and a memo in an in-memory disk; `create` gives it
// a second index.
const std::string kDir = "/data";
const std::string kPath = kDir + "/ledger.db";

testing::PowerLossEnv::Disk LedgerDisk() {
  testing::PowerLossEnv env({});
  CreateOptions co;
  co.env = &env;
  co.key_field_count = 1;
  EXPECT_TRUE(CreateTable(kPath, LedgerFields(), co).ok());
  WriteOptions wo;
  wo.env = &env;
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(kPath, wo, &w).ok());
  for (int i = 1; i <= 120; ++i) EXPECT_TRUE(w->Insert(LedgerRow(i)).ok());
  EXPECT_TRUE(w->Commit().ok());
  EXPECT_TRUE(w->CreateIndex("Amount").ok());
  w.reset();
  return env.Current();
}

Status CreateOn(Env* env, std::string* note = nullptr) {
  WriteOptions wo;
  wo.env = env;
  return CreateSecondaryIndex(kPath, "City", wo, note);
}

// After whatever happened: the records as they were; a writer that opens
// the table leaves no replacement behind and every index current; the new
// index is there or not. Returns whether it is.
bool ExpectNoIndexOrAWholeOne(Env* env, const std::vector<Record>& rows, const std::string& what) {
  EXPECT_EQ(ReadAll(kPath, env), rows) << what;
  WriteOptions wo;
  wo.env = env;
  std::unique_ptr<TableWriter> w;
  const Status s = TableWriter::Open(kPath, wo, &w);
  EXPECT_TRUE(s.ok()) << what << ": " << s.ToString();
  w.reset();
  IndexCheckOptions o;
  o.env = env;
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(kPath, o, &checked), "") << what;
  std::vector<std::string> names;
  EXPECT_TRUE(env->ListDir(kDir, &names).ok());
  for (const std::string& name : names) EXPECT_FALSE(name.ends_with(".pdxtmp")) << what << ": " << name;
  EXPECT_TRUE(checked == 1 || checked == 2) << what;
  return checked == 2;
}

// Every mutating operation fails in turn, and the ones after it: a failure
// reported left every file byte for byte; a success, the index, at worst
// waiting beside its place for the next writer (which the note says).
TEST(CreateIndexCrash, EveryFailureLeavesNoIndexOrAWholeOne) {
  const testing::PowerLossEnv::Disk disk = LedgerDisk();
  testing::PowerLossEnv plain(disk);
  const std::vector<Record> rows = ReadAll(kPath, &plain);
  int refused = 0, created = 0, noted = 0;
  for (int fail_at = 1;; ++fail_at) {
    testing::PowerLossEnv env(disk);
    testing::FailingEnv failing(&env, fail_at);
    std::string note;
    const Status s = CreateOn(&failing, &note);
    const std::string what = "failure at operation " + std::to_string(fail_at);
    if (!s.ok()) {
      ++refused;
      // Replacements-to-be may stay (removing them failed too); the next
      // writer removes them, which ExpectNoIndexOrAWholeOne checks.
      for (const auto& [path, data] : env.Current()) {
        if (path.ends_with(".lock") || path.ends_with(".pdxtmp")) continue;
        EXPECT_TRUE(disk.count(path)) << what << ": " << path << " appeared although nothing was stored";
        if (disk.count(path) && !path.ends_with(".mb")) {
          EXPECT_EQ(data, disk.at(path)) << what << ": " << path << " changed although nothing was stored";
        }
      }
      EXPECT_FALSE(ExpectNoIndexOrAWholeOne(&env, rows, what));
    } else {
      ++created;
      noted += !note.empty();
      EXPECT_EQ(failing.failed(), !note.empty()) << what << ": " << note;
      EXPECT_TRUE(ExpectNoIndexOrAWholeOne(&env, rows, what));
    }
    if (!failing.failed()) break;
    ASSERT_LT(fail_at, 200);
  }
  EXPECT_GT(refused, 5);
  EXPECT_GT(noted, 0) << "failures past the commit point";
}

// The power goes at every operation, with and without the disk reordering
// what was not synced: the table comes back without the index or with all
// of it, never with part of one.
TEST(CreateIndexCrash, PowerCutAtEveryOperation) {
  const testing::PowerLossEnv::Disk disk = LedgerDisk();
  testing::PowerLossEnv plain(disk);
  const std::vector<Record> rows = ReadAll(kPath, &plain);
  ASSERT_TRUE(CreateOn(&plain).ok());
  const int operations = plain.operations();
  int without = 0, with = 0;
  for (int cut = 1; cut <= operations + 1; ++cut) {
    for (bool reorder : {false, true}) {
      testing::PowerLossEnv env(disk, cut, reorder, static_cast<uint32_t>(cut * 7919));
      CreateOn(&env);
      testing::PowerLossEnv recovered(env.Recover());
      const bool indexed = ExpectNoIndexOrAWholeOne(
          &recovered, rows, "power cut at operation " + std::to_string(cut) + (reorder ? ", reordered" : ""));
      ++(indexed ? with : without);
    }
  }
  EXPECT_GT(without, 0);
  EXPECT_GT(with, 0);
}

}  // namespace
}  // namespace orba::pdx
