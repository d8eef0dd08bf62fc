#include "MadeTables.h"

#include <gtest/gtest.h>

#include <memory>

#include "paradox/SecondaryIndex.h"
#include "paradox/TableWriter.h"

namespace orba::pdx::testing {
namespace {

// Names with mixed letter case and shared prefixes, so that case-blind and
// case-sensitive orders differ and ties happen.
std::string Word(int i) {
  static const char* const kWords[] = {"alpha", "Beta", "gamma", "Delta", "EPSILON", "zeta", "Eta", "theta"};
  return std::string(kWords[i % 8]) + (i % 3 == 0 ? "" : " " + std::to_string(i % 5));
}

void Create(const std::string& path, const std::vector<FieldDef>& fields, unsigned keys) {
  CreateOptions co;
  co.key_field_count = keys;
  const Status s = CreateTable(path, fields, co);
  ASSERT_TRUE(s.ok()) << s.ToString();
}

void Index(TableWriter& w, const std::vector<IndexedField>& fields, bool ignore_case,
           const std::string& name) {
  IndexDefinition def;
  def.fields = fields;
  def.ignore_case = ignore_case;
  def.name = name;
  const Status s = w.CreateIndex(def);
  ASSERT_TRUE(s.ok()) << name << ": " << s.ToString();
}

}  // namespace

std::string MakeCustomers(const std::string& dir, int records) {
  const std::string path = dir + "/customers.db";
  Create(path,
         {FieldDef::AutoInc("CustNo"), FieldDef::Alpha("Name", 30), FieldDef::Alpha("Contact", 20),
          FieldDef::Short("Terms"), FieldDef::Date("Since"), FieldDef::Money("Balance"),
          FieldDef::Alpha("City", 20), FieldDef::Memo("Notes", 10)},
         1);
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  if (!w) return path;
  for (int i = 0; i < records; ++i) {
    const Status s =
        w->Insert({Value(), Value::Text(Word(i * 5)), Value::Text(Word(i * 3 + 1)), Value::Int(i % 4 * 15),
                   Value::Of(Date::FromYmd(2000 + i % 20, 1 + i % 12, 1 + i % 28)),
                   Value::Double((i * 37) % 23 * 10.5 - 40), Value::Text(Word(i * 7) + " City"),
                   i % 4 == 0 ? Value() : Value::Text(std::string(i % 3 == 0 ? 700 : 8, 'a' + i % 26))});
    EXPECT_TRUE(s.ok()) << s.ToString();
  }
  EXPECT_TRUE(w->Commit().ok());
  EXPECT_TRUE(w->CreateIndex("City").ok());
  Index(*w, {{1, false}, {2, false}}, true, "ByName");
  Index(*w, {{5, true}, {6, false}}, true, "ByBalance");
  return path;
}

std::string MakeEveryType(const std::string& dir, int records) {
  const std::string path = dir + "/types.db";
  Create(path,
         {FieldDef::Alpha("Code", 8), FieldDef::Long("Line"), FieldDef::Short("Small"),
          FieldDef::Number("Real"), FieldDef::Money("Amount"), FieldDef::Date("Day"), FieldDef::Time("At"),
          FieldDef::Timestamp("Stamp"), FieldDef::Logical("Done"), FieldDef::Bytes("Raw", 6),
          FieldDef::AutoInc("Serial"), FieldDef::Alpha("Name", 24), FieldDef::Memo("Memo", 12),
          FieldDef::Binary("Data", 0), FieldDef::Graphic("Picture", 0)},
         2);
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  if (!w) return path;
  for (int i = 0; i < records; ++i) {
    const int64_t day_ms = (i * 7919LL) % 86400000;
    const Status s =
        w->Insert({Value::Text("C" + std::to_string(i % 13)), Value::Int(i * 17 - 900),
                   Value::Int((i * 311) % 65000 - 32500), Value::Double((i % 9) * 1.25 - 3.5),
                   Value::Double((i * 53) % 40 - 20.75),
                   Value::Of(Date::FromYmd(1990 + i % 40, 1 + i % 12, 1 + i % 28)),
                   Value::Of(Time{static_cast<int32_t>(day_ms)}),
                   Value::Of(Timestamp{(730000LL + i % 50) * 86400000 + day_ms}), Value::Bool(i % 3 == 0),
                   Value::Blob(std::string(1 + i % 6, static_cast<char>(i))), Value(), Value::Text(Word(i)),
                   Value::Text(i % 2 ? std::string(40 + i * 3, 'm') : "short"),
                   i % 5 ? Value() : Value::Blob(std::string(3000, static_cast<char>(i))),
                   i % 7 ? Value() : Value::Blob("BM" + std::string(100, 'p'))});
    EXPECT_TRUE(s.ok()) << s.ToString();
  }
  EXPECT_TRUE(w->Commit().ok());
  for (const char* field : {"Small", "Amount", "Day", "At", "Stamp", "Done"})
    EXPECT_TRUE(w->CreateIndex(field).ok()) << field;
  Index(*w, {{11, false}, {3, true}}, true, "NameRealDown");
  Index(*w, {{5, true}, {2, false}, {6, true}}, false, "DayDown");
  return path;
}

std::string MakeLedger(const std::string& dir, int records) {
  const std::string path = dir + "/ledger.db";
  Create(path, {FieldDef::Alpha("Text", 250), FieldDef::Number("Amount")}, 0);
  std::unique_ptr<TableWriter> w;
  EXPECT_TRUE(TableWriter::Open(path, WriteOptions(), &w).ok());
  if (!w) return path;
  for (int i = 0; i < records; ++i)
    EXPECT_TRUE(w->Insert({Value::Text("row " + Word(i)), Value::Double((i * 37) % 11 - 5)}).ok());
  EXPECT_TRUE(w->Commit().ok());
  EXPECT_TRUE(w->CreateIndex("Amount").ok());
  Index(*w, {{0, false}, {1, true}}, true, "TextAmount");
  return path;
}

}  // namespace orba::pdx::testing
