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

// A table as rows and columns for a view, read lazily: a row is read from
// the file (through the table's reader, which reaches record i directly)
// only when the view asks for it; a small cache keeps the rows of the last
// screens. Nothing is read ahead, so a view over a million records costs
// the rows it shows.
//
// The view is told of the records a batch at a time: the rows are a window
// of consecutive records, first those from the table's start (or around its
// current record), grown by fetchMore as the view scrolls down and by
// fetchAbove as it scrolls up, and moved at once by a jump (rowOfRecord).
// A view keeps a little state for every row it is told of (its header's
// sections), so the window, not the table, sets what the view holds.
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
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  // Records before the window.
  bool canFetchAbove() const { return first_ > 0; }
  // Adds a batch of records above the window; returns how many rows came.
  int fetchAbove();
  // The record a row shows, and the row that shows a record (-1 when the
  // record is outside the window). rowOfRecord brings the record into the
  // window, growing it when the record is near and moving it otherwise.
  int recordOfRow(int row) const { return row < 0 ? row : first_ + row; }
  int shownRowOfRecord(int record) const;
  int rowOfRecord(int record);
  // The table's records, all of them (rowCount is the window's).
  int recordCount() const;
  // Records added to the window by each fetch.
  static constexpr int kBatch = 4096;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Reads the table's file again (another program may have changed it) and
  // keeps the current record when it still exists: by its key in a keyed
  // table, by its position otherwise. Returns the current record's row
  // afterwards (the window placed around it), -1 when there is none.
  int refresh();

  // Rows read from the file so far (for tests and benchmarks).
  int rowsRead() const { return rowsRead_; }

 private:
  void reset();
  // Places the window (inside a model reset) at the start, or around
  // `record` when it lies beyond the first batch.
  void placeWindow(int record);
  // A reset during which fetches are held off (listeners of the model's
  // signals may ask for them; fetchMore and fetchAbove do the same).
  void beginReset();
  void endReset();
  const QVariantList& row(int r) const;
  QStringList fieldNames() const;

  QPointer<DataSource> source_;
  std::vector<QMetaObject::Connection> connections_;
  std::vector<Column> columns_;
  bool ownColumns_ = false;
  int first_ = 0;  // the record of row 0
  int rows_ = 0;   // rows in the window
  bool announcing_ = false;
  // The cache: rows by record number, most recently used first.
  mutable std::list<int> recent_;
  mutable std::unordered_map<int, std::pair<QVariantList, std::list<int>::iterator>> cache_;
  mutable int rowsRead_ = 0;
  static constexpr size_t kCachedRows = 512;
};

}  // namespace orba::data
