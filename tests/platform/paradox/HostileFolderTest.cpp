// A shared folder where someone else may plant links, and table files
// damaged in one place: nothing the engine does may change a file that is
// not the table's, cut away committed values, or let one damaged index stop
// every later write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "IndexCheck.h"
#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A private file of the writer's, which a planted link points at.
struct Victim {
  std::string path;
  std::string content = "private, not a table\n";
  struct stat before {};

  explicit Victim(const std::string& p) : path(p) {
    WriteFile(path, content);
    EXPECT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(::stat(path.c_str(), &before), 0);
  }
  void ExpectUntouched(const std::string& what) const {
    struct stat now;
    ASSERT_EQ(::stat(path.c_str(), &now), 0) << what;
    EXPECT_EQ(ReadFile(path), content) << what << ": the link's target was written";
    EXPECT_EQ(now.st_mode, before.st_mode) << what << ": the link's target's mode changed";
    EXPECT_EQ(now.st_uid, before.st_uid) << what;
    EXPECT_EQ(now.st_gid, before.st_gid) << what;
  }
};

void Plant(const std::string& link, const std::string& target) {
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
}

const std::vector<FieldDef> kFields = {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20),
                                       FieldDef::Memo("Note", 5)};

Record Row(int id, const std::string& note = std::string(200, 'n')) {
  return {Value::Int(id), Value::Text("name " + std::to_string(id)), Value::Text(note)};
}

Status MakeTable(const std::string& path) {
  CreateOptions co;
  co.key_field_count = 1;
  return CreateTable(path, kFields, co);
}

Status InsertAndCommit(const std::string& path, int id) {
  std::unique_ptr<TableWriter> w;
  Status s = TableWriter::Open(path, WriteOptions(), &w);
  if (s.ok()) s = w->Insert(Row(id));
  if (s.ok()) s = w->Commit();
  return s;
}

TEST(PlantedLinks, NoFileTheEngineCreatesFollowsALinkPlantedAtItsName) {
  struct Case {
    const char* name;  // planted in the table's folder
    std::function<Status(const std::string& db)> run;
    bool before_creation;
    size_t rows_after = 2;  // when it succeeds
  };
  const std::vector<Case> cases = {
      {"t.db.pdxtmp", MakeTable, true},
      {"t.px", MakeTable, true},
      {"t.mb", MakeTable, true},
      {"t.db.lock", MakeTable, true},
      {"t.db.pdxtmp", [](const std::string& db) { return InsertAndCommit(db, 7); }, false},
      {"t.px.pdxtmp", [](const std::string& db) { return InsertAndCommit(db, 7); }, false},
      {"t.x02.pdxtmp", [](const std::string& db) { return InsertAndCommit(db, 7); }, false},
      {"t.y02.pdxtmp", [](const std::string& db) { return InsertAndCommit(db, 7); }, false},
      {"t.x01.pdxtmp", [](const std::string& db) { return CreateSecondaryIndex(db, "Id"); }, false, 1},
      {"t.y01.pdxtmp", [](const std::string& db) { return CreateSecondaryIndex(db, "Id"); }, false, 1},
      {"t.x01", [](const std::string& db) { return CreateSecondaryIndex(db, "Id"); }, false, 1},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    const Victim victim(dir.File("victim"));
    if (!c.before_creation) {
      ASSERT_TRUE(MakeTable(db).ok());
      ASSERT_TRUE(InsertAndCommit(db, 1).ok());
      ASSERT_TRUE(CreateSecondaryIndex(db, "Name").ok());
    }
    Plant(dir.File(c.name), victim.path);
    const Status s = c.run(db);
    const std::string what = std::string(c.name) + " planted: " + s.ToString();
    victim.ExpectUntouched(what);
    // Either refused, naming the file, or done beside the link.
    if (!s.ok()) {
      EXPECT_NE(s.message().find(c.name), std::string::npos) << what;
    } else {
      const auto rows = testing::ReadAll(db);
      if (!c.before_creation) {
        EXPECT_EQ(rows.size(), c.rows_after) << what;
      }
    }
  }
}

TEST(PlantedLinks, ATableFileThatIsALinkIsNeverWrittenThrough) {
  for (const char* part : {"t.db", "t.px", "t.mb", "t.x02", "t.y02"}) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    ASSERT_TRUE(MakeTable(db).ok());
    ASSERT_TRUE(InsertAndCommit(db, 1).ok());
    ASSERT_TRUE(CreateSecondaryIndex(db, "Name").ok());
    // The link points at a copy of the part itself, so that readers still
    // see a table; the copy is the file that must not change.
    const std::string copy = dir.File("copy");
    WriteFile(copy, ReadFile(dir.File(part)));
    ASSERT_EQ(::chmod(copy.c_str(), 0600), 0);
    Victim victim(copy);
    victim.content = ReadFile(copy);
    Plant(dir.File(part), copy);

    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(db, WriteOptions(), &w);
    if (s.ok()) s = w->Insert(Row(2));
    if (s.ok()) s = w->Commit();
    EXPECT_FALSE(s.ok()) << part;
    EXPECT_NE(s.message().find(part), std::string::npos) << s.ToString();
    EXPECT_NE(s.message().find("symbolic link"), std::string::npos) << s.ToString();
    victim.ExpectUntouched(part);
    struct stat st;
    ASSERT_EQ(::lstat(dir.File(part).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << part << ": the link was replaced";
  }
}

TEST(PlantedLinks, ALinkPlantedAtALeftoverTemporaryIsRemovedNotFollowed) {
  // An index replacement left waiting by an interrupted commit is looked
  // for by the next writer: a link there is not ours and goes.
  TempDir dir;
  const std::string db = dir.File("t.db");
  ASSERT_TRUE(MakeTable(db).ok());
  ASSERT_TRUE(InsertAndCommit(db, 1).ok());
  const Victim victim(dir.File("victim"));
  Plant(dir.File("t.px.pdxtmp"), victim.path);
  ASSERT_TRUE(InsertAndCommit(db, 2).ok());
  victim.ExpectUntouched("waiting .px replacement planted");
  EXPECT_EQ(testing::ReadAll(db).size(), 2u);
  struct stat st;
  EXPECT_NE(::lstat(dir.File("t.px.pdxtmp").c_str(), &st), 0);
}

// ---------------------------------------------------------------------------
// A damaged .mb block header

namespace f = format;

// Offsets of the .mb blocks the records' memos point to, in record order.
std::vector<uint32_t> MemoBlocks(const std::string& db) {
  std::vector<uint32_t> out;
  std::unique_ptr<Table> t;
  EXPECT_TRUE(Table::Open(db, OpenOptions(), &t).ok());
  std::string raw;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    EXPECT_TRUE(t->ReadRawRecord(i, &raw).ok());
    const size_t at = 4 + 20 + BlobLeader(kFields[2]);
    out.push_back(DecodeBlobDescriptor(reinterpret_cast<const uint8_t*>(raw.data()) + at).location & ~0xFFu);
  }
  return out;
}

std::string Memo(int id) { return std::string(2500 + id * 100, static_cast<char>('a' + id)); }

// 20 records whose memos each have a single-blob block of their own.
void TwentyMemos(const std::string& db) {
  ASSERT_TRUE(MakeTable(db).ok());
  for (int i = 0; i < 20; ++i) {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
    ASSERT_TRUE(w->Insert(Row(i, Memo(i))).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
}

// The first 20 records keep their memos (but `changed`, which may read as
// changed_to).
void ExpectMemos(const std::string& db, int changed, const std::string& changed_to) {
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(db, OpenOptions(), &t).ok());
  ASSERT_GE(t->record_count(), 20u);
  for (uint32_t i = 0; i < 20; ++i) {
    Record r;
    const Status s = t->ReadRecord(i, &r);
    if (static_cast<int>(i) == changed) {
      // The damaged value may be unreadable; if it reads, it is its own.
      if (s.ok()) {
        EXPECT_TRUE(r[2].text() == changed_to || r[2].text() == Memo(changed)) << i;
      }
      continue;
    }
    ASSERT_TRUE(s.ok()) << i << ": " << s.ToString();
    EXPECT_EQ(r[2].text(), Memo(static_cast<int>(i))) << "record " << i << " lost its memo";
  }
}

TEST(DamagedBlobFile, ADamagedBlockHeaderInTheMiddleIsReportedAndNothingIsCut) {
  // Each damage makes a block claim to run past the end of the file, which
  // an interrupted append also does: the units word of a block in the
  // middle, of the last block, and the modification number with it.
  for (int victim_record : {3, 19}) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    TwentyMemos(db);
    const std::string mb = dir.File("t.mb");
    const std::string before = ReadFile(mb);
    const uint32_t block = MemoBlocks(db)[static_cast<size_t>(victim_record)];
    std::string damaged = before;
    PutU16(damaged.data() + block + 1, 0x7FFF);
    WriteFile(mb, damaged);

    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
    Record r;
    ASSERT_TRUE(w->Get(5, &r).ok());
    r[2] = Value::Text("a new memo, long enough for the blob file " + std::string(3000, 'z'));
    ASSERT_TRUE(w->Update(5, r).ok());
    const Status s = w->Commit();
    EXPECT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("t.mb"), std::string::npos) << s.ToString();
    EXPECT_EQ(ReadFile(mb), damaged) << "the damaged .mb was written";
    w.reset();
    ExpectMemos(db, victim_record, "");
  }
}

TEST(DamagedBlobFile, AnInterruptedAppendAtTheTailIsStillCutOff) {
  TempDir dir;
  const std::string db = dir.File("t.db");
  TwentyMemos(db);
  const std::string mb = dir.File("t.mb");
  const std::string committed = ReadFile(mb);
  const uint16_t counter = GetU16(committed.data() + f::kMbHeaderCounter);

  // What a crash in the middle of an append leaves: the first unit of a
  // three-unit single-blob block carrying the next modification number.
  std::string block(f::kMbUnit, 'Q');
  block[0] = static_cast<char>(f::kMbSingleBlob);
  PutU16(block.data() + 1, 3);
  PutU32(block.data() + 3, 3 * 4096 - 20);
  PutU16(block.data() + 7, static_cast<uint16_t>(counter + 1));
  WriteFile(mb, committed + block);
  ASSERT_TRUE(InsertAndCommit(db, 50).ok());
  ExpectMemos(db, -1, "");
  const std::string after = ReadFile(mb);
  // The header block aside (its counter moves on), the committed blocks are
  // as they were and the torn one is gone.
  EXPECT_EQ(after.compare(f::kMbUnit, committed.size() - f::kMbUnit, committed, f::kMbUnit), 0);
  EXPECT_EQ(after.find(std::string(64, 'Q')), std::string::npos) << "the torn block was not cut off";

  // The same tail with another block's number is no append of ours.
  PutU16(block.data() + 7, static_cast<uint16_t>(counter - 3));
  const std::string foreign = after + block;
  WriteFile(mb, foreign);
  const Status s = InsertAndCommit(db, 51);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_EQ(ReadFile(mb), foreign);
}

// ---------------------------------------------------------------------------
// A damaged or missing secondary index

void IndexedTable(const std::string& db) {
  ASSERT_TRUE(MakeTable(db).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(w->Insert(Row((i * 37) % 300, "short")).ok());
  ASSERT_TRUE(w->Commit().ok());
  ASSERT_TRUE(w->CreateIndex("Name").ok());
}

TEST(DamagedIndex, AMissingOrDamagedSingleFieldIndexIsRebuiltAndSaidSo) {
  struct Damage {
    const char* what;
    const char* file;  // the file the note names
    std::function<void(TempDir&)> apply;
  };
  const std::vector<Damage> damages = {
      {"X file missing", "t.x02", [](TempDir& d) { ::unlink(d.File("t.x02").c_str()); }},
      {"X header damaged", "t.x02",
       [](TempDir& d) {
         std::string x = ReadFile(d.File("t.x02"));
         x[f::kFieldCount] = 0x7F;  // more fields than the header holds
         x[f::kFieldCount + 1] = 0x7F;
         WriteFile(d.File("t.x02"), x);
       }},
      {"Y header damaged", "t.y02",
       [](TempDir& d) {
         std::string y = ReadFile(d.File("t.y02"));
         std::fill(y.begin() + 0x20, y.begin() + 0x60, '\xEE');
         WriteFile(d.File("t.y02"), y);
       }},
      {"Y file emptied", "t.y02", [](TempDir& d) { WriteFile(d.File("t.y02"), ""); }},
      {"Y entry naming no block", "t.x02",
       [](TempDir& d) {
         // The root's second entry (the tree has one level here) names
         // block NULL; its counts still add up.
         std::string y = ReadFile(d.File("t.y02"));
         const size_t hs = GetU16(y.data() + f::kHeaderSize), rs = GetU16(y.data() + f::kRecordSize);
         const size_t bs = size_t{static_cast<uint8_t>(y[f::kBlockSizeCode])} * 1024;
         ASSERT_EQ(y[f::kIndexLevels], 1);
         const size_t at = hs + (GetU16(y.data() + f::kIndexRoot) - 1) * bs + f::kBlockHeaderSize + rs +
                           (rs - f::kIndexEntryTrailer);
         y[at] = y[at + 1] = 0;
         WriteFile(d.File("t.y02"), y);
       }},
  };
  for (const Damage& damage : damages) {
    TempDir dir;
    const std::string db = dir.File("t.db");
    IndexedTable(db);
    damage.apply(dir);
    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(db, WriteOptions(), &w);
    ASSERT_TRUE(s.ok()) << damage.what << ": " << s.ToString();
    ASSERT_TRUE(w->Insert(Row(1000)).ok());
    ASSERT_TRUE(w->Commit().ok()) << damage.what;
    EXPECT_NE(w->commit_note().find(std::string(damage.file)), std::string::npos)
        << damage.what << ": " << w->commit_note();
    EXPECT_NE(w->commit_note().find("rebuilt"), std::string::npos) << damage.what << ": " << w->commit_note();
    w.reset();
    int checked = 0;
    EXPECT_EQ(testing::CheckSecondaryIndexes(db, {}, &checked), "") << damage.what;
    EXPECT_EQ(checked, 1) << damage.what;
    // Said once: the next commit has nothing to tell.
    ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
    ASSERT_TRUE(w->Insert(Row(1001)).ok());
    ASSERT_TRUE(w->Commit().ok());
    EXPECT_EQ(w->commit_note(), "") << damage.what;
  }
}

// A .PX whose leaf entries name no block (their counts still add up, so the
// table opens through it and the writer goes in place): the change that
// meets the damage is stored by the whole rewrite, which reads the records
// through the block chain and writes the .PX again; the note says so.
TEST(DamagedIndex, APrimaryIndexNamingNoBlockIsWrittenAgainByTheNextChange) {
  TempDir dir;
  const std::string db = dir.File("t.db");
  ASSERT_TRUE(MakeTable(db).ok());
  {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(w->Insert(Row(2 * i, "short")).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  std::string px = ReadFile(dir.File("t.px"));
  const size_t hs = GetU16(px.data() + f::kHeaderSize), rs = GetU16(px.data() + f::kRecordSize);
  const size_t bs = size_t{static_cast<uint8_t>(px[f::kBlockSizeCode])} * 1024;
  ASSERT_EQ(px[f::kIndexLevels], 1);
  const size_t root = hs + (GetU16(px.data() + f::kIndexRoot) - 1) * bs;
  const size_t entries = GetU16(px.data() + root + f::kBlockLastOffset) / rs + 1;
  ASSERT_GT(entries, 2u);
  for (size_t e = 0; e < entries; ++e) {
    const size_t at = root + f::kBlockHeaderSize + e * rs + rs - f::kIndexEntryTrailer;
    px[at] = px[at + 1] = 0;
  }
  WriteFile(dir.File("t.px"), px);

  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->in_place());
  ASSERT_TRUE(w->Insert(Row(301, "new")).ok());
  const Status s = w->Commit();
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_NE(w->commit_note().find("written again"), std::string::npos) << w->commit_note();
  w.reset();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(db, OpenOptions(), &t).ok());
  EXPECT_TRUE(t->placed_by_index()) << "the .PX is the table's again";
  const auto rows = testing::ReadAll(db);
  ASSERT_EQ(rows.size(), 301u);
  EXPECT_EQ(rows[151][0], Value::Int(301));
}

// ---------------------------------------------------------------------------
// Values no table can hold

TEST(ImpossibleValues, AnImpossibleDateOrAutoincrementNumberIsRefused) {
  EXPECT_FALSE(Date::IsValidYmd(2026, 2, 30));
  EXPECT_FALSE(Date::IsValidYmd(2023, 2, 29));
  EXPECT_TRUE(Date::IsValidYmd(2024, 2, 29));
  EXPECT_FALSE(Date::IsValidYmd(1900, 2, 29));
  EXPECT_TRUE(Date::IsValidYmd(2000, 2, 29));
  EXPECT_FALSE(Date::IsValidYmd(2026, 4, 31));
  // Every month's last day, and the day after it.
  const unsigned last[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (unsigned m = 1; m <= 12; ++m) {
    EXPECT_TRUE(Date::IsValidYmd(2026, m, last[m - 1])) << m;
    EXPECT_FALSE(Date::IsValidYmd(2026, m, last[m - 1] + 1)) << m;
  }
  EXPECT_FALSE(Date::IsValidYmd(2026, 13, 1));
  EXPECT_FALSE(Date::IsValidYmd(2026, 1, 0));

  TempDir dir;
  const std::string db = dir.File("t.db");
  ASSERT_TRUE(CreateTable(db, {FieldDef::AutoInc("N"), FieldDef::Date("D")}, CreateOptions()).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  Status s = w->Insert({Value(), Value::Of(Date::FromYmd(2026, 2, 30))});
  EXPECT_TRUE(s.IsInvalidArgument()) << s.ToString();
  EXPECT_NE(s.message().find("'D'"), std::string::npos) << s.ToString();
  for (int64_t n : {0, -1, -2147483647}) {
    s = w->Insert({Value::Int(n), Value::Of(Date::FromYmd(2026, 2, 28))});
    EXPECT_TRUE(s.IsInvalidArgument()) << n << ": " << s.ToString();
  }
  ASSERT_TRUE(w->Insert({Value(), Value::Of(Date::FromYmd(2026, 2, 28))}).ok());
  ASSERT_TRUE(w->Commit().ok());
  const auto rows = testing::ReadAll(db);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], Value::Int(1)) << "a refused insert used up a number";
  EXPECT_EQ(rows[0][1].ToString(), "2026-02-28");
}

// A table whose stored counter lags behind its numbers (a program that
// never kept it, a header written back from an old copy): the next number
// follows the largest in the records, wherever the field is in the record
// (in place: the largest among the last block's).
TEST(ImpossibleValues, TheNextNumberFollowsTheLargestStoredWhenTheCounterLags) {
  TempDir dir;
  const std::string db = dir.File("late.db");
  ASSERT_TRUE(CreateTable(db, {FieldDef::Alpha("Name", 10), FieldDef::AutoInc("N")}, CreateOptions()).ok());
  for (const char* name : {"alpha", "beta", "gamma"})
    ASSERT_TRUE(AppendRecord(db, {Value::Text(name), Value()}).ok());
  std::string bytes = ReadFile(db);
  ASSERT_EQ(GetU32(bytes.data() + f::kAutoIncrement), 3u);
  PutU32(bytes.data() + f::kAutoIncrement, 0);
  WriteFile(db, bytes);

  // Placed among the records: the writer reads them all before the commit.
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->InsertAt(1, {Value::Text("delta"), Value()}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  const auto rows = testing::ReadAll(db);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][1], Value::Int(4));
  EXPECT_EQ(GetU32(ReadFile(db).data() + f::kAutoIncrement), 4u) << "the counter caught up";

  // The counter as the key: an insert in place takes the number after the
  // last record's, without reading the others.
  const std::string keyed = dir.File("keyed.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(keyed, {FieldDef::AutoInc("N"), FieldDef::Alpha("Name", 10)}, co).ok());
  for (const char* name : {"alpha", "beta", "gamma"})
    ASSERT_TRUE(AppendRecord(keyed, {Value(), Value::Text(name)}).ok());
  bytes = ReadFile(keyed);
  PutU32(bytes.data() + f::kAutoIncrement, 1);
  WriteFile(keyed, bytes);
  ASSERT_TRUE(TableWriter::Open(keyed, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->in_place());
  ASSERT_TRUE(w->Insert({Value(), Value::Text("delta")}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  const auto numbered = testing::ReadAll(keyed);
  ASSERT_EQ(numbered.size(), 4u);
  EXPECT_EQ(numbered[3][0], Value::Int(4));
  EXPECT_EQ(numbered[3][1].text(), "delta");

  // Not a key (the desktop's own table numbers its rows so): an append in
  // place follows the largest number among the last block's records.
  const std::string plain = dir.File("plain.db");
  ASSERT_TRUE(
      CreateTable(plain, {FieldDef::Alpha("Name", 10), FieldDef::AutoInc("N")}, CreateOptions()).ok());
  for (const char* name : {"alpha", "beta", "gamma"})
    ASSERT_TRUE(AppendRecord(plain, {Value::Text(name), Value()}).ok());
  bytes = ReadFile(plain);
  PutU32(bytes.data() + f::kAutoIncrement, 1);
  WriteFile(plain, bytes);
  ASSERT_TRUE(TableWriter::Open(plain, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->in_place());
  ASSERT_TRUE(w->Insert({Value::Text("delta"), Value()}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  const auto appended = testing::ReadAll(plain);
  ASSERT_EQ(appended.size(), 4u);
  EXPECT_EQ(appended[3][1], Value::Int(4)) << "a number handed out again";
}

// Each field type's range and content, at its edges: the value just inside
// is stored and read back, the one just outside refused with the field
// named (the most negative integer of each width encodes as NULL).
TEST(ValueLimits, EachFieldTakesWhatItCanHoldAndNothingElse) {
  TempDir dir;
  const std::string db = dir.File("limits.db");
  ASSERT_TRUE(CreateTable(db,
                          {FieldDef::Short("S"), FieldDef::Long("I"), FieldDef::Alpha("A", 4),
                           FieldDef::Time("T"), FieldDef::Number("N")},
                          CreateOptions())
                  .ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  auto row = [](Value s, Value i, Value a, Value t, Value n) { return Record{s, i, a, t, n}; };
  const Record low = row(Value::Int(-32767), Value::Int(-2147483647), Value::Text("abcd"), Value::Of(Time{0}),
                         Value::Double(-1e308));
  const Record high = row(Value::Int(32767), Value::Int(2147483647), Value::Text(std::string("x\x7F", 2)),
                          Value::Of(Time{86399999}), Value::Double(1e308));
  ASSERT_TRUE(w->Insert(low).ok());
  ASSERT_TRUE(w->Insert(high).ok());
  struct Bad {
    Record record;
    const char* field;
  };
  const Bad bad[] = {
      {row(Value::Int(-32768), Value(), Value(), Value(), Value()), "'S'"},
      {row(Value::Int(32768), Value(), Value(), Value(), Value()), "'S'"},
      {row(Value(), Value::Int(-2147483648LL), Value(), Value(), Value()), "'I'"},
      {row(Value(), Value::Int(2147483648LL), Value(), Value(), Value()), "'I'"},
      {row(Value(), Value(), Value::Text(std::string("ab\0c", 4)), Value(), Value()), "'A'"},
      {row(Value(), Value(), Value::Text("abcde"), Value(), Value()), "'A'"},
      {row(Value(), Value(), Value(), Value::Of(Time{86400000}), Value()), "'T'"},
      {row(Value(), Value(), Value(), Value::Of(Time{-1}), Value()), "'T'"},
      {row(Value(), Value(), Value(), Value(), Value::Double(std::numeric_limits<double>::quiet_NaN())),
       "'N'"},
      {row(Value(), Value(), Value(), Value(), Value::Double(std::numeric_limits<double>::infinity())),
       "'N'"},
  };
  for (const Bad& b : bad) {
    const Status s = w->Insert(b.record);
    EXPECT_TRUE(s.IsInvalidArgument()) << b.field << ": " << s.ToString();
    EXPECT_NE(s.message().find(b.field), std::string::npos) << s.ToString();
  }
  ASSERT_TRUE(w->Commit().ok());
  EXPECT_EQ(testing::ReadAll(db), (std::vector<Record>{low, high}));
}

// A blob holds up to 256 MiB: that much is taken, one byte more refused
// with the field named (nothing is committed: the values stay in memory).
TEST(ValueLimits, ABlobTakesUpTo256MebibytesAndNotAByteMore) {
  auto env = NewMemEnv();
  const std::string db = "/mem/big.db";
  CreateOptions co;
  co.env = env.get();
  ASSERT_TRUE(CreateTable(db, {FieldDef::Long("Id"), FieldDef::Binary("Scan", 10)}, co).ok());
  WriteOptions wo;
  wo.env = env.get();
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, wo, &w).ok());
  Status s = w->Insert({Value::Int(1), Value::Blob(std::string(f::kMaxBlobLength + 1, 'b'))});
  EXPECT_TRUE(s.IsInvalidArgument()) << s.ToString();
  EXPECT_NE(s.message().find("'Scan'"), std::string::npos) << s.ToString();
  s = w->Insert({Value::Int(2), Value::Blob(std::string(f::kMaxBlobLength, 'b'))});
  EXPECT_TRUE(s.ok()) << s.ToString();
}

// A .db numbers its blocks in 16 bits: a table may fill block 65535, and a
// commit that would need block 65536 is refused with the table unchanged.
TEST(ValueLimits, ATableFillsItsLastBlockNumberAndNoMore) {
  auto env = NewMemEnv();
  const std::string db = "/mem/wide.db";
  CreateOptions co;
  co.env = env.get();
  co.block_size_kib = 1;  // one 510-byte record per 1 KiB block
  ASSERT_TRUE(CreateTable(db, {FieldDef::Alpha("A", 255), FieldDef::Alpha("B", 255)}, co).ok());
  WriteOptions wo;
  wo.env = env.get();
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, wo, &w).ok());
  for (int i = 0; i < 65535; ++i) ASSERT_TRUE(w->Insert({Value::Text(std::to_string(i)), Value()}).ok());
  ASSERT_TRUE(w->Commit().ok());
  ASSERT_TRUE(w->Insert({Value::Text("one too many"), Value()}).ok());
  const Status s = w->Commit();
  EXPECT_TRUE(s.IsInvalidArgument()) << s.ToString();
  EXPECT_NE(s.message().find("65535 blocks"), std::string::npos) << s.ToString();
  w.reset();
  OpenOptions oo;
  oo.env = env.get();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(db, oo, &t).ok());
  EXPECT_EQ(t->record_count(), 65535u);
  EXPECT_EQ(t->header().file_blocks, 65535u);
  Record last;
  ASSERT_TRUE(t->ReadRecord(65534, &last).ok());
  EXPECT_EQ(last[0].text(), "65534");
}

// A key of more than 4 KiB leaves fewer than eight entries to the largest
// index block: the .px still takes 32 KiB blocks, the largest size the
// format has, and every key is found through it.
TEST(ValueLimits, AKeyOfMoreThanFourKilobytesIsIndexedInTheLargestBlocks) {
  TempDir dir;
  const std::string db = dir.File("widekey.db");
  std::vector<FieldDef> fields;
  for (int i = 1; i <= 17; ++i) fields.push_back(FieldDef::Alpha("K" + std::to_string(i), 255));
  CreateOptions co;
  co.key_field_count = 17;  // 4335 bytes of key
  ASSERT_TRUE(CreateTable(db, fields, co).ok());
  auto key = [](int n) {
    std::vector<Value> k(17, Value::Text(std::string(250, 'k')));
    char first[8];
    std::snprintf(first, sizeof first, "%03d", n);
    k[0] = Value::Text(first);
    return k;
  };
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(db, WriteOptions(), &w).ok());
  for (int n = 99; n >= 0; --n) ASSERT_TRUE(w->Insert(key(n)).ok()) << n;
  ASSERT_TRUE(w->Commit().ok());
  w.reset();

  const std::string px = ReadFile(dir.File("widekey.px"));
  ASSERT_GT(px.size(), f::kBlockSizeCode);
  EXPECT_EQ(static_cast<uint8_t>(px[f::kBlockSizeCode]), 32) << "the index's block size in KiB";
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(db, OpenOptions(), &t).ok());
  ASSERT_EQ(t->record_count(), 100u);
  for (int n : {0, 6, 7, 50, 99}) {
    uint32_t at = 0;
    bool found = false;
    ASSERT_TRUE(t->Find(key(n), &at, &found).ok()) << n;
    EXPECT_TRUE(found) << n;
    EXPECT_EQ(at, static_cast<uint32_t>(n));
  }
}

}  // namespace
}  // namespace orba::pdx
