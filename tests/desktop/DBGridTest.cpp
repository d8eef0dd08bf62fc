// The list panels' grid over a real table: its look, the press reported
// after the row has moved, and its component stream with the columns.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "ComponentStreams.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "RegionalFormats.h"
#include "Table.h"
#include "paradox/TableWriter.h"

using namespace orba::desktop;
using orba::data::TableModel;

namespace {

constexpr orba::data::FieldSpec kFields[] = {{"Code", 'A', 10, true, false}, {"Name", 'A', 40, false, false}};
const orba::data::TableSpec kSpec{"Ar_Table", "cli.DB", 1, kFields};

struct Clients {
  QTemporaryDir dir;
  orba::data::Table table{"Ar_Table"};
  orba::data::DataSource source{"Ar_DataSource", &table};
  explicit Clients(int count = 40) {
    table.declare(kSpec);
    table.setDatabaseName(dir.path());
    table.createTable();
    std::unique_ptr<orba::pdx::TableWriter> w;
    EXPECT_TRUE(orba::pdx::TableWriter::Open(table.filePath().toStdString(), {}, &w).ok());
    for (int i = 0; i < count; ++i)
      EXPECT_TRUE(w->Insert({orba::pdx::Value::Text("C" + std::to_string((count > 900 ? 100000 : 100) + i)),
                             orba::pdx::Value::Text("Client " + std::to_string(i))})
                      .ok());
    EXPECT_TRUE(w->Commit().ok());
    table.open();
  }
};

}  // namespace

TEST(DBGrid, RowsSelectedWholeNothingEditedNoIndicatorTealTitles) {
  Clients clients;
  TTamberlyDBGrid grid;
  grid.setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid.resize(400, 300);
  grid.show();
  EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(grid.verticalHeader()->isVisible()) << "no row indicator";
  EXPECT_TRUE(grid.horizontalHeader()->isVisible());
  EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
  EXPECT_TRUE(grid.showGrid());
  EXPECT_EQ(grid.model()->rowCount(), 40);
  const QImage shot = grid.grab().toImage();
  const QRect title = grid.horizontalHeader()->geometry();
  EXPECT_EQ(shot.pixelColor(title.left() + 20, title.top() + title.height() / 2 - 3).rgb() & 0xFFFFFF,
            qRgb(0, 128, 128) & 0xFFFFFF)
      << "teal fixed cells";
}

TEST(DBGrid, APressIsReportedAfterTheCurrentRowMovedToIt) {
  Clients clients;
  TTamberlyDBGrid grid;
  grid.setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid.resize(400, 300);
  grid.show();
  QString seen;
  QObject::connect(&grid, &TTamberlyDBGrid::OnMouseDown,
                   [&](TTamberlyDBGrid*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
                     seen = clients.table.text("Code");
                   });
  const QRect cell = grid.visualRect(grid.model()->index(5, 1));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(seen, "C105");
  EXPECT_EQ(clients.table.recNo(), 5);
}

TEST(DBGrid, ItsStreamKeepsTheColumnsAndTheWidthsTheUserSet) {
  Clients clients;
  TTamberlyDBGrid grid;
  grid.setObjectName("DBGrid1");
  grid.setGeometry(2, 15, 500, 200);
  grid.align = TAlign::alClient;
  grid.tabOrder = 0;
  grid.setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid.setColumns({{"Code", "Code", 60, true, true}, {"Name", "Nom", 200, true, true}});
  grid.show();
  grid.horizontalHeader()->resizeSection(1, 260);  // as the user drags the title's edge
  const orba::stream::Component c = writeComponent(grid);
  const std::string text = orba::stream::toText(c);
  EXPECT_NE(text.find("DataSource = Ar_DataModule.Ar_DataSource\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FixedColor = clTeal\n"), std::string::npos);
  EXPECT_NE(text.find("Options = [dgTitles, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, "
                      "dgConfirmDelete, dgCancelOnExit]\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Title.Caption = 'Nom'\n"), std::string::npos);
  EXPECT_NE(text.find("Width = 260\n"), std::string::npos);
  EXPECT_NE(text.find("TabOrder = 0\n"), std::string::npos);
  const std::string first = orba::stream::writeComponentStream(c);
  TTamberlyDBGrid copy;
  readComponent(copy, orba::stream::readComponentStream(first).component);
  EXPECT_EQ(orba::stream::writeComponentStream(writeComponent(copy)), first);
  EXPECT_EQ(copy.columns()[1].width, 260);
  EXPECT_EQ(copy.dataSourceName(), "Ar_DataModule.Ar_DataSource");

  orba::stream::Component bad = c;
  bad.set("Options", orba::stream::Value::Set({"dgSparkles"}));
  EXPECT_THROW(readComponent(copy, bad), StreamError);
}

namespace {

constexpr orba::data::FieldSpec kProductFields[] = {
    {"Code", 'A', 10, true, false}, {"Price", 'N', 0, false, false}, {"Stock", 'N', 0, false, false}};
const orba::data::TableSpec kProductSpec{"Iv_Table", "prod.DB", 1, kProductFields};

struct Products {
  QTemporaryDir dir;
  orba::data::Table table{"Iv_Table"};
  orba::data::DataSource source{"Iv_DataSource", &table};
  explicit Products(const std::vector<std::pair<double, double>>& rows) {
    table.declare(kProductSpec);
    table.setDatabaseName(dir.path());
    table.createTable();
    std::unique_ptr<orba::pdx::TableWriter> w;
    EXPECT_TRUE(orba::pdx::TableWriter::Open(table.filePath().toStdString(), {}, &w).ok());
    int n = 0;
    for (const auto& [price, stock] : rows)
      EXPECT_TRUE(w->Insert({orba::pdx::Value::Text("P" + std::to_string(++n)),
                             orba::pdx::Value::Double(price), orba::pdx::Value::Double(stock)})
                      .ok());
    EXPECT_TRUE(w->Commit().ok());
    table.open();
  }
};

struct Peek : QStyledItemDelegate {
  static constexpr auto fill = &Peek::initStyleOption;
};

// The text a cell shows, as its delegate paints it.
QString shown(TTamberlyDBGrid& grid, int row, int column) {
  QStyleOptionViewItem option;
  const QModelIndex index = grid.model()->index(row, column);
  option.initFrom(&grid);
  // The delegate fills the option as it does for painting: its protected
  // initStyleOption is reached through a member pointer of the base class,
  // which calls the grid's override without taking the delegate for a type
  // it is not.
  const auto* delegate = qobject_cast<const QStyledItemDelegate*>(grid.itemDelegate());
  EXPECT_NE(delegate, nullptr);
  if (!delegate) return {};
  (delegate->*Peek::fill)(&option, index);
  return option.text;
}

}  // namespace

// Amounts as money with two decimals and grouped thousands, other numbers as
// they are; every column as wide as its title and the values on screen,
// however narrow the stored width.
TEST(DBGrid, AmountsReadAsMoneyAndColumnsFitTheirTitlesAndValues) {
  Products products({{4.5, 3}, {1000, 12}, {-5, 0}, {1234.56, 7}});
  TTamberlyDBGrid grid;
  grid.setDataSource(&products.source, "Iv_DataModule.Iv_DataSource");
  grid.setMoneyFields({"price"});
  grid.setColumns({{"Code", "Code d'article", 24, true, true},
                   {"Price", "Prix 3", 24, true, true},
                   {"Stock", "Stock", 24, true, true}});
  grid.resize(600, 300);
  grid.show();
  ASSERT_EQ(grid.model()->rowCount(), 4);
  EXPECT_TRUE(grid.isMoneyColumn(1));
  EXPECT_FALSE(grid.isMoneyColumn(2));
  const auto& money = orba::formats::RegionalFormats::instance();
  const double prices[] = {4.5, 1000, -5, 1234.56};
  for (int r = 0; r < 4; ++r) EXPECT_EQ(shown(grid, r, 1), money.formatCurrency(prices[r]));
  EXPECT_TRUE(shown(grid, 3, 1).contains("1,234.56")) << shown(grid, 3, 1).toStdString();
  EXPECT_TRUE(shown(grid, 0, 1).contains("4.50")) << shown(grid, 0, 1).toStdString();
  EXPECT_EQ(shown(grid, 1, 2), grid.model()->index(1, 2).data().toString()) << "not an amount";

  QHeaderView* header = grid.horizontalHeader();
  const QFontMetrics titles(header->font());
  for (int c = 0; c < 3; ++c) {
    SCOPED_TRACE(c);
    const QString title = grid.model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_GE(header->sectionSize(c), titles.horizontalAdvance(title)) << title.toStdString();
  }
  EXPECT_GE(header->sectionSize(1), grid.fontMetrics().horizontalAdvance(shown(grid, 3, 1)));

  // A longer title (another language) widens its column; a wider column the
  // user set stays as wide.
  header->resizeSection(2, 300);
  grid.model()->setHeaderData(1, Qt::Horizontal, "Prix de vente numéro trois");
  EXPECT_GE(header->sectionSize(1), titles.horizontalAdvance("Prix de vente numéro trois"));
  EXPECT_EQ(header->sectionSize(2), 300);
}

// With dgTabs Tab moves through the cells and Ctrl+Tab leaves the grid;
// without it Tab leaves the grid.
TEST(DBGrid, TabFollowsTheTabsOption) {
  Clients clients;
  QWidget window;
  auto* grid = new TTamberlyDBGrid(&window);
  auto* after = new QLineEdit(&window);
  grid->setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid->setGeometry(0, 0, 400, 200);
  after->setGeometry(0, 210, 100, 20);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(2, 0));
  ASSERT_TRUE(grid->hasFocus());

  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_TRUE(grid->hasFocus()) << "dgTabs keeps Tab for the cells";
  EXPECT_EQ(grid->currentIndex().column(), 1);
  EXPECT_EQ(grid->currentIndex().row(), 2);
  QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_TRUE(after->hasFocus()) << "Ctrl+Tab leaves the grid";

  grid->setOptions({"dgTitles", "dgColLines", "dgRowLines", "dgRowSelect"});
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus()) << "without dgTabs, Tab leaves the grid";
}

// Over a table larger than the model's window the keys still reach every
// record: Ctrl+End the last, Ctrl+Home the first, the arrows and pages past
// the window's edges the records beyond it, each shown on its own row.
TEST(DBGrid, KeysReachEveryRecordOfATableLargerThanTheWindow) {
  constexpr int kRecords = 3 * TableModel::kBatch + 100;
  Clients clients(kRecords);
  TTamberlyDBGrid grid;
  grid.setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid.resize(400, 300);
  grid.show();
  TableModel* model = grid.tableModel();
  EXPECT_EQ(model->rowCount(), TableModel::kBatch) << "the view is told of one batch";
  auto shownCode = [&] { return grid.currentIndex().siblingAtColumn(0).data().toString(); };

  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(clients.table.recNo(), kRecords - 1);
  EXPECT_EQ(clients.table.text("Code"), shownCode());
  EXPECT_LE(model->rowCount(), TableModel::kBatch) << "the window moved rather than grew";
  EXPECT_EQ(shownCode(), "C" + QString::number(100000 + kRecords - 1));

  // Up from the window's first row: the batch above comes, the cursor moves one record.
  const int top = model->recordOfRow(0);
  ASSERT_GT(top, 0);
  grid.setCurrentIndex(model->index(0, 0));
  EXPECT_EQ(clients.table.recNo(), top);
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(clients.table.recNo(), top - 1);
  EXPECT_EQ(clients.table.text("Code"), shownCode());
  EXPECT_EQ(model->recordOfRow(grid.currentIndex().row()), top - 1);

  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(clients.table.recNo(), 0);
  EXPECT_EQ(shownCode(), "C100000");

  // Down past the window's last row.
  const int last = model->rowCount() - 1;
  grid.setCurrentIndex(model->index(last, 0));
  const int lastRecord = model->recordOfRow(last);
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(clients.table.recNo(), lastRecord + 1);
  EXPECT_EQ(clients.table.text("Code"), shownCode());
}

// The table's cursor far into the table when the grid is given it: the
// window opens around it, with the current row on it.
TEST(DBGrid, TheWindowOpensAroundTheTablesCurrentRecord) {
  constexpr int kRecords = 2 * TableModel::kBatch + 10;
  Clients clients(kRecords);
  clients.table.moveTo(kRecords - 5);
  TTamberlyDBGrid grid;
  grid.setDataSource(&clients.source, "Ar_DataModule.Ar_DataSource");
  grid.resize(400, 300);
  grid.show();
  ASSERT_TRUE(grid.currentIndex().isValid());
  EXPECT_EQ(grid.tableModel()->recordOfRow(grid.currentIndex().row()), kRecords - 5);
  EXPECT_EQ(grid.currentIndex().siblingAtColumn(0).data().toString(),
            "C" + QString::number(100000 + kRecords - 5));
  grid.refresh();
  EXPECT_EQ(clients.table.recNo(), kRecords - 5);
  EXPECT_EQ(grid.tableModel()->recordOfRow(grid.currentIndex().row()), kRecords - 5);
}
