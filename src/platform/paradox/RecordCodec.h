// Conversion between one field's bytes inside a record and a Value.
// Blob fields are handled by the table, which owns the .MB; these functions
// cover every other type.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/Field.h"
#include "paradox/Status.h"
#include "paradox/TextCodec.h"
#include "paradox/Value.h"

namespace orba::pdx {

// REQUIRES: !IsBlobType(f.type); p holds PhysicalSize(f) bytes.
Value DecodeField(const FieldDef& f, const uint8_t* p, TextCodec* codec);

// Writes v into the PhysicalSize(f) bytes at p (NULL = all zeros). `what`
// names the table and field for messages. Values of the wrong kind or out of
// the type's range are InvalidArgument; # is NotSupported.
// REQUIRES: !IsBlobType(f.type).
Status EncodeField(const FieldDef& f, const Value& v, TextCodec* codec, uint8_t* p, const std::string& what);

}  // namespace orba::pdx
