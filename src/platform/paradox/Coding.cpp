#include "paradox/Coding.h"

#include <cstring>

namespace orba::pdx {

std::optional<int32_t> DecodeInt(const uint8_t* p, size_t width) {
  uint32_t raw = 0;
  bool any = false;
  for (size_t i = 0; i < width; ++i) {
    raw = (raw << 8) | p[i];
    any = any || p[i] != 0;
  }
  if (!any) return std::nullopt;
  if (width == 2) return static_cast<int16_t>(static_cast<uint16_t>(raw ^ 0x8000u));
  return static_cast<int32_t>(raw ^ 0x80000000u);
}

void EncodeInt(uint8_t* p, size_t width, int32_t value) {
  uint32_t raw = static_cast<uint32_t>(value) ^ (width == 2 ? 0x8000u : 0x80000000u);
  for (size_t i = 0; i < width; ++i) p[i] = static_cast<uint8_t>(raw >> (8 * (width - 1 - i)));
}

std::optional<double> DecodeDouble(const uint8_t* p) {
  uint64_t raw = 0;
  for (int i = 0; i < 8; ++i) raw = (raw << 8) | p[i];
  if (raw == 0) return std::nullopt;
  if (raw & 0x8000000000000000ull) {
    raw &= ~0x8000000000000000ull;
  } else {
    raw = ~raw;
  }
  double d;
  std::memcpy(&d, &raw, sizeof d);
  return d;
}

void EncodeDouble(uint8_t* p, double value) {
  if (value == 0) value = 0.0;  // -0.0 would encode below +0.0
  uint64_t raw;
  std::memcpy(&raw, &value, sizeof raw);
  if (raw & 0x8000000000000000ull) {
    raw = ~raw;
  } else {
    raw |= 0x8000000000000000ull;
  }
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(raw >> (8 * (7 - i)));
}

std::optional<std::string> DecodeBcd(const uint8_t* p, unsigned /*decimals*/) {
  if ((p[0] & 0x40) == 0) return std::nullopt;
  const bool negative = (p[0] & 0x80) == 0;
  // The value carries its own decimal count; it equals the field's in
  // well-formed files, and trusting the value keeps a mismatch readable.
  unsigned decimals = p[0] & 0x3F;
  if (decimals > 32) decimals = 32;
  char digits[32];
  bool ended = false;
  for (int i = 0; i < 32; ++i) {
    unsigned nib = (p[1 + i / 2] >> ((i % 2) ? 0 : 4)) & 0x0F;
    if (negative) nib = 15 - nib;
    // Nibbles above 9 appear where Paradox converted from a double; nothing
    // after the first of them is meaningful.
    if (nib > 9) ended = true;
    digits[i] = ended ? '0' : static_cast<char>('0' + nib);
  }
  std::string intpart(digits, 32 - decimals);
  std::string frac(digits + (32 - decimals), decimals);
  size_t nz = intpart.find_first_not_of('0');
  intpart = nz == std::string::npos ? "0" : intpart.substr(nz);
  std::string out;
  bool zero = intpart == "0" && frac.find_first_not_of('0') == std::string::npos;
  if (negative && !zero) out.push_back('-');
  out += intpart;
  if (decimals > 0) {
    out.push_back('.');
    out += frac;
  }
  return out;
}

// Howard Hinnant's civil-calendar algorithms, shifted so that 0001-01-01 is 1.
namespace {
constexpr int32_t kUnixEpochDay = 719163;  // 1970-01-01
}

int32_t DaysFromCivil(int year, unsigned month, unsigned day) {
  int64_t y = static_cast<int64_t>(year) - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<int32_t>(era * 146097 + static_cast<int64_t>(doe) - 719468 + kUnixEpochDay);
}

void CivilFromDays(int32_t days, int* year, unsigned* month, unsigned* day) {
  int64_t z = static_cast<int64_t>(days) - kUnixEpochDay + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (*month <= 2));
}

}  // namespace orba::pdx
