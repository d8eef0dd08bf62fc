// Several changes to a table stored at once or not at all, on real files,
// with a failure injected at every write the commit makes.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "DatabaseError.h"
#include "FailingEnv.h"
#include "Table.h"
#include "TableTransaction.h"

using namespace orba::data;

namespace {

constexpr FieldSpec kRowFields[] = {
    {"Row_user", 'A', 10, false, false},
    {"Row_index", '+', 0, false, false},
    {"Row_kind", 'I', 0, false, false},
    {"Row_data", 'B', 20, false, false},
};
const TableSpec kRows{"Rows", "Rows.db", 0, kRowFields};

struct Rows {
  QTemporaryDir dir;
  Table table{QStringLiteral("Rows")};
  Rows() {
    table.declare(kRows);
    table.setDatabaseName(dir.path());
    table.createTable();
    table.open();
  }
  void replace(const QString& user, const QList<int>& kinds, const QByteArray& data = "stream") {
    TableTransaction change(table);
    change.deleteWhere("Row_user", user);
    for (int kind : kinds) change.insert({{"Row_user", user}, {"Row_kind", kind}, {"Row_data", data}});
    change.commit();
  }
  // Every record as user:kind, in table order.
  QStringList contents() {
    QStringList out;
    for (table.first(); !table.eof(); table.next())
      out << table.text("Row_user") + ":" + table.text("Row_kind");
    return out;
  }
};

}  // namespace

TEST(TableTransaction, ChangesAreStoredTogetherAtCommitAndOnlyThen) {
  Rows rows;
  rows.replace("ANNE", {0, 1, 2});
  rows.replace("BOB", {0, 1});
  EXPECT_EQ(rows.contents(), (QStringList{"ANNE:0", "ANNE:1", "ANNE:2", "BOB:0", "BOB:1"}));

  {
    TableTransaction change(rows.table);
    EXPECT_EQ(change.deleteWhere("Row_user", "ANNE"), 3);
    change.insert({{"Row_user", "ANNE"}, {"Row_kind", 9}});
    // Nothing is stored before the commit: another reader still sees the
    // old rows.
    Table other{QStringLiteral("Rows")};
    other.declare(kRows);
    other.setDatabaseName(rows.dir.path());
    other.open();
    EXPECT_EQ(other.recordCount(), 5);
    // Dropped without a commit.
  }
  rows.table.refresh();
  EXPECT_EQ(rows.contents(), (QStringList{"ANNE:0", "ANNE:1", "ANNE:2", "BOB:0", "BOB:1"}));

  rows.replace("ANNE", {7});
  EXPECT_EQ(rows.contents(), (QStringList{"BOB:0", "BOB:1", "ANNE:7"}));
  // The autoincrement field goes on numbering; the dropped change used no
  // number.
  rows.table.last();
  EXPECT_EQ(rows.table.value("Row_index").toInt(), 6);
}

TEST(TableTransaction, AValueAFieldCannotHoldFailsTheInsertAndStoresNothing) {
  Rows rows;
  rows.replace("ANNE", {1});
  TableTransaction change(rows.table);
  change.deleteWhere("Row_user", "ANNE");
  EXPECT_THROW(change.insert({{"Row_user", "A name far too long for ten"}}), DatabaseError);
  EXPECT_THROW(change.insert({{"No_such_field", 1}}), DatabaseError);
  rows.table.refresh();
  EXPECT_EQ(rows.contents(), (QStringList{"ANNE:1"}));
}

TEST(TableTransaction, AFailureAtAnyWriteOfTheCommitLeavesTheOldRowsWhole) {
  Rows rows;
  const QByteArray big(600, 'x');  // goes to the blob file
  rows.replace("ANNE", {0, 1, 2}, big);
  rows.replace("BOB", {5}, big);
  const QStringList before = rows.contents();
  const QStringList after = {"BOB:5", "ANNE:3", "ANNE:4"};

  FailingEnv env;
  Table::setEnv(&env);
  int failures = 0;
  for (int n = 1;; ++n) {
    env.fail_at(n);
    bool stored = true;
    try {
      rows.replace("ANNE", {3, 4}, big);
    } catch (const DatabaseError&) {
      stored = false;
    }
    if (!env.failed()) {
      EXPECT_TRUE(stored);
      break;
    }
    ++failures;
    // Whatever failed, the table reads cleanly and holds one set or the other.
    env.fail_at(0);
    Table check{QStringLiteral("Rows")};
    check.declare(kRows);
    check.setDatabaseName(rows.dir.path());
    ASSERT_NO_THROW(check.open()) << "after a failure at operation " << n;
    QStringList now;
    for (check.first(); !check.eof(); check.next()) {
      now << check.text("Row_user") + ":" + check.text("Row_kind");
      EXPECT_EQ(check.value("Row_data").toByteArray(), big);
    }
    EXPECT_TRUE(now == before || now == after) << "operation " << n << ": " << now.join(' ').toStdString();
    if (!stored) {
      EXPECT_EQ(now, before) << "a failure that was reported stored nothing (operation " << n << ")";
    }
    // Back to the old rows for the next round.
    if (now == after) {
      Table::setEnv(nullptr);
      rows.table.refresh();
      rows.replace("ANNE", {0, 1, 2}, big);
      Table::setEnv(&env);
    }
    rows.table.close();
    rows.table.open();
  }
  Table::setEnv(nullptr);
  EXPECT_GE(failures, 5) << "the commit writes several files";
  rows.table.refresh();
  EXPECT_EQ(rows.contents(), after);
}
