#include "TableModel.h"

#include <QDate>
#include <algorithm>

#include "DataSource.h"
#include "DatabaseError.h"
#include "RegionalFormats.h"
#include "Table.h"

namespace orba::data {

namespace {

// The declared type of a field ('$', 'D' ...), 0 when unknown.
char declaredType(const Table* t, const QString& field) {
  const TableSpec* shape = t ? t->declaration() : nullptr;
  if (!shape) return 0;
  for (const FieldSpec& f : shape->fields)
    if (QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size()))
            .compare(field, Qt::CaseInsensitive) == 0)
      return f.type;
  return 0;
}

}  // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

Table* TableModel::table() const { return source_ ? source_->dataset() : nullptr; }

void TableModel::setDataSource(DataSource* source) {
  for (const auto& c : connections_) disconnect(c);
  connections_.clear();
  source_ = source;
  if (Table* t = table()) {
    for (auto signal : {&Table::afterOpen, &Table::afterClose, &Table::afterPost})
      connections_.push_back(connect(t, signal, this, &TableModel::reset));
  }
  reset();
}

void TableModel::setColumns(std::vector<Column> columns) {
  beginReset();
  columns_ = std::move(columns);
  ownColumns_ = true;
  recent_.clear();
  cache_.clear();
  endReset();
}

std::vector<TableModel::Column> TableModel::shownColumns() const {
  if (ownColumns_) return columns_;
  std::vector<Column> all;
  if (Table* t = table(); t && t->isActive())
    for (const QString& f : t->fieldNames()) all.push_back({f, f, 64, true, true});
  return all;
}

QStringList TableModel::fieldNames() const {
  QStringList names;
  for (const Column& c : shownColumns()) names << c.fieldName;
  return names;
}

void TableModel::reset() {
  beginReset();
  recent_.clear();
  cache_.clear();
  if (!ownColumns_) columns_ = shownColumns();
  Table* t = table();
  placeWindow(t && t->isActive() ? t->recNo() : -1);
  endReset();
}

void TableModel::beginReset() {
  announcing_ = true;
  beginResetModel();
}

void TableModel::endReset() {
  endResetModel();
  announcing_ = false;
}

int TableModel::recordCount() const {
  Table* t = table();
  return t && t->isActive() ? t->recordCount() : 0;
}

void TableModel::placeWindow(int record) {
  const int total = recordCount();
  first_ = 0;
  if (record >= kBatch) first_ = std::max(0, std::min(record - kBatch / 2, total - kBatch));
  rows_ = std::min(kBatch, total - first_);
}

int TableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  // The table may have lost records since the window was placed (another
  // program's change read on refresh resets the model; this is the guard).
  return std::max(0, std::min(rows_, recordCount() - first_));
}

bool TableModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && first_ + rows_ < recordCount();
}

void TableModel::fetchMore(const QModelIndex& parent) {
  // Asked while the model announces a change (by a listener of its signals):
  // the view asks again once it has laid out the new rows.
  if (announcing_ || !canFetchMore(parent)) return;
  const int more = std::min(kBatch, recordCount() - first_ - rows_);
  announcing_ = true;
  beginInsertRows({}, rows_, rows_ + more - 1);
  rows_ += more;
  endInsertRows();
  announcing_ = false;
}

int TableModel::fetchAbove() {
  if (announcing_ || first_ <= 0) return 0;
  const int more = std::min(kBatch, first_);
  announcing_ = true;
  beginInsertRows({}, 0, more - 1);
  first_ -= more;
  rows_ += more;
  endInsertRows();
  announcing_ = false;
  return more;
}

int TableModel::shownRowOfRecord(int record) const {
  return record >= first_ && record < first_ + rowCount() ? record - first_ : -1;
}

int TableModel::rowOfRecord(int record) {
  const int total = recordCount();
  if (record < 0 || record >= total) return -1;
  if (const int row = shownRowOfRecord(record); row >= 0) return row;
  // Near the window: grow it, so the rows the view knows stay where they are.
  if (record >= first_ + rows_ && record < first_ + rows_ + kBatch) {
    fetchMore({});
  } else if (record < first_ && record >= first_ - kBatch) {
    fetchAbove();
  } else {
    beginReset();
    placeWindow(record);
    endReset();
  }
  return shownRowOfRecord(record);
}

int TableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const QVariantList& TableModel::row(int shown) const {
  const int r = first_ + shown;  // the cache is by record, so a moved window keeps it
  if (auto it = cache_.find(r); it != cache_.end()) {
    recent_.splice(recent_.begin(), recent_, it->second.second);
    return it->second.first;
  }
  QVariantList values;
  try {
    values = table()->valuesAt(r, fieldNames());
  } catch (const DatabaseError&) {
    // A record that cannot be read shows empty rather than stopping the view.
    for (size_t i = 0; i < columns_.size(); ++i) values.append(QVariant());
  }
  ++rowsRead_;
  if (cache_.size() >= kCachedRows) {
    cache_.erase(recent_.back());
    recent_.pop_back();
  }
  recent_.push_front(r);
  return cache_.emplace(r, std::make_pair(std::move(values), recent_.begin())).first->second.first;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole) return {};
  const QVariant v = row(index.row()).value(index.column());
  const char type = declaredType(table(), columns_[static_cast<size_t>(index.column())].fieldName);
  if (role == Qt::TextAlignmentRole) {
    const bool number =
        v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong;
    return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  if (role == Qt::EditRole || !v.isValid()) return v;
  if (v.typeId() == QMetaType::QDate) return formats::RegionalFormats::instance().formatDate(v.toDate());
  if (type == '$') return formats::RegionalFormats::instance().formatCurrency(v.toDouble());
  if (v.typeId() == QMetaType::QByteArray) return QVariant();
  return v;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const Column& c = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return c.title.isEmpty() ? c.fieldName : c.title;
  return {};
}

bool TableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return false;
  if (role != Qt::EditRole && role != Qt::DisplayRole) return false;
  columns_[static_cast<size_t>(section)].title = value.toString();
  emit headerDataChanged(orientation, section, section);
  return true;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  // Shown, selectable, never edited in place.
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int TableModel::refresh() {
  Table* t = table();
  if (!t || !t->isActive()) return -1;
  // The table keeps its cursor on the same record, by key.
  beginReset();
  recent_.clear();
  cache_.clear();
  t->refresh();
  placeWindow(t->recNo());
  endReset();
  return shownRowOfRecord(t->recNo());
}

}  // namespace orba::data
