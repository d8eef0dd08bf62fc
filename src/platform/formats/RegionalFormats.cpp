#include "RegionalFormats.h"

#include <QLocale>
#include <cmath>

namespace orba::formats {

RegionalFormats& RegionalFormats::instance() {
  static RegionalFormats formats;
  return formats;
}

void RegionalFormats::apply(const QString& dateFormat, const QString& currencySymbol,
                            const QString& currencyAlign) {
  dateFormat_ = dateFormat;
  symbol_ = currencySymbol;
  if (currencyAlign == QLatin1String("l") || currencyAlign == QLatin1String("L")) {
    currencyFormat_ = 0;
  } else {
    currencyFormat_ = 1;
    negativeFormat_ = 4;
  }
}

QString formatDateWithPattern(const QDate& date, const QString& pattern, const QLocale& locale) {
  QString out;
  int i = 0;
  const int n = pattern.size();
  while (i < n) {
    const QChar c = pattern[i];
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      const int end = pattern.indexOf(c, i + 1);
      const int stop = end < 0 ? n : end;
      out += pattern.mid(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    const QChar upper = c.toUpper();
    if (upper != QLatin1Char('D') && upper != QLatin1Char('M') && upper != QLatin1Char('Y')) {
      out += c;
      ++i;
      continue;
    }
    int run = 1;
    while (i + run < n && pattern[i + run].toUpper() == upper) ++run;
    i += run;
    if (upper == QLatin1Char('D')) {
      if (run == 1)
        out += QString::number(date.day());
      else if (run == 2)
        out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
      else if (run == 3)
        out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
      else
        out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    } else if (upper == QLatin1Char('M')) {
      if (run == 1)
        out += QString::number(date.month());
      else if (run == 2)
        out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
      else if (run == 3)
        out += locale.monthName(date.month(), QLocale::ShortFormat);
      else
        out += locale.monthName(date.month(), QLocale::LongFormat);
    } else {
      if (run <= 2)
        out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
      else
        out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    }
  }
  return out;
}

QString RegionalFormats::formatDate(const QDate& date, const QLocale& locale) const {
  return formatDateWithPattern(date, dateFormat_, locale);
}

std::optional<QDate> RegionalFormats::parseDate(const QString& text) const {
  // Order of day, month and year as they first appear in the pattern.
  QString order;
  for (const QChar c : dateFormat_) {
    const QChar upper = c.toUpper();
    if ((upper == QLatin1Char('D') || upper == QLatin1Char('M') || upper == QLatin1Char('Y')) &&
        !order.contains(upper))
      order += upper;
  }
  if (order.size() != 3) return std::nullopt;

  QList<int> parts;
  QList<int> widths;
  QString digits;
  auto flush = [&] {
    if (!digits.isEmpty()) {
      parts.append(digits.toInt());
      widths.append(digits.size());
      digits.clear();
    }
  };
  for (const QChar c : text.trimmed()) {
    if (c.isDigit()) {
      if (digits.size() >= 4) return std::nullopt;
      digits += c;
    } else {
      flush();
    }
  }
  flush();
  if (parts.size() != 3) return std::nullopt;

  int day = 0, month = 0, year = 0;
  for (int k = 0; k < 3; ++k) {
    if (order[k] == QLatin1Char('D'))
      day = parts[k];
    else if (order[k] == QLatin1Char('M'))
      month = parts[k];
    else {
      year = parts[k];
      if (widths[k] <= 2) year += year < 50 ? 2000 : 1900;
    }
  }
  const QDate date(year, month, day);
  if (!date.isValid()) return std::nullopt;
  return date;
}

QString RegionalFormats::formatCurrency(double amount) const {
  const bool negative = amount < 0;
  const double scale = std::pow(10.0, decimals_);
  const double rounded = std::round(std::fabs(amount) * scale) / scale;
  QString digits = QString::number(rounded, 'f', decimals_);
  const int point = digits.indexOf(QLatin1Char('.'));
  for (int pos = (point < 0 ? digits.size() : point) - 3; pos > 0; pos -= 3)
    digits.insert(pos, QLatin1Char(','));

  if (!negative || rounded == 0.0) {
    switch (currencyFormat_) {
      case 0:
        return symbol_ + digits;
      case 1:
        return digits + symbol_;
      case 2:
        return symbol_ + QLatin1Char(' ') + digits;
      default:
        return digits + QLatin1Char(' ') + symbol_;
    }
  }
  const QString& s = symbol_;
  const QString& d = digits;
  switch (negativeFormat_) {
    case 0:
      return QLatin1Char('(') + s + d + QLatin1Char(')');
    case 1:
      return QLatin1Char('-') + s + d;
    case 2:
      return s + QLatin1Char('-') + d;
    case 3:
      return s + d + QLatin1Char('-');
    case 4:
      return QLatin1Char('(') + d + s + QLatin1Char(')');
    case 5:
      return QLatin1Char('-') + d + s;
    case 6:
      return d + QLatin1Char('-') + s;
    case 7:
      return d + s + QLatin1Char('-');
    case 8:
      return QLatin1Char('-') + d + QLatin1Char(' ') + s;
    case 9:
      return QLatin1Char('-') + s + QLatin1Char(' ') + d;
    case 10:
      return d + QLatin1Char(' ') + s + QLatin1Char('-');
    case 11:
      return s + QLatin1Char(' ') + d + QLatin1Char('-');
    case 12:
      return s + QLatin1Char(' ') + QLatin1Char('-') + d;
    case 13:
      return d + QLatin1Char('-') + QLatin1Char(' ') + s;
    case 14:
      return QLatin1Char('(') + s + QLatin1Char(' ') + d + QLatin1Char(')');
    default:
      return QLatin1Char('(') + d + QLatin1Char(' ') + s + QLatin1Char(')');
  }
}

}  // namespace orba::formats
