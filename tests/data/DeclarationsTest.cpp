// The tables of the data modules against their own copy of the data model
// (tests/support/oracles/tables.tsv and keys.tsv), written out apart from
// the program's declarations: a field renamed, retyped, resized, moved or
// made optional shows here, and so does a table file that the declaration
// does not make as declared.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "DataModules.h"
#include "Oracle.h"
#include "paradox/Field.h"
#include "paradox/Table.h"

using namespace orba::data;

namespace {

// One of each data module, as the desktop creates them at start-up.
struct Modules {
  TUserDataModule user;
  TCo_DataModule co;
  TGl_DataModule gl;
  TAr_DataModule ar;
  TAp_DataModule ap;
  TEmp_DataModule emp;
  TInvDataModule inv;

  // "UserDataModule.User_table" to the table component, or nullptr.
  Table* table(const QString& qualified) {
    const QString module = qualified.section('.', 0, 0);
    const QString component = qualified.section('.', 1);
    for (DataModule* m : std::initializer_list<DataModule*>{&user, &co, &gl, &ar, &ap, &emp, &inv})
      if (m->objectName() == module) return qobject_cast<Table*>(m->components().find(component));
    return nullptr;
  }
};

}  // namespace

TEST(Declarations, EveryTableOfTheDataModulesDeclaresTheFieldsOfTheDataModel) {
  Modules modules;
  for (const QString& name : oracle::tables()) {
    SCOPED_TRACE(name.toStdString());
    Table* table = modules.table(name);
    ASSERT_NE(table, nullptr);
    const std::vector<oracle::Field> expected = oracle::fieldsOf(name);
    EXPECT_EQ(table->tableName(), expected.front().file);
    const TableSpec* declared = table->declaration();
    ASSERT_NE(declared, nullptr);
    ASSERT_EQ(declared->fields.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const FieldSpec& f = declared->fields[i];
      const oracle::Field& o = expected[i];
      SCOPED_TRACE(o.name.toStdString());
      EXPECT_EQ(QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size())), o.name);
      EXPECT_EQ(f.type, o.type);
      EXPECT_EQ(f.size, o.size);
      EXPECT_EQ(f.required, o.required);
      EXPECT_EQ(f.calculated, o.calculated);
    }
    const auto key = oracle::keys().find(name);
    if (key != oracle::keys().end()) {
      EXPECT_EQ(declared->keyFields, key->second);
    }
  }
}

// What a table made from its declaration holds on disk, read back by the
// storage engine: the stored fields in order, with their types and sizes,
// the calculated ones left out, and the key the data model gives it.
TEST(Declarations, ATableMadeFromItsDeclarationHoldsTheDataModelsFields) {
  Modules modules;
  for (const QString& name : oracle::tables()) {
    SCOPED_TRACE(name.toStdString());
    QTemporaryDir dir;
    Table* table = modules.table(name);
    ASSERT_NE(table, nullptr);
    Table made("Made");
    made.declare(*table->declaration());
    made.setDatabaseName(dir.path());
    made.createTable();
    std::unique_ptr<orba::pdx::Table> file;
    ASSERT_TRUE(orba::pdx::Table::Open(made.filePath().toStdString(), {}, &file).ok());
    std::vector<oracle::Field> stored;
    for (const oracle::Field& f : oracle::fieldsOf(name))
      if (!f.calculated) stored.push_back(f);
    ASSERT_EQ(file->fields().size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
      const orba::pdx::FieldDef& f = file->fields()[i];
      SCOPED_TRACE(stored[i].name.toStdString());
      EXPECT_EQ(QString::fromStdString(f.name), stored[i].name);
      EXPECT_EQ(orba::pdx::FieldTypeLetter(f.type), stored[i].type);
      // Alpha and bytes fields store their length; memo and blob fields the
      // part kept in the record after the blob's 10-byte descriptor.
      if (stored[i].size > 0) {
        EXPECT_EQ(orba::pdx::IsBlobType(f.type) ? f.size - 10 : f.size, stored[i].size);
      }
    }
    const auto key = oracle::keys().find(name);
    if (key != oracle::keys().end()) {
      EXPECT_EQ(file->key_field_count(), static_cast<unsigned>(key->second));
    }
  }
}
