#include "SchemaFields.h"

namespace orba::data {

std::optional<pdx::FieldDef> engineField(const FieldSpec& f) {
  const std::string name(f.name);
  const auto size = static_cast<uint8_t>(f.size);
  switch (f.type) {
    case 'A':
      return pdx::FieldDef::Alpha(name, size);
    case 'S':
      return pdx::FieldDef::Short(name);
    case 'I':
      return pdx::FieldDef::Long(name);
    case 'N':
      return pdx::FieldDef::Number(name);
    case '$':
      return pdx::FieldDef::Money(name);
    case 'D':
      return pdx::FieldDef::Date(name);
    case 'T':
      return pdx::FieldDef::Time(name);
    case '@':
      return pdx::FieldDef::Timestamp(name);
    case 'L':
      return pdx::FieldDef::Logical(name);
    case '+':
      return pdx::FieldDef::AutoInc(name);
    case 'Y':
      return pdx::FieldDef::Bytes(name, size);
    case 'M':
      return pdx::FieldDef::Memo(name, size);
    case 'B':
      return pdx::FieldDef::Binary(name, size);
    case 'G':
      return pdx::FieldDef::Graphic(name, size);
    default:
      return std::nullopt;
  }
}

}  // namespace orba::data
