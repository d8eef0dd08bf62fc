#include "paradox/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "paradox/Coding.h"

namespace orba::pdx {

bool Date::IsValidYmd(int year, unsigned month, unsigned day) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  // Far beyond any date a table holds, and where the day count would overflow.
  if (year < -5000000 || year > 5000000) return false;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

Date Date::FromYmd(int year, unsigned month, unsigned day) {
  if (!IsValidYmd(year, month, day)) return Date{kInvalidDays};
  return Date{DaysFromCivil(year, month, day)};
}

std::string FormatDate(Date d) {
  int y;
  unsigned m, day;
  CivilFromDays(d.days, &y, &m, &day);
  char buf[32];
  if (y >= 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", y, m, day);
  } else {
    std::snprintf(buf, sizeof buf, "-%04d-%02u-%02u", -y, m, day);
  }
  return buf;
}

std::string FormatTime(Time t) {
  int64_t ms = t.ms;
  bool neg = ms < 0;
  if (neg) ms = -ms;
  char buf[40];
  int64_t s = ms / 1000;
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", neg ? "-" : "", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  std::string out = buf;
  if (ms % 1000 != 0) {
    std::snprintf(buf, sizeof buf, ".%03lld", static_cast<long long>(ms % 1000));
    out += buf;
  }
  return out;
}

namespace {

template <typename T>
std::string ShortestDecimal(T v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

}  // namespace

std::string Value::ToString() const {
  switch (kind()) {
    case Kind::kNull:
      return {};
    case Kind::kText:
      return text();
    case Kind::kInt:
      return ShortestDecimal(int_value());
    case Kind::kDouble:
      return ShortestDecimal(double_value());
    case Kind::kBool:
      return bool_value() ? "true" : "false";
    case Kind::kDate:
      return FormatDate(date());
    case Kind::kTime:
      return FormatTime(time());
    case Kind::kTimestamp: {
      int64_t ms = timestamp().ms;
      // Floor division keeps the time of day positive before day 0.
      int64_t day = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
      int64_t rest = ms - day * 86400000;
      return FormatDate(Date{static_cast<int32_t>(day)}) + " " + FormatTime(Time{static_cast<int32_t>(rest)});
    }
    case Kind::kBytes: {
      static const char* kHex = "0123456789abcdef";
      std::string out;
      out.reserve(bytes().data.size() * 2);
      for (unsigned char c : bytes().data) {
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 15]);
      }
      return out;
    }
  }
  return {};
}

}  // namespace orba::pdx
