#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace orba::formats {

// The process-wide date and money formats. Every window shows and parses
// dates and amounts through this one service, so that the settings chosen by
// the setup wizard apply everywhere at once.
//
// Date patterns use the letters D, M and Y in either case: D/DD day, M/MM
// month number, MMM/MMMM short/long month name, DDD/DDDD short/long weekday
// name, YY/YYYY year; anything else is copied literally. The default is
// "DD/MM/YYYY".
//
// Currency formats follow the classic numbering: positive 0 "$1", 1 "1$",
// 2 "$ 1", 3 "1 $"; negative 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-",
// 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-",
// 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
class RegionalFormats {
 public:
  // The negative format a symbol-first setting leaves in place: "-$1".
  static constexpr int kPlatformNegativeFormat = 1;

  static RegionalFormats& instance();

  // Applies the settings values DateFmt, CurrSmbl and CurrAlign: "l" or "L"
  // puts the symbol before the amount and keeps the platform's negative
  // format; any other text puts it after, negatives in parentheses.
  void apply(const QString& dateFormat, const QString& currencySymbol, const QString& currencyAlign);

  QString shortDateFormat() const { return dateFormat_; }
  QString currencySymbol() const { return symbol_; }
  int currencyFormat() const { return currencyFormat_; }
  int negativeCurrencyFormat() const { return negativeFormat_; }
  int currencyDecimals() const { return decimals_; }

  void setShortDateFormat(const QString& format) { dateFormat_ = format; }
  void setCurrencySymbol(const QString& symbol) { symbol_ = symbol; }
  void setCurrencyFormat(int format) { currencyFormat_ = format & 3; }
  void setNegativeCurrencyFormat(int format) { negativeFormat_ = format & 15; }

  // `locale` supplies day and month names; the default is the system's.
  QString formatDate(const QDate& date, const QLocale& locale = QLocale::system()) const;
  // Accepts numeric dates in the pattern's order (day, month, year); a
  // two-digit year is taken in 1950..2049. Returns nothing for text that is
  // not a valid date.
  std::optional<QDate> parseDate(const QString& text) const;

  // Rounded to the currency decimals, with thousands grouped by ",".
  QString formatCurrency(double amount) const;

 private:
  RegionalFormats() = default;

  QString dateFormat_ = QStringLiteral("DD/MM/YYYY");
  QString symbol_ = QStringLiteral("$");
  int currencyFormat_ = 0;
  int negativeFormat_ = kPlatformNegativeFormat;
  int decimals_ = 2;
};

// Formats a date with a pattern as above, and with literal text between
// double quotes copied as it is (the window caption uses this).
QString formatDateWithPattern(const QDate& date, const QString& pattern, const QLocale& locale);

}  // namespace orba::formats
