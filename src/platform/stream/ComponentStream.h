// Component streams: the self-describing binary property format ("TPF0")
// in which the desktop keeps each saved component in Desktop.db, and in which
// form files of the same toolkit family are written.
//
// The reader accepts every value type such streams may hold, including the
// ones the desktop itself never writes, so that any stored row can be read
// and shown; the writer produces what the desktop produces. Byte layout:
// docs/component-stream.md.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orba::stream {

// The type byte in front of every value. The numbers are the file's.
enum class ValueType : uint8_t {
  kNull = 0,  // only as the terminator of lists; never a value
  kList = 1,
  kInt8 = 2,
  kInt16 = 3,
  kInt32 = 4,
  kExtended = 5,
  kString = 6,
  kIdent = 7,
  kFalse = 8,
  kTrue = 9,
  kBinary = 10,
  kSet = 11,
  kLString = 12,
  kNil = 13,
  kCollection = 14,
  kSingle = 15,
  kCurrency = 16,
  kDate = 17,
  kWString = 18,
  kInt64 = 19,
  kUtf8String = 20,
};

struct Property;
struct Value;

struct CollectionItem {
  // Items may carry an order number in front of their properties.
  std::optional<int64_t> order;
  ValueType orderType = ValueType::kInt8;  // width the order had in the file
  std::vector<Property> properties;
};

// One value. `type` says which of the members holds it:
//   integers (8/16/32/64)            integer
//   currency                         integer (the amount times 10000)
//   extended                         extended (the 10 bytes as stored) and real
//   single, date                     real
//   string, ident, long string       text (8-bit bytes as stored, Windows ANSI)
//   UTF-8 string                     text (UTF-8)
//   binary                           text (the bytes)
//   wide string                      wide (UTF-16 code units)
//   set                              names
//   list                             list
//   collection                       items
//   false, true, nil                 nothing
struct Value {
  ValueType type = ValueType::kNil;
  int64_t integer = 0;
  double real = 0;
  std::array<uint8_t, 10> extended{};
  std::string text;
  std::u16string wide;
  std::vector<std::string> names;
  std::vector<Value> list;
  std::vector<CollectionItem> items;

  // Integers keep the width they were read with, but compare by value: the
  // width is the writer's business.
  bool isInteger() const;
  bool isString() const;  // string, long string, UTF-8 or wide string

  static Value Integer(int64_t v);  // in the smallest width that holds it
  static Value Boolean(bool v);
  static Value String(std::string ansiBytes);
  static Value Ident(std::string name);
  static Value Binary(std::string bytes);
  static Value Set(std::vector<std::string> names);
  static Value List(std::vector<Value> values);
  static Value Collection(std::vector<CollectionItem> items);
  static Value Nil();
  static Value Extended(long double v);
  static Value Single(float v);
  static Value Currency(int64_t tenThousandths);
  static Value Date(double days);
  static Value Utf8String(std::string utf8);
  static Value WideString(std::u16string units);
};

bool operator==(const Value& a, const Value& b);
bool operator==(const CollectionItem& a, const CollectionItem& b);

struct Property {
  std::string name;  // dotted for nested properties: "Font.Name"
  Value value;
  // Where the entry starts in the stream it was read from (0 for one made
  // in memory), so that an error applying it can say where it is. Not part
  // of the comparison.
  size_t offset = 0;
};
bool operator==(const Property& a, const Property& b);

// Prefix flags of a component record.
inline constexpr uint8_t kFlagInherited = 0x01;
inline constexpr uint8_t kFlagChildPos = 0x02;
inline constexpr uint8_t kFlagInline = 0x04;

struct Component {
  uint8_t flags = 0;
  int64_t childPos = 0;  // meaningful with kFlagChildPos
  ValueType childPosType = ValueType::kInt8;
  std::string className;
  std::string name;
  std::vector<Property> properties;
  std::vector<Component> children;

  // The first property of that name (exact case), or null.
  const Value* find(std::string_view property) const;
  // Appends; returns *this so a component can be built in one expression.
  Component& set(std::string name, Value value);
};
bool operator==(const Component& a, const Component& b);

struct StreamError {
  size_t offset = 0;  // of the byte where the fault was found
  std::string fault;
  std::string toString() const;
};

struct ReadResult {
  Component component;
  size_t end = 0;  // offset just past the stream
  std::optional<StreamError> error;
  bool ok() const { return !error; }
};

struct ReadAllResult {
  std::vector<Component> components;
  std::optional<StreamError> error;
  bool ok() const { return !error; }
};

// Bounds applied to untrusted input: deeper nesting is refused as corrupt.
inline constexpr int kMaxNesting = 64;

// Reads the stream that starts at `offset` ("TPF0" first). Offsets in errors
// are positions in `bytes`. Trailing bytes are left alone; see `end`.
ReadResult readComponentStream(std::span<const uint8_t> bytes, size_t offset = 0);
ReadResult readComponentStream(std::string_view bytes, size_t offset = 0);

// Streams stored back to back from `offset` to the end of `bytes`, as
// several WriteComponent calls on one file leave them.
ReadAllResult readComponentStreams(std::span<const uint8_t> bytes, size_t offset = 0);
ReadAllResult readComponentStreams(std::string_view bytes, size_t offset = 0);

// Where the stream lies in a file that may be wrapped in a 16-bit resource
// header (FF 0A 00, the resource name, 2 flag bytes, a 4-byte size). Bytes
// without such a header are the stream itself.
struct ResourceFrame {
  size_t offset = 0;
  size_t length = 0;
  std::string name;  // empty without a header; "#N" for a numbered resource
  std::optional<StreamError> error;
};
ResourceFrame skipResourceHeader(std::span<const uint8_t> bytes);
ResourceFrame skipResourceHeader(std::string_view bytes);

// The stream of one component, in the desktop's way: "TPF0", each integer in
// the smallest width that holds it, short strings up to 255 bytes and long
// strings beyond.
std::string writeComponentStream(const Component& component);

// The conventional text form ("object Name: TClass" ... "end"), one line per
// property, two spaces of indent per level, ending with a newline.
std::string toText(const Component& component);

// The text form read back into components (several may follow each other),
// each value in the type the desktop's writer gives it, so that
// writeComponentStream(fromText(toText(c))) gives back c's bytes.
struct TextError {
  size_t line = 0;
  std::string fault;
  std::string toString() const;
};
struct TextReadResult {
  std::vector<Component> components;
  std::optional<TextError> error;
  bool ok() const { return !error; }
};
TextReadResult fromText(std::string_view text);

// Short strings hold Windows-1252 text; the rest of the program speaks UTF-8.
// Characters the code page lacks become '?' and clear *lossless.
std::string utf8ToWindows1252(std::string_view utf8, bool* lossless = nullptr);
std::string windows1252ToUtf8(std::string_view ansi);

}  // namespace orba::stream
