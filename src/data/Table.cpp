#include "Table.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "Database.h"
#include "DatabaseError.h"
#include "FieldValues.h"
#include "SharedFolder.h"
#include "paradox/RecordCodec.h"
#include "paradox/TableWriter.h"
#include "paradox/TextCodec.h"

namespace orba::data {

namespace {

QString qstr(const std::string& s) { return QString::fromUtf8(s); }
QString qstr(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

QString resolveTableFile(const QString& directory, const QString& tableName) {
  QString name = tableName;
  if (!name.contains(QLatin1Char('.'))) name += QStringLiteral(".db");
  const QDir dir(directory);
  if (dir.exists(name)) return dir.filePath(name);
  const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
  for (const QString& entry : entries)
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
  return dir.filePath(name);
}

Table::Table(const QString& componentName, QObject* parent) : QObject(parent) {
  setObjectName(componentName);
}

Table::~Table() = default;

void Table::declare(const TableSpec& shape) {
  spec_ = &shape;
  tableName_ = qstr(shape.file);
  calculatedNames_.clear();
  for (const FieldSpec& f : shape.fields)
    if (f.calculated) calculatedNames_ << qstr(f.name);
}

void Table::setDatabaseName(const QString& aliasOrDirectory) {
  if (isActive()) fail(QStringLiteral("cannot change the database of an open table"));
  databaseName_ = aliasOrDirectory;
}

void Table::setTableName(const QString& name) {
  if (isActive()) fail(QStringLiteral("cannot change the name of an open table"));
  tableName_ = name;
}

void Table::setReadOnly(bool readOnly) {
  if (isActive()) fail(QStringLiteral("cannot change an open table to read-only or back"));
  readOnly_ = readOnly;
}

QString Table::directory() const {
  if (Database* db = Database::byAlias(databaseName_)) return db->directory();
  return databaseName_;
}

QString Table::filePath() const { return resolveTableFile(directory(), tableName_); }

bool Table::exists() const { return QFileInfo::exists(filePath()); }

void Table::fail(const QString& what) const {
  throw DatabaseError(QStringLiteral("%1: %2").arg(tableName_.isEmpty() ? objectName() : tableName_, what));
}

void Table::setMaster(Table* master, const QString& masterField, const QString& detailField) {
  if (masterConnection_) disconnect(masterConnection_);
  master_ = master;
  masterField_ = masterField;
  detailField_ = detailField;
  if (master_)
    masterConnection_ = connect(master_, &Table::afterScroll, this, [this] {
      if (!isActive() || state_ != State::Browse) return;
      // The master's move succeeded whatever happens here: a detail that
      // cannot follow shows nothing rather than another record's rows.
      try {
        rebuildView();
        first();
      } catch (const DatabaseError&) {
        view_.clear();
        filtered_ = true;
        cursor_ = -1;
        current_.clear();
        currentError_.reset();
        eof_ = bof_ = true;
      }
    });
}

namespace {
pdx::Env*& envSetting() {
  static pdx::Env* env = nullptr;
  return env;
}
}  // namespace

void Table::createTable() {
  if (!spec_) fail(QStringLiteral("no fields are declared"));
  std::vector<pdx::FieldDef> fields;
  for (const FieldSpec& f : spec_->fields)
    if (!f.calculated) fields.push_back(toFieldDef(f));
  pdx::CreateOptions options;
  options.key_field_count = static_cast<unsigned>(spec_->keyFields);
  options.env = envSetting();
  if (const std::string error = files::makeSharedFolder(QFile::encodeName(directory()).toStdString());
      !error.empty())
    throw DatabaseError(QString::fromStdString(error), DatabaseError::Kind::MissingFolder, directory());
  const pdx::Status s = pdx::CreateTable(filePath().toStdString(), fields, options);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
}

std::unique_ptr<pdx::Table> Table::openReader() const {
  std::unique_ptr<pdx::Table> reader;
  pdx::OpenOptions options;
  options.env = envSetting();
  const pdx::Status s = pdx::Table::Open(openPath_.toStdString(), options, &reader);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  return reader;
}

namespace {
std::chrono::milliseconds& lockWaitSetting() {
  static std::chrono::milliseconds wait{5000};
  return wait;
}
Table::NoteHandler& noteHandler() {
  static Table::NoteHandler handler;
  return handler;
}
}  // namespace

void Table::setLockWait(std::chrono::milliseconds wait) { lockWaitSetting() = wait; }
std::chrono::milliseconds Table::lockWait() { return lockWaitSetting(); }
void Table::setNoteHandler(NoteHandler handler) { noteHandler() = std::move(handler); }
void Table::setEnv(pdx::Env* env) { envSetting() = env; }

std::unique_ptr<pdx::TableWriter> Table::openWriter() const {
  // Another program may hold the table for a moment; a hung one must not
  // freeze the window, so waiting has a limit.
  pdx::WriteOptions options;
  options.lock_wait = lockWaitSetting();
  options.env = envSetting();
  std::unique_ptr<pdx::TableWriter> writer;
  const pdx::Status s = pdx::TableWriter::Open(openPath_.toStdString(), options, &writer);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  return writer;
}

void Table::commit(pdx::TableWriter& writer) {
  const pdx::Status s = writer.Commit();
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  // Stored, with something left to repair: said, never reported as failed.
  if (!writer.commit_note().empty()) {
    const QString note = qstr(writer.commit_note());
    if (noteHandler())
      noteHandler()(note);
    else
      qWarning().noquote() << note;
  }
}

int Table::physicalIndex(const QString& field) const {
  if (!reader_) return -1;
  const auto& fields = reader_->fields();
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (qstr(fields[i].name).compare(field, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

void Table::checkDeclaredFields() {
  if (!spec_) return;
  for (const FieldSpec& f : spec_->fields) {
    if (f.calculated) continue;
    const int i = physicalIndex(qstr(f.name));
    if (i < 0) fail(QStringLiteral("field %1 not found").arg(qstr(f.name)));
    const char actual = pdx::FieldTypeLetter(reader_->fields()[static_cast<size_t>(i)].type);
    if (actual != f.type)
      fail(QStringLiteral("field %1 has type %2, expected %3")
               .arg(qstr(f.name))
               .arg(QChar(actual))
               .arg(QChar(f.type)));
  }
}

void Table::open() {
  if (isActive()) return;
  openPath_ = filePath();
  reader_ = openReader();
  try {
    checkDeclaredFields();
    state_ = State::Browse;
    rebuildView();
    cursor_ = -1;
    eof_ = bof_ = true;
    if (recordCount() > 0) loadAt(0);
  } catch (...) {
    reader_.reset();
    view_.clear();
    current_.clear();
    currentError_.reset();
    state_ = State::Inactive;
    throw;
  }
  emit afterOpen();
  emit afterScroll();
}

void Table::close() {
  if (!isActive()) return;
  reader_.reset();
  view_.clear();
  current_.clear();
  currentError_.reset();
  calculated_.clear();
  editing_.clear();
  original_.clear();
  state_ = State::Inactive;
  cursor_ = -1;
  eof_ = bof_ = true;
  emit afterClose();
}

void Table::refresh() {
  requireBrowse("refresh");
  const int at = cursor_;
  // The cursor stays on its record, found again by its primary key: records
  // another workstation added or deleted move it, not the user's place.
  QVariantList key;
  if (at >= 0 && recordCount() > 0)
    for (unsigned k = 0; k < reader_->key_field_count(); ++k)
      key.append(value(qstr(reader_->fields()[k].name)));
  reader_ = openReader();
  rebuildView();
  if (!key.isEmpty() && findKey(key)) return;
  moveTo(std::min(at, recordCount() - 1));
}

std::vector<uint32_t> Table::detailView() {
  std::vector<uint32_t> view;
  // A detail without a current master record shows nothing, never
  // everybody's records.
  if (!master_->isActive() || master_->recordCount() == 0) return view;
  const int field = physicalIndex(detailField_);
  if (field < 0) fail(QStringLiteral("field %1 not found").arg(detailField_));
  const QVariant key = master_->value(masterField_);
  if (!key.isValid()) return view;
  const pdx::FieldDef& link = reader_->fields()[static_cast<size_t>(field)];
  if (pdx::IsBlobType(link.type)) fail(QStringLiteral("field %1 cannot link two tables").arg(detailField_));
  // Only the linking field is decoded: a damaged value elsewhere in another
  // master's record (a bad memo) must not hide this master's records.
  pdx::TextCodec codec(reader_->code_page());
  std::string raw;
  for (uint32_t i = 0; i < reader_->record_count(); ++i) {
    const pdx::Status s = reader_->ReadRawRecord(i, &raw);
    if (!s.ok()) throw DatabaseError::fromStatus(s);
    const auto* bytes =
        reinterpret_cast<const uint8_t*>(raw.data()) + reader_->field_offset(static_cast<size_t>(field));
    if (toVariant(pdx::DecodeField(link, bytes, &codec), link.type) == key) view.push_back(i);
  }
  return view;
}

void Table::rebuildView() {
  if (!master_) {
    filtered_ = false;
    view_.clear();
    return;
  }
  std::vector<uint32_t> view = detailView();  // may throw: the old view stays
  view_ = std::move(view);
  filtered_ = true;
}

int Table::recordCount() const {
  if (!isActive()) return 0;
  return filtered_ ? static_cast<int>(view_.size()) : static_cast<int>(reader_->record_count());
}

uint32_t Table::physicalRecord(int position) const {
  return filtered_ ? view_.at(static_cast<size_t>(position)) : static_cast<uint32_t>(position);
}

void Table::readRecord(int position, pdx::Record* record) {
  if (position < 0 || position >= recordCount())
    fail(QStringLiteral("record %1 does not exist").arg(position));
  const pdx::Status s = reader_->ReadRecord(physicalRecord(position), record);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
}

void Table::loadAt(int position) {
  pdx::Record record;
  currentError_.reset();
  try {
    readRecord(position, &record);
  } catch (const DatabaseError& e) {
    // The cursor moves all the same: one damaged record must not stop a
    // list, or a detail table, from showing the others.
    record.assign(reader_->fields().size(), pdx::Value());
    currentError_ = e;
  }
  cursor_ = position;
  current_ = std::move(record);
  calculated_.assign(static_cast<size_t>(calculatedNames_.size()), QVariant());
  if (onCalc_) onCalc_(*this);
}

void Table::moveTo(int position) {
  requireBrowse("move to another record");
  const int count = recordCount();
  if (count == 0) {
    cursor_ = -1;
    current_.clear();
    currentError_.reset();
    calculated_.assign(static_cast<size_t>(calculatedNames_.size()), QVariant());
    eof_ = bof_ = true;
  } else {
    loadAt(std::clamp(position, 0, count - 1));
    bof_ = position <= 0;
    eof_ = position >= count;
  }
  emit afterScroll();
}

void Table::first() { moveTo(0); }
void Table::last() { moveTo(recordCount() - 1); }

void Table::next() {
  requireBrowse("move to another record");
  if (cursor_ + 1 >= recordCount()) {
    eof_ = true;
    return;
  }
  loadAt(cursor_ + 1);
  bof_ = false;
  emit afterScroll();
}

void Table::prior() {
  requireBrowse("move to another record");
  if (cursor_ <= 0) {
    bof_ = true;
    return;
  }
  loadAt(cursor_ - 1);
  eof_ = false;
  emit afterScroll();
}

int Table::calculatedIndex(const QString& field) const {
  for (int i = 0; i < calculatedNames_.size(); ++i)
    if (calculatedNames_[i].compare(field, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QStringList Table::fieldNames() const {
  QStringList names;
  if (reader_)
    for (const auto& f : reader_->fields()) names << qstr(f.name);
  names << calculatedNames_;
  return names;
}

int Table::fieldSize(const QString& field) const {
  const int i = physicalIndex(field);
  return i < 0 ? -1 : reader_->fields()[static_cast<size_t>(i)].size;
}

bool Table::hasField(const QString& name) const {
  return physicalIndex(name) >= 0 || calculatedIndex(name) >= 0;
}

QVariant Table::value(const QString& field) const {
  requireActive();
  if (const int c = calculatedIndex(field); c >= 0)
    return static_cast<size_t>(c) < calculated_.size() ? calculated_[static_cast<size_t>(c)] : QVariant();
  const int i = physicalIndex(field);
  if (i < 0) fail(QStringLiteral("field %1 not found").arg(field));
  if (state_ == State::Browse && currentError_) throw *currentError_;
  const pdx::Record& record = state_ == State::Browse ? current_ : editing_;
  if (static_cast<size_t>(i) >= record.size()) return {};
  return toVariant(record[static_cast<size_t>(i)], reader_->fields()[static_cast<size_t>(i)].type);
}

QVariant Table::valueAt(int position, const QString& field) {
  requireActive();
  const int i = physicalIndex(field);
  if (i < 0) fail(QStringLiteral("field %1 not found").arg(field));
  if (position < 0 || position >= recordCount()) return {};
  pdx::Record record;
  readRecord(position, &record);
  return toVariant(record[static_cast<size_t>(i)], reader_->fields()[static_cast<size_t>(i)].type);
}

QVariantList Table::valuesAt(int position, const QStringList& fields) {
  requireActive();
  QVariantList out;
  out.reserve(fields.size());
  if (position < 0 || position >= recordCount()) {
    for (qsizetype i = 0; i < fields.size(); ++i) out.append(QVariant());
    return out;
  }
  pdx::Record record;
  readRecord(position, &record);
  for (const QString& field : fields) {
    const int i = physicalIndex(field);
    out.append(
        i < 0 || static_cast<size_t>(i) >= record.size()
            ? QVariant()
            : toVariant(record[static_cast<size_t>(i)], reader_->fields()[static_cast<size_t>(i)].type));
  }
  return out;
}

void Table::setCalculated(const QString& field, const QVariant& value) {
  const int c = calculatedIndex(field);
  if (c < 0 || static_cast<size_t>(c) >= calculated_.size())
    fail(QStringLiteral("field %1 is not a calculated field being computed").arg(field));
  calculated_[static_cast<size_t>(c)] = value;
}

bool Table::findKey(const QVariantList& key) {
  requireBrowse("find a key");
  const unsigned keyFields = reader_->key_field_count();
  if (keyFields == 0) fail(QStringLiteral("the table has no primary index"));
  if (key.isEmpty() || static_cast<unsigned>(key.size()) > keyFields)
    fail(QStringLiteral("a key of %1 values does not fit the primary index").arg(key.size()));
  std::vector<pdx::Value> values;
  for (int k = 0; k < key.size(); ++k) {
    pdx::Value v;
    // A value the key field cannot hold cannot be in the table.
    if (!fromVariant(key[k], reader_->fields()[static_cast<size_t>(k)].type, &v, nullptr)) return false;
    values.push_back(std::move(v));
  }
  if (values.size() < keyFields) {
    // A partial key is matched on its leading fields by a scan.
    for (int p = 0; p < recordCount(); ++p) {
      pdx::Record record;
      readRecord(p, &record);
      if (std::equal(values.begin(), values.end(), record.begin())) {
        moveTo(p);
        return true;
      }
    }
    return false;
  }
  uint32_t index = 0;
  bool found = false;
  const pdx::Status s = reader_->Find(values, &index, &found);
  if (s.IsInvalidArgument()) return false;  // too long, or not in the code page
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  if (!found) return false;
  if (!filtered_) {
    moveTo(static_cast<int>(index));
    return true;
  }
  const auto it = std::find(view_.begin(), view_.end(), index);
  if (it == view_.end()) return false;
  moveTo(static_cast<int>(it - view_.begin()));
  return true;
}

bool Table::locate(const QString& field, const QVariant& wanted, bool caseInsensitive) {
  requireBrowse("locate a record");
  if (physicalIndex(field) < 0) fail(QStringLiteral("field %1 not found").arg(field));
  const int count = recordCount();
  for (int p = 0; p < count; ++p) {
    const QVariant v = valueAt(p, field);
    const bool match =
        caseInsensitive && v.typeId() == QMetaType::QString
            ? v.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0
            : v == wanted || (v.isValid() && wanted.isValid() && v.toString() == wanted.toString());
    if (match) {
      moveTo(p);
      return true;
    }
  }
  return false;
}

void Table::requireActive() const {
  if (!isActive()) fail(QStringLiteral("the table is not open"));
}

void Table::requireBrowse(const char* what) const {
  requireActive();
  if (state_ != State::Browse)
    fail(QStringLiteral("cannot %1 while a record is being edited").arg(QLatin1String(what)));
}

void Table::edit() {
  requireBrowse("edit");
  if (readOnly_) fail(QStringLiteral("the table is read-only"));
  if (cursor_ < 0 || current_.size() != reader_->fields().size())
    fail(QStringLiteral("there is no record to edit"));
  if (currentError_) throw *currentError_;
  original_ = current_;
  editing_ = current_;
  state_ = State::Edit;
}

void Table::append() {
  requireBrowse("add a record");
  if (readOnly_) fail(QStringLiteral("the table is read-only"));
  original_.clear();
  editing_.assign(reader_->fields().size(), pdx::Value::Null());
  state_ = State::Insert;
  linkToMaster(editing_);
}

void Table::linkToMaster(std::vector<pdx::Value>& record) const {
  // A detail's new record belongs to the master's current record.
  if (!master_ || !master_->isActive() || master_->recordCount() == 0) return;
  const int field = physicalIndex(detailField_);
  pdx::Value link;
  if (field >= 0 && fromVariant(master_->value(masterField_),
                                reader_->fields()[static_cast<size_t>(field)].type, &link, nullptr))
    record[static_cast<size_t>(field)] = std::move(link);
}

void Table::requireValues(const std::vector<pdx::Value>& record) const {
  if (!spec_) return;
  for (const FieldSpec& f : spec_->fields) {
    const int i = f.required && !f.calculated ? physicalIndex(qstr(f.name)) : -1;
    if (i >= 0 && record[static_cast<size_t>(i)].is_null())
      throw DatabaseError(QStringLiteral("%1: field %2 must have a value").arg(tableName_, qstr(f.name)),
                          DatabaseError::Kind::Required, qstr(f.name));
  }
}

void Table::setValue(const QString& field, const QVariant& value) {
  if (state_ != State::Edit && state_ != State::Insert) fail(QStringLiteral("the table is not in edit mode"));
  const int i = physicalIndex(field);
  if (i < 0 || static_cast<size_t>(i) >= editing_.size())
    fail(QStringLiteral("field %1 not found").arg(field));
  pdx::Value v;
  QString error;
  if (!fromVariant(value, reader_->fields()[static_cast<size_t>(i)].type, &v, &error))
    throw DatabaseError(QStringLiteral("%1: field %2: %3").arg(tableName_, field, error),
                        DatabaseError::Kind::InvalidValue, field);
  editing_[static_cast<size_t>(i)] = std::move(v);
}

void Table::cancel() {
  if (state_ != State::Edit && state_ != State::Insert) return;
  editing_.clear();
  original_.clear();
  state_ = State::Browse;
  // The master may have moved while this record was being edited.
  rebuildView();
  moveTo(std::min(cursor_, recordCount() - 1));
}

namespace {

// The writer's position of the record that was read as `original`: where it
// was when read, unless the table changed since; then wherever it is now.
bool findRecord(pdx::TableWriter& writer, uint32_t hint, const pdx::Record& original, uint32_t* index) {
  pdx::Record record;
  if (hint < writer.record_count() && writer.Get(hint, &record).ok() && record == original) {
    *index = hint;
    return true;
  }
  for (uint32_t i = 0; i < writer.record_count(); ++i)
    if (writer.Get(i, &record).ok() && record == original) {
      *index = i;
      return true;
    }
  return false;
}

}  // namespace

void Table::post() {
  if (state_ != State::Edit && state_ != State::Insert) return;
  requireValues(editing_);

  std::unique_ptr<pdx::TableWriter> writer = openWriter();
  uint32_t index = 0;
  pdx::Status s;
  if (state_ == State::Insert) {
    s = writer->Insert(editing_, &index);
  } else {
    uint32_t at = 0;
    if (!findRecord(*writer, physicalRecord(cursor_), original_, &at))
      fail(QStringLiteral("the record was changed by another user"));
    s = writer->Update(at, editing_, &index);
  }
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  commit(*writer);

  editing_.clear();
  original_.clear();
  state_ = State::Browse;
  // Re-read while still holding the lock, so that the position found is the
  // record just written.
  reopenAt(static_cast<int>(index));
  writer.reset();
  emit afterPost();
}

void Table::deleteRecord() {
  requireBrowse("delete a record");
  if (readOnly_) fail(QStringLiteral("the table is read-only"));
  if (cursor_ < 0) fail(QStringLiteral("there is no record to delete"));
  std::unique_ptr<pdx::TableWriter> writer = openWriter();
  uint32_t at = 0;
  if (!findRecord(*writer, physicalRecord(cursor_), current_, &at))
    fail(QStringLiteral("the record was changed by another user"));
  const pdx::Status s = writer->Delete(at);
  if (!s.ok()) throw DatabaseError::fromStatus(s);
  commit(*writer);
  const int position = cursor_;
  reader_ = openReader();
  rebuildView();
  writer.reset();
  moveTo(std::min(position, recordCount() - 1));
}

void Table::reopenAt(int physicalRecord) {
  reader_ = openReader();
  rebuildView();
  int position = physicalRecord;
  if (filtered_) {
    const auto it = std::find(view_.begin(), view_.end(), static_cast<uint32_t>(physicalRecord));
    position = it == view_.end() ? 0 : static_cast<int>(it - view_.begin());
  }
  moveTo(position);
}

}  // namespace orba::data
