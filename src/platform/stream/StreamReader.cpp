// Reading treats every byte as untrusted: a desktop row may have been cut
// short by a failed write or edited by hand. Every length is checked against
// what is left before anything is allocated, every loop consumes input, and
// nesting is bounded, so bad input ends in a StreamError and nothing else.

#include <cstring>

#include "stream/ComponentStream.h"
#include "stream/StreamInternal.h"

namespace orba::stream {

namespace {

struct Fault {
  size_t offset;
  std::string fault;
};

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, size_t pos) : bytes_(bytes), pos_(pos) {}

  size_t pos() const { return pos_; }

  Component readStream() {
    need(4, "stream ends inside the TPF0 signature");
    if (std::memcmp(bytes_.data() + pos_, kSignature, 4) != 0) throw Fault{pos_, "no TPF0 signature"};
    pos_ += 4;
    return readComponent(0);
  }

 private:
  void need(size_t n, const char* what) const {
    if (bytes_.size() - pos_ < n) throw Fault{pos_, what};
  }

  uint8_t peek(const char* what) const {
    need(1, what);
    return bytes_[pos_];
  }

  uint8_t byte(const char* what) {
    need(1, what);
    return bytes_[pos_++];
  }

  uint64_t little(size_t n, const char* what) {
    need(n, what);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(bytes_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  std::string raw(size_t n, const char* what) {
    need(n, what);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return s;
  }

  std::string shortString(const char* what) {
    const size_t n = byte(what);
    return raw(n, what);
  }

  size_t length32(const char* what) {
    const size_t at = pos_;
    const uint64_t n = little(4, what);
    if (n > bytes_.size() - pos_)
      throw Fault{at, std::string(what) + ": length " + std::to_string(n) + " exceeds the " +
                          std::to_string(bytes_.size() - pos_) + " bytes left"};
    return static_cast<size_t>(n);
  }

  void deeper(int depth) const {
    if (depth >= kMaxNesting) throw Fault{pos_, "nesting deeper than " + std::to_string(kMaxNesting)};
  }

  int64_t integerOfType(ValueType t, size_t at) {
    switch (t) {
      case ValueType::kInt8:
        return static_cast<int8_t>(little(1, "stream ends inside an integer"));
      case ValueType::kInt16:
        return static_cast<int16_t>(little(2, "stream ends inside an integer"));
      case ValueType::kInt32:
        return static_cast<int32_t>(little(4, "stream ends inside an integer"));
      case ValueType::kInt64:
        return static_cast<int64_t>(little(8, "stream ends inside an integer"));
      default:
        throw Fault{at, "integer expected, found value type " + std::to_string(static_cast<int>(t))};
    }
  }

  Component readComponent(int depth) {
    deeper(depth);
    Component c;
    const uint8_t first = peek("stream ends before a component");
    if ((first & 0xF0) == 0xF0) {
      ++pos_;
      c.flags = first & 0x0F;
      if (c.flags & kFlagChildPos) {
        const size_t at = pos_;
        c.childPosType = static_cast<ValueType>(byte("stream ends inside a child position"));
        c.childPos = integerOfType(c.childPosType, at);
      }
    }
    c.className = shortString("stream ends inside a class name");
    if (c.className.empty()) throw Fault{pos_ - 1, "empty class name"};
    c.name = shortString("stream ends inside a component name");
    c.properties = readProperties(depth);
    while (peek("stream ends inside the children of " + what(c)) != 0)
      c.children.push_back(readComponent(depth + 1));
    ++pos_;
    return c;
  }

  static std::string what(const Component& c) { return c.name.empty() ? c.className : c.name; }

  uint8_t peek(const std::string& what) const {
    if (pos_ >= bytes_.size()) throw Fault{pos_, what};
    return bytes_[pos_];
  }

  std::vector<Property> readProperties(int depth) {
    std::vector<Property> props;
    while (peek("stream ends inside a property list") != 0) {
      Property p;
      p.offset = pos_;
      p.name = shortString("stream ends inside a property name");
      p.value = readValue(depth, p.name);
      props.push_back(std::move(p));
    }
    ++pos_;
    return props;
  }

  Value readValue(int depth, const std::string& property) {
    deeper(depth);
    const size_t at = pos_;
    Value v;
    v.type = static_cast<ValueType>(byte(("stream ends before the value of " + property).c_str()));
    switch (v.type) {
      case ValueType::kList:
        while (peek("stream ends inside a list") != 0) v.list.push_back(readValue(depth + 1, property));
        ++pos_;
        break;
      case ValueType::kInt8:
      case ValueType::kInt16:
      case ValueType::kInt32:
      case ValueType::kInt64:
        v.integer = integerOfType(v.type, at);
        break;
      case ValueType::kExtended: {
        need(10, "stream ends inside an extended value");
        std::memcpy(v.extended.data(), bytes_.data() + pos_, 10);
        pos_ += 10;
        v.real = static_cast<double>(decodeExtended(v.extended));
        break;
      }
      case ValueType::kSingle: {
        const auto bits = static_cast<uint32_t>(little(4, "stream ends inside a single value"));
        float f;
        std::memcpy(&f, &bits, 4);
        v.real = f;
        break;
      }
      case ValueType::kDate: {
        const uint64_t bits = little(8, "stream ends inside a date value");
        std::memcpy(&v.real, &bits, 8);
        break;
      }
      case ValueType::kCurrency:
        v.integer = static_cast<int64_t>(little(8, "stream ends inside a currency value"));
        break;
      case ValueType::kString:
      case ValueType::kIdent:
        v.text = shortString("stream ends inside a string");
        break;
      case ValueType::kFalse:
      case ValueType::kTrue:
      case ValueType::kNil:
        break;
      case ValueType::kBinary:
        v.text = raw(length32("binary value"), "stream ends inside binary data");
        break;
      case ValueType::kLString:
      case ValueType::kUtf8String:
        v.text = raw(length32("long string"), "stream ends inside a string");
        break;
      case ValueType::kWString: {
        const size_t at32 = pos_;
        const uint64_t units = little(4, "stream ends inside a wide string length");
        if (units > (bytes_.size() - pos_) / 2)
          throw Fault{at32, "wide string of " + std::to_string(units) + " characters exceeds the bytes left"};
        v.wide.resize(static_cast<size_t>(units));
        for (char16_t& u : v.wide) u = static_cast<char16_t>(little(2, "stream ends inside a wide string"));
        break;
      }
      case ValueType::kSet:
        for (;;) {
          std::string name = shortString("stream ends inside a set");
          if (name.empty()) break;
          v.names.push_back(std::move(name));
        }
        break;
      case ValueType::kCollection:
        while (peek("stream ends inside a collection") != 0) {
          CollectionItem item;
          const size_t itemAt = pos_;
          const auto t = static_cast<ValueType>(byte("stream ends inside a collection item"));
          if (t != ValueType::kList) {
            item.orderType = t;
            item.order = integerOfType(t, itemAt);
            const size_t listAt = pos_;
            if (byte("stream ends inside a collection item") != static_cast<uint8_t>(ValueType::kList))
              throw Fault{listAt, "collection item does not start with a list byte"};
          }
          deeper(depth + 1);
          item.properties = readProperties(depth + 1);
          v.items.push_back(std::move(item));
        }
        ++pos_;
        break;
      case ValueType::kNull:
      default:
        throw Fault{at,
                    "unknown value type " + std::to_string(static_cast<int>(v.type)) + " for " + property};
    }
    return v;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_;
};

std::span<const uint8_t> asBytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace

ReadResult readComponentStream(std::span<const uint8_t> bytes, size_t offset) {
  ReadResult r;
  if (offset > bytes.size()) {
    r.error = StreamError{offset, "offset past the end"};
    return r;
  }
  Reader reader(bytes, offset);
  try {
    r.component = reader.readStream();
    r.end = reader.pos();
  } catch (const Fault& f) {
    r.error = StreamError{f.offset, f.fault};
    r.component = Component();
  }
  return r;
}

ReadResult readComponentStream(std::string_view bytes, size_t offset) {
  return readComponentStream(asBytes(bytes), offset);
}

ReadAllResult readComponentStreams(std::span<const uint8_t> bytes, size_t offset) {
  ReadAllResult all;
  do {
    ReadResult one = readComponentStream(bytes, offset);
    if (!one.ok()) {
      all.error = one.error;
      break;
    }
    all.components.push_back(std::move(one.component));
    offset = one.end;
  } while (offset < bytes.size());
  return all;
}

ReadAllResult readComponentStreams(std::string_view bytes, size_t offset) {
  return readComponentStreams(asBytes(bytes), offset);
}

ResourceFrame skipResourceHeader(std::span<const uint8_t> bytes) {
  ResourceFrame f;
  f.length = bytes.size();
  if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0x0A || bytes[2] != 0x00) return f;
  size_t pos = 3;
  if (pos < bytes.size() && bytes[pos] == 0xFF) {  // numbered resource
    if (bytes.size() - pos < 3) {
      f.error = StreamError{pos, "resource header ends inside its number"};
      return f;
    }
    f.name = "#" + std::to_string(bytes[pos + 1] | (bytes[pos + 2] << 8));
    pos += 3;
  } else {
    while (pos < bytes.size() && bytes[pos] != 0) f.name += static_cast<char>(bytes[pos++]);
    if (pos == bytes.size()) {
      f.error = StreamError{pos, "resource name not terminated"};
      return f;
    }
    ++pos;
  }
  if (bytes.size() - pos < 6) {
    f.error = StreamError{pos, "resource header ends before its size"};
    return f;
  }
  const uint32_t size = bytes[pos + 2] | (bytes[pos + 3] << 8) | (bytes[pos + 4] << 16) |
                        (static_cast<uint32_t>(bytes[pos + 5]) << 24);
  pos += 6;
  if (size > bytes.size() - pos) {
    f.error = StreamError{pos - 4, "resource size " + std::to_string(size) + " exceeds the " +
                                       std::to_string(bytes.size() - pos) + " bytes left"};
    return f;
  }
  f.offset = pos;
  f.length = size;
  return f;
}

ResourceFrame skipResourceHeader(std::string_view bytes) { return skipResourceHeader(asBytes(bytes)); }

}  // namespace orba::stream
