#pragma once

// The records of one list maintenance option, read and changed through the
// data layer, with every check made before anything is written: the key
// unique, required fields given, texts within the table's field sizes,
// numbers that are numbers, and no change stored over a record another
// workstation changed or deleted since it was read.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ListDefinitions.h"

namespace orba::data {
class DatabaseError;
class Table;
}  // namespace orba::data

namespace orba::lists {

// What the user typed, field by field (a check box gives "Y" or "N").
using FormValues = std::vector<std::pair<QString, QString>>;

// A whole stored record, every field of the table in file order.
using Record = QVariantList;

struct Outcome {
  enum class Problem {
    None,
    Required,         // `field` is empty
    TooLong,          // `field` holds more than `size` characters
    NotWhole,         // `field` is not a whole number the field can hold
    NotNumber,        // `field` is not a number
    TooManyDecimals,  // `field` is an amount with more than two decimals
    TooLarge,         // `field` is an amount too large to keep its cents
    Duplicate,        // another record has the key `detail`
    Changed,          // the record was changed elsewhere since it was read
    Deleted,          // the record was deleted elsewhere since it was read
    HasAmounts,       // not deleted: `field` holds an amount
    InStock,          // not deleted: the inventory has records of the product
    Failed,           // the data layer refused; `detail` says why
  };
  Problem problem = Problem::None;
  QString field;
  int size = 0;
  QString detail;
  bool ok() const { return problem == Problem::None; }
};

class RecordStore {
 public:
  // Opens the definition's table in the company's folder; throws
  // data::DatabaseError when it cannot be opened.
  RecordStore(const ListDefinition& definition, const QString& companyDir);
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  const ListDefinition& definition() const { return definition_; }
  // The table's stored fields, in file order: the layout of a Record.
  const QStringList& fields() const { return fields_; }
  // The size of a text field as the table declares it.
  int fieldSize(const QString& field) const;
  QVariant value(const Record& record, const QString& field) const;
  QVariantList keyOf(const Record& record) const;
  // The key as the user reads it: its values joined by a space.
  static QString keyText(const QVariantList& key);

  // Every record as the file holds it now, in key order. Throws
  // data::DatabaseError.
  std::vector<Record> readAll();
  // The record with this key as the file holds it now; none when there is
  // none. Throws data::DatabaseError.
  std::optional<Record> read(const QVariantList& key);

  // The form's texts turned into the values to store, or the first problem.
  Outcome convert(const FormValues& form, std::vector<std::pair<QString, QVariant>>* values) const;

  // Adds a record; on success *added receives it as stored.
  Outcome add(const FormValues& form, Record* added = nullptr);
  // Changes the record the form was loaded from (`loaded`, as it was read),
  // unless the file holds another version of it now; the fields not on the
  // form keep what the file holds. On success *stored receives the record.
  Outcome update(const Record& loaded, const FormValues& form, Record* stored = nullptr);
  // Deletes the record read as `loaded`, unless it changed since, still
  // carries an amount, or is a product the inventory still holds.
  Outcome remove(const Record& loaded);

  // Called after the checks and before the change is written: another
  // workstation may act in between, and the engine, comparing under the
  // table's lock, refuses the change then. Tests act there.
  void setBeforeWrite(std::function<void()> hook) { beforeWrite_ = std::move(hook); }

 private:
  Record current() const;
  // Positions the table on `loaded`'s key as the file holds it now and
  // compares; None when it is there unchanged.
  Outcome findUnchanged(const Record& loaded);
  // Whether the inventory beside the products has records of this one.
  bool inStock(const Record& product) const;
  Outcome writeFailure(const data::DatabaseError& error, const QVariantList& key) const;

  const ListDefinition& definition_;
  std::unique_ptr<data::Table> table_;
  QStringList fields_;
  std::function<void()> beforeWrite_;
};

}  // namespace orba::lists
