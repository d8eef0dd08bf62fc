#pragma once

#include "paradox/field.h"
#include "paradox/value.h"

#include <QVariant>

namespace orba::data {

// Values of the storage engine as the program's widgets and code use them:
// text QString, whole numbers int (qint64 for none), numbers and money
// double, dates QDate, times QTime, timestamps QDateTime, logicals bool,
// memo text QString, blobs and bytes QByteArray; null an invalid QVariant.
QVariant toVariant(const pdx::Value& value, pdx::FieldType type);

// The reverse, for a field of `type`. Returns false, with the reason in
// *error, for a value the field cannot hold.
bool fromVariant(const QVariant& value, pdx::FieldType type, pdx::Value* out, QString* error);

}  // namespace orba::data
