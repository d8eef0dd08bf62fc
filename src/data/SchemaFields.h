#pragma once

#include <optional>

#include "TableSchemas.h"
#include "paradox/Field.h"

namespace orba::data {

// The engine's definition of a declared field, or nothing for a type letter
// this program cannot create (F, O, #...).
std::optional<pdx::FieldDef> engineField(const FieldSpec& field);

}  // namespace orba::data
