// Byte-level encodings: little-endian structure words and the order-preserving
// big-endian encodings Paradox uses inside records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orba::pdx {

inline uint16_t GetU16(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t GetU32(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline void PutU16(void* p, uint16_t v) {
  auto* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(void* p, uint32_t v) {
  auto* b = static_cast<uint8_t*>(p);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}

// S (2 bytes), I/+/D/T (4 bytes): big-endian with the sign bit flipped; all
// zero bytes is NULL. nullopt for NULL.
std::optional<int32_t> DecodeInt(const uint8_t* p, size_t width);
void EncodeInt(uint8_t* p, size_t width, int32_t value);

// N, $, @: big-endian IEEE double made byte-order comparable.
std::optional<double> DecodeDouble(const uint8_t* p);
void EncodeDouble(uint8_t* p, double value);

// #: 17 bytes. Returns the decimal text ("-1.23"), nullopt for NULL.
std::optional<std::string> DecodeBcd(const uint8_t* p, unsigned decimals);

// Days from 0001-01-01 (= day 1, proleptic Gregorian) and back.
int32_t DaysFromCivil(int year, unsigned month, unsigned day);
void CivilFromDays(int32_t days, int* year, unsigned* month, unsigned* day);

}  // namespace orba::pdx
