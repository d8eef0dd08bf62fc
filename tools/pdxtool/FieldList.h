// The field list of "pdxtool create": name:type[:size],... with the key
// fields (which must come first) marked by a trailing '*', as in
//   Id:I*,Name:A:30,Note:M:10,Photo:G:0
#pragma once

#include <string>
#include <vector>

#include "paradox/Field.h"

namespace orba::pdxtool {

struct FieldList {
  std::vector<pdx::FieldDef> fields;
  unsigned key_fields = 0;
};

// False, with the reason naming the entry, when the list cannot be read.
bool ParseFieldList(const std::string& text, FieldList* out, std::string* error);

}  // namespace orba::pdxtool
