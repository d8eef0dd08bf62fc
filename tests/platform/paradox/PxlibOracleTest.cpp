// Tables written by this engine, read back by an independent reader (pxlib).
// Debian's pxlib aborts when a blob file is attached, so only tables without
// blob fields are compared here.
#include <gtest/gtest.h>
extern "C" {  // the C header does not declare its linkage
#include <paradox.h>
}

#include <cmath>

#include "IndexCheck.h"
#include "PxlibCheck.h"
#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

std::vector<FieldDef> AllWritableScalars() {
  return {FieldDef::Long("Id"),       FieldDef::Alpha("Name", 24), FieldDef::Short("Small"),
          FieldDef::Number("Amount"), FieldDef::Money("Price"),    FieldDef::Date("Due"),
          FieldDef::Logical("Paid"),  FieldDef::Bytes("Code", 6),  FieldDef::AutoInc("Seq"),
          FieldDef::Time("At"),       FieldDef::Timestamp("Stamp")};
}

Record Row(int i) {
  auto maybe = [&](int mod, Value v) { return i % mod == 0 ? Value() : v; };
  return {Value::Int(i * 3 - 500),
          maybe(7, Value::Text("Zeile " + std::to_string(i))),
          maybe(5, Value::Int(i % 2 ? -i : i)),
          maybe(6, Value::Double(i * 1.25 - 100)),
          maybe(4, Value::Double(i * 0.01)),
          maybe(9, Value::Of(Date::FromYmd(1990 + i % 40, 1 + i % 12, 1 + i % 28))),
          maybe(3, Value::Bool(i % 2 == 0)),
          maybe(8, Value::Blob(std::string("\x7F") + std::to_string(i))),
          Value(),
          maybe(10, Value::Of(Time{i * 1000})),
          maybe(11, Value::Of(Timestamp{63712489200000LL + i * 60000LL}))};
}

TEST(PxlibOracle, KeyedTableAcrossManyBlocks) {
  testing::TempDir dir;
  const std::string path = dir.File("oracle.db");
  CreateOptions co;
  co.key_field_count = 1;
  ASSERT_TRUE(CreateTable(path, AllWritableScalars(), co).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  for (int i = 400; i >= 1; --i) ASSERT_TRUE(w->Insert(Row(i)).ok());
  ASSERT_TRUE(w->Delete(10).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  auto rows = testing::ReadAll(path);
  ASSERT_EQ(rows.size(), 399u);
  CheckWithPxlib(path, rows, AllWritableScalars(), true);
}

// Inserts committed in place (blocks split at the front, in the middle and
// at the end, several commits, a keyed and an unkeyed table, each with and
// without a secondary index) leave tables pxlib reads record for record,
// and that our reader reads the same through the .PX and by walking the
// chain, with every index complete and in order.
TEST(PxlibOracle, TablesChangedInPlace) {
  for (int variant = 0; variant < 4; ++variant) {
    const bool keyed = variant < 2, indexed = variant % 2 == 1;  // a secondary index on Name
    testing::TempDir dir;
    const std::string path = dir.File("inplace.db");
    CreateOptions co;
    co.key_field_count = keyed ? 1 : 0;
    co.block_size_kib = 1;
    ASSERT_TRUE(CreateTable(path, AllWritableScalars(), co).ok());
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    for (int i = 100; i < 400; i += 2) ASSERT_TRUE(w->Insert(Row(i)).ok());
    ASSERT_TRUE(w->Commit().ok());
    if (indexed) {
      ASSERT_TRUE(w->CreateIndex("Name").ok());
    }
    for (int round = 0; round < 6; ++round) {
      w.reset();
      ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
      ASSERT_TRUE(w->in_place()) << "round " << round;
      for (int k = 0; k < 16; ++k) {
        ASSERT_TRUE(w->Insert(Row(99 - round * 16 - k)).ok());         // the front
        ASSERT_TRUE(w->Insert(Row(401 + round * 16 + k)).ok());        // the end
        ASSERT_TRUE(w->Insert(Row(101 + 2 * (round * 16 + k))).ok());  // between
      }
      ASSERT_TRUE(w->Commit().ok()) << "round " << round;
      ASSERT_EQ(w->commit_note(), "");
    }
    size_t removed = 0;
    if (keyed) {
      // Deletes that empty blocks (onto the free list) and an update.
      w.reset();
      ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
      for (; removed < 70; ++removed) ASSERT_TRUE(w->Delete(120).ok());
      Record r;
      ASSERT_TRUE(w->Get(5, &r).ok());
      r[1] = Value::Text("renamed");
      ASSERT_TRUE(w->Update(5, r).ok());
      // They wait in place, with a secondary index too (whose emptied X
      // blocks then make the commit a whole rewrite).
      ASSERT_TRUE(w->in_place());
      ASSERT_TRUE(w->Commit().ok());
      std::unique_ptr<Table> t;
      ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
      if (!indexed) {
        EXPECT_NE(t->header().first_free_block, 0) << "emptied blocks are on the free list";
      }
    }
    w.reset();
    auto rows = testing::ReadAll(path);
    ASSERT_EQ(rows.size(), 150u + 6 * 48u - removed);
    if (keyed) {
      EXPECT_EQ(rows[5][1].text(), "renamed");
      for (size_t i = 1; i < rows.size(); ++i) ASSERT_LT(rows[i - 1][0].int_value(), rows[i][0].int_value());
    }
    CheckWithPxlib(path, rows, AllWritableScalars(), keyed);
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
    EXPECT_EQ(t->placed_by_index(), keyed);
    uint32_t walked = 0;
    for (const Table::Block& b : t->blocks()) walked += b.records;
    EXPECT_EQ(walked, rows.size()) << "the chain holds every record";
    int checked = 0;
    EXPECT_EQ(testing::CheckSecondaryIndexes(path, {}, &checked), "");
    EXPECT_EQ(checked, indexed ? 1 : 0);
  }
}

TEST(PxlibOracle, UnkeyedTableAndTwoLevelIndex) {
  testing::TempDir dir;
  const std::string path = dir.File("plain.db");
  ASSERT_TRUE(CreateTable(path, AllWritableScalars(), CreateOptions()).ok());
  std::unique_ptr<TableWriter> w;
  ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  for (int i = 1; i <= 50; ++i) ASSERT_TRUE(w->Insert(Row(i)).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  CheckWithPxlib(path, testing::ReadAll(path), AllWritableScalars(), false);

  // Enough small records for more data blocks than one index block holds.
  const std::string big = dir.File("big.db");
  CreateOptions co;
  co.key_field_count = 1;
  std::vector<FieldDef> fields = {FieldDef::Long("K"), FieldDef::Alpha("V", 250)};
  ASSERT_TRUE(CreateTable(big, fields, co).ok());
  ASSERT_TRUE(TableWriter::Open(big, WriteOptions(), &w).ok());
  for (int i = 1; i <= 3000; ++i)
    ASSERT_TRUE(w->Insert({Value::Int(i), Value::Text(std::string(200, 'a' + i % 26))}).ok());
  ASSERT_TRUE(w->Commit().ok());
  w.reset();
  std::unique_ptr<Table> t;
  ASSERT_TRUE(Table::Open(big, OpenOptions(), &t).ok());
  ASSERT_TRUE(t->index_status().ok());
  uint32_t at;
  bool found;
  ASSERT_TRUE(t->Find({Value::Int(2999)}, &at, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(at, 2998u);
  CheckWithPxlib(big, testing::ReadAll(big), fields, true);
}

// Tables given secondary indexes, with and without a key: pxlib reads the
// .DB (and accepts the .PX) as before, and again after a later change.
TEST(PxlibOracle, TablesGivenSecondaryIndexes) {
  for (unsigned keys : {1u, 0u}) {
    testing::TempDir dir;
    const std::string path = dir.File("indexed.db");
    CreateOptions co;
    co.key_field_count = keys;
    ASSERT_TRUE(CreateTable(path, AllWritableScalars(), co).ok());
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
    for (int i = 300; i >= 1; --i) ASSERT_TRUE(w->Insert(Row(i)).ok());
    ASSERT_TRUE(w->Commit().ok());
    for (const char* field : {"Name", "Amount", "Due", "Paid"})
      ASSERT_TRUE(w->CreateIndex(field).ok()) << field;
    CheckWithPxlib(path, testing::ReadAll(path), AllWritableScalars(), keys > 0);
    ASSERT_TRUE(w->Insert(Row(301)).ok());
    ASSERT_TRUE(w->Delete(17).ok());
    ASSERT_TRUE(w->Commit().ok());
    w.reset();
    int checked = 0;
    EXPECT_EQ(testing::CheckSecondaryIndexes(path, {}, &checked), "");
    EXPECT_EQ(checked, 4);
    CheckWithPxlib(path, testing::ReadAll(path), AllWritableScalars(), keys > 0);
  }
}

}  // namespace
}  // namespace orba::pdx
