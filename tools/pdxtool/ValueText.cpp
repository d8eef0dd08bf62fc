#include "ValueText.h"

#include <charconv>
#include <cstdio>

namespace orba::pdxtool {

using pdx::FieldType;
using pdx::Value;

std::string Escape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

bool Unescape(std::string_view text, std::string* out, std::string* error) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out->push_back(text[i]);
      continue;
    }
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (next == 't')
      out->push_back('\t');
    else if (next == 'n')
      out->push_back('\n');
    else if (next == '\\')
      out->push_back('\\');
    else {
      *error = "unknown escape \\" + std::string(next ? 1 : 0, next) + " (write a backslash as \\\\)";
      return false;
    }
    ++i;
  }
  return true;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    out.emplace_back(
        line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return out;
    start = tab + 1;
  }
}

namespace {

template <typename T>
bool Number(std::string_view text, T* out) {
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, *out);
  return r.ec == std::errc() && r.ptr == end;
}

bool ParseDate(std::string_view text, pdx::Date* out) {
  int y = 0;
  unsigned m = 0, d = 0;
  char extra = 0;
  const std::string s(text);
  const bool negative = !s.empty() && s[0] == '-';
  if (std::sscanf(s.c_str() + (negative ? 1 : 0), "%d-%u-%u%c", &y, &m, &d, &extra) != 3) return false;
  if (!pdx::Date::IsValidYmd(negative ? -y : y, m, d)) return false;
  *out = pdx::Date::FromYmd(negative ? -y : y, m, d);
  return true;
}

bool ParseTime(std::string_view text, pdx::Time* out) {
  unsigned h = 0, m = 0, s = 0, ms = 0;
  char extra = 0;
  const std::string t(text);
  int n = std::sscanf(t.c_str(), "%u:%u:%u.%3u%c", &h, &m, &s, &ms, &extra);
  if (n != 3 && n != 4) return false;
  if (n == 3 && t.find('.') != std::string::npos) return false;
  if (m > 59 || s > 59 || h > 23) return false;
  out->ms = static_cast<int32_t>(((h * 60 + m) * 60 + s) * 1000 + ms);
  return true;
}

bool ParseHex(std::string_view text, std::string* out) {
  if (text.size() % 2) return false;
  out->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    unsigned byte = 0;
    if (std::from_chars(text.data() + i, text.data() + i + 2, byte, 16).ptr != text.data() + i + 2)
      return false;
    out->push_back(static_cast<char>(byte));
  }
  return true;
}

}  // namespace

bool ParseValue(const pdx::FieldDef& field, std::string_view escaped, Value* out, std::string* error) {
  std::string text;
  if (!Unescape(escaped, &text, error)) return false;
  if (text.empty()) {
    *out = Value();
    return true;
  }
  switch (field.type) {
    case FieldType::kAlpha:
    case FieldType::kMemo:
    case FieldType::kFmtMemo:
      *out = Value::Text(text);
      return true;
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc: {
      int64_t v = 0;
      if (!Number(text, &v)) return *error = "'" + text + "' is not a whole number", false;
      if (field.type == FieldType::kAutoInc && v <= 0)
        return *error = "'" + text + "' is not an autoincrement number (they count from 1)", false;
      *out = Value::Int(v);
      return true;
    }
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kBcd: {
      double v = 0;
      if (!Number(text, &v)) return *error = "'" + text + "' is not a number", false;
      *out = Value::Double(v);
      return true;
    }
    case FieldType::kLogical:
      if (text == "true" || text == "false") {
        *out = Value::Bool(text == "true");
        return true;
      }
      return *error = "'" + text + "' is neither true nor false", false;
    case FieldType::kDate: {
      pdx::Date d;
      if (!ParseDate(text, &d))
        return *error = "'" + text + "' is not a date (YYYY-MM-DD, a day that exists)", false;
      *out = Value::Of(d);
      return true;
    }
    case FieldType::kTime: {
      pdx::Time t;
      if (!ParseTime(text, &t)) return *error = "'" + text + "' is not a time (HH:MM:SS[.mmm])", false;
      *out = Value::Of(t);
      return true;
    }
    case FieldType::kTimestamp: {
      const size_t space = text.find(' ');
      pdx::Date d;
      pdx::Time t;
      if (space == std::string::npos || !ParseDate(text.substr(0, space), &d) ||
          !ParseTime(text.substr(space + 1), &t))
        return *error = "'" + text + "' is not a timestamp (YYYY-MM-DD HH:MM:SS, a day that exists)", false;
      *out = Value::Of(pdx::Timestamp{static_cast<int64_t>(d.days) * 86400000 + t.ms});
      return true;
    }
    case FieldType::kBytes:
    case FieldType::kBlob:
    case FieldType::kGraphic:
    case FieldType::kOle: {
      std::string bytes;
      if (!ParseHex(text, &bytes)) return *error = "'" + text + "' is not hexadecimal bytes", false;
      *out = Value::Blob(bytes);
      return true;
    }
  }
  *error = "this field's type cannot be given";
  return false;
}

}  // namespace orba::pdxtool
