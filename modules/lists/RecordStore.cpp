#include "RecordStore.h"

#include <QLocale>
#include <cmath>

#include "Amounts.h"
#include "DatabaseError.h"
#include "Table.h"

namespace orba::lists {

namespace sc = data::schemas;

namespace {

QString name(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

const data::FieldSpec* declaredField(const ListDefinition& d, const QString& field) {
  for (const data::FieldSpec& f : d.table->fields)
    if (name(f.name).compare(field, Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

bool parseWhole(const QString& text, qlonglong* out) {
  bool ok = false;
  qlonglong n = QLocale().toLongLong(text, &ok);
  if (!ok) n = QLocale::c().toLongLong(text, &ok);
  if (!ok) return false;
  *out = n;
  return true;
}

// The data layer's words for a record that another workstation changed or
// that another record's key already holds (see Table::post and the engine's
// keyed insert).
bool says(const QString& message, const char* words) {
  return message.contains(QLatin1String(words), Qt::CaseInsensitive);
}

}  // namespace

RecordStore::RecordStore(const ListDefinition& definition, const QString& companyDir)
    : definition_(definition),
      table_(std::make_unique<data::Table>(QString::fromUtf8(definition.table->component))) {
  table_->declare(*definition.table);
  table_->setDatabaseName(companyDir);
  table_->open();
  for (const QString& f : table_->fieldNames())
    if (declaredField(definition_, f) == nullptr || !declaredField(definition_, f)->calculated) fields_ << f;
}

RecordStore::~RecordStore() = default;

int RecordStore::fieldSize(const QString& field) const { return table_->fieldSize(field); }

QVariant RecordStore::value(const Record& record, const QString& field) const {
  for (qsizetype i = 0; i < fields_.size() && i < record.size(); ++i)
    if (fields_[i].compare(field, Qt::CaseInsensitive) == 0) return record[i];
  return {};
}

QVariantList RecordStore::keyOf(const Record& record) const {
  QVariantList key;
  for (int i = 0; i < definition_.keyFields; ++i)
    key << value(record, QString::fromUtf8(definition_.fields[static_cast<size_t>(i)].name));
  return key;
}

QString RecordStore::keyText(const QVariantList& key) {
  QStringList parts;
  for (const QVariant& v : key) parts << v.toString();
  return parts.join(QLatin1Char(' '));
}

Record RecordStore::current() const {
  Record r;
  for (const QString& f : fields_) r << table_->value(f);
  return r;
}

std::vector<Record> RecordStore::readAll() {
  table_->refresh();
  std::vector<Record> out;
  const int count = table_->recordCount();
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back(table_->valuesAt(i, fields_));
  return out;
}

namespace {

// Positions the table on the record with this key: through the primary
// index when the table has one, by reading it through otherwise.
bool seek(data::Table& table, const QStringList& keyFields, const QVariantList& key) {
  try {
    return table.findKey(key);
  } catch (const data::DatabaseError&) {
    // No primary index: compare record by record.
  }
  for (int p = 0; p < table.recordCount(); ++p)
    if (table.valuesAt(p, keyFields) == key) {
      table.moveTo(p);
      return true;
    }
  return false;
}

}  // namespace

std::optional<Record> RecordStore::read(const QVariantList& key) {
  table_->refresh();
  QStringList keyFields;
  for (int i = 0; i < definition_.keyFields; ++i)
    keyFields << QString::fromUtf8(definition_.fields[static_cast<size_t>(i)].name);
  if (!seek(*table_, keyFields, key)) return std::nullopt;
  return current();
}

Outcome RecordStore::convert(const FormValues& form,
                             std::vector<std::pair<QString, QVariant>>* values) const {
  values->clear();
  for (size_t i = 0; i < definition_.fields.size(); ++i) {
    const ListField& lf = definition_.fields[i];
    const QString field = QString::fromUtf8(lf.name);
    QString text;
    for (const auto& [f, t] : form)
      if (f == field) text = t;
    text = text.trimmed();
    const data::FieldSpec* declared = declaredField(definition_, field);
    const bool required = static_cast<int>(i) < definition_.keyFields || (declared && declared->required);
    Outcome problem;
    problem.field = field;
    if (text.isEmpty()) {
      if (required) {
        problem.problem = Outcome::Problem::Required;
        return problem;
      }
      values->emplace_back(field, QVariant());
      continue;
    }
    switch (lf.kind) {
      case FieldKind::Text:
      case FieldKind::YesNo: {
        const int size = fieldSize(field);
        if (size > 0 && text.size() > size) {
          problem.problem = Outcome::Problem::TooLong;
          problem.size = size;
          return problem;
        }
        values->emplace_back(field, text);
        break;
      }
      case FieldKind::Whole: {
        qlonglong n = 0;
        // The engine keeps the most negative value for "empty".
        const qlonglong limit = declared && declared->type == 'S' ? 32767 : 2147483647;
        if (!parseWhole(text, &n) || n < -limit || n > limit) {
          problem.problem = Outcome::Problem::NotWhole;
          return problem;
        }
        values->emplace_back(field, static_cast<int>(n));
        break;
      }
      case FieldKind::Number:
      case FieldKind::Money: {
        const std::optional<TypedNumber> n = parseTypedNumber(text);
        if (!n) {
          problem.problem = Outcome::Problem::NotNumber;
          return problem;
        }
        // An amount is kept to the cent: more decimals are refused rather
        // than rounded away without a word.
        if (lf.kind == FieldKind::Money && n->decimals > kAmountDecimals) {
          problem.problem = Outcome::Problem::TooManyDecimals;
          return problem;
        }
        if (lf.kind == FieldKind::Money && std::fabs(n->value) >= kLargestAmount) {
          problem.problem = Outcome::Problem::TooLarge;
          return problem;
        }
        values->emplace_back(field, n->value);
        break;
      }
    }
  }
  return {};
}

Outcome RecordStore::writeFailure(const data::DatabaseError& error, const QVariantList& key) const {
  const QString& message = error.message();
  Outcome o;
  if (says(message, "changed by another user")) {
    o.problem = Outcome::Problem::Changed;
  } else if (says(message, "duplicate key")) {
    o.problem = Outcome::Problem::Duplicate;
    o.detail = keyText(key);
  } else {
    o.problem = Outcome::Problem::Failed;
    o.detail = error.userText();
  }
  return o;
}

Outcome RecordStore::add(const FormValues& form, Record* added) {
  std::vector<std::pair<QString, QVariant>> values;
  Outcome o = convert(form, &values);
  if (!o.ok()) return o;
  QVariantList key;
  for (int i = 0; i < definition_.keyFields; ++i) key << values[static_cast<size_t>(i)].second;
  try {
    if (read(key)) {
      o.problem = Outcome::Problem::Duplicate;
      o.detail = keyText(key);
      return o;
    }
    if (beforeWrite_) beforeWrite_();
    table_->append();
    for (const auto& [field, value] : values) table_->setValue(field, value);
    // Another workstation may add the same key meanwhile: the engine refuses
    // the second one under the table's lock.
    table_->post();
  } catch (const data::DatabaseError& e) {
    table_->cancel();
    return writeFailure(e, key);
  }
  if (added) *added = current();
  return {};
}

Outcome RecordStore::findUnchanged(const Record& loaded) {
  Outcome o;
  const std::optional<Record> now = read(keyOf(loaded));
  if (!now)
    o.problem = Outcome::Problem::Deleted;
  else if (*now != loaded)
    o.problem = Outcome::Problem::Changed;
  return o;
}

Outcome RecordStore::update(const Record& loaded, const FormValues& form, Record* stored) {
  std::vector<std::pair<QString, QVariant>> values;
  Outcome o = convert(form, &values);
  if (!o.ok()) return o;
  QVariantList key;
  for (int i = 0; i < definition_.keyFields; ++i) key << values[static_cast<size_t>(i)].second;
  try {
    if (key != keyOf(loaded) && read(key)) {
      o.problem = Outcome::Problem::Duplicate;
      o.detail = keyText(key);
      return o;
    }
    o = findUnchanged(loaded);
    if (!o.ok()) return o;
    // The table now holds `loaded` as its current record: the engine
    // compares it once more with the file under the table's lock, so a
    // change made after this read is refused as well.
    if (beforeWrite_) beforeWrite_();
    table_->edit();
    for (const auto& [field, value] : values) table_->setValue(field, value);
    table_->post();
  } catch (const data::DatabaseError& e) {
    table_->cancel();
    return writeFailure(e, key);
  }
  if (stored) *stored = current();
  return {};
}

bool RecordStore::inStock(const Record& product) const {
  data::Table inventory(QString::fromUtf8(sc::IvinvTable.component));
  inventory.declare(sc::IvinvTable);
  inventory.setDatabaseName(table_->directory());
  inventory.setReadOnly(true);
  if (!inventory.exists()) return false;
  inventory.open();
  const QStringList key = {QString::fromUtf8("Ivinv_Line_Code"), QString::fromUtf8("Ivinv_item_code")};
  const QVariantList wanted = keyOf(product);
  for (int p = 0; p < inventory.recordCount(); ++p)
    if (inventory.valuesAt(p, key) == wanted) return true;
  return false;
}

Outcome RecordStore::remove(const Record& loaded) {
  try {
    Outcome o = findUnchanged(loaded);
    if (!o.ok()) return o;
    for (const char* amount : definition_.amounts) {
      const QVariant v = value(loaded, QString::fromUtf8(amount));
      if (v.isValid() && v.toDouble() != 0) {
        o.problem = Outcome::Problem::HasAmounts;
        o.field = QString::fromUtf8(amount);
        return o;
      }
    }
    if (definition_.inventory && inStock(loaded)) {
      o.problem = Outcome::Problem::InStock;
      return o;
    }
    if (beforeWrite_) beforeWrite_();
    table_->deleteRecord();
  } catch (const data::DatabaseError& e) {
    return writeFailure(e, keyOf(loaded));
  }
  return {};
}

}  // namespace orba::lists
