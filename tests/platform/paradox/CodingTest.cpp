// Record encodings against the byte patterns documented in docs/paradox-engine.md.
#include <gtest/gtest.h>

#include <cstring>

#include "paradox/Coding.h"
#include "paradox/Value.h"

namespace orba::pdx {
namespace {

std::string Hex(const uint8_t* p, size_t n) {
  std::string out;
  char buf[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02x", p[i]);
    out += buf;
  }
  return out;
}

TEST(Coding, IntegersFlipTheSignBitAndZeroIsNull) {
  uint8_t b[4];
  EncodeInt(b, 2, -40);
  EXPECT_EQ(Hex(b, 2), "7fd8");
  EncodeInt(b, 4, 40);
  EXPECT_EQ(Hex(b, 4), "80000028");
  EXPECT_EQ(DecodeInt(b, 4), 40);
  const uint8_t zero[4] = {0, 0, 0, 0};
  EXPECT_FALSE(DecodeInt(zero, 4).has_value());
  const uint8_t general[4] = {0x93, 0xDE, 0x43, 0x55};
  EXPECT_EQ(DecodeInt(general, 4), 333333333);
}

TEST(Coding, DoublesAreByteOrderComparable) {
  uint8_t a[8], b[8];
  EncodeDouble(a, 40.0);
  EXPECT_EQ(Hex(a, 8), "c044000000000000");
  EncodeDouble(b, -40.0);
  EXPECT_EQ(Hex(b, 8), "3fbbffffffffffff");
  EXPECT_LT(std::memcmp(b, a, 8), 0);
  EncodeDouble(a, -0.0);
  EXPECT_EQ(Hex(a, 8), "8000000000000000");  // zero, not NULL
  EXPECT_EQ(DecodeDouble(a), 0.0);
  const uint8_t null[8] = {};
  EXPECT_FALSE(DecodeDouble(null).has_value());
}

// A field is encoded into its own bytes: the next field's first byte (or
// whatever follows the record) is left as it was.
TEST(Coding, EncodingWritesOnlyTheFieldsOwnBytes) {
  uint8_t b[10];
  std::memset(b, 0xA5, sizeof b);
  EncodeDouble(b, 12.5);
  EXPECT_EQ(Hex(b + 8, 2), "a5a5");
  for (size_t width : {2u, 4u}) {
    std::memset(b, 0xA5, sizeof b);
    EncodeInt(b, width, -7);
    EXPECT_EQ(b[width], 0xA5) << width;
  }
}

TEST(Coding, BcdPositiveNegativeNullAndGarbageDigits) {
  uint8_t v[17] = {0xC2};
  v[16] = 0x23;
  v[15] = 0x01;
  EXPECT_EQ(DecodeBcd(v, 2), "1.23");
  uint8_t n[17];
  for (int i = 1; i < 17; ++i) n[i] = static_cast<uint8_t>(~v[i]);
  n[0] = 0x42;
  EXPECT_EQ(DecodeBcd(n, 2), "-1.23");
  const uint8_t null6[17] = {0x06};
  EXPECT_FALSE(DecodeBcd(null6, 6).has_value());
  uint8_t g[17] = {0xC4};
  g[15] = 0x12;
  g[16] = 0x3A;  // digit above 9 ends the meaningful digits
  EXPECT_EQ(DecodeBcd(g, 4), "0.1230");
}

TEST(Coding, DayNumbersMatchTheOrdinalCalendar) {
  EXPECT_EQ(DaysFromCivil(1, 1, 1), 1);
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 719163);
  EXPECT_EQ(DaysFromCivil(1999, 9, 9), 730006);
  for (int32_t d : {-366, 0, 1, 719163, 730006, 3652059}) {
    int y;
    unsigned m, day;
    CivilFromDays(d, &y, &m, &day);
    EXPECT_EQ(DaysFromCivil(y, m, day), d);
  }
  EXPECT_EQ(Value::Of(Timestamp{-31618188000}).ToString(), "-0001-12-31 01:10:12");
}

// The plain text form other tools print values in.
TEST(Value, EachKindHasItsPlainTextForm) {
  EXPECT_EQ(Value::Blob(std::string("\x01\xab\x00\xff", 4)).ToString(), "01ab00ff");
  EXPECT_EQ(Value::Blob("").ToString(), "");
  EXPECT_EQ(Value::Bool(true).ToString(), "true");
  EXPECT_EQ(Value::Int(-42).ToString(), "-42");
  EXPECT_EQ(Value::Of(Date::FromYmd(2024, 2, 29)).ToString(), "2024-02-29");
  EXPECT_EQ(Value().ToString(), "");
}

}  // namespace
}  // namespace orba::pdx
