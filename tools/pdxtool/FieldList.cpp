#include "FieldList.h"

#include <charconv>

namespace orba::pdxtool {

using pdx::FieldDef;
using pdx::FieldType;

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

}  // namespace

bool ParseFieldList(const std::string& text, FieldList* out, std::string* error) {
  *out = {};
  bool keys_over = false;
  for (std::string entry : Split(text, ',')) {
    const std::string where = "field '" + entry + "'";
    const bool key = !entry.empty() && entry.back() == '*';
    if (key) entry.pop_back();
    const std::vector<std::string> parts = Split(entry, ':');
    if (parts.size() < 2 || parts.size() > 3 || parts[0].empty() || parts[1].size() != 1) {
      *error = where + ": expected name:type or name:type:size";
      return false;
    }
    const auto type = pdx::FieldTypeFromLetter(parts[1][0]);
    if (!type) {
      *error = where + ": unknown type '" + parts[1] + "'";
      return false;
    }
    unsigned size = 0;
    const bool sized = *type == FieldType::kAlpha || *type == FieldType::kBytes || pdx::IsBlobType(*type);
    if (parts.size() == 3) {
      const std::string& s = parts[2];
      if (!sized) {
        *error = where + ": type " + parts[1] + " takes no size";
        return false;
      }
      if (std::from_chars(s.data(), s.data() + s.size(), size).ptr != s.data() + s.size() || size > 255) {
        *error = where + ": size '" + s + "' is not a number from 0 to 255";
        return false;
      }
    } else if (*type == FieldType::kAlpha || *type == FieldType::kBytes) {
      *error = where + ": type " + parts[1] + " needs a size";
      return false;
    }
    if (key && keys_over) {
      *error = where + ": key fields must come first";
      return false;
    }
    keys_over = keys_over || !key;
    if (key) ++out->key_fields;
    FieldDef f;
    switch (*type) {
      case FieldType::kAlpha:
        f = FieldDef::Alpha(parts[0], static_cast<uint8_t>(size));
        break;
      case FieldType::kBytes:
        f = FieldDef::Bytes(parts[0], static_cast<uint8_t>(size));
        break;
      case FieldType::kMemo:
        f = FieldDef::Memo(parts[0], static_cast<uint8_t>(size ? size : 1));
        break;
      case FieldType::kBlob:
        f = FieldDef::Binary(parts[0], static_cast<uint8_t>(size));
        break;
      case FieldType::kGraphic:
        f = FieldDef::Graphic(parts[0], static_cast<uint8_t>(size));
        break;
      case FieldType::kShort:
        f = FieldDef::Short(parts[0]);
        break;
      case FieldType::kLong:
        f = FieldDef::Long(parts[0]);
        break;
      case FieldType::kNumber:
        f = FieldDef::Number(parts[0]);
        break;
      case FieldType::kMoney:
        f = FieldDef::Money(parts[0]);
        break;
      case FieldType::kDate:
        f = FieldDef::Date(parts[0]);
        break;
      case FieldType::kTime:
        f = FieldDef::Time(parts[0]);
        break;
      case FieldType::kTimestamp:
        f = FieldDef::Timestamp(parts[0]);
        break;
      case FieldType::kLogical:
        f = FieldDef::Logical(parts[0]);
        break;
      case FieldType::kAutoInc:
        f = FieldDef::AutoInc(parts[0]);
        break;
      default:
        *error = where + ": type " + parts[1] + " cannot be created";
        return false;
    }
    out->fields.push_back(f);
  }
  return true;
}

}  // namespace orba::pdxtool
