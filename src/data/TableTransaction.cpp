#include "TableTransaction.h"

#include "DatabaseError.h"
#include "FieldValues.h"
#include "Table.h"
#include "paradox/TableWriter.h"

namespace orba::data {

TableTransaction::TableTransaction(Table& table) : table_(table) {
  table_.requireBrowse("start a transaction");
  if (table_.readOnly()) table_.fail(QStringLiteral("the table is read-only"));
  writer_ = table_.openWriter();
}

TableTransaction::~TableTransaction() = default;

int TableTransaction::deleteWhere(const QString& field, const QVariant& value) {
  if (finished_) table_.fail(QStringLiteral("the transaction is over"));
  const int i = table_.physicalIndex(field);
  if (i < 0) table_.fail(QStringLiteral("field %1 not found").arg(field));
  pdx::Value wanted;
  if (!fromVariant(value, table_.reader_->fields()[static_cast<size_t>(i)].type, &wanted, nullptr))
    return 0;  // a value the field cannot hold is in no record
  int deleted = 0;
  pdx::Record record;
  for (uint32_t r = writer_->record_count(); r-- > 0;) {
    pdx::Status s = writer_->Get(r, &record);
    if (s.ok() && record[static_cast<size_t>(i)] == wanted) {
      s = writer_->Delete(r);
      ++deleted;
    }
    if (!s.ok()) throw DatabaseError::fromStatus(s);
  }
  return deleted;
}

void TableTransaction::assign(const std::vector<std::pair<QString, QVariant>>& values,
                              std::vector<pdx::Value>& record) const {
  const auto& fields = table_.reader_->fields();
  for (const auto& [field, value] : values) {
    const int i = table_.physicalIndex(field);
    if (i < 0) table_.fail(QStringLiteral("field %1 not found").arg(field));
    QString error;
    if (!fromVariant(value, fields[static_cast<size_t>(i)].type, &record[static_cast<size_t>(i)], &error))
      table_.fail(QStringLiteral("field %1: %2").arg(field, error));
  }
}

void TableTransaction::insert(const std::vector<std::pair<QString, QVariant>>& values) {
  if (finished_) table_.fail(QStringLiteral("the transaction is over"));
  std::vector<pdx::Value> record(table_.reader_->fields().size(), pdx::Value::Null());
  table_.linkToMaster(record);
  assign(values, record);
  table_.requireValues(record);
  const pdx::Status s = writer_->Insert(record);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
}

int TableTransaction::count() const { return static_cast<int>(writer_->record_count()); }

QVariant TableTransaction::value(int index, const QString& field) const {
  const int i = table_.physicalIndex(field);
  if (i < 0) table_.fail(QStringLiteral("field %1 not found").arg(field));
  if (index < 0 || index >= count()) table_.fail(QStringLiteral("there is no record %1").arg(index + 1));
  pdx::Record record;
  const pdx::Status s = writer_->Get(static_cast<uint32_t>(index), &record);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  return toVariant(record[static_cast<size_t>(i)], table_.reader_->fields()[static_cast<size_t>(i)].type);
}

void TableTransaction::update(int index, const std::vector<std::pair<QString, QVariant>>& values) {
  if (finished_) table_.fail(QStringLiteral("the transaction is over"));
  if (index < 0 || index >= count()) table_.fail(QStringLiteral("there is no record %1").arg(index + 1));
  pdx::Record record;
  pdx::Status s = writer_->Get(static_cast<uint32_t>(index), &record);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  assign(values, record);
  table_.requireValues(record);
  s = writer_->Update(static_cast<uint32_t>(index), record);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
}

void TableTransaction::commit() {
  if (finished_) table_.fail(QStringLiteral("the transaction is over"));
  finished_ = true;
  table_.commit(*writer_);
  // Re-read while the lock is still held, so that what the table shows is
  // what was just stored.
  table_.reopenAt(0);
  writer_.reset();
  emit table_.afterPost();
}

}  // namespace orba::data
