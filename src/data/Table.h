#pragma once

#include <QObject>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "DatabaseError.h"
#include "TableSchemas.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::data {

// The file of a table in a directory, whatever the letter case on disk: the
// file as found, or the name as given when there is none. A name without
// extension is a ".db" table.
QString resolveTableFile(const QString& directory, const QString& tableName);

// A table component: one Paradox table, opened by directory (or by the
// alias of a named database) and name, with a cursor on one record.
//
// The name's letter case does not matter: "apps.DB" and "apps.db" are one
// table, whatever the case of the file on disk. The fields the program
// declares must exist in the file with the declared type, or the table does
// not open. Declared calculated fields are not stored: an OnCalcFields
// handler sets them for each record read; they are null until it does.
//
// Changes go through Edit/Append/Insert, SetValue and Post, each Post
// committed to disk at once under the table's lock. Every failure throws
// DatabaseError with a message that names the table.
//
// A detail table linked to a master shows only the records whose detail
// field equals the master's field in the master's current record, and
// follows the master as it moves.
class Table : public QObject {
  Q_OBJECT
 public:
  enum class State { Inactive, Browse, Edit, Insert };

  explicit Table(const QString& componentName, QObject* parent = nullptr);
  ~Table() override;

  // Declares the fields (and the key of a table this program creates).
  void declare(const TableSpec& shape);
  const TableSpec* declaration() const { return spec_; }

  QString databaseName() const { return databaseName_; }
  // An alias of a named database, or a directory path.
  void setDatabaseName(const QString& aliasOrDirectory);
  QString tableName() const { return tableName_; }
  void setTableName(const QString& name);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly);
  // The directory the table lives in, and its file as found on disk.
  QString directory() const;
  QString filePath() const;
  bool exists() const;

  using CalcFields = std::function<void(Table&)>;
  void setOnCalcFields(CalcFields handler) { onCalc_ = std::move(handler); }
  // Only from an OnCalcFields handler: sets a calculated field.
  void setCalculated(const QString& field, const QVariant& value);

  void setMaster(Table* master, const QString& masterField, const QString& detailField);

  // Creates the table from the declared fields (calculated ones excluded),
  // its first `keyFields` fields forming the primary unique key.
  void createTable();

  void open();
  void close();
  bool isActive() const { return state_ != State::Inactive; }
  State state() const { return state_; }
  // Re-reads the file, keeping the cursor on the same position.
  void refresh();

  // Navigation over the visible records.
  int recordCount() const;
  int recNo() const { return cursor_; }  // 0-based; -1 when empty
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  void first();
  void next();
  void prior();
  void last();
  void moveTo(int position);

  QStringList fieldNames() const;
  // The size of a stored field as the file declares it (length of an alpha
  // or bytes field); -1 when there is no such field.
  int fieldSize(const QString& field) const;
  bool hasField(const QString& name) const;
  // The current record's value (the edited one while editing).
  QVariant value(const QString& field) const;
  bool isNull(const QString& field) const { return !value(field).isValid(); }
  QString text(const QString& field) const { return value(field).toString(); }
  // The record at a visible position, without moving the cursor.
  QVariant valueAt(int position, const QString& field);
  // Several stored fields of the record at a visible position, read once;
  // an unknown field gives an invalid value.
  QVariantList valuesAt(int position, const QStringList& fields);

  // Keyed lookup on the primary index: true and positioned when found;
  // otherwise the cursor stays where it was.
  bool findKey(const QVariantList& key);
  // The first visible record, from the start, whose field equals value;
  // text compared without regard to case when asked.
  bool locate(const QString& field, const QVariant& value, bool caseInsensitive = false);

  void edit();
  void append();
  void insert() { append(); }
  void setValue(const QString& field, const QVariant& value);
  void post();
  void cancel();
  void deleteRecord();

  // How long a change waits while another program or workstation holds the
  // table, for every table of the process; then it fails with "table X is
  // in use by another program or workstation". Five seconds unless set.
  static void setLockWait(std::chrono::milliseconds wait);
  static std::chrono::milliseconds lockWait();
  // Who is told when a change was stored but something after it could not
  // be completed (an index left to rebuild); the log unless set.
  using NoteHandler = std::function<void(const QString&)>;
  static void setNoteHandler(NoteHandler handler);

  // The file system every table of the process reads and writes through;
  // nullptr (the default) is the system's. Tests put faults here.
  static void setEnv(pdx::Env* env);

  QByteArray blob(const QString& field) const { return value(field).toByteArray(); }
  void setBlob(const QString& field, const QByteArray& data) { setValue(field, data); }

 signals:
  void afterOpen();
  void afterClose();
  // The cursor moved or the visible records changed.
  void afterScroll();
  void afterPost();

 private:
  int physicalIndex(const QString& field) const;
  int calculatedIndex(const QString& field) const;
  void requireActive() const;
  void requireBrowse(const char* what) const;
  void checkDeclaredFields();
  // The records the table shows: all of them, or a detail's share.
  void rebuildView();
  std::vector<uint32_t> detailView();
  // Reads the record at a visible position and makes it current; on a read
  // error nothing changes.
  void loadAt(int position);
  void readRecord(int position, pdx::Record* record);
  uint32_t physicalRecord(int position) const;
  void reopenAt(int physicalRecord);
  std::unique_ptr<pdx::Table> openReader() const;
  std::unique_ptr<pdx::TableWriter> openWriter() const;
  void commit(pdx::TableWriter& writer);
  [[noreturn]] void fail(const QString& what) const;
  // Fills in the master's link of a detail's new record.
  void linkToMaster(std::vector<pdx::Value>& record) const;
  void requireValues(const std::vector<pdx::Value>& record) const;
  friend class TableTransaction;

  const TableSpec* spec_ = nullptr;
  QString databaseName_;
  QString tableName_;
  bool readOnly_ = false;
  CalcFields onCalc_;
  QStringList calculatedNames_;

  Table* master_ = nullptr;
  QString masterField_;
  QString detailField_;
  QMetaObject::Connection masterConnection_;

  // The file the table was opened on: writes and re-reads go to it even
  // when the database's directory changes meanwhile.
  QString openPath_;
  std::unique_ptr<pdx::Table> reader_;
  std::vector<uint32_t> view_;  // physical record numbers when filtered
  bool filtered_ = false;
  State state_ = State::Inactive;
  int cursor_ = -1;
  bool eof_ = true;
  bool bof_ = true;
  pdx::Record current_;
  // Why the current record could not be read: moving onto a damaged record
  // succeeds, reading or editing its values fails with this.
  std::optional<DatabaseError> currentError_;
  std::vector<QVariant> calculated_;
  pdx::Record editing_;
  pdx::Record original_;
};

}  // namespace orba::data
