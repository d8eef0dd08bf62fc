// Paradox's own tables, changed by this engine, read back by pxlib.
#include "IndexCheck.h"
#include "PxlibCheck.h"

namespace orba::pdx {
namespace {

// Paradox's own tables with secondary indexes, changed by this engine (each
// index rebuilt with the table): pxlib reads the .DB with the values we read
// and accepts the .PX. (Tables with a blob file are left out, see above.)
TEST(PxlibOracle, TablesWithSecondaryIndexesChangedByUs) {
  const std::string root = testing::SecondaryIndexTestData();
  if (root.empty())
    GTEST_SKIP() << "tables with secondary indexes not present ($ORBA_TESTDATA/paradox-secondary)";
  const std::pair<const char*, const char*> tables[] = {{"embarcadero-dbdemos", "items.db"},
                                                        {"embarcadero-dbdemos", "parts.db"},
                                                        {"paradox-reader", "zakazky.db"},
                                                        {"database-samples", "SearchIndex.db"}};
  for (const auto& [folder, db] : tables) {
    testing::TempDir dir;
    testing::CopyTable(root + "/" + folder, db, dir.path());
    const std::string path = dir.File(db);
    std::unique_ptr<TableWriter> w;
    ASSERT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok()) << db;
    const std::vector<FieldDef> fields = w->fields();
    const size_t key = 0;  // a number or an autoincrement in each of these
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::Open(path, OpenOptions(), &t).ok());
    const size_t keys = t->key_field_count();
    for (uint32_t i = 0; i < 5; ++i) {
      Record r;
      ASSERT_TRUE(w->Get(i * 3 % w->record_count(), &r).ok());
      r[key] = fields[key].type == FieldType::kAutoInc ? Value() : Value::Double(500000 + i);
      ASSERT_TRUE(w->Insert(r).ok()) << db;
    }
    Record r, other;
    ASSERT_TRUE(w->Get(1, &r).ok());
    ASSERT_TRUE(w->Get(w->record_count() - 1, &other).ok());
    for (size_t f = keys; f < r.size(); ++f) r[f] = other[f];
    ASSERT_TRUE(w->Update(1, r).ok()) << db;
    ASSERT_TRUE(w->Delete(2).ok());
    ASSERT_TRUE(w->Commit().ok()) << db;
    w.reset();
    EXPECT_EQ(testing::CheckSecondaryIndexes(path), "") << db;
    CheckWithPxlib(path, testing::ReadAll(path), fields, true);
  }
}

}  // namespace
}  // namespace orba::pdx
