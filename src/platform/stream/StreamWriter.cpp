#include <cstring>

#include "stream/ComponentStream.h"
#include "stream/StreamInternal.h"

namespace orba::stream {

namespace {

class Writer {
 public:
  std::string out;

  void byte(uint8_t b) { out += static_cast<char>(b); }
  void type(ValueType t) { byte(static_cast<uint8_t>(t)); }

  void little(uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) byte(static_cast<uint8_t>(v >> (8 * i)));
  }

  // A short string cannot say more than 255; longer names are a programming
  // error upstream, and cutting keeps the stream readable.
  void shortString(std::string_view s) {
    const size_t n = s.size() < 255 ? s.size() : 255;
    byte(static_cast<uint8_t>(n));
    out.append(s.data(), n);
  }

  void integer(int64_t v) {
    const ValueType t = smallestIntegerType(v);
    type(t);
    little(static_cast<uint64_t>(v), t == ValueType::kInt8    ? 1
                                     : t == ValueType::kInt16 ? 2
                                     : t == ValueType::kInt32 ? 4
                                                              : 8);
  }

  void component(const Component& c) {
    if (c.flags != 0) {
      byte(static_cast<uint8_t>(0xF0 | (c.flags & 0x0F)));
      if (c.flags & kFlagChildPos) integer(c.childPos);
    }
    shortString(c.className);
    shortString(c.name);
    properties(c.properties);
    for (const Component& child : c.children) component(child);
    byte(0);
  }

  void properties(const std::vector<Property>& props) {
    for (const Property& p : props) {
      shortString(p.name);
      value(p.value);
    }
    byte(0);
  }

  void value(const Value& v) {
    switch (v.type) {
      case ValueType::kInt8:
      case ValueType::kInt16:
      case ValueType::kInt32:
      case ValueType::kInt64:
        integer(v.integer);
        return;
      case ValueType::kList:
        type(v.type);
        for (const Value& item : v.list) value(item);
        byte(0);
        return;
      case ValueType::kExtended:
        type(v.type);
        out.append(reinterpret_cast<const char*>(v.extended.data()), v.extended.size());
        return;
      case ValueType::kSingle: {
        type(v.type);
        const float f = static_cast<float>(v.real);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        little(bits, 4);
        return;
      }
      case ValueType::kDate: {
        type(v.type);
        uint64_t bits;
        std::memcpy(&bits, &v.real, 8);
        little(bits, 8);
        return;
      }
      case ValueType::kCurrency:
        type(v.type);
        little(static_cast<uint64_t>(v.integer), 8);
        return;
      case ValueType::kString:
      case ValueType::kLString:
        // The width follows the length, as the desktop's writer decides it.
        if (v.text.size() <= 255) {
          type(ValueType::kString);
          shortString(v.text);
        } else {
          type(ValueType::kLString);
          little(v.text.size(), 4);
          out += v.text;
        }
        return;
      case ValueType::kIdent:
        type(v.type);
        shortString(v.text);
        return;
      case ValueType::kFalse:
      case ValueType::kTrue:
      case ValueType::kNil:
      case ValueType::kNull:
        type(v.type == ValueType::kNull ? ValueType::kNil : v.type);
        return;
      case ValueType::kBinary:
      case ValueType::kUtf8String:
        type(v.type);
        little(v.text.size(), 4);
        out += v.text;
        return;
      case ValueType::kWString:
        type(v.type);
        little(v.wide.size(), 4);
        for (char16_t u : v.wide) little(u, 2);
        return;
      case ValueType::kSet:
        type(v.type);
        for (const std::string& name : v.names)
          if (!name.empty()) shortString(name);
        byte(0);
        return;
      case ValueType::kCollection:
        type(v.type);
        for (const CollectionItem& item : v.items) {
          if (item.order) integer(*item.order);
          type(ValueType::kList);
          properties(item.properties);
        }
        byte(0);
        return;
    }
  }
};

}  // namespace

std::string writeComponentStream(const Component& component) {
  Writer w;
  w.out = "TPF0";
  w.component(component);
  return std::move(w.out);
}

}  // namespace orba::stream
