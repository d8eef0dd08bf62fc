#include "paradox/Field.h"

#include <utility>

namespace orba::pdx {

namespace {
FieldDef Make(std::string name, FieldType type, uint8_t size) {
  FieldDef f;
  f.name = std::move(name);
  f.type = type;
  f.size = size;
  return f;
}
}  // namespace

FieldDef FieldDef::Alpha(std::string n, uint8_t len) { return Make(std::move(n), FieldType::kAlpha, len); }
FieldDef FieldDef::Short(std::string n) { return Make(std::move(n), FieldType::kShort, 2); }
FieldDef FieldDef::Long(std::string n) { return Make(std::move(n), FieldType::kLong, 4); }
FieldDef FieldDef::Number(std::string n) { return Make(std::move(n), FieldType::kNumber, 8); }
FieldDef FieldDef::Money(std::string n) { return Make(std::move(n), FieldType::kMoney, 8); }
FieldDef FieldDef::Date(std::string n) { return Make(std::move(n), FieldType::kDate, 4); }
FieldDef FieldDef::Time(std::string n) { return Make(std::move(n), FieldType::kTime, 4); }
FieldDef FieldDef::Timestamp(std::string n) { return Make(std::move(n), FieldType::kTimestamp, 8); }
FieldDef FieldDef::Logical(std::string n) { return Make(std::move(n), FieldType::kLogical, 1); }
FieldDef FieldDef::AutoInc(std::string n) { return Make(std::move(n), FieldType::kAutoInc, 4); }
FieldDef FieldDef::Bytes(std::string n, uint8_t len) { return Make(std::move(n), FieldType::kBytes, len); }
FieldDef FieldDef::Memo(std::string n, uint8_t in_record) {
  return Make(std::move(n), FieldType::kMemo, static_cast<uint8_t>(in_record + 10));
}
FieldDef FieldDef::Binary(std::string n, uint8_t in_record) {
  return Make(std::move(n), FieldType::kBlob, static_cast<uint8_t>(in_record + 10));
}
FieldDef FieldDef::Graphic(std::string n, uint8_t in_record) {
  return Make(std::move(n), FieldType::kGraphic, static_cast<uint8_t>(in_record + 10));
}

std::optional<FieldType> FieldTypeFromCode(uint8_t code) {
  switch (code) {
    case format::kAlpha:
    case format::kDate:
    case format::kShort:
    case format::kLong:
    case format::kMoney:
    case format::kNumber:
    case format::kLogical:
    case format::kMemo:
    case format::kBlob:
    case format::kFmtMemo:
    case format::kOle:
    case format::kGraphic:
    case format::kTime:
    case format::kTimestamp:
    case format::kAutoInc:
    case format::kBcd:
    case format::kBytes:
      return static_cast<FieldType>(code);
    default:
      return std::nullopt;
  }
}

namespace {
constexpr struct {
  FieldType type;
  char letter;
} kLetters[] = {
    {FieldType::kAlpha, 'A'},   {FieldType::kDate, 'D'},      {FieldType::kShort, 'S'},
    {FieldType::kLong, 'I'},    {FieldType::kMoney, '$'},     {FieldType::kNumber, 'N'},
    {FieldType::kLogical, 'L'}, {FieldType::kMemo, 'M'},      {FieldType::kBlob, 'B'},
    {FieldType::kFmtMemo, 'F'}, {FieldType::kOle, 'O'},       {FieldType::kGraphic, 'G'},
    {FieldType::kTime, 'T'},    {FieldType::kTimestamp, '@'}, {FieldType::kAutoInc, '+'},
    {FieldType::kBcd, '#'},     {FieldType::kBytes, 'Y'},
};
}  // namespace

std::optional<FieldType> FieldTypeFromLetter(char letter) {
  for (const auto& e : kLetters)
    if (e.letter == letter) return e.type;
  return std::nullopt;
}

char FieldTypeLetter(FieldType type) {
  for (const auto& e : kLetters)
    if (e.type == type) return e.letter;
  return '?';
}

bool IsBlobType(FieldType type) {
  switch (type) {
    case FieldType::kMemo:
    case FieldType::kBlob:
    case FieldType::kFmtMemo:
    case FieldType::kOle:
    case FieldType::kGraphic:
      return true;
    default:
      return false;
  }
}

size_t PhysicalSize(FieldType type, uint8_t size) {
  switch (type) {
    case FieldType::kAlpha:
    case FieldType::kBytes:
      return size;  // 0 is rejected by the caller
    case FieldType::kShort:
      return size == 2 ? 2 : 0;
    case FieldType::kLogical:
      return size == 1 ? 1 : 0;
    case FieldType::kDate:
    case FieldType::kLong:
    case FieldType::kTime:
    case FieldType::kAutoInc:
      return size == 4 ? 4 : 0;
    case FieldType::kMoney:
    case FieldType::kNumber:
    case FieldType::kTimestamp:
      return size == 8 ? 8 : 0;
    case FieldType::kBcd:
      return size <= 32 ? format::kBcdWidth : 0;
    case FieldType::kMemo:
      return size >= 11 ? size : 0;
    case FieldType::kBlob:
    case FieldType::kFmtMemo:
    case FieldType::kOle:
    case FieldType::kGraphic:
      return size >= 10 ? size : 0;
  }
  return 0;
}

}  // namespace orba::pdx
