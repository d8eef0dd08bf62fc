// Paradox's own single-field indexes made again by this engine, compared
// with the files Paradox wrote ($ORBA_TESTDATA/paradox-secondary).
#include <gtest/gtest.h>

#include <filesystem>

#include "CreateIndexSupport.h"
#include "IndexCheck.h"
#include "TestSupport.h"
#include "paradox/Coding.h"
#include "paradox/Format.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::CheckSecondaryIndexes;
using testing::TempDir;

// Paradox's own single-field indexes, made again by this engine: reservat's
// index on CustNo (level 5, by primary key) comes out byte for byte as
// Paradox wrote its header, and with its entries in Paradox's order; an
// index by record number on a level-7 table is laid out as TypSammlung.X02.
// Under CUSTOMER's international sort order an alpha field is refused and a
// date accepted (an upper-case .DB gets an upper-case .X0A).
TEST(SampleCreateIndex, HeadersAndEntriesAreLaidOutAsParadoxsOwn) {
  TempDir dir_;
  const std::string root = testing::SecondaryIndexTestData();
  if (root.empty())
    GTEST_SKIP() << "tables with secondary indexes not present ($ORBA_TESTDATA/paradox-secondary)";
  // The positions whose bytes may differ, as [from, to) ranges.
  auto differing = [](const std::string& a, const std::string& b,
                      std::vector<std::pair<size_t, size_t>> may) {
    std::string out;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
      bool allowed = false;
      for (auto [from, to] : may) allowed = allowed || (i >= from && i < to);
      if (a[i] != b[i] && !allowed) out += std::to_string(i) + " ";
    }
    return a.size() == b.size() ? out : out + "size";
  };
  // Runtime pointers, the unknown word 0x12 and the update time differ in
  // any two files; counts, block numbers and stamps are the commit's.
  const std::vector<std::pair<size_t, size_t>> written = {{0x06, 0x14}, {0x16, 0x1E}, {0x2D, 0x2E},
                                                          {0x2F, 0x38}, {0x3A, 0x3C}, {0x60, 0x64}};

  testing::CopyTable(root + "/embarcadero-dbdemos", "reservat.db", dir_.path());
  const std::string theirs_x = ReadFile(dir_.File("reservat.x03"));
  const std::string theirs_y = ReadFile(dir_.File("reservat.y03"));
  std::filesystem::remove(dir_.File("reservat.x03"));
  std::filesystem::remove(dir_.File("reservat.y03"));
  const std::string reservat = dir_.File("reservat.db");
  ASSERT_TRUE(CreateSecondaryIndex(reservat, "CustNo").ok());
  const std::string ours_x = ReadFile(dir_.File("reservat.x03"));
  const std::string ours_y = ReadFile(dir_.File("reservat.y03"));
  const size_t x_real = GetU16(theirs_x.data() + format::kRealHeaderSize);
  const size_t fixed_and_descriptors = format::kExtendedHeaderEnd + 3 * 2;
  const size_t name_at = fixed_and_descriptors + 4 + 3 * 4;
  std::vector<std::pair<size_t, size_t>> allowed = written;
  allowed.push_back({fixed_and_descriptors, name_at + format::kTableNameLength3to5});  // pointers, name
  EXPECT_EQ(differing(ours_x.substr(0, 2048), theirs_x.substr(0, 2048), allowed), "");
  EXPECT_EQ(ours_x.substr(name_at, 13), std::string("reservat.x03\0", 13)) << "its own name";
  EXPECT_EQ(ours_x.substr(x_real - 6, 6), std::string("ascii\0", 6));
  // The tree: the .PX header form with its own name, stamps and 0x12, 0x49.
  EXPECT_EQ(differing(ours_y.substr(0, 0x58 + 4 + 4), theirs_y.substr(0, 0x58 + 4 + 4),
                      {{0x12, 0x14}, {0x2C, 0x2D}, {0x30, 0x38}, {0x49, 0x4D}, {0x5C, 0x60}}),
            "");
  std::unique_ptr<Table> ours, paradox;
  ASSERT_TRUE(Table::OpenIndexData(dir_.File("reservat.x03"), OpenOptions(), &ours).ok());
  testing::WriteFile(dir_.File("theirs.x03"), theirs_x);
  ASSERT_TRUE(Table::OpenIndexData(dir_.File("theirs.x03"), OpenOptions(), &paradox).ok());
  ASSERT_EQ(ours->record_count(), 100u);
  ASSERT_EQ(paradox->record_count(), 100u);
  for (uint32_t i = 0; i < 100; ++i) {
    std::string a, b;
    ASSERT_TRUE(ours->ReadRawRecord(i, &a).ok());
    ASSERT_TRUE(paradox->ReadRawRecord(i, &b).ok());
    EXPECT_EQ(a.substr(0, 8), b.substr(0, 8)) << "entry " << i << ": CustNo, ResNo";
  }
  std::filesystem::remove(dir_.File("theirs.x03"));
  EXPECT_EQ(CheckSecondaryIndexes(reservat), "") << "reservat.x02 kept up to date beside it";

  // By record number, level 7: a table shaped like TypSammlung's first two
  // fields, under "ascii" rather than ANSIINTL (three bytes shorter).
  const std::string ledger = dir_.File("ledger.db");
  ASSERT_TRUE(
      CreateTable(ledger, {FieldDef::Alpha("Alpha", 30), FieldDef::Number("Numerisch")}, CreateOptions())
          .ok());
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(AppendRecord(ledger, {Value::Text("a"), Value::Double(i * 3 - 4)}).ok());
  ASSERT_TRUE(CreateSecondaryIndex(ledger, "Numerisch").ok());
  const std::string typ = ReadFile(root + "/pxlib/TypSammlung.X02");
  const std::string mine = ReadFile(dir_.File("ledger.x02"));
  allowed = written;
  allowed.insert(allowed.end(), {{0x29, 0x2A}, {0x2E, 0x2F}, {0x49, 0x4D}, {0x51, 0x53}, {0x6E, 0x70}});
  EXPECT_EQ(differing(mine.substr(0, format::kExtendedHeaderEnd + 8),
                      typ.substr(0, format::kExtendedHeaderEnd + 8), allowed),
            "");
  EXPECT_EQ(GetU16(mine.data() + format::kRealHeaderSize), GetU16(typ.data() + format::kRealHeaderSize) - 3);
  EXPECT_EQ(GetU16(mine.data() + format::kUnknown6E), GetU16(typ.data() + format::kUnknown6E) - 3);
  const size_t names = format::kExtendedHeaderEnd + 8 + 4 + 16 + format::kTableNameLength7;
  EXPECT_EQ(mine.substr(names, 36 + 8), typ.substr(names, 36 + 8)) << "field names and IDs";
  EXPECT_EQ(mine.substr(names + 44, 6), std::string("ascii\0", 6));
  EXPECT_EQ(CheckSecondaryIndexes(ledger), "");

  testing::CopyTable(root + "/paradoxdriver", "CUSTOMER.DB", dir_.path());
  const std::string customer = dir_.File("CUSTOMER.DB");
  std::filesystem::remove(dir_.File("CUSTOMER.X06"));
  std::filesystem::remove(dir_.File("CUSTOMER.Y06"));
  const auto before = Snapshot(dir_.path());
  const Status city = CreateSecondaryIndex(customer, "City");
  EXPECT_TRUE(city.IsNotSupported()) << city.ToString();
  EXPECT_NE(city.message().find("under sort order 'ANSII850'"), std::string::npos) << city.message();
  EXPECT_EQ(Snapshot(dir_.path()), before);
  ASSERT_TRUE(CreateSecondaryIndex(customer, "DateEntered").ok());
  const std::string x0a = ReadFile(dir_.File("CUSTOMER.X0A"));
  ASSERT_FALSE(x0a.empty());
  EXPECT_TRUE(std::filesystem::exists(dir_.File("CUSTOMER.Y0A")));
  EXPECT_EQ(x0a[format::kSortOrder], 0x11);
  EXPECT_EQ(GetU16(x0a.data() + format::kHiFieldId), 11) << "one past the highest field ID, 10";
  EXPECT_EQ(GetU16(x0a.data() + format::kUnknown6E), GetU16(x0a.data() + format::kRealHeaderSize) - 0x61);
  EXPECT_EQ(GetU32(x0a.data() + format::kAutoIncrement), 44u) << "the table's, as in CUSTOMER.X06";
  EXPECT_EQ(CheckSecondaryIndexes(customer), "");
  ExpectLookupsThroughIndex(customer, 9, {Value(), Value::Of(Date::FromYmd(2006, 2, 1))});
}

}  // namespace
}  // namespace orba::pdx
