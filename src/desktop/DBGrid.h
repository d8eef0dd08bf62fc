#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "StreamValues.h"
#include "TableModel.h"
#include "Wallpaper.h"

namespace orba::data {
class DataSource;
}

namespace orba::desktop {

// The list panels' grid: a view over a lazy table model (rows read on
// demand, told to the view a batch at a time), whole rows selected, nothing
// edited in place, no row indicator, titles in teal fixed cells, columns
// that the user can resize, lines between columns and rows.
//
// The grid follows its table's cursor: selecting a row makes it the table's
// current record. A mouse press is reported (OnMouseDown) after the current
// row has moved to the row under the mouse, so a handler reads the record
// that was clicked.
//
// What it shows reads well: amounts (money fields, and the fields named as
// such) as the regional formats show money, dates as they show dates, and
// every column at least as wide as its title and the values on screen. With
// the option dgTabs the Tab key moves through the cells, and Ctrl+Tab leaves
// the grid; without it Tab leaves the grid.
class TTamberlyDBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TTamberlyDBGrid(QWidget* parent = nullptr);

  data::TableModel* tableModel() const { return model_; }
  // The data source and the name a stream gives it ("Ar_DataModule.Ar_DataSource").
  void setDataSource(data::DataSource* source, const QString& name);
  const QString& dataSourceName() const { return dataSourceName_; }
  // Names a data source the grid cannot reach by itself: the owner resolves
  // it (setDataSource) once the stream has been read.
  void setDataSourceName(const QString& name) { dataSourceName_ = name; }

  // The grid's options as the stream names them (dgTitles, dgRowSelect ...).
  const std::vector<std::string>& options() const { return options_; }
  void setOptions(const std::vector<std::string>& options);
  bool hasOption(const char* option) const;

  // The columns with the widths the user gave them.
  std::vector<data::TableModel::Column> columns() const;
  void setColumns(std::vector<data::TableModel::Column> columns);

  // Fields that hold amounts although the table keeps them as plain numbers
  // (the products' prices): shown as money.
  void setMoneyFields(const QStringList& fields) { moneyFields_ = fields; }
  bool isMoneyColumn(int column) const;
  // Widens each column to its title and to the values on screen; a column
  // is never made narrower. Runs when the rows or the titles change.
  void fitColumns();

  TColor fixedColor() const { return fixedColor_; }
  void setFixedColor(TColor color);
  const StreamFont& streamFont() const { return font_; }
  void setStreamFont(const StreamFont& font);
  const StreamFont& titleFont() const { return titleFont_; }
  void setTitleFont(const StreamFont& font);
  bool parentFont() const { return parentFont_; }
  void setParentFont(bool on);

  int tag = 0;
  TAlign align = TAlign::alNone;
  bool ctl3D = true;
  bool parentCtl3D = true;
  int tabOrder = -1;

  // Re-reads the table (another program may have changed it), keeping the
  // current record when it still exists.
  void refresh();

 signals:
  void OnMouseDown(orba::desktop::TTamberlyDBGrid* sender, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers, QPoint at);
  // A key pressed in the grid, before the grid moves on it.
  void OnKeyDown(orba::desktop::TTamberlyDBGrid* sender, int key, Qt::KeyboardModifiers modifiers);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  void applyStyle();
  void applyColumnWidths();
  // The widest text of a column among the rows on screen (at most a
  // screenful: the model reads no row for this that the view would not).
  int valuesWidth(int column) const;
  // Runs a change of the model's window and scrolls back to the record that
  // was at the top.
  void keepTopRowWhile(const std::function<void()>& change);

  data::TableModel* model_;
  QString dataSourceName_;
  std::vector<std::string> options_;
  TColor fixedColor_ = clTeal;
  StreamFont font_;
  StreamFont titleFont_;
  bool parentFont_ = true;
  QStringList moneyFields_;
};

}  // namespace orba::desktop
