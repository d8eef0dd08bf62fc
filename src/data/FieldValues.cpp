#include "FieldValues.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "DatabaseError.h"
#include "SchemaFields.h"

namespace orba::data {

namespace {

// The engine counts days with 0001-01-01 as day 1.
constexpr qint64 kJulianDayOfDayZero = 1721425;

QDate toQDate(pdx::Date d) { return QDate::fromJulianDay(kJulianDayOfDayZero + d.days); }
pdx::Date fromQDate(const QDate& d) {
  return pdx::Date{static_cast<int32_t>(d.toJulianDay() - kJulianDayOfDayZero)};
}

}  // namespace

QVariant toVariant(const pdx::Value& v, pdx::FieldType type) {
  using K = pdx::Value::Kind;
  switch (v.kind()) {
    case K::kNull:
      return {};
    case K::kText:
      return QString::fromUtf8(v.text());
    case K::kInt:
      if (type == pdx::FieldType::kShort || type == pdx::FieldType::kLong || type == pdx::FieldType::kAutoInc)
        return static_cast<int>(v.int_value());
      return static_cast<qint64>(v.int_value());
    case K::kDouble:
      return v.double_value();
    case K::kBool:
      return v.bool_value();
    case K::kDate:
      return toQDate(v.date());
    case K::kTime:
      return QTime::fromMSecsSinceStartOfDay(v.time().ms);
    case K::kTimestamp: {
      // A wall-clock reading without a time zone: kept as UTC so that no
      // daylight-saving rule shifts or invalidates it.
      const qint64 ms = v.timestamp().ms;
      qint64 days = ms / 86400000;
      qint64 rest = ms % 86400000;
      if (rest < 0) {
        rest += 86400000;
        --days;
      }
      return QDateTime(toQDate(pdx::Date{static_cast<int32_t>(days)}),
                       QTime::fromMSecsSinceStartOfDay(static_cast<int>(rest)), Qt::UTC);
    }
    case K::kBytes:
      if (type == pdx::FieldType::kMemo) return QString::fromUtf8(v.bytes().data);
      return QByteArray::fromStdString(v.bytes().data);
  }
  return {};
}

bool fromVariant(const QVariant& value, pdx::FieldType type, pdx::Value* out, QString* error) {
  using T = pdx::FieldType;
  if (!value.isValid() || value.isNull()) {
    *out = pdx::Value::Null();
    return true;
  }
  bool ok = true;
  switch (type) {
    case T::kAlpha:
      *out = pdx::Value::Text(value.toString().toStdString());
      return true;
    case T::kMemo:
      *out = pdx::Value::Text(value.toString().toStdString());
      return true;
    case T::kFmtMemo:
    case T::kBlob:
    case T::kGraphic:
    case T::kOle:
    case T::kBytes:
      *out = pdx::Value::Blob(value.toByteArray().toStdString());
      return true;
    case T::kShort:
    case T::kLong:
    case T::kAutoInc: {
      const qlonglong n = value.toLongLong(&ok);
      if (ok) *out = pdx::Value::Int(n);
      break;
    }
    case T::kNumber:
    case T::kMoney:
    case T::kBcd: {
      const double d = value.toDouble(&ok);
      if (ok) *out = pdx::Value::Double(d);
      break;
    }
    case T::kLogical:
      *out = pdx::Value::Bool(value.toBool());
      return true;
    case T::kDate: {
      const QDate d = value.toDate();
      ok = d.isValid();
      if (ok) *out = pdx::Value::Of(fromQDate(d));
      break;
    }
    case T::kTime: {
      const QTime t = value.toTime();
      ok = t.isValid();
      if (ok) *out = pdx::Value::Of(pdx::Time{t.msecsSinceStartOfDay()});
      break;
    }
    case T::kTimestamp: {
      // The reading on the clock, whatever zone the value carries.
      const QDateTime dt = value.toDateTime();
      ok = dt.isValid();
      if (ok)
        *out = pdx::Value::Of(pdx::Timestamp{static_cast<int64_t>(fromQDate(dt.date()).days) * 86400000 +
                                             dt.time().msecsSinceStartOfDay()});
      break;
    }
  }
  if (!ok && error) *error = QStringLiteral("'%1' is not a valid value").arg(value.toString());
  return ok;
}

pdx::FieldDef toFieldDef(const FieldSpec& f) {
  if (auto field = engineField(f)) return *field;
  throw DatabaseError(QStringLiteral("Field %1: type %2 cannot be created")
                          .arg(QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size())))
                          .arg(QChar(f.type)));
}

}  // namespace orba::data
