#pragma once

#include <QVariant>

#include "TableSchemas.h"
#include "paradox/Field.h"
#include "paradox/Value.h"

namespace orba::data {

// Values of the storage engine as the program's widgets and code use them:
// text QString, whole numbers int (qint64 for none), numbers and money
// double, dates QDate, times QTime, timestamps QDateTime, logicals bool,
// memo text QString, blobs and bytes QByteArray; null an invalid QVariant.
QVariant toVariant(const pdx::Value& value, pdx::FieldType type);

// The reverse, for a field of `type`. Returns false, with the reason in
// *error, for a value the field cannot hold.
bool fromVariant(const QVariant& value, pdx::FieldType type, pdx::Value* out, QString* error);

// The engine's definition of a declared field. Throws DatabaseError for a
// type this program cannot create.
pdx::FieldDef toFieldDef(const FieldSpec& field);

}  // namespace orba::data
