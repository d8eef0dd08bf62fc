// The lazy table model over real tables on disk, checked by Qt's model
// tester and for what it reads.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTemporaryDir>

#include "DataSource.h"
#include "Table.h"
#include "TableModel.h"
#include "paradox/TableWriter.h"

using namespace orba::data;

namespace {

constexpr FieldSpec kClientFields[] = {
    {"Ar_code", 'A', 10, true, false},
    {"Ar_name", 'A', 40, false, false},
    {"Ar_balance", '$', 0, false, false},
    {"Ar_since", 'D', 0, false, false},
};
const TableSpec kClients{"Ar_Table", "cli.DB", 1, kClientFields};

struct Clients {
  QTemporaryDir dir;
  Table table{"Ar_Table"};
  DataSource source{"Ar_DataSource", &table};
  explicit Clients(int count) {
    table.declare(kClients);
    table.setDatabaseName(dir.path());
    table.createTable();
    // One commit for all: the engine takes the whole set at once.
    std::unique_ptr<orba::pdx::TableWriter> w;
    EXPECT_TRUE(orba::pdx::TableWriter::Open(table.filePath().toStdString(), {}, &w).ok());
    for (int i = 0; i < count; ++i)
      EXPECT_TRUE(
          w->Insert({orba::pdx::Value::Text(QString("C%1").arg(i * 10, 5, 10, QChar('0')).toStdString()),
                     orba::pdx::Value::Text("Client " + std::to_string(i)), orba::pdx::Value::Double(i * 1.5),
                     orba::pdx::Value()})
              .ok());
    EXPECT_TRUE(w->Commit().ok());
    table.open();
  }
  // Another program adds a record.
  void addElsewhere(const char* code) {
    EXPECT_TRUE(orba::pdx::AppendRecord(table.filePath().toStdString(),
                                        {orba::pdx::Value::Text(code), orba::pdx::Value::Text("Elsewhere"),
                                         orba::pdx::Value(), orba::pdx::Value()})
                    .ok());
  }
};

}  // namespace

TEST(TableModel, PassesTheModelTesterOverARealTable) {
  Clients clients(300);
  TableModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.setDataSource(&clients.source);
  EXPECT_EQ(model.rowCount(), 300);
  EXPECT_EQ(model.columnCount(), 4) << "every field without columns of its own";
  model.setColumns({{"Ar_name", "Name", 120, true, true}, {"Ar_balance", "Balance", 80, true, true}});
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Name");
  EXPECT_EQ(model.data(model.index(7, 0)).toString(), "Client 7");
  EXPECT_FALSE(model.flags(model.index(7, 0)) & Qt::ItemIsEditable);
  clients.table.close();
  EXPECT_EQ(model.rowCount(), 0);
  clients.table.open();
  EXPECT_EQ(model.rowCount(), 300);
}

TEST(TableModel, ReadsOnlyTheRowsItIsAskedFor) {
  Clients clients(2000);
  TableModel model;
  model.setDataSource(&clients.source);
  EXPECT_EQ(model.rowCount(), 2000);
  EXPECT_EQ(model.rowsRead(), 0) << "counting reads nothing";
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < model.columnCount(); ++c) model.data(model.index(r, c));
  EXPECT_EQ(model.rowsRead(), 30) << "one read per row, whatever the columns";
  EXPECT_EQ(model.data(model.index(1999, 1)).toString(), "Client 1999");
  EXPECT_EQ(model.rowsRead(), 31) << "the last row straight away";
}

TEST(TableModel, ARefreshShowsAnotherProgramsChangeAndKeepsTheCurrentRecord) {
  Clients clients(50);
  TableModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.setDataSource(&clients.source);
  clients.table.moveTo(20);
  const QString current = clients.table.text("Ar_code");
  clients.addElsewhere("A0000");  // sorts first: every record moves down one
  EXPECT_EQ(model.rowCount(), 50) << "the table reads the file as it was opened";
  const int row = model.refresh();
  EXPECT_EQ(model.rowCount(), 51);
  EXPECT_EQ(row, 21);
  EXPECT_EQ(clients.table.text("Ar_code"), current) << "the same record, one row lower";
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "A0000");
}

// The view is told of a window of records, a batch at a time: fetchMore
// below, fetchAbove above, rowOfRecord moves it to a far record. Every row
// shows its own record and Qt's model tester accepts each change.
TEST(TableModel, AWindowOfRecordsGrownAndMovedInBatches) {
  constexpr int kRecords = 2 * TableModel::kBatch + 500;
  Clients clients(kRecords);
  TableModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.setDataSource(&clients.source);
  EXPECT_EQ(model.recordCount(), kRecords);
  EXPECT_EQ(model.rowCount(), TableModel::kBatch);
  EXPECT_FALSE(model.canFetchAbove());
  ASSERT_TRUE(model.canFetchMore({}));
  model.fetchMore({});
  EXPECT_EQ(model.rowCount(), 2 * TableModel::kBatch);
  model.fetchMore({});
  EXPECT_EQ(model.rowCount(), kRecords);
  EXPECT_FALSE(model.canFetchMore({}));
  EXPECT_EQ(model.data(model.index(kRecords - 1, 1)).toString(), QString("Client %1").arg(kRecords - 1));

  // A far record moves the window; near ones grow it.
  clients.table.close();
  clients.table.open();
  ASSERT_EQ(model.rowCount(), TableModel::kBatch);
  const int row = model.rowOfRecord(kRecords - 1);
  ASSERT_GE(row, 0);
  EXPECT_LE(model.rowCount(), TableModel::kBatch);
  EXPECT_EQ(model.data(model.index(row, 1)).toString(), QString("Client %1").arg(kRecords - 1));
  const int first = model.recordOfRow(0);
  ASSERT_GT(first, 0);
  EXPECT_EQ(model.shownRowOfRecord(first - 1), -1);
  const int more = model.fetchAbove();
  EXPECT_EQ(model.recordOfRow(0), first - more);
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), QString("Client %1").arg(first - more));
  EXPECT_EQ(model.data(model.index(more, 1)).toString(), QString("Client %1").arg(first));
  EXPECT_EQ(model.rowOfRecord(0), 0) << "the window reaches the start";
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), "Client 0");
}
