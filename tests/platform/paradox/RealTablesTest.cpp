// Every shared real table opens and reads with the facts its README states.
#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "paradox/Table.h"

namespace orba::pdx {
namespace {

using testing::ParadoxTestData;

struct Expected {
  const char* path;
  uint8_t version;
  uint16_t code_page;
  uint32_t records;
  unsigned keys;
  const char* types;
  std::map<std::string, int> nulls;  // fields not listed have no NULL
};

const Expected kTables[] = {
    {"embarcadero-dbdemos/biolife.db", 0x09, 437, 28, 1, "NAAANNMG", {}},
    {"embarcadero-dbdemos/events.db",
     0x0b,
     437,
     23,
     1,
     "+IADTM$G",
     {{"VenueNo", 6}, {"Event_Description", 7}}},
    {"embarcadero-dbdemos/orders.db",
     0x0b,
     437,
     205,
     1,
     "NN@@IAAAAAAAAAAAA$N$$",
     {{"ShipToContact", 204},
      {"ShipToAddr1", 203},
      {"ShipToAddr2", 204},
      {"ShipToCity", 203},
      {"ShipToState", 204},
      {"ShipToZip", 203},
      {"ShipToCountry", 203},
      {"ShipToPhone", 203},
      {"PO", 204}}},
    {"embarcadero-dbdemos/items.db", 0x0b, 437, 945, 2, "NNNIN", {}},
    {"embarcadero-dbdemos/reservat.db",
     0x0b,
     437,
     100,
     1,
     "+III$AADMDL",
     {{"Card_No", 18}, {"Pay_Notes", 100}, {"Paid", 18}}},
    {"embarcadero-dbdemos/country.db", 0x09, 850, 18, 1, "AAANN", {}},
    {"paradoxdriver/bcd.db", 0x0b, 850, 3, 0, "###", {{"B", 1}}},
    {"paradoxdriver/bytes.db", 0x0b, 850, 1, 0, "Y", {}},
    {"paradoxdriver/date35.db", 0x04, 437, 3, 0, "D", {}},
    {"paradoxdriver/fmemo.db", 0x0b, 850, 2, 1, "+F", {}},
    {"paradoxdriver/ole.db", 0x0b, 850, 1, 1, "+O", {}},
    {"paradoxdriver/GENERAL.DB", 0x0b, 936, 3, 1, "IA$", {}},
    {"paradoxdriver/RENTAL.DB", 0x03, 437, 198, 3, "DAAA$AAD", {{"Date Returned", 72}}},
    {"paradoxdriver/tblsttes.DB",
     0x0c,
     437,
     58,
     1,
     "AAAAADSSSIIII",
     {{"Time Zone", 9},
      {"Capital", 7},
      {"Year Settled", 7},
      {"Date Admitted", 8},
      {"Admitted Order", 8},
      {"Long", 10},
      {"Wide", 9},
      {"Area SQ MI Land", 7},
      {"Area SQ MI Water", 7},
      {"Area SQ MI Land + Water", 7},
      {"Rank in Area", 7}}},
    {"paradoxdriver/ZIPCODES.DB", 0x09, 437, 43185, 1, "AAA", {}},
    {"rparadox/TypSammlung.DB",
     0x0c,
     1252,
     5,
     2,
     "AN$SI#DT@ML+BY",
     {{"Integer kurz", 2},
      {"Integer lang", 2},
      {"Datum", 2},
      {"Zeit", 2},
      {"Memo", 4},
      {"Logisch", 3},
      {"Binär", 5},
      {"Bytes", 5}}},
    // The README lists a field "метк"; the header's bytes (AC A5 E2 AA A0)
    // spell "метка".
    {"rparadox/of_cp866.db",
     0x09,
     866,
     2197,
     0,
     "AAAADNNAAAAAAAAAAAA",
     {{"Группа для переоценки", 2197},
      {"Код по ОКОФ", 388},
      {"Дата приобретения", 1},
      {"Служебные отметки", 348},
      {"Отметка о списании", 1791},
      {"Заводской номер", 907},
      {"метка", 2197} /* README: "метк"; the header spells метка */,
      {"Наименование КОМ", 2197},
      {"Адрес", 2197},
      {"Площадь", 2197},
      {"На счет 2", 533},
      {"Назначение", 402},
      {"Примечание", 381},
      {"Основной счет", 525},
      {"Мол", 533}}},
    {"rparadox/empty.db", 0x0c, 1252, 0, 0, "IAAAAMG", {}},
};

class RealTables : public ::testing::TestWithParam<Expected> {};

TEST_P(RealTables, HeaderFieldsRecordsAndNulls) {
  const std::string dir = ParadoxTestData();
  if (dir.empty()) GTEST_SKIP() << "sample files not present ($ORBA_TESTDATA/paradox)";
  const Expected& e = GetParam();
  std::unique_ptr<Table> t;
  Status s = Table::Open(dir + "/" + e.path, OpenOptions(), &t);
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(t->header().version, e.version);
  EXPECT_EQ(t->code_page(), e.code_page);
  EXPECT_EQ(t->record_count(), e.records);
  EXPECT_EQ(t->key_field_count(), e.keys);
  std::string types;
  for (const auto& f : t->fields()) types.push_back(FieldTypeLetter(f.type));
  EXPECT_EQ(types, e.types);

  // The README's NULL counts come from pxlib, which never reports NULL for
  // N, $, @ and # fields. For those the expectation is the format's own rule
  // (all 8 bytes zero; bit 6 of a BCD's first byte clear), counted on the raw
  // bytes here.
  auto pxlib_blind = [](FieldType t) {
    return t == FieldType::kNumber || t == FieldType::kMoney || t == FieldType::kTimestamp ||
           t == FieldType::kBcd;
  };
  const size_t nf = t->fields().size();
  std::vector<int> nulls(nf, 0), raw_nulls(nf, 0);
  Record r;
  std::string raw;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    s = t->ReadRecord(i, &r);
    ASSERT_TRUE(s.ok()) << s.ToString();
    ASSERT_TRUE(t->ReadRawRecord(i, &raw).ok());
    size_t off = 0;
    for (size_t f = 0; f < nf; ++f) {
      const FieldDef& fd = t->fields()[f];
      nulls[f] += r[f].is_null();
      const size_t w = PhysicalSize(fd);
      if (fd.type == FieldType::kBcd)
        raw_nulls[f] += (raw[off] & 0x40) == 0;
      else
        raw_nulls[f] += raw.compare(off, w, std::string(w, '\0')) == 0;
      off += w;
    }
  }
  for (size_t f = 0; f < nf; ++f) {
    const std::string& name = t->fields()[f].name;
    auto it = e.nulls.find(name);
    const int expected = pxlib_blind(t->fields()[f].type) ? raw_nulls[f]
                         : it == e.nulls.end()            ? 0
                                                          : it->second;
    EXPECT_EQ(nulls[f], expected) << "field " << name;
  }
  for (const auto& [name, count] : e.nulls) EXPECT_GE(t->FieldIndex(name), 0) << name;
}

INSTANTIATE_TEST_SUITE_P(Shared, RealTables, ::testing::ValuesIn(kTables), [](const auto& info) {
  std::string n = info.param.path;
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

class RealValues : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ParadoxTestData();
    if (dir_.empty()) GTEST_SKIP() << "sample files not present ($ORBA_TESTDATA/paradox)";
  }
  std::unique_ptr<Table> Open(const std::string& rel, OpenOptions o = {}) {
    std::unique_ptr<Table> t;
    Status s = Table::Open(dir_ + "/" + rel, o, &t);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return t;
  }
  std::string dir_;
};

TEST_F(RealValues, TypSammlungSecondRecordHasEveryEncoding) {
  auto t = Open("rparadox/TypSammlung.DB");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->fields()[2].name, "Währung");
  EXPECT_EQ(t->fields()[13].size, 255);
  EXPECT_FALSE(t->index_status().ok());  // no .PX ships with it
  std::vector<Record> rows;
  for (uint32_t i = 0; i < t->record_count(); ++i) {
    Record r;
    ASSERT_TRUE(t->ReadRecord(i, &r).ok());
    rows.push_back(r);
  }
  const Record* z = nullptr;
  for (const auto& r : rows)
    if (!r[0].is_null() && r[0].text() == "Zweite Zeile") z = &r;
  ASSERT_NE(z, nullptr);
  const Record& r = *z;
  EXPECT_EQ(r[1], Value::Double(-40.0));
  EXPECT_EQ(r[2], Value::Double(-40.0));
  EXPECT_EQ(r[3], Value::Int(-40));
  EXPECT_EQ(r[4], Value::Int(-40));
  EXPECT_EQ(r[5], Value::Double(-40.0));
  EXPECT_EQ(r[6], Value::Of(Date::FromYmd(1999, 9, 9)));
  EXPECT_EQ(r[7], Value::Of(Time{40271000}));
  EXPECT_EQ(r[8].ToString(), "2003-06-10 11:11:11");
  EXPECT_TRUE(r[9].is_null());
  EXPECT_EQ(r[10], Value::Bool(true));
  EXPECT_EQ(r[11], Value::Int(2));
  EXPECT_TRUE(r[12].is_null());
  EXPECT_TRUE(r[13].is_null());
  // A negative date (-366) and the only memo kept in the .MB (40 bytes).
  bool negative_date = false;
  size_t memo_len = 0;
  for (const auto& row : rows) {
    if (!row[6].is_null() && row[6].date().days == -366) negative_date = true;
    if (row[9].is_null()) continue;
    std::string stored;  // the README counts bytes in the table's code page
    ASSERT_TRUE(t->codec()->Encode(row[9].text(), &stored, "memo").ok());
    memo_len = std::max(memo_len, stored.size());
  }
  EXPECT_TRUE(negative_date);
  EXPECT_EQ(memo_len, 40u);
}

TEST_F(RealValues, BlobLengthsFromBothBlockKinds) {
  struct Case {
    const char* path;
    const char* field;
    size_t longest;
    size_t from_mb;
  };
  const Case cases[] = {
      {"embarcadero-dbdemos/biolife.db", "Notes", 886, 28},
      {"embarcadero-dbdemos/biolife.db", "Graphic", 38878, 28},
      {"embarcadero-dbdemos/events.db", "Event_Description", 159, 4},
      {"embarcadero-dbdemos/events.db", "Event_Photo", 27278, 23},
      {"paradoxdriver/fmemo.db", "FMEMO", 726, 2},
      {"paradoxdriver/ole.db", "OLE", 365928, 1},
  };
  for (const Case& c : cases) {
    auto t = Open(c.path);
    ASSERT_TRUE(t);
    int f = t->FieldIndex(c.field);
    ASSERT_GE(f, 0);
    const size_t leader = BlobLeader(t->fields()[f]);
    size_t longest = 0, beyond = 0;
    Record r;
    for (uint32_t i = 0; i < t->record_count(); ++i) {
      ASSERT_TRUE(t->ReadRecord(i, &r).ok());
      const Value& v = r[f];
      if (v.is_null()) continue;
      size_t n = v.kind() == Value::Kind::kText ? v.text().size() : v.bytes().data.size();
      longest = std::max(longest, n);
      beyond += n > leader;
    }
    EXPECT_EQ(longest, c.longest) << c.path << " " << c.field;
    EXPECT_EQ(beyond, c.from_mb) << c.path << " " << c.field;
  }
  auto bio = Open("embarcadero-dbdemos/biolife.db");
  Record r;
  ASSERT_TRUE(bio->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[7].bytes().data.substr(0, 2), "BM");  // prefix removed
}

TEST_F(RealValues, SpecificValuesStatedForTheSamples) {
  auto general = Open("paradoxdriver/GENERAL.DB");
  uint32_t idx = 0;
  bool found = false;
  ASSERT_TRUE(general->Find({Value::Int(333333333)}, &idx, &found).ok());
  EXPECT_TRUE(found);

  auto states = Open("paradoxdriver/tblsttes.DB");
  std::map<std::string, std::string> admitted;
  Record r;
  for (uint32_t i = 0; i < states->record_count(); ++i) {
    ASSERT_TRUE(states->ReadRecord(i, &r).ok());
    if (!r[5].is_null()) admitted[r[0].text()] = r[5].ToString();
  }
  EXPECT_EQ(admitted["DE"], "1787-12-07");
  EXPECT_EQ(admitted["CA"], "1850-09-09");
  EXPECT_EQ(admitted["HI"], "1959-08-21");

  auto bcd = Open("paradoxdriver/bcd.db");
  ASSERT_TRUE(bcd->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[0], Value::Double(1.23));
  EXPECT_EQ(r[2], Value::Double(0.123));
  ASSERT_TRUE(bcd->ReadRecord(1, &r).ok());
  EXPECT_EQ(r[0], Value::Double(-1.23));

  auto bytes = Open("paradoxdriver/bytes.db");
  ASSERT_TRUE(bytes->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[0].bytes().data, std::string("1\0"
                                           "2\0"
                                           "3",
                                           5));

  auto orders = Open("embarcadero-dbdemos/orders.db");
  ASSERT_TRUE(orders->ReadRecord(0, &r).ok());
  EXPECT_EQ(r[0], Value::Double(1003));
  EXPECT_EQ(r[2].ToString(), "1988-04-12 00:00:00");

  auto reservat = Open("embarcadero-dbdemos/reservat.db");
  EXPECT_EQ(reservat->header().auto_increment, 108u);
}

TEST_F(RealValues, ParadoxThreeAndFourCopiesDecodeIdentically) {
  // of.db (3.5) has no code page; its sort order byte selects cp866.
  auto v35 = Open("rparadox/of.db");
  auto v4 = Open("rparadox/of_cp866.db");
  ASSERT_TRUE(v35 && v4);
  EXPECT_EQ(v35->code_page(), 866);
  ASSERT_EQ(v35->record_count(), v4->record_count());
  EXPECT_EQ(v35->fields(), v4->fields());
  Record a, b;
  for (uint32_t i = 0; i < v4->record_count(); ++i) {
    ASSERT_TRUE(v35->ReadRecord(i, &a).ok());
    ASSERT_TRUE(v4->ReadRecord(i, &b).ok());
    ASSERT_EQ(a, b) << "record " << i;
  }
}

TEST_F(RealValues, KeyedTablesAreInKeyOrderAndFindAgreesWithTheIndex) {
  for (const char* rel : {"paradoxdriver/ZIPCODES.DB", "embarcadero-dbdemos/items.db",
                          "paradoxdriver/RENTAL.DB", "embarcadero-dbdemos/country.db"}) {
    auto t = Open(rel);
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->index_status().ok()) << t->index_status().ToString();
    std::string prev, raw;
    for (uint32_t i = 0; i < t->record_count(); i += 97) {
      ASSERT_TRUE(t->ReadRawRecord(i, &raw).ok());
      std::string key = raw.substr(0, t->key_size());
      EXPECT_LT(prev, key) << rel << " record " << i;
      prev = key;
      Record r;
      ASSERT_TRUE(t->ReadRecord(i, &r).ok());
      std::vector<Value> k(r.begin(), r.begin() + t->key_field_count());
      uint32_t at = 0;
      bool found = false;
      ASSERT_TRUE(t->Find(k, &at, &found).ok());
      EXPECT_TRUE(found);
      EXPECT_EQ(at, i) << rel;
    }
  }
}

TEST_F(RealValues, EncryptedTablesAreRefusedNotMisread) {
  for (const char* rel :
       {"paradoxdriver/encrypted.db", "paradoxdriver/encrypted35.db", "paradoxdriver/encryptedmemo.db"}) {
    std::unique_ptr<Table> t;
    Status s = Table::Open(dir_ + "/" + rel, OpenOptions(), &t);
    EXPECT_TRUE(s.IsNotSupported()) << rel << ": " << s.ToString();
    EXPECT_NE(s.message().find("password-protected"), std::string::npos);
    EXPECT_NE(s.message().find(BaseName(rel)), std::string::npos);
  }
}

}  // namespace
}  // namespace orba::pdx
