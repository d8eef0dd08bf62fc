// The list maintenance library on real tables on disk: its record store
// driven directly (checks before writing, duplicates, records changed or
// deleted by another workstation), and the library itself loaded under its
// option names the way the desktop loads it, its windows
// filled in and clicked through as a user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "Amounts.h"
#include "LoadedModule.h"
#include "ModalScript.h"
#include "ModuleLink.h"
#include "RecordStore.h"
#include "Table.h"
#include "TableSchemas.h"

using orba::lists::FormValues;
using orba::lists::Outcome;
using orba::lists::Record;
using orba::lists::RecordStore;
using P = Outcome::Problem;
namespace sc = orba::data::schemas;

namespace {

// Creates the table when missing and adds rows to it, field by field.
void addRows(const orba::data::TableSpec& shape, const QString& dir,
             const QList<QList<std::pair<QString, QVariant>>>& rows) {
  orba::data::Table t("Maker");
  t.declare(shape);
  t.setDatabaseName(dir);
  if (!t.exists()) t.createTable();
  t.open();
  for (const auto& row : rows) {
    t.append();
    for (const auto& [field, value] : row) t.setValue(field, value);
    t.post();
  }
  t.close();
}

// What another workstation does: changes one field of the record with this
// key, or deletes it.
void changeElsewhere(const orba::data::TableSpec& shape, const QString& dir, const QVariantList& key,
                     const QString& field, const QVariant& value) {
  orba::data::Table t("Elsewhere");
  t.declare(shape);
  t.setDatabaseName(dir);
  t.open();
  ASSERT_TRUE(t.findKey(key));
  t.edit();
  t.setValue(field, value);
  t.post();
}
void deleteElsewhere(const orba::data::TableSpec& shape, const QString& dir, const QVariantList& key) {
  orba::data::Table t("Elsewhere");
  t.declare(shape);
  t.setDatabaseName(dir);
  t.open();
  ASSERT_TRUE(t.findKey(key));
  t.deleteRecord();
}

// One field of every record of a table, in file order.
QStringList column(const orba::data::TableSpec& shape, const QString& dir, const QString& field) {
  orba::data::Table t("Reader");
  t.declare(shape);
  t.setDatabaseName(dir);
  t.open();
  QStringList out;
  for (t.first(); !t.eof(); t.next()) out << t.text(field);
  return out;
}

FormValues client(const QString& code, const QString& name, const QString& city = {}) {
  return {{"Cli_code", code}, {"Cli_name", name}, {"Cli_city", city}};
}

}  // namespace

// ---------------------------------------------------------------------------
// The record store

class RecordStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    addRows(sc::Ar_Table, dir.path(),
            {{{"Cli_code", "C001"}, {"Cli_name", "Pharmacie Gagnon"}, {"Cli_current_bal", 125.5}},
             {{"Cli_code", "C002"}, {"Cli_name", "Mitchell Construction"}}});
  }
  QStringList codes() const { return column(sc::Ar_Table, dir.path(), "Cli_code"); }
  const orba::lists::ListDefinition& def(const char* option) const {
    return *orba::lists::definitionFor(QString::fromLatin1(option));
  }
};

TEST_F(RecordStoreTest, RefusesWhatTheTableCannotTakeBeforeWritingAnything) {
  RecordStore store(def("ar01"), dir.path());
  Outcome o = store.add(client("  ", "Nobody"));
  EXPECT_EQ(o.problem, P::Required);
  EXPECT_EQ(o.field, "Cli_code");
  // The sizes are the file's: the name holds 60 characters, the code 10.
  o = store.add(client("C003", QString(61, 'x')));
  EXPECT_EQ(o.problem, P::TooLong);
  EXPECT_EQ(o.field, "Cli_name");
  EXPECT_EQ(o.size, 60);
  EXPECT_EQ(store.add(client("C0000000003", "Too long a code")).problem, P::TooLong);
  EXPECT_EQ(codes(), QStringList({"C001", "C002"}));
  // Exactly the size is fine, and surrounding blanks are not kept.
  ASSERT_TRUE(store.add(client(" C003 ", QString(60, 'y'))).ok());
  EXPECT_EQ(codes(), QStringList({"C001", "C002", "C003"}));

  addRows(sc::Gl_Table, dir.path(), {});
  RecordStore accounts(def("gl01"), dir.path());
  FormValues account = {{"Glm_account", "10a"}, {"Glm_Description", "Cash"}, {"Glm_summarize", "N"}};
  EXPECT_EQ(accounts.add(account).problem, P::NotWhole);
  account[0].second = "3000000000";  // beyond a long integer
  EXPECT_EQ(accounts.add(account).problem, P::NotWhole);
  account[0].second = "1010";
  account[1].second = "";
  EXPECT_EQ(accounts.add(account).problem, P::Required) << "the table requires a description";
  account[1].second = "Cash";
  ASSERT_TRUE(accounts.add(account).ok());
  EXPECT_EQ(column(sc::Gl_Table, dir.path(), "Glm_account"), QStringList{"1010"});

  addRows(sc::IvprodTable, dir.path(), {});
  RecordStore products(def("iv01"), dir.path());
  FormValues product = {{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-100"}, {"Ivprod_price1", "abc"}};
  Outcome bad = products.add(product);
  EXPECT_EQ(bad.problem, P::NotNumber);
  EXPECT_EQ(bad.field, "Ivprod_price1");
  product[2].second = "12.75";
  Record stored;
  ASSERT_TRUE(products.add(product, &stored).ok());
  EXPECT_DOUBLE_EQ(products.value(stored, "Ivprod_price1").toDouble(), 12.75);
}

TEST(Amounts, EitherNotationIsANumberAndNothingElseIs) {
  using orba::lists::parseTypedNumber;
  const struct {
    const char* typed;
    double value;
    int decimals;
  } good[] = {{"12.50", 12.5, 1},
              {"12,50", 12.5, 1},
              {"1 234,56", 1234.56, 2},
              {"1,234.56", 1234.56, 2},
              {"1.234,56", 1234.56, 2},
              {"1,234,567", 1234567, 0},
              {"-5", -5, 0},
              {"+7,25", 7.25, 2},
              {",5", 0.5, 1},
              {"12.345", 12.345, 3},
              {"12.340", 12.34, 2},
              {"1\u00a0000", 1000, 0}};
  for (const auto& g : good) {
    SCOPED_TRACE(g.typed);
    const auto n = parseTypedNumber(QString::fromUtf8(g.typed));
    ASSERT_TRUE(n.has_value());
    EXPECT_DOUBLE_EQ(n->value, g.value);
    EXPECT_EQ(n->decimals, g.decimals);
  }
  for (const char* bad :
       {"1e3", "abc", "12,5,0.1.2", "--5", "5-", "", " ", ".", "1.2.3,4,5", "0x10", "12 abc"})
    EXPECT_FALSE(parseTypedNumber(QString::fromUtf8(bad)).has_value()) << bad;
  EXPECT_EQ(orba::lists::formatAmount(1234.5), "1,234.50");
  EXPECT_EQ(orba::lists::formatAmount(-5), "-5.00");
  EXPECT_EQ(orba::lists::formatAmount(4.5), "4.50");
  EXPECT_EQ(orba::lists::editableAmount(1000), "1000.00");
}

TEST_F(RecordStoreTest, AmountsTakeTheDecimalCommaAndKeepTheirCents) {
  addRows(sc::IvprodTable, dir.path(), {});
  RecordStore products(def("iv01"), dir.path());
  auto price = [&](const QString& typed, Record* stored = nullptr) {
    static int n = 0;
    return products.add({{"Ivprod_line_code", "BOL"},
                         {"Ivprod_item_code", QString("A-%1").arg(++n)},
                         {"Ivprod_price1", typed}},
                        stored);
  };
  Record stored;
  ASSERT_TRUE(price("12,50", &stored).ok());
  EXPECT_DOUBLE_EQ(products.value(stored, "Ivprod_price1").toDouble(), 12.5);
  ASSERT_TRUE(price("1 234,56", &stored).ok());
  EXPECT_DOUBLE_EQ(products.value(stored, "Ivprod_price1").toDouble(), 1234.56);
  // What an amount cannot hold is refused, with the field named.
  Outcome o = price("12.345");
  EXPECT_EQ(o.problem, P::TooManyDecimals);
  EXPECT_EQ(o.field, "Ivprod_price1");
  EXPECT_EQ(price("1e3").problem, P::NotNumber) << "not a way to write an amount";
  EXPECT_EQ(price("99999999999999").problem, P::TooLarge);
  EXPECT_EQ(column(sc::IvprodTable, dir.path(), "Ivprod_item_code").size(), 2)
      << "nothing refused was stored";
}

TEST_F(RecordStoreTest, KeysStayUniqueOnAddAndOnEdit) {
  RecordStore store(def("ar01"), dir.path());
  Outcome o = store.add(client("C001", "Another Gagnon"));
  EXPECT_EQ(o.problem, P::Duplicate);
  EXPECT_EQ(o.detail, "C001");
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_name"),
            QStringList({"Pharmacie Gagnon", "Mitchell Construction"}));
  // Renaming C002 to C001 is refused; to C005 it moves.
  const std::optional<Record> c002 = store.read({"C002"});
  ASSERT_TRUE(c002);
  EXPECT_EQ(store.update(*c002, client("C001", "Mitchell")).problem, P::Duplicate);
  EXPECT_EQ(codes(), QStringList({"C001", "C002"}));
  ASSERT_TRUE(store.update(*c002, client("C005", "Mitchell")).ok());
  EXPECT_EQ(codes(), QStringList({"C001", "C005"}));

  // A product's key is its line and item together.
  addRows(sc::IvprodTable, dir.path(), {{{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-100"}}});
  RecordStore products(def("iv01"), dir.path());
  EXPECT_TRUE(products.add({{"Ivprod_line_code", "VIS"}, {"Ivprod_item_code", "B-100"}}).ok());
  o = products.add({{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-100"}});
  EXPECT_EQ(o.problem, P::Duplicate);
  EXPECT_EQ(o.detail, "BOL B-100");
  EXPECT_EQ(products.add({{"Ivprod_line_code", ""}, {"Ivprod_item_code", "B-200"}}).problem, P::Required);
}

TEST_F(RecordStoreTest, AChangeOrDeletionElsewhereIsNeverOverwritten) {
  RecordStore store(def("ar01"), dir.path());
  const std::optional<Record> loaded = store.read({"C001"});
  ASSERT_TRUE(loaded);
  changeElsewhere(sc::Ar_Table, dir.path(), {"C001"}, "Cli_city", "Laval");
  EXPECT_EQ(store.update(*loaded, client("C001", "Pharmacie Gagnon inc.")).problem, P::Changed);
  EXPECT_EQ(store.remove(*loaded).problem, P::Changed);
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_city"), QStringList({"Laval", ""}));
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_name"),
            QStringList({"Pharmacie Gagnon", "Mitchell Construction"}));

  // Read again, the edit goes through; the fields the form does not show
  // keep what the file holds.
  const std::optional<Record> again = store.read({"C001"});
  ASSERT_TRUE(again);
  Record stored;
  ASSERT_TRUE(store.update(*again, client("C001", "Pharmacie Gagnon inc.", "Laval"), &stored).ok());
  EXPECT_EQ(store.value(stored, "Cli_name"), "Pharmacie Gagnon inc.");
  EXPECT_DOUBLE_EQ(store.value(stored, "Cli_current_bal").toDouble(), 125.5);

  // A change elsewhere to a field the form does not show counts as well.
  changeElsewhere(sc::Ar_Table, dir.path(), {"C001"}, "Cli_current_bal", 0.0);
  EXPECT_EQ(store.update(stored, client("C001", "Gagnon")).problem, P::Changed);

  const std::optional<Record> c002 = store.read({"C002"});
  ASSERT_TRUE(c002);
  deleteElsewhere(sc::Ar_Table, dir.path(), {"C002"});
  EXPECT_EQ(store.update(*c002, client("C002", "Mitchell")).problem, P::Deleted);
  EXPECT_EQ(store.remove(*c002).problem, P::Deleted);
  EXPECT_EQ(codes(), QStringList{"C001"}) << "a deleted record is not written back";

  const std::optional<Record> c001 = store.read({"C001"});
  ASSERT_TRUE(c001);
  ASSERT_TRUE(store.remove(*c001).ok());
  EXPECT_TRUE(codes().isEmpty());
}

TEST_F(RecordStoreTest, ARecordThatStillCarriesAmountsOrStockIsNotDeleted) {
  RecordStore store(def("ar01"), dir.path());
  const std::optional<Record> c001 = store.read({"C001"});
  ASSERT_TRUE(c001);
  const Outcome o = store.remove(*c001);
  EXPECT_EQ(o.problem, P::HasAmounts);
  EXPECT_EQ(o.field, "Cli_current_bal");
  EXPECT_EQ(codes(), QStringList({"C001", "C002"}));

  addRows(sc::IvprodTable, dir.path(),
          {{{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-100"}},
           {{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-200"}}});
  addRows(
      sc::IvinvTable, dir.path(),
      {{{"Ivinv_Line_Code", "BOL"}, {"Ivinv_item_code", "B-100"}, {"Ivinv_store", 1}, {"Ivinv_qty1", 4.0}}});
  RecordStore products(def("iv01"), dir.path());
  const std::optional<Record> stocked = products.read({"BOL", "B-100"});
  const std::optional<Record> other = products.read({"BOL", "B-200"});
  ASSERT_TRUE(stocked && other);
  EXPECT_EQ(products.remove(*stocked).problem, P::InStock);
  EXPECT_TRUE(products.remove(*other).ok());
  EXPECT_EQ(column(sc::IvprodTable, dir.path(), "Ivprod_item_code"), QStringList{"B-100"});
}

TEST_F(RecordStoreTest, AChangeElsewhereAfterTheChecksIsRefusedByTheEngineAndReportedTheSameWay) {
  RecordStore store(def("ar01"), dir.path());
  const QString company = dir.path();
  std::optional<Record> loaded = store.read({"C001"});
  ASSERT_TRUE(loaded);
  store.setBeforeWrite([company] { changeElsewhere(sc::Ar_Table, company, {"C001"}, "Cli_city", "Gaspé"); });
  EXPECT_EQ(store.update(*loaded, client("C001", "Gagnon")).problem, P::Changed);
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_city"), QStringList({"Gaspé", ""}));
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_name")[0], "Pharmacie Gagnon");

  loaded = store.read({"C002"});
  ASSERT_TRUE(loaded);
  store.setBeforeWrite([company] { changeElsewhere(sc::Ar_Table, company, {"C002"}, "Cli_city", "Percé"); });
  EXPECT_EQ(store.remove(*loaded).problem, P::Changed);
  EXPECT_EQ(codes(), QStringList({"C001", "C002"}));

  store.setBeforeWrite([company] { addRows(sc::Ar_Table, company, {{{"Cli_code", "C009"}}}); });
  const Outcome o = store.add(client("C009", "Second comer"));
  EXPECT_EQ(o.problem, P::Duplicate);
  EXPECT_EQ(o.detail, "C009");
  EXPECT_EQ(codes(), QStringList({"C001", "C002", "C009"}));
  EXPECT_EQ(column(sc::Ar_Table, dir.path(), "Cli_name")[2], "") << "the first comer's record stays";

  // The store goes on working after a refusal.
  store.setBeforeWrite({});
  loaded = store.read({"C002"});
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(store.update(*loaded, client("C002", "Mitchell", "Gatineau")).ok());
}

// ---------------------------------------------------------------------------
// The library, loaded the way the desktop loads it

namespace {

template <typename T>
T* child(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << window->objectName().toStdString() << "." << name;
  return found;
}

void click(QWidget* window, const char* button) {
  if (auto* b = child<QPushButton>(window, button)) b->click();
}
void type(QWidget* window, const char* edit, const QString& text) { ModalScript::type(window, edit, text); }
QString problemOf(QWidget* form) {
  auto* label = child<QLabel>(form, "lblProblem");
  return label && !label->isHidden() ? label->text() : QString();
}
int visibleRows(QWidget* list) {
  auto* grid = child<QTableWidget>(list, "grdRecords");
  int n = 0;
  for (int r = 0; grid && r < grid->rowCount(); ++r) n += grid->isRowHidden(r) ? 0 : 1;
  return n;
}
void selectRow(QWidget* list, const QString& first) {
  auto* grid = child<QTableWidget>(list, "grdRecords");
  for (int r = 0; grid && r < grid->rowCount(); ++r)
    if (grid->item(r, 0)->text() == first) grid->selectRow(r);
}
// The answer to the module's message box: the button with this text.
void answer(QWidget* box, const QString& buttonText) {
  for (QAbstractButton* b : qobject_cast<QMessageBox*>(box)->buttons())
    if (b->text() == buttonText) return b->click();
  ADD_FAILURE() << "no button " << buttonText.toStdString();
}

class ListsLibraryTest : public ::testing::Test {
 protected:
  QTemporaryDir root;

  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    QDir().mkpath(programDir());
    QDir().mkpath(root.filePath("Orba/languages"));
    QDir().mkpath(companyDir());
    for (const QString& file : QDir(ORBA_LANGUAGES_DIR).entryList(QDir::Files))
      QFile::copy(QString(ORBA_LANGUAGES_DIR) + "/" + file, root.filePath("Orba/languages/") + file);
    for (const char* option : {"ar01", "ap01", "gl01", "pa101", "iv01", "ar05"})
      ASSERT_TRUE(QFile::copy(LISTS_PATH, programDir() + "/" + option + ".so"));
    QFile ini(root.filePath("orba.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[Orba]\ndatadrive=%1\nLockWait=1\n").arg(root.path()).toUtf8());
    ini.close();
    qputenv("ORBA_SETTINGS", root.filePath("orba.ini").toUtf8());
    qputenv("ORBA_USER_SETTINGS", root.filePath("user.ini").toUtf8());
    addRows(sc::Ar_Table, companyDir(),
            {{{"Cli_code", "C001"}, {"Cli_name", "Pharmacie Gagnon"}, {"Cli_city", "Rimouski"}},
             {{"Cli_code", "C002"}, {"Cli_name", "Mitchell Construction"}, {"Cli_city", "Québec"}}});
  }
  void TearDown() override {
    qunsetenv("ORBA_SETTINGS");
    qunsetenv("ORBA_USER_SETTINGS");
  }

  QString programDir() const { return root.filePath("Orba/bin"); }
  QString dataDir() const { return root.filePath("Orba/data"); }
  QString companyDir() const { return dataDir() + "1"; }
  QStringList clientCodes() const { return column(sc::Ar_Table, companyDir(), "Cli_code"); }

  // Loads the library under an option name, calls it once for an English
  // (or French) user with this OptionContext while the script plays, and
  // unloads it; returns what it answered.
  int run(const char* option, ModalScript& script, bool french = false, const QString& context = {}) {
    ModuleLink link(programDir(), dataDir(), french ? 2 : 1, "Anne");
    link.set(orba::dispatch::LinkRecord::Field::OptionContext, context);
    const QString path = programDir() + "/" + option + ".so";
    LoadedModule module(path);
    script.start();
    const int result = module.call(link);
    module.unload();
    // Really unloaded: nothing of one call stays for the next.
    EXPECT_FALSE(LoadedModule::mapped(path)) << "the library stays loaded";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a window of the library is still open";
    EXPECT_TRUE(script.finished());
    return result;
  }
};

}  // namespace

TEST_F(ListsLibraryTest, TheClientListSearchesAddsEditsAndDeletes) {
  ModalScript script;
  script
      .then("ClientMaint",
            [](QWidget* list) {
              EXPECT_EQ(list->windowTitle(), "Clients");
              EXPECT_EQ(visibleRows(list), 2);
              type(list, "edtSearch", "gag");
              EXPECT_EQ(visibleRows(list), 1);
              type(list, "edtSearch", "");
              EXPECT_EQ(visibleRows(list), 2);
              click(list, "btnAdd");
            })
      .then("ClientForm",
            [](QWidget* form) {
              type(form, "edtCli_code", "C001");
              type(form, "edtCli_name", "Rénovations Lefebvre");
              click(form, "btnOK");
              EXPECT_EQ(problemOf(form), "The code C001 is already used by another record.");
              // The edit stops at the field's size.
              type(form, "edtCli_code", "C003456789XYZ");
              EXPECT_EQ(child<QLineEdit>(form, "edtCli_code")->text(), "C003456789");
              type(form, "edtCli_code", "C003");
              click(form, "btnOK");
            })
      .then("ClientMaint",
            [](QWidget* list) {
              EXPECT_EQ(visibleRows(list), 3);
              auto* grid = child<QTableWidget>(list, "grdRecords");
              ASSERT_EQ(grid->selectedItems().size(), grid->columnCount());
              EXPECT_EQ(grid->selectedItems().front()->text(), "C003") << "the new record is selected";
              click(list, "btnEdit");
            })
      .then("ClientForm",
            [](QWidget* form) {
              EXPECT_EQ(child<QLineEdit>(form, "edtCli_name")->text(), "Rénovations Lefebvre");
              type(form, "edtCli_city", "Sherbrooke");
              click(form, "btnOK");
            })
      .then("ClientMaint",
            [](QWidget* list) {
              // The Delete key asks first; No keeps the record.
              selectRow(list, "C001");
              auto* grid = child<QTableWidget>(list, "grdRecords");
              grid->setFocus();
              QTest::keyClick(grid, Qt::Key_Delete);
            })
      .then("ListQuestion",
            [](QWidget* box) {
              // The record by its code and name.
              EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(), "Delete C001 \u2013 Pharmacie Gagnon?");
              EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100)
                  << "wide enough for its whole title";
              answer(box, "No");
            })
      .then("ClientMaint",
            [](QWidget* list) {
              EXPECT_EQ(visibleRows(list), 3);
              selectRow(list, "C002");
              click(list, "btnDelete");
            })
      .then("ListQuestion",
            [](QWidget* box) {
              EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(), "Delete C002 \u2013 Mitchell Construction?");
              answer(box, "Yes");
            })
      .then("ClientMaint", [](QWidget* list) {
        EXPECT_EQ(visibleRows(list), 2);
        click(list, "btnClose");
      });
  EXPECT_EQ(run("ar01", script), 1);
  EXPECT_EQ(clientCodes(), QStringList({"C001", "C003"}));
  EXPECT_EQ(column(sc::Ar_Table, companyDir(), "Cli_city"), QStringList({"Rimouski", "Sherbrooke"}));
}

TEST_F(ListsLibraryTest, AnEditMadeStaleByAnotherWorkstationIsRefusedAndCanBeReloaded) {
  const QString company = companyDir();
  ModalScript script;
  script
      .then("ClientMaint",
            [](QWidget* list) {
              selectRow(list, "C001");
              click(list, "btnEdit");
            })
      .then("ClientForm",
            [company](QWidget* form) {
              type(form, "edtCli_name", "Gagnon et fils");
              // Meanwhile, another workstation moves the client.
              changeElsewhere(sc::Ar_Table, company, {"C001"}, "Cli_city", "Matane");
              click(form, "btnOK");
              EXPECT_TRUE(problemOf(form).startsWith("Another workstation changed this record"))
                  << problemOf(form).toStdString();
              ASSERT_TRUE(child<QPushButton>(form, "btnReload")->isVisible());
              click(form, "btnReload");
              EXPECT_EQ(child<QLineEdit>(form, "edtCli_city")->text(), "Matane");
              EXPECT_EQ(child<QLineEdit>(form, "edtCli_name")->text(), "Pharmacie Gagnon");
              EXPECT_EQ(problemOf(form), "");
              type(form, "edtCli_name", "Gagnon et fils");
              click(form, "btnOK");
            })
      .then("ClientMaint",
            [company](QWidget* list) {
              // The record deleted elsewhere after the list was read.
              deleteElsewhere(sc::Ar_Table, company, {"C002"});
              selectRow(list, "C002");
              click(list, "btnDelete");
            })
      .then("ListQuestion", [](QWidget* box) { answer(box, "Yes"); })
      .then("ListMessage",
            [](QWidget* box) {
              EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(),
                        "Another workstation deleted this record already.");
              answer(box, "OK");
            })
      .then("ClientMaint", [](QWidget* list) {
        EXPECT_EQ(visibleRows(list), 1);
        click(list, "btnClose");
      });
  EXPECT_EQ(run("ar01", script), 1);
  EXPECT_EQ(column(sc::Ar_Table, companyDir(), "Cli_name"), QStringList{"Gagnon et fils"});
  EXPECT_EQ(column(sc::Ar_Table, companyDir(), "Cli_city"), QStringList{"Matane"});
}

TEST_F(ListsLibraryTest, TheInsertKeysContextOpensTheNewRecordFormInTheUsersLanguage) {
  ModalScript script;
  script.then("ClientForm", [](QWidget* form) {
    EXPECT_EQ(child<QLabel>(form, "lblCli_name")->text(), "No&m :");
    type(form, "edtCli_name", "Quincaillerie Roy");
    click(form, "btnOK");
    EXPECT_EQ(problemOf(form), "No client doit être rempli.");
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(form, "edtCli_code"));
    type(form, "edtCli_code", "C010");
    click(form, "btnOK");
  });
  EXPECT_EQ(run("ar01", script, true, "new"), 1);
  EXPECT_EQ(clientCodes(), QStringList({"C001", "C002", "C010"}));

  // The accounts: a number that is not one, in French.
  addRows(sc::Gl_Table, companyDir(), {});
  ModalScript accounts;
  accounts.then("AccountForm", [](QWidget* form) {
    EXPECT_EQ(form->windowTitle(), "Compte");
    type(form, "edtGlm_account", "1O10");
    type(form, "edtGlm_Description", "Encaisse");
    click(form, "btnOK");
    EXPECT_EQ(problemOf(form), "No compte doit être un nombre entier.");
    type(form, "edtGlm_account", "1010");
    child<QCheckBox>(form, "chkGlm_summarize")->setChecked(true);
    click(form, "btnOK");
  });
  EXPECT_EQ(run("gl01", accounts, true, "new"), 1);
  EXPECT_EQ(column(sc::Gl_Table, companyDir(), "Glm_account"), QStringList{"1010"});
  EXPECT_EQ(column(sc::Gl_Table, companyDir(), "Glm_summarize"), QStringList{"Y"});
}

TEST_F(ListsLibraryTest, EachOptionNameShowsItsOwnTable) {
  addRows(sc::Ap_Table, companyDir(), {{{"Sup_code", "F01"}, {"Sup_name", "Papeterie Dubé"}}});
  addRows(sc::Gl_Table, companyDir(),
          {{{"Glm_account", 1010}, {"Glm_Description", "Cash"}, {"Glm_summarize", "N"}},
           {{"Glm_account", 4000}, {"Glm_Description", "Sales"}, {"Glm_summarize", "N"}}});
  addRows(sc::Emp_Table, companyDir(), {{{"Emp_Code", "E1"}}, {{"Emp_Code", "E2"}}, {{"Emp_Code", "E3"}}});
  addRows(sc::IvprodTable, companyDir(), {{{"Ivprod_line_code", "BOL"}, {"Ivprod_item_code", "B-1"}}});
  const struct {
    const char* option;
    const char* window;
    int rows;
    const char* title;
  } cases[] = {{"ap01", "SupplierMaint", 1, "Suppliers"},
               {"gl01", "AccountMaint", 2, "General ledger accounts"},
               {"pa101", "EmployeeMaint", 3, "Employees"},
               {"iv01", "ProductMaint", 1, "Products"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    ModalScript script;
    const int rows = c.rows;
    const QString title = c.title;
    script.then(c.window, [rows, title](QWidget* list) {
      EXPECT_EQ(visibleRows(list), rows);
      EXPECT_EQ(list->windowTitle(), title);
      click(list, "btnClose");
    });
    EXPECT_EQ(run(c.option, script), 1);
  }
  // Installed under an option it does not serve, it says so.
  ModalScript other;
  other.then("ListMessage", [](QWidget* box) {
    EXPECT_TRUE(qobject_cast<QMessageBox*>(box)->text().contains("ar05"));
    answer(box, "OK");
  });
  EXPECT_EQ(run("ar05", other), 1);
}

// Every label of every record form, in both languages: its colon, and an
// accelerator no other control of the form has.
TEST_F(ListsLibraryTest, EveryFormLabelHasItsColonAndAnAcceleratorOfItsOwn) {
  addRows(sc::Ap_Table, companyDir(), {});
  addRows(sc::Gl_Table, companyDir(), {});
  addRows(sc::Emp_Table, companyDir(), {});
  addRows(sc::IvprodTable, companyDir(), {});
  const std::pair<const char*, const char*> forms[] = {{"ar01", "ClientForm"},
                                                       {"ap01", "SupplierForm"},
                                                       {"gl01", "AccountForm"},
                                                       {"pa101", "EmployeeForm"},
                                                       {"iv01", "ProductForm"}};
  for (bool french : {false, true})
    for (const auto& [option, formName] : forms) {
      SCOPED_TRACE(std::string(option) + (french ? " fr" : " en"));
      ModalScript script;
      script.then(formName, [](QWidget* form) {
        QSet<QChar> accelerators;
        int labels = 0;
        auto take = [&](const QString& text, const QString& name) {
          const QKeySequence key = QKeySequence::mnemonic(text);
          EXPECT_FALSE(key.isEmpty())
              << name.toStdString() << " \"" << text.toStdString() << "\" has no accelerator";
          const qsizetype amp = text.indexOf('&');
          if (amp < 0 || amp + 1 >= text.size()) return;
          const QChar letter = text[amp + 1].toLower();
          EXPECT_FALSE(accelerators.contains(letter))
              << name.toStdString() << ": &" << QString(letter).toStdString();
          accelerators << letter;
        };
        for (QLabel* label : form->findChildren<QLabel*>())
          if (label->buddy()) {
            ++labels;
            EXPECT_TRUE(label->text().trimmed().endsWith(':')) << label->text().toStdString();
            take(label->text(), label->objectName());
          }
        for (QCheckBox* box : form->findChildren<QCheckBox*>()) take(box->text(), box->objectName());
        for (QPushButton* b : form->findChildren<QPushButton*>())
          if (b->text().contains('&')) take(b->text(), b->objectName());
        EXPECT_GE(labels, 3);
        click(form, "btnCancel");
      });
      run(option, script, french, "new");
    }
}

// The products' prices read as amounts, in the list and in the form, and
// the form takes what a French user types.
TEST_F(ListsLibraryTest, PricesShowAsAmountsAndTakeTheDecimalComma) {
  addRows(sc::IvprodTable, companyDir(),
          {{{"Ivprod_line_code", "BOL"},
            {"Ivprod_item_code", "B-1"},
            {"Ivprod_price1", 1234.5},
            {"Ivprod_price2", 4.5}}});
  ModalScript script;
  script
      .then("ProductMaint",
            [](QWidget* list) {
              auto* grid = child<QTableWidget>(list, "grdRecords");
              EXPECT_EQ(grid->item(0, 5)->text(), "1,234.50");
              EXPECT_EQ(grid->item(0, 6)->text(), "4.50");
              // Found by its code, then Enter opens it.
              type(list, "edtSearch", "B-1");
              QTest::keyClick(child<QLineEdit>(list, "edtSearch"), Qt::Key_Return);
              QTest::keyClick(grid, Qt::Key_Return);
            })
      .then("ProductForm",
            [](QWidget* form) {
              EXPECT_EQ(child<QLineEdit>(form, "edtIvprod_price1")->text(), "1234.50");
              type(form, "edtIvprod_price2", "12,345");
              click(form, "btnOK");
              EXPECT_EQ(problemOf(form), "Prix 2 accepte au plus deux décimales.");
              type(form, "edtIvprod_price2", "12,75");
              click(form, "btnOK");
            })
      .then("ProductMaint", [](QWidget* list) { click(list, "btnClose"); });
  EXPECT_EQ(run("iv01", script, true), 1);
  orba::data::Table t("Reader");
  t.declare(sc::IvprodTable);
  t.setDatabaseName(companyDir());
  t.open();
  EXPECT_DOUBLE_EQ(t.value("Ivprod_price2").toDouble(), 12.75);
}

TEST_F(ListsLibraryTest, ACompanyWithoutTheTableIsToldSoAndNothingIsCreated) {
  ASSERT_TRUE(QFile::remove(companyDir() + "/cli.DB"));
  ModalScript script;
  script.then("ListMessage", [](QWidget* box) {
    EXPECT_TRUE(qobject_cast<QMessageBox*>(box)->text().startsWith("The list cannot be opened"));
    answer(box, "OK");
  });
  EXPECT_EQ(run("ar01", script), 1);
  EXPECT_FALSE(QFile::exists(companyDir() + "/cli.DB"));
}
