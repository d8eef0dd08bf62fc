// Creating and changing tables, read back by this engine.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "paradox/PrimaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::ReadAll;
using testing::TempDir;

std::vector<FieldDef> LedgerFields() {
  return {FieldDef::Long("Account"),   FieldDef::Alpha("Name", 30), FieldDef::Short("Branch"),
          FieldDef::Number("Rate"),    FieldDef::Money("Balance"),  FieldDef::Date("Opened"),
          FieldDef::Logical("Active"), FieldDef::Memo("Notes", 20), FieldDef::Binary("Scan", 10),
          FieldDef::Bytes("Flags", 4), FieldDef::AutoInc("Serial"), FieldDef::Graphic("Logo", 0)};
}

Record LedgerRow(int account, const std::string& name, const std::string& notes = {},
                 const std::string& scan = {}) {
  return {Value::Int(account),
          Value::Text(name),
          Value::Int(account % 100),
          Value::Double(account / 8.0),
          Value::Double(-12.5),
          Value::Of(Date::FromYmd(2024, 2, 29)),
          Value::Bool(account % 2 == 0),
          notes.empty() ? Value() : Value::Text(notes),
          scan.empty() ? Value() : Value::Blob(scan),
          Value::Blob(std::string("\x01\x00\x02", 3)),
          Value(),
          Value()};
}

class Writer : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_.File("ledger.db");

  void Create(unsigned keys) {
    CreateOptions o;
    o.key_field_count = keys;
    Status s = CreateTable(path_, LedgerFields(), o);
    ASSERT_TRUE(s.ok()) << s.ToString();
  }
  std::unique_ptr<TableWriter> OpenWriter() {
    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(path_, WriteOptions(), &w);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return w;
  }
};

TEST_F(Writer, KeyedInsertsLandInKeyOrderAndDuplicatesAreRefused) {
  Create(1);
  auto w = OpenWriter();
  ASSERT_TRUE(w);
  for (int k : {50, 10, 40, 20, 30}) ASSERT_TRUE(w->Insert(LedgerRow(k, "n" + std::to_string(k))).ok());
  Status dup = w->Insert(LedgerRow(40, "again"));
  EXPECT_TRUE(dup.IsInvalidArgument());
  EXPECT_EQ(dup.message(), "ledger.db: duplicate key (40) in the primary key");
  ASSERT_TRUE(w->Commit().ok());
  w.reset();

  auto rows = ReadAll(path_);
  ASSERT_EQ(rows.size(), 5u);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i][0], Value::Int(10 * static_cast<int>(i + 1)));
  // Autoincrement numbers follow insertion order: 50 got 1, 10 got 2, ...
  EXPECT_EQ(rows[4][10], Value::Int(1));
  EXPECT_EQ(rows[0][10], Value::Int(2));
  EXPECT_EQ(rows[1][5].ToString(), "2024-02-29");
  EXPECT_EQ(rows[1][9].bytes().data, std::string("\x01\x00\x02", 3));

  // The .PX names itself as Paradox's own do (BIOLIFE.PX): the table's
  // name without its extension, then .PX.
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path_, OpenOptions(), &t).ok());
  ASSERT_NE(t->primary_index(), nullptr);
  EXPECT_EQ(t->primary_index()->header().table_name, "ledger.PX");
}

TEST_F(Writer, UpdateMovesTheRecordAndDeleteShrinksTheTable) {
  Create(1);
  auto w = OpenWriter();
  for (int k = 1; k <= 300; ++k) ASSERT_TRUE(w->Insert(LedgerRow(k, "row")).ok());
  ASSERT_TRUE(w->Commit().ok());
  Record r;
  ASSERT_TRUE(w->Get(0, &r).ok());
  r[0] = Value::Int(1000);
  uint32_t moved = 0;
  ASSERT_TRUE(w->Update(0, r, &moved).ok());
  EXPECT_EQ(moved, 299u);
  r[0] = Value::Int(2);  // collides with an existing key
  EXPECT_TRUE(w->Update(299, r).IsInvalidArgument());
  ASSERT_TRUE(w->Delete(0).ok());  // key 2
  ASSERT_TRUE(w->Commit().ok());
  w.reset();

  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path_, OpenOptions(), &t).ok());
  EXPECT_EQ(t->record_count(), 299u);
  EXPECT_GT(t->blocks().size(), 1u);
  EXPECT_TRUE(t->index_status().ok()) << t->index_status().ToString();
  uint32_t at;
  bool found;
  ASSERT_TRUE(t->Find({Value::Int(1000)}, &at, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(at, 298u);
  ASSERT_TRUE(t->Find({Value::Int(2)}, &at, &found).ok());
  EXPECT_FALSE(found);
  ASSERT_TRUE(t->Find({Value::Int(3)}, &at, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(at, 0u);
}

TEST_F(Writer, BlobsInsideAndBeyondTheRecordRoundTrip) {
  Create(0);
  const std::string short_memo = "fits";                             // <= 20 bytes: in the record
  const std::string mid_memo(700, 'm');                              // sub-allocated block
  const std::string long_memo = std::string(5000, 'x') + "Währung";  // single-blob block
  std::string scan(3000, '\0');
  for (size_t i = 0; i < scan.size(); ++i) scan[i] = static_cast<char>(i * 7);
  {
    auto w = OpenWriter();
    ASSERT_TRUE(w->Insert(LedgerRow(1, "a", short_memo, "")).ok());
    ASSERT_TRUE(w->Insert(LedgerRow(2, "b", mid_memo, scan)).ok());
    Record with_logo = LedgerRow(3, "c", long_memo, "tiny");
    with_logo[11] = Value::Blob("BMpicture");
    ASSERT_TRUE(w->Insert(with_logo).ok());
    // Reads before the commit see the pending values.
    Record r;
    ASSERT_TRUE(w->Get(2, &r).ok());
    EXPECT_EQ(r[7].text(), long_memo);
    ASSERT_TRUE(w->Commit().ok());
  }
  auto rows = ReadAll(path_);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][7].text(), short_memo);
  EXPECT_TRUE(rows[0][8].is_null());
  EXPECT_EQ(rows[1][7].text(), mid_memo);
  EXPECT_EQ(rows[1][8].bytes().data, scan);
  EXPECT_EQ(rows[2][7].text(), long_memo);
  EXPECT_EQ(rows[2][8].bytes().data, "tiny");
  EXPECT_EQ(rows[2][11].bytes().data, "BMpicture");

  // Updating other fields keeps the stored blob; a new memo is appended.
  {
    auto w = OpenWriter();
    Record r;
    ASSERT_TRUE(w->Get(1, &r).ok());
    r[1] = Value::Text("renamed");
    ASSERT_TRUE(w->Update(1, r).ok());
    ASSERT_TRUE(w->Get(0, &r).ok());
    r[7] = Value::Text(std::string(3000, 'n'));
    ASSERT_TRUE(w->Update(0, r).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  rows = ReadAll(path_);
  EXPECT_EQ(rows[1][1].text(), "renamed");
  EXPECT_EQ(rows[1][8].bytes().data, scan);
  EXPECT_EQ(rows[0][7].text(), std::string(3000, 'n'));
  EXPECT_EQ(testing::ReadFile(dir_.File("ledger.mb")).size() % 4096, 0u);
}

TEST_F(Writer, InvalidValuesAndDefinitionsAreRefusedWithTheirReason) {
  Create(1);
  auto w = OpenWriter();
  Record r = LedgerRow(1, "x");
  r[1] = Value::Text(std::string(31, 'a'));
  Status s = w->Insert(r);
  EXPECT_EQ(s.ToString(),
            "Invalid argument: ledger.db: field 'Name': text of 31 bytes exceeds the field length 30");
  r = LedgerRow(1, "日本");
  EXPECT_TRUE(w->Insert(r).IsInvalidArgument());  // not in code page 1252
  r = LedgerRow(1, "x");
  r[2] = Value::Int(40000);
  EXPECT_TRUE(w->Insert(r).IsInvalidArgument());
  r = LedgerRow(1, "x");
  r[5] = Value::Text("2024-01-01");
  EXPECT_TRUE(w->Insert(r).IsInvalidArgument());
  EXPECT_EQ(w->record_count(), 0u);

  EXPECT_TRUE(CreateTable(path_, LedgerFields(), CreateOptions()).IsInvalidArgument());
  std::vector<FieldDef> bad = {FieldDef::Alpha("A", 0)};
  EXPECT_TRUE(CreateTable(dir_.File("bad.db"), bad, CreateOptions()).IsInvalidArgument());
  bad = {FieldDef::Long("Same"), FieldDef::Long("same")};
  EXPECT_TRUE(CreateTable(dir_.File("bad.db"), bad, CreateOptions()).IsInvalidArgument());
}

TEST_F(Writer, TextIsStoredAsWindows1252) {
  Create(0);
  ASSERT_TRUE(AppendRecord(path_, LedgerRow(1, "Größe €")).ok());
  std::string db = testing::ReadFile(path_);
  EXPECT_NE(db.find("Gr\xF6\xDF"
                    "e \x80"),
            std::string::npos);
  EXPECT_EQ(static_cast<uint8_t>(db[0x6A]) | (static_cast<uint8_t>(db[0x6B]) << 8), 1252);
  EXPECT_EQ(ReadAll(path_)[0][1].text(), "Größe €");
}

// Keys are ordered by their bytes, and the header says so with the sort
// order's name, which other software reads to know how the keys are
// ordered; a commit that writes the table again keeps it.
TEST_F(Writer, ATableNamesTheAsciiSortOrderItsKeysFollow) {
  Create(1);
  for (int commit = 0; commit < 2; ++commit) {
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path_, {}, &t).ok());
    EXPECT_EQ(t->header().sort_order_name, "ascii") << "after " << commit << " commits";
    ASSERT_TRUE(AppendRecord(path_, LedgerRow(10 + commit, "x")).ok());
  }
}

// Every block size the format knows makes a table that holds its records;
// any other is refused with the sizes it could have been.
TEST(WriterBlockSize, EachOfTheSixBlockSizesMakesATableAndNoOther) {
  TempDir dir;
  for (uint8_t kib : {1, 2, 4, 8, 16, 32}) {
    const std::string path = dir.File("b" + std::to_string(kib) + ".db");
    CreateOptions o;
    o.block_size_kib = kib;
    o.key_field_count = 1;
    Status s = CreateTable(path, {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20)}, o);
    ASSERT_TRUE(s.ok()) << int{kib} << ": " << s.ToString();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(AppendRecord(path, {Value::Int(i), Value::Text("n")}).ok());
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path, {}, &t).ok());
    EXPECT_EQ(t->header().block_size_code, kib);
    EXPECT_EQ(ReadAll(path).size(), 3u);
  }
  for (uint8_t kib : {3, 12, 64}) {
    CreateOptions o;
    o.block_size_kib = kib;
    Status s = CreateTable(dir.File("bad" + std::to_string(kib) + ".db"), {FieldDef::Long("Id")}, o);
    EXPECT_FALSE(s.ok()) << int{kib};
    EXPECT_NE(s.ToString().find("1, 2, 4, 8, 16 or 32 KiB"), std::string::npos) << s.ToString();
  }
}

// A commit interrupted at every possible point leaves the table either as it
// was or as it was meant to become, never anything else, and says which.
TEST_F(Writer, InterruptedCommitLeavesBeforeOrAfter) {
  auto mem = NewMemEnv();
  const std::string path = "/t/ledger.db";
  CreateOptions co;
  co.env = mem.get();
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, LedgerFields(), co).ok());
  WriteOptions wo;
  wo.env = mem.get();
  {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, wo, &w).ok());
    for (int k = 1; k <= 40; ++k)
      ASSERT_TRUE(w->Insert(LedgerRow(k * 2, "before", k % 3 ? "" : std::string(900, 'b'))).ok());
    ASSERT_TRUE(w->Commit().ok());
  }
  const auto before = ReadAll(path, mem.get());

  std::vector<Record> after;
  int outcomes_before = 0, outcomes_after = 0;
  for (int fail_at = 1;; ++fail_at) {
    // Each attempt starts from the committed "before" state.
    auto snapshot = NewMemEnv();
    for (const char* f : {"/t/ledger.db", "/t/ledger.mb", "/t/ledger.px"}) {
      std::unique_ptr<RandomAccessFile> in;
      ASSERT_TRUE(mem->OpenRandomAccess(f, &in).ok());
      std::string data;
      ASSERT_TRUE(in->Read(0, in->Size(), &data).ok());
      std::unique_ptr<WritableFile> out;
      ASSERT_TRUE(snapshot->OpenWritable(f, true, &out).ok());
      ASSERT_TRUE(out->Write(0, data).ok());
    }
    testing::FailingEnv failing(snapshot.get(), fail_at);
    WriteOptions fo;
    fo.env = &failing;
    std::unique_ptr<TableWriter> w;
    Status s = TableWriter::Open(path, fo, &w);
    if (s.ok()) s = w->Insert(LedgerRow(81, "new", std::string(3000, 'n'), "scan"));
    if (s.ok()) s = w->Delete(0);
    if (s.ok()) s = w->Commit();
    const std::string note = s.ok() && w ? w->commit_note() : std::string();
    w.reset();

    // Whatever happened, a fresh writer and reader see a consistent table.
    std::unique_ptr<TableWriter> recover;
    WriteOptions ro;
    ro.env = snapshot.get();
    ASSERT_TRUE(TableWriter::Open(path, ro, &recover).ok()) << "fail_at " << fail_at;
    recover.reset();
    auto now = ReadAll(path, snapshot.get());
    // What Commit said is what happened: a failure means not stored.
    if (!s.ok()) {
      ASSERT_EQ(now, before) << "fail_at " << fail_at << ": reported " << s.ToString();
      ++outcomes_before;
    } else {
      ASSERT_EQ(now.size(), before.size()) << "fail_at " << fail_at;
      ASSERT_EQ(now.back()[1].text(), "new");
      ASSERT_EQ(now.back()[7].text(), std::string(3000, 'n'));
      if (after.empty()) after = now;
      ASSERT_EQ(now, after);
      ++outcomes_after;
      // Stored, and anything that failed afterwards is said in the note.
      EXPECT_EQ(failing.failed(), !note.empty()) << "fail_at " << fail_at << ": " << note;
      if (!failing.failed()) break;
      EXPECT_NE(note.find("the change was stored"), std::string::npos) << note;
    }
    ASSERT_LT(fail_at, 200);
  }
  EXPECT_GT(outcomes_before, 0);
  EXPECT_GT(outcomes_after, 0);
}

}  // namespace
}  // namespace orba::pdx
