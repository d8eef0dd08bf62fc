// Field definitions of a Paradox table: type, declared size and name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "paradox/Format.h"

namespace orba::pdx {

enum class FieldType : uint8_t {
  kAlpha = format::kAlpha,          // A
  kDate = format::kDate,            // D
  kShort = format::kShort,          // S
  kLong = format::kLong,            // I
  kMoney = format::kMoney,          // $
  kNumber = format::kNumber,        // N
  kLogical = format::kLogical,      // L
  kMemo = format::kMemo,            // M
  kBlob = format::kBlob,            // B
  kFmtMemo = format::kFmtMemo,      // F
  kOle = format::kOle,              // O
  kGraphic = format::kGraphic,      // G
  kTime = format::kTime,            // T
  kTimestamp = format::kTimestamp,  // @
  kAutoInc = format::kAutoInc,      // +
  kBcd = format::kBcd,              // #
  kBytes = format::kBytes,          // Y
};

// A field as declared in the header. `size` is the descriptor's size byte:
// the length for A and Y, the in-record part + 10 for blob types, the number
// of decimals for #, and the fixed width for the others.
struct FieldDef {
  std::string name;  // UTF-8
  FieldType type = FieldType::kAlpha;
  uint8_t size = 0;

  static FieldDef Alpha(std::string name, uint8_t length);
  static FieldDef Short(std::string name);
  static FieldDef Long(std::string name);
  static FieldDef Number(std::string name);
  static FieldDef Money(std::string name);
  static FieldDef Date(std::string name);
  static FieldDef Time(std::string name);
  static FieldDef Timestamp(std::string name);
  static FieldDef Logical(std::string name);
  static FieldDef AutoInc(std::string name);
  static FieldDef Bytes(std::string name, uint8_t length);
  // in_record: bytes of the value kept in the record (M: 1..240, B/G: 0..240).
  static FieldDef Memo(std::string name, uint8_t in_record);
  static FieldDef Binary(std::string name, uint8_t in_record);
  static FieldDef Graphic(std::string name, uint8_t in_record);

  bool operator==(const FieldDef&) const = default;
};

std::optional<FieldType> FieldTypeFromCode(uint8_t code);
std::optional<FieldType> FieldTypeFromLetter(char letter);
char FieldTypeLetter(FieldType type);
bool IsBlobType(FieldType type);

// Bytes the field occupies in a record, or 0 when the size byte is impossible
// for the type.
size_t PhysicalSize(FieldType type, uint8_t size);
inline size_t PhysicalSize(const FieldDef& f) { return PhysicalSize(f.type, f.size); }

// Bytes of a blob value kept inside the record.
inline size_t BlobLeader(const FieldDef& f) {
  return f.size >= format::kBlobDescriptorSize ? f.size - format::kBlobDescriptorSize : 0;
}

}  // namespace orba::pdx
