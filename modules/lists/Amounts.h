#pragma once

// Numbers and amounts as the list forms take them and show them.

#include <QString>
#include <optional>

namespace orba::lists {

// A number as a user types it, in either notation: "12.50", "12,50" (the
// decimal comma, as the set-up wizard takes it), "1,234.50", "1 234,50",
// "-5". One separator alone is the decimal one; with both, the last is, and
// the other groups thousands. Anything else (letters, "1e3", two signs) is
// not a number.
struct TypedNumber {
  double value = 0;
  int decimals = 0;  // significant digits after the decimal separator
};
std::optional<TypedNumber> parseTypedNumber(const QString& text);

// The most an amount may be so that its cents stay exact.
inline constexpr double kLargestAmount = 1e13;
inline constexpr int kAmountDecimals = 2;

// An amount as the lists show it: two decimals, thousands grouped by ","
// (the regional formats' way, without the currency symbol).
QString formatAmount(double amount);
// An amount as the form offers it for editing: two decimals, no grouping.
QString editableAmount(double amount);

}  // namespace orba::lists
