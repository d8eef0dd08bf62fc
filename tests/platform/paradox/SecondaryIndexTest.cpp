// Secondary indexes on tables the engine makes (MadeTables.h): every case
// of IndexedTables.h, the order of descending and case-blind fields read
// straight from the index files, values whose place is unknown, a missing
// tree, an emptied table, an index older than its table, and a table
// without a key. The same engine against Paradox's own files is in
// SampleIndexesTest.cpp (test_paradox_samples).
#include "IndexedTables.h"
#include "MadeTables.h"

namespace orba::pdx {
namespace {

const IndexedTable kMadeTables[] = {
    {"", "customers.db", true, [](const std::string& dir) { return testing::MakeCustomers(dir); }},
    {"", "types.db", true, [](const std::string& dir) { return testing::MakeEveryType(dir); }},
};

INSTANTIATE_TEST_SUITE_P(Made, IndexedTables, ::testing::ValuesIn(kMadeTables), CaseName);

// The entries of an index file as records of its own fields, in file order.
std::vector<Record> Entries(const std::string& x_path) {
  std::unique_ptr<Table> x;
  EXPECT_TRUE(Table::OpenIndexData(x_path, OpenOptions(), &x).ok()) << x_path;
  std::vector<Record> out;
  if (!x) return out;
  for (uint32_t i = 0; i < x->record_count(); ++i) {
    Record r;
    EXPECT_TRUE(x->ReadRecord(i, &r).ok());
    out.push_back(r);
  }
  return out;
}

// Read back as values (not bytes), a descending field runs from the largest
// down and the field after it runs up among equals; a case-blind alpha
// field holds its values upper-cased and in that order.
TEST(MadeIndexes, DescendingAndCaseBlindFieldsAreInTheirOrder) {
  TempDir dir;
  const std::string types = testing::MakeEveryType(dir.path());
  const std::string customers = testing::MakeCustomers(dir.path());
  {
    const std::vector<Record> e = Entries(dir.File("customers.xg1"));  // Balance down, City up
    ASSERT_EQ(e.size(), 60u);
    for (size_t i = 1; i < e.size(); ++i) {
      ASSERT_GE(e[i - 1][0].double_value(), e[i][0].double_value()) << i;
      if (e[i - 1][0] == e[i][0]) {
        EXPECT_LE(e[i - 1][1].text(), e[i][1].text()) << i;
      }
    }
    EXPECT_GT(e.front()[0].double_value(), e.back()[0].double_value());
  }
  {
    const std::vector<Record> e = Entries(dir.File("types.xg0"));  // Name case-blind, Real down
    ASSERT_EQ(e.size(), 150u);
    for (size_t i = 1; i < e.size(); ++i) {
      const std::string& name = e[i][0].text();
      EXPECT_EQ(name, Upper(name)) << i;
      ASSERT_LE(e[i - 1][0].text(), name) << i;
      if (e[i - 1][0] == e[i][0]) {
        EXPECT_GE(e[i - 1][1].double_value(), e[i][1].double_value()) << i;
      }
    }
  }
  {
    const std::vector<Record> e = Entries(dir.File("types.xg1"));  // Day down, Small up, At down
    for (size_t i = 1; i < e.size(); ++i) {
      ASSERT_GE(e[i - 1][0].date().days, e[i][0].date().days) << i;
      if (e[i - 1][0] == e[i][0]) {
        ASSERT_LE(e[i - 1][1].int_value(), e[i][1].int_value()) << i;
      }
    }
  }
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(customers, OpenOptions(), &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 3u);
  const SecondaryIndexInfo& by_balance = t->secondary_indexes()[2];
  EXPECT_EQ(by_balance.name, "ByBalance");
  ASSERT_EQ(by_balance.fields.size(), 2u);
  EXPECT_TRUE(by_balance.fields[0].descending);
  EXPECT_FALSE(by_balance.fields[1].descending);
  EXPECT_EQ(t->secondary_indexes()[1].letter_case, LetterCase::kInsensitive);
  EXPECT_EQ(t->secondary_indexes()[0].letter_case, LetterCase::kSensitive);
  EXPECT_EQ(CheckSecondaryIndexes(types), "");
}

// Values whose place in an index is not known are refused with the table
// and the index named, and leave every file as it was.
TEST(MadeIndexes, ValuesOfUnknownOrderAreRefusedAndNothingChanges) {
  TempDir dir;
  const std::string path = testing::MakeCustomers(dir.path());
  const Files before = Snapshot(dir);
  {
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    Record r;
    ASSERT_TRUE(w->Get(0, &r).ok());
    r[0] = Value();
    r[1] = Value::Text("Zürich");  // Name: a case-blind index, a letter beyond ASCII
    Status s = w->Insert(r);
    EXPECT_EQ(
        s.ToString(),
        "Not supported: customers.db: cannot keep secondary index customers.xg0 (ByName) in order: field "
        "'Name' holds 'Zürich', and how an index that ignores case stores letters beyond ASCII is not "
        "known");
    r[1] = Value::Text("Zurich");
    r[5] = Value();  // a blank in the descending field of ByBalance
    s = w->Insert(r);
    EXPECT_TRUE(s.IsNotSupported()) << s.ToString();
    EXPECT_NE(s.message().find("customers.xg1 (ByBalance)"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("descending"), std::string::npos) << s.message();
    EXPECT_EQ(w->record_count(), 60u);
    // City is in a case-blind index too (ByBalance), though its own keeps case.
    r[5] = Value::Double(1);
    r[6] = Value::Text("Zürich");
    s = w->Insert(r);
    EXPECT_NE(s.message().find("customers.xg1 (ByBalance)"), std::string::npos) << s.ToString();
    r[6] = Value::Text("TVER (2)");
    ASSERT_TRUE(w->Insert(r).ok());
  }
  EXPECT_EQ(Changed(before, Snapshot(dir)), "");
}

// Fields in descending order: a blank value (whose place there is not
// known) is refused, any other taken, -32767 in a short field too (its
// first byte is zero, as a blank's is).
TEST(MadeIndexes, ADescendingFieldRefusesOnlyBlanks) {
  TempDir dir;
  const std::string path = dir.File("names.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(
      CreateTable(path, {FieldDef::Long("Id"), FieldDef::Alpha("Name", 20), FieldDef::Short("Small")}, co)
          .ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->Insert({Value::Int(1), Value::Text("Alpha"), Value::Int(5)}).ok());
  ASSERT_TRUE(w->Commit().ok());
  for (unsigned field : {1u, 2u}) {
    IndexDefinition down;
    down.fields = {{field, true}};
    down.ignore_case = true;
    down.name = field == 1 ? "NameDown" : "SmallDown";
    ASSERT_TRUE(w->CreateIndex(down).ok());
  }
  for (const Record& blank : {Record{Value::Int(2), Value(), Value::Int(1)},
                              Record{Value::Int(2), Value::Text("Gamma"), Value()}}) {
    const Status s = w->Insert(blank);
    EXPECT_TRUE(s.IsNotSupported()) << s.ToString();
    EXPECT_NE(s.message().find("descending"), std::string::npos) << s.message();
  }
  ASSERT_TRUE(w->Insert({Value::Int(3), Value::Text("Beta"), Value::Int(-32767)}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  EXPECT_EQ(testing::ReadAll(path).size(), 2u);
}

// An index file without its tree gets one.
TEST(MadeIndexes, MissingTreeIsBuilt) {
  TempDir dir;
  const std::string path = testing::MakeCustomers(dir.path());
  std::filesystem::remove(dir.File("customers.yg0"));
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->Delete(3).ok());
  ASSERT_TRUE(w->Commit().ok());
  EXPECT_EQ(CheckSecondaryIndexes(path), "");
  const std::string yg0 = ReadFile(dir.File("customers.yg0"));
  ASSERT_GT(yg0.size(), 2048u);
  EXPECT_EQ(yg0[format::kFileType], format::kFileTypeCompositeTree);
}

// A table emptied and filled again: indexes without a block, then with one.
TEST(MadeIndexes, EmptiedTableHasEmptyIndexes) {
  TempDir dir;
  const std::string path = testing::MakeCustomers(dir.path());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  Record kept;
  ASSERT_TRUE(w->Get(50, &kept).ok());
  while (w->record_count() > 0) ASSERT_TRUE(w->Delete(0).ok());
  ASSERT_TRUE(w->Commit().ok());
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 3);
  ASSERT_TRUE(w->Insert(kept).ok());
  ASSERT_TRUE(w->Commit().ok());
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 3);
}

// A reader tells an index older than its table: put back an index file from
// before a commit and lookups stop trusting it, yet still answer right.
TEST(MadeIndexes, ReaderTellsAnIndexOlderThanItsTable) {
  TempDir dir;
  const std::string path = testing::MakeCustomers(dir.path());
  const std::string old_x = ReadFile(dir.File("customers.x07"));
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  Record r;
  ASSERT_TRUE(w->Get(10, &r).ok());
  r[6] = Value::Text("Nowhere");  // City, indexed by .x07
  ASSERT_TRUE(w->Update(10, r).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  testing::WriteFile(dir.File("customers.x07"), old_x);

  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 3u);
  EXPECT_TRUE(t->secondary_indexes()[1].status.ok());
  EXPECT_NE(t->secondary_indexes()[0].status.message().find("out of date"), std::string::npos)
      << t->secondary_indexes()[0].status.ToString();
  std::vector<uint32_t> found;
  bool used = true;
  ASSERT_TRUE(t->FindEqual(0, {Value::Text("Nowhere")}, &found, &used).ok());
  EXPECT_FALSE(used);
  EXPECT_EQ(found, std::vector<uint32_t>{10});
}

// A table without a key indexed by record number (the layout Paradox uses
// for those): records inserted anywhere and deleted keep the index right.
TEST(MadeIndexes, UnkeyedTableIndexedByRecordNumber) {
  TempDir dir;
  const std::string path = testing::MakeLedger(dir.path(), 40);
  EXPECT_EQ(CheckSecondaryIndexes(path), "");
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  ASSERT_TRUE(w->InsertAt(0, {Value::Text("first"), Value::Double(0)}).ok());
  ASSERT_TRUE(w->Delete(20).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  int checked = 0;
  EXPECT_EQ(CheckSecondaryIndexes(path, {}, &checked), "");
  EXPECT_EQ(checked, 2);
  ExpectLookupsAgreeWithScan(path);
}

}  // namespace
}  // namespace orba::pdx
