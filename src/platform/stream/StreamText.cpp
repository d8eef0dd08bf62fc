// The text form follows the layout of the toolkit family's text form files,
// line for line, so that a stored desktop row can be compared with a form
// file rendered by any other converter (docs/component-stream.md lists the
// few value kinds whose layout has not been checked against one).

#include <cmath>
#include <cstdio>
#include <cstring>

#include "stream/ComponentStream.h"
#include "stream/StreamInternal.h"

namespace orba::stream {

namespace {

// Printable ASCII goes between quotes, a quote doubled; everything else
// leaves the quotes and becomes #code.
std::string quoted(const std::vector<char32_t>& chars) {
  if (chars.empty()) return "''";
  std::string out;
  bool inside = false;
  for (char32_t c : chars) {
    if (c >= 32 && c < 127) {
      if (!inside) out += '\'';
      inside = true;
      out += c == '\'' ? std::string("''") : std::string(1, static_cast<char>(c));
    } else {
      if (inside) out += '\'';
      inside = false;
      out += '#' + std::to_string(static_cast<uint32_t>(c));
    }
  }
  if (inside) out += '\'';
  return out;
}

std::vector<char32_t> ansiChars(const std::string& bytes) { return decodeUtf8(windows1252ToUtf8(bytes)); }

std::vector<char32_t> wideChars(const std::u16string& units) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      out.push_back(u);
    }
  }
  return out;
}

// " 1.00000000000000000000E+0002": sign or blank, 21 significant digits, a
// four-digit exponent.
std::string extendedText(const std::array<uint8_t, 10>& bytes) {
  const long double v = decodeExtended(bytes);
  if (std::isnan(v)) return "Nan";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "+Inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.20Le", v);
  std::string s = buf;
  const size_t e = s.find('e');
  if (e == std::string::npos) return s;
  std::string mantissa = s.substr(0, e);
  const char sign = s[e + 1];
  std::string digits = s.substr(e + 2);
  while (digits.size() < 4) digits.insert(digits.begin(), '0');
  if (mantissa[0] != '-') mantissa.insert(mantissa.begin(), ' ');
  return mantissa + "E" + sign + digits;
}

// The shortest decimal that reads back to the same double.
std::string shortest(double v) {
  char buf[64];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

class TextWriter {
 public:
  std::string out;

  void component(const Component& c, const std::string& indent) {
    out += indent;
    out += (c.flags & kFlagInherited) ? "inherited " : (c.flags & kFlagInline) ? "inline " : "object ";
    if (!c.name.empty()) out += c.name + ": ";
    out += c.className;
    if (c.flags & kFlagChildPos) out += "[" + std::to_string(c.childPos) + "]";
    out += '\n';
    properties(c.properties, indent + "  ");
    for (const Component& child : c.children) component(child, indent + "  ");
    out += indent + "end\n";
  }

 private:
  void properties(const std::vector<Property>& props, const std::string& indent) {
    for (const Property& p : props) {
      out += indent + p.name + " = ";
      value(p.value, indent);
    }
  }

  // Appends the value after "Name = ", through its final newline; `indent`
  // is the property line's.
  void value(const Value& v, const std::string& indent) {
    switch (v.type) {
      case ValueType::kList:
        out += "(\n";
        for (const Value& item : v.list) {
          out += indent + "  ";
          value(item, indent + "  ");
        }
        out += indent + ")\n";
        return;
      case ValueType::kInt8:
      case ValueType::kInt16:
      case ValueType::kInt32:
      case ValueType::kInt64:
        out += std::to_string(v.integer) + "\n";
        return;
      case ValueType::kExtended:
        out += extendedText(v.extended) + "\n";
        return;
      case ValueType::kSingle:
        out += shortest(static_cast<float>(v.real)) + "s\n";
        return;
      case ValueType::kCurrency:
        out += shortest(static_cast<double>(v.integer) / 10000.0) + "c\n";
        return;
      case ValueType::kDate:
        out += shortest(v.real) + "d\n";
        return;
      case ValueType::kString:
      case ValueType::kLString:
        out += quoted(ansiChars(v.text)) + "\n";
        return;
      case ValueType::kUtf8String:
        out += quoted(decodeUtf8(v.text)) + "\n";
        return;
      case ValueType::kWString:
        out += quoted(wideChars(v.wide)) + "\n";
        return;
      case ValueType::kIdent:
        out += v.text + "\n";
        return;
      case ValueType::kFalse:
        out += "False\n";
        return;
      case ValueType::kTrue:
        out += "True\n";
        return;
      case ValueType::kNull:
      case ValueType::kNil:
        out += "nil\n";
        return;
      case ValueType::kBinary: {
        static const char kHex[] = "0123456789ABCDEF";
        out += "{\n";
        for (size_t i = 0; i < v.text.size(); i += 32) {
          out += indent + "  ";
          for (size_t k = i; k < v.text.size() && k < i + 32; ++k) {
            const auto b = static_cast<uint8_t>(v.text[k]);
            out += kHex[b >> 4];
            out += kHex[b & 15];
          }
          out += '\n';
        }
        out += indent + "}\n";
        return;
      }
      case ValueType::kSet: {
        out += '[';
        for (size_t i = 0; i < v.names.size(); ++i) out += (i ? ", " : "") + v.names[i];
        out += "]\n";
        return;
      }
      case ValueType::kCollection:
        // The indent after "<" and after each inner "end" is what the
        // reference converter leaves there; kept for line-for-line equality.
        out += '<';
        for (const CollectionItem& item : v.items) {
          out += indent + "\n" + indent + "  item";
          if (item.order) out += "[" + std::to_string(*item.order) + "]";
          out += '\n';
          properties(item.properties, indent + "    ");
          out += indent + "  end";
        }
        out += ">\n";
        return;
    }
  }
};

}  // namespace

std::string toText(const Component& component) {
  TextWriter w;
  w.component(component, "");
  return std::move(w.out);
}

}  // namespace orba::stream
