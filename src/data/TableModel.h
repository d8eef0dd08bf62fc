#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <list>
#include <unordered_map>
#include <vector>

#include "DataSource.h"

namespace orba::data {

class DataSource;
class Table;

// A table as rows and columns for a view, read lazily: the row count is the
// table's, and a row is read from the file (through the table's reader,
// which reaches record i directly) only when the view asks for it; a small
// cache keeps the rows of the last screens. Nothing is read ahead, so a
// view over a million records costs the rows it shows.
//
// The columns are the grid's: a field, a title, a width, visibility. The
// model follows its data source: it resets when the table opens, closes,
// posts or is refreshed, and keeps no record of its own beyond the cache.
class TableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Column {
    QString fieldName;
    QString title;   // empty: the field's name
    int width = 64;  // pixels
    bool visible = true;
    bool expanded = true;
    bool operator==(const Column&) const = default;
  };

  explicit TableModel(QObject* parent = nullptr);

  DataSource* dataSource() const { return source_; }
  void setDataSource(DataSource* source);
  Table* table() const;

  // Without columns of its own, the model shows every field of the table.
  void setColumns(std::vector<Column> columns);
  const std::vector<Column>& columns() const { return columns_; }
  std::vector<Column> shownColumns() const;
  bool hasOwnColumns() const { return ownColumns_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Reads the table's file again (another program may have changed it) and
  // keeps the current record when it still exists: by its key in a keyed
  // table, by its position otherwise. Returns the current row afterwards.
  int refresh();

  // Rows read from the file so far (for tests and benchmarks).
  int rowsRead() const { return rowsRead_; }

 private:
  void reset();
  const QVariantList& row(int r) const;
  QStringList fieldNames() const;

  QPointer<DataSource> source_;
  std::vector<QMetaObject::Connection> connections_;
  std::vector<Column> columns_;
  bool ownColumns_ = false;
  // The cache: rows by number, most recently used first.
  mutable std::list<int> recent_;
  mutable std::unordered_map<int, std::pair<QVariantList, std::list<int>::iterator>> cache_;
  mutable int rowsRead_ = 0;
  static constexpr size_t kCachedRows = 512;
};

}  // namespace orba::data
