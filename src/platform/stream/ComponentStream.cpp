#include "stream/ComponentStream.h"

#include <cmath>
#include <cstring>

#include "stream/StreamInternal.h"

namespace orba::stream {

bool Value::isInteger() const {
  return type == ValueType::kInt8 || type == ValueType::kInt16 || type == ValueType::kInt32 ||
         type == ValueType::kInt64;
}

bool Value::isString() const {
  return type == ValueType::kString || type == ValueType::kLString || type == ValueType::kUtf8String ||
         type == ValueType::kWString;
}

namespace {

Value ofType(ValueType type) {
  Value r;
  r.type = type;
  return r;
}

Value textOf(ValueType type, std::string text) {
  Value r = ofType(type);
  r.text = std::move(text);
  return r;
}

}  // namespace

Value Value::Integer(int64_t v) {
  Value r;
  r.type = smallestIntegerType(v);
  r.integer = v;
  return r;
}

Value Value::Boolean(bool v) { return ofType(v ? ValueType::kTrue : ValueType::kFalse); }

Value Value::String(std::string ansiBytes) {
  const ValueType type = ansiBytes.size() <= 255 ? ValueType::kString : ValueType::kLString;
  return textOf(type, std::move(ansiBytes));
}

Value Value::Ident(std::string name) { return textOf(ValueType::kIdent, std::move(name)); }

Value Value::Binary(std::string bytes) { return textOf(ValueType::kBinary, std::move(bytes)); }

Value Value::Set(std::vector<std::string> names) {
  Value r;
  r.type = ValueType::kSet;
  r.names = std::move(names);
  return r;
}

Value Value::List(std::vector<Value> values) {
  Value r;
  r.type = ValueType::kList;
  r.list = std::move(values);
  return r;
}

Value Value::Collection(std::vector<CollectionItem> items) {
  Value r;
  r.type = ValueType::kCollection;
  r.items = std::move(items);
  return r;
}

Value Value::Nil() { return Value(); }

Value Value::Extended(long double v) {
  Value r;
  r.type = ValueType::kExtended;
  r.extended = encodeExtended(v);
  r.real = static_cast<double>(decodeExtended(r.extended));
  return r;
}

Value Value::Single(float v) {
  Value r;
  r.type = ValueType::kSingle;
  r.real = v;
  return r;
}

Value Value::Currency(int64_t tenThousandths) {
  Value r;
  r.type = ValueType::kCurrency;
  r.integer = tenThousandths;
  return r;
}

Value Value::Date(double days) {
  Value r;
  r.type = ValueType::kDate;
  r.real = days;
  return r;
}

Value Value::Utf8String(std::string utf8) { return textOf(ValueType::kUtf8String, std::move(utf8)); }

Value Value::WideString(std::u16string units) {
  Value r;
  r.type = ValueType::kWString;
  r.wide = std::move(units);
  return r;
}

bool operator==(const Value& a, const Value& b) {
  if (a.isInteger() && b.isInteger()) return a.integer == b.integer;
  if (a.type != b.type) return false;
  switch (a.type) {
    case ValueType::kList:
      return a.list == b.list;
    case ValueType::kInt8:
    case ValueType::kInt16:
    case ValueType::kInt32:
    case ValueType::kInt64:
    case ValueType::kCurrency:
      return a.integer == b.integer;
    case ValueType::kExtended:
      return a.extended == b.extended;
    case ValueType::kSingle:
    case ValueType::kDate:
      // Bitwise, so that a NaN read twice compares equal to itself.
      return std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
    case ValueType::kString:
    case ValueType::kIdent:
    case ValueType::kBinary:
    case ValueType::kLString:
    case ValueType::kUtf8String:
      return a.text == b.text;
    case ValueType::kWString:
      return a.wide == b.wide;
    case ValueType::kSet:
      return a.names == b.names;
    case ValueType::kCollection:
      return a.items == b.items;
    case ValueType::kNull:
    case ValueType::kFalse:
    case ValueType::kTrue:
    case ValueType::kNil:
      return true;
  }
  return false;
}

bool operator==(const CollectionItem& a, const CollectionItem& b) {
  return a.order == b.order && a.properties == b.properties;
}

bool operator==(const Property& a, const Property& b) { return a.name == b.name && a.value == b.value; }

bool operator==(const Component& a, const Component& b) {
  if (a.flags != b.flags || a.className != b.className || a.name != b.name) return false;
  if ((a.flags & kFlagChildPos) && a.childPos != b.childPos) return false;
  return a.properties == b.properties && a.children == b.children;
}

const Value* Component::find(std::string_view property) const {
  for (const Property& p : properties)
    if (p.name == property) return &p.value;
  return nullptr;
}

Component& Component::set(std::string name, Value value) {
  properties.push_back({std::move(name), std::move(value)});
  return *this;
}

std::string StreamError::toString() const { return "offset " + std::to_string(offset) + ": " + fault; }

ValueType smallestIntegerType(int64_t v) {
  if (v >= INT8_MIN && v <= INT8_MAX) return ValueType::kInt8;
  if (v >= INT16_MIN && v <= INT16_MAX) return ValueType::kInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return ValueType::kInt32;
  return ValueType::kInt64;
}

// The 80-bit format: 64-bit mantissa with an explicit integer bit, 15-bit
// biased exponent, sign. Done by hand rather than by copying a long double,
// which is not this format on every machine.
std::array<uint8_t, 10> encodeExtended(long double v) {
  std::array<uint8_t, 10> out{};
  uint64_t mantissa = 0;
  unsigned exponent = 0;
  const bool negative = std::signbit(v);
  if (std::isnan(v)) {
    exponent = 0x7fff;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    exponent = 0x7fff;
    mantissa = 0x8000000000000000ull;
  } else if (v != 0) {
    int e = 0;
    const long double m = std::frexp(std::fabs(v), &e);  // [0.5, 1)
    int biased = e - 1 + 16383;
    if (biased <= 0) {  // below the normal range: keep what fits
      mantissa = static_cast<uint64_t>(std::ldexp(m, 64 + biased - 1));
      biased = 0;
    } else {
      mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    }
    exponent = static_cast<unsigned>(biased);
  }
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  const unsigned top = exponent | (negative ? 0x8000u : 0u);
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
  return out;
}

long double decodeExtended(const std::array<uint8_t, 10>& b) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(b[i]) << (8 * i);
  const unsigned top = b[8] | (static_cast<unsigned>(b[9]) << 8);
  const bool negative = top & 0x8000u;
  const int exponent = static_cast<int>(top & 0x7fffu);
  long double v;
  if (exponent == 0x7fff) {
    v = (mantissa << 1) == 0 ? HUGE_VALL : NAN;
  } else {
    v = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -v : v;
}

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes, which map to
// the C1 controls of the same number as the system's own conversion does.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t from1252(uint8_t c) {
  if (c < 0x80 || c >= 0xA0) return c;
  return kHigh1252[c - 0x80] ? kHigh1252[c - 0x80] : c;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::vector<char32_t> decodeUtf8(std::string_view s) {
  std::vector<char32_t> out;
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : extra == 1 ? (c & 0x1F) : c;
    bool valid = c < 0x80 || (c >= 0xC2 && c <= 0xF4);
    if (valid) {
      for (int k = 1; k <= extra; ++k) {
        if (i + k >= s.size()) {
          valid = false;
          break;
        }
        const auto d = static_cast<uint8_t>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
          valid = false;
          break;
        }
        cp = (cp << 6) | (d & 0x3F);
      }
    }
    if (!valid) {
      out.push_back(0xFFFD);
      ++i;
    } else {
      out.push_back(cp);
      i += static_cast<size_t>(extra) + 1;
    }
  }
  return out;
}

std::string utf8ToWindows1252(std::string_view utf8, bool* lossless) {
  if (lossless) *lossless = true;
  std::string out;
  for (char32_t cp : decodeUtf8(utf8)) {
    int byte = -1;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      byte = static_cast<int>(cp);
    } else {
      for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] ? kHigh1252[i] == cp : cp == static_cast<char32_t>(0x80 + i)) byte = 0x80 + i;
    }
    if (byte < 0) {
      byte = '?';
      if (lossless) *lossless = false;
    }
    out += static_cast<char>(byte);
  }
  return out;
}

std::string windows1252ToUtf8(std::string_view ansi) {
  std::string out;
  for (char c : ansi) appendUtf8(out, from1252(static_cast<uint8_t>(c)));
  return out;
}

}  // namespace orba::stream
