// Value: one field of one record, as the program sees it.
//
// Text is UTF-8 (converted from and to the table's code page by the engine).
// Numbers keep the stored double; BCD values are read as the nearest double.
// Dates count days with 0001-01-01 as day 1; times count milliseconds since
// midnight; timestamps count milliseconds since day 0 of the date scale.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <variant>

namespace orba::pdx {

struct Date {
  int32_t days = 0;
  // A day that does not exist (2026-02-30, month 13) gives the invalid
  // date, which no table accepts (a write of it is InvalidArgument), never
  // a neighbouring day.
  static Date FromYmd(int year, unsigned month, unsigned day);
  static bool IsValidYmd(int year, unsigned month, unsigned day);
  static constexpr int32_t kInvalidDays = INT32_MIN;
  bool operator==(const Date&) const = default;
};
struct Time {
  int32_t ms = 0;
  bool operator==(const Time&) const = default;
};
struct Timestamp {
  int64_t ms = 0;
  bool operator==(const Timestamp&) const = default;
};
struct Bytes {
  std::string data;
  bool operator==(const Bytes&) const = default;
};

class Value {
 public:
  enum class Kind { kNull, kText, kInt, kDouble, kBool, kDate, kTime, kTimestamp, kBytes };

  Value() = default;
  static Value Null() { return Value(); }
  static Value Text(std::string s) { return Value(Rep(std::move(s))); }
  static Value Int(int64_t v) { return Value(Rep(v)); }
  static Value Double(double v) { return Value(Rep(v)); }
  static Value Bool(bool v) { return Value(Rep(v)); }
  static Value Of(Date d) { return Value(Rep(d)); }
  static Value Of(Time t) { return Value(Rep(t)); }
  static Value Of(Timestamp t) { return Value(Rep(t)); }
  static Value Of(Bytes b) { return Value(Rep(std::move(b))); }
  static Value Blob(std::string data) { return Of(Bytes{std::move(data)}); }

  Kind kind() const { return static_cast<Kind>(rep_.index()); }
  bool is_null() const { return kind() == Kind::kNull; }

  // REQUIRES: kind() matches the accessor.
  const std::string& text() const { return std::get<std::string>(rep_); }
  int64_t int_value() const { return std::get<int64_t>(rep_); }
  double double_value() const { return std::get<double>(rep_); }
  bool bool_value() const { return std::get<bool>(rep_); }
  Date date() const { return std::get<Date>(rep_); }
  Time time() const { return std::get<Time>(rep_); }
  Timestamp timestamp() const { return std::get<Timestamp>(rep_); }
  const Bytes& bytes() const { return std::get<Bytes>(rep_); }

  // Plain text form: integers and doubles in shortest round-trip decimal,
  // dates YYYY-MM-DD, times HH:MM:SS[.mmm], timestamps "date time", logicals
  // true/false, bytes as lowercase hex, null as "".
  std::string ToString() const;

  bool operator==(const Value&) const = default;

 private:
  using Rep = std::variant<std::monostate, std::string, int64_t, double, bool, Date, Time, Timestamp, Bytes>;
  explicit Value(Rep rep) : rep_(std::move(rep)) {}
  Rep rep_;
};

std::string FormatDate(Date d);
std::string FormatTime(Time t);

}  // namespace orba::pdx
