// Values as pdxtool prints and reads them: one line per record, fields
// separated by tabs, a tab, a line break and a backslash inside a value
// written as \t, \n and \\. An empty field is NULL. Dates are YYYY-MM-DD,
// times HH:MM:SS[.mmm], timestamps both with a space between, logicals
// true/false, bytes and blobs hexadecimal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "paradox/Field.h"
#include "paradox/Value.h"

namespace orba::pdxtool {

std::string Escape(const std::string& text);
// Undoes Escape; false (with the reason) for an unknown escape.
bool Unescape(std::string_view text, std::string* out, std::string* error);
// A line split at its tabs.
std::vector<std::string> SplitFields(std::string_view line);
// The value a field's text stands for, or false with the reason.
bool ParseValue(const pdx::FieldDef& field, std::string_view text, pdx::Value* out, std::string* error);

}  // namespace orba::pdxtool
