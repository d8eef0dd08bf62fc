#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <utility>
#include <vector>

namespace orba::pdx {
class TableWriter;
class Value;
}  // namespace orba::pdx

namespace orba::data {

class Table;

// Several changes to one open table stored at once, or not at all: the
// changes are kept until commit(), which replaces the table's files in one
// step (a crash or a failure before that step leaves the files as they
// were). The table is locked against other writers from the start of the
// transaction to its end, so the changes are based on its current contents.
//
// A transaction that is destroyed without commit(), or whose commit fails,
// stores nothing. Every failure throws DatabaseError naming the table.
class TableTransaction {
 public:
  // The table must be open and not in the middle of an edit.
  explicit TableTransaction(Table& table);
  ~TableTransaction();
  TableTransaction(const TableTransaction&) = delete;
  TableTransaction& operator=(const TableTransaction&) = delete;

  // Deletes every record whose field equals value; returns how many.
  int deleteWhere(const QString& field, const QVariant& value);
  // Adds a record with the given fields (by name; the others empty, or the
  // master's link for a detail table, or the next number for an
  // autoincrement field).
  void insert(const std::vector<std::pair<QString, QVariant>>& values);
  // Records in the table as the transaction has it so far.
  int count() const;
  // A field of record `index` (in file order) as the transaction has it so
  // far: what another writer stored before the transaction began included.
  QVariant value(int index, const QString& field) const;
  // Changes the named fields of record `index` (in file order), leaving its
  // other fields as they are.
  void update(int index, const std::vector<std::pair<QString, QVariant>>& values);
  // Stores every change, then the table reads its file again and shows the
  // first of its records.
  void commit();

 private:
  // Converts each named value into its field of `record`.
  void assign(const std::vector<std::pair<QString, QVariant>>& values, std::vector<pdx::Value>& record) const;

  Table& table_;
  std::unique_ptr<pdx::TableWriter> writer_;
  bool finished_ = false;
};

}  // namespace orba::data
