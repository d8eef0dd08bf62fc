// Secondary indexes on real tables written by Paradox and other programs
// ($ORBA_TESTDATA/paradox-secondary), through the cases every indexed table
// goes through (IndexedTables.h), and what only those files show: sort
// orders other than ascii, trees of another block size than their index.
#include "IndexedTables.h"

namespace orba::pdx {
namespace {

const IndexedTable kSharedTables[] = {
    {"embarcadero-dbdemos", "items.db", true},   {"embarcadero-dbdemos", "reservat.db", true},
    {"embarcadero-dbdemos", "parts.db", true},   {"embarcadero-dbdemos", "custoly.db", true},
    {"paradoxdriver", "CUSTOMER.DB", true},      {"paradoxdriver", "AREACODES.DB", false},
    {"paradox-reader", "zakazky.db", true},      {"database-samples", "SearchIndex.db", true},
    {"database-samples", "TelephNum.DB", false}, {"pxlib", "TypSammlung.DB", false},
};

INSTANTIATE_TEST_SUITE_P(Shared, IndexedTables, ::testing::ValuesIn(kSharedTables), CaseName);

class SecondaryIndexes : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::SecondaryIndexTestData();
    if (root_.empty())
      GTEST_SKIP() << "tables with secondary indexes not present ($ORBA_TESTDATA/paradox-secondary)";
  }
  std::string Copy(const char* dir, const char* db) {
    testing::CopyTable(root_ + "/" + dir, db, dir_.path());
    return dir_.File(db);
  }
  std::string root_;
  TempDir dir_;
};

// Values whose place in an index is not known are refused with the table
// and the index named, and leave every file as it was.
TEST_F(SecondaryIndexes, ValuesOfUnknownOrderAreRefusedAndNothingChanges) {
  const std::string search = Copy("database-samples", "SearchIndex.db");
  const std::string customer = Copy("paradoxdriver", "CUSTOMER.DB");
  const Files before = Snapshot(dir_);
  {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(search, WriteOptions(), &w).ok());
    Record r;
    ASSERT_TRUE(w->Get(0, &r).ok());
    r[0] = Value();
    r[2] = Value::Text("Zürich");  // City: letters beyond ASCII under DBWINUS0
    Status s = w->Insert(r);
    EXPECT_EQ(
        s.ToString(),
        "Not supported: SearchIndex.db: cannot keep secondary index SearchIndex.XG1 (iC) in order: field "
        "'City' holds 'Zürich', and the place of characters beyond ASCII under sort order 'DBWINUS0' is "
        "not known");
    r[2] = Value();  // a blank in the descending index
    s = w->Insert(r);
    EXPECT_TRUE(s.IsNotSupported());
    EXPECT_NE(s.message().find("descending"), std::string::npos) << s.message();
    r[2] = Value::Text("Tver_2");  // punctuation a collation may move
    EXPECT_TRUE(w->Insert(r).IsNotSupported());
    EXPECT_EQ(w->record_count(), 6u);
    r[2] = Value::Text("TVER (2)");
    ASSERT_TRUE(w->Insert(r).ok());
  }
  {
    // Under ANSII850 a case-sensitive index may order by code or ignoring
    // case; a commit needing the difference is refused as a whole.
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(customer, WriteOptions(), &w).ok());
    Record r;
    ASSERT_TRUE(w->Get(0, &r).ok());
    r[0] = Value();
    r[5] = Value::Text("apple");
    ASSERT_TRUE(w->Insert(r).ok());
    r[5] = Value::Text("Banana");
    ASSERT_TRUE(w->Insert(r).ok());
    Status s = w->Commit();
    EXPECT_TRUE(s.IsNotSupported()) << s.ToString();
    EXPECT_NE(s.message().find("CUSTOMER.X06"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("'apple' sort one way by character code and the other ignoring case"),
              std::string::npos)
        << s.message();
  }
  EXPECT_EQ(Changed(before, Snapshot(dir_)), "");
}

// An index file without its tree gets one; a tree kept from Paradox keeps
// its own block size.
TEST_F(SecondaryIndexes, MissingTreeIsBuiltAndExistingTreesKeepTheirBlockSize) {
  const std::string parts = Copy("embarcadero-dbdemos", "parts.db");
  const std::string custoly = Copy("embarcadero-dbdemos", "custoly.db");
  std::filesystem::remove(dir_.File("parts.yg0"));
  for (const std::string& path : {parts, custoly}) {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    ASSERT_TRUE(w->Delete(3).ok());
    ASSERT_TRUE(w->Commit().ok());
    EXPECT_EQ(CheckSecondaryIndexes(path), "") << path;
  }
  const std::string yg0 = ReadFile(dir_.File("parts.yg0"));
  ASSERT_GT(yg0.size(), 2048u);
  EXPECT_EQ(yg0[format::kFileType], format::kFileTypeCompositeTree);
  EXPECT_EQ(ReadFile(dir_.File("custoly.y07"))[format::kBlockSizeCode], 4);
}

// A table emptied and filled again: indexes without a block, then with one.
TEST_F(SecondaryIndexes, EmptiedTableHasEmptyIndexes) {
  const std::string path = Copy("embarcadero-dbdemos", "reservat.db");
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  Record kept;
  ASSERT_TRUE(w->Get(50, &kept).ok());
  while (w->record_count() > 0) ASSERT_TRUE(w->Delete(0).ok());
  ASSERT_TRUE(w->Commit().ok());
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
  ASSERT_TRUE(w->Insert(kept).ok());
  ASSERT_TRUE(w->Commit().ok());
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
}

// A reader tells an index older than its table: put back an index file from
// before a commit and lookups stop trusting it, yet still answer right.
TEST_F(SecondaryIndexes, ReaderTellsAnIndexOlderThanItsTable) {
  const std::string path = Copy("embarcadero-dbdemos", "reservat.db");
  const std::string old_x = ReadFile(dir_.File("reservat.x03"));
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  Record r;
  ASSERT_TRUE(w->Get(10, &r).ok());
  r[2] = Value::Int(9999);  // CustNo, indexed by .x03
  ASSERT_TRUE(w->Update(10, r).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  testing::WriteFile(dir_.File("reservat.x03"), old_x);

  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 2u);
  EXPECT_TRUE(t->secondary_indexes()[0].status.ok());
  EXPECT_NE(t->secondary_indexes()[1].status.message().find("out of date"), std::string::npos)
      << t->secondary_indexes()[1].status.ToString();
  std::vector<uint32_t> found;
  bool used = true;
  ASSERT_TRUE(t->FindEqual(1, {Value::Int(9999)}, &found, &used).ok());
  EXPECT_FALSE(used);
  EXPECT_EQ(found, std::vector<uint32_t>{10});
}

// A table without a key indexed by record number (the layout Paradox uses
// for those): records inserted anywhere and deleted keep the index right.
TEST_F(SecondaryIndexes, UnkeyedTableIndexedByRecordNumber) {
  const std::string path = dir_.File("ledger.db");
  ASSERT_TRUE(
      CreateTable(path, {FieldDef::Alpha("Text", 250), FieldDef::Number("Amount")}, CreateOptions()).ok());
  // The index files of a table whose second field is a number, taken over
  // under this table's sort order.
  for (const char* ext : {"X02", "Y02"}) {
    std::string file = ReadFile(root_ + "/pxlib/TypSammlung." + ext);
    file[format::kSortOrder] = 0;
    testing::WriteFile(dir_.File(std::string("ledger.") + ext), file);
  }
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(w->Insert({Value::Text("row " + std::to_string(i)), Value::Double((i * 37) % 11 - 5)}).ok());
  ASSERT_TRUE(w->Commit().ok());
  EXPECT_EQ(CheckSecondaryIndexes(path), "");
  ASSERT_TRUE(w->InsertAt(0, {Value::Text("first"), Value::Double(0)}).ok());
  ASSERT_TRUE(w->Delete(20).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 1);
  ExpectLookupsAgreeWithScan(path);
}

}  // namespace
}  // namespace orba::pdx
