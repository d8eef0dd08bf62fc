#include "Amounts.h"

#include <QLocale>
#include <cmath>

namespace orba::lists {

std::optional<TypedNumber> parseTypedNumber(const QString& typed) {
  QString text;
  for (const QChar c : typed.trimmed())
    // Spaces group thousands in French ("1 234,50"), ordinary or not.
    if (c != QLatin1Char(' ') && c != QChar(0x00A0) && c != QChar(0x202F)) text += c;
  if (text.isEmpty()) return std::nullopt;
  QString sign;
  if (text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+')) {
    sign = text.front();
    text.remove(0, 1);
  }
  for (const QChar c : text)
    if (!c.isDigit() || c.unicode() > '9') {
      if (c != QLatin1Char('.') && c != QLatin1Char(',')) return std::nullopt;
    }
  const qsizetype lastComma = text.lastIndexOf(QLatin1Char(','));
  const qsizetype lastPoint = text.lastIndexOf(QLatin1Char('.'));
  qsizetype decimalAt = -1;
  if (lastComma >= 0 && lastPoint >= 0)
    decimalAt = std::max(lastComma, lastPoint);
  else if (text.count(QLatin1Char(',')) == 1)
    decimalAt = lastComma;
  else if (text.count(QLatin1Char('.')) == 1)
    decimalAt = lastPoint;
  QString whole = decimalAt >= 0 ? text.left(decimalAt) : text;
  QString fraction = decimalAt >= 0 ? text.mid(decimalAt + 1) : QString();
  // What is left of the separators groups thousands; a decimal separator
  // before the last one is not.
  if (fraction.contains(QLatin1Char(',')) || fraction.contains(QLatin1Char('.'))) return std::nullopt;
  if (decimalAt >= 0 && whole.contains(text[decimalAt])) return std::nullopt;
  whole.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
  if (whole.isEmpty() && fraction.isEmpty()) return std::nullopt;
  bool ok = false;
  const double value =
      QLocale::c().toDouble(sign + (whole.isEmpty() ? QStringLiteral("0") : whole) + QLatin1Char('.') +
                                (fraction.isEmpty() ? QStringLiteral("0") : fraction),
                            &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
  return TypedNumber{value, static_cast<int>(fraction.size())};
}

QString formatAmount(double amount) {
  const double rounded = std::round(amount * 100) / 100;
  QString digits = QString::number(std::fabs(rounded), 'f', kAmountDecimals);
  const qsizetype point = digits.indexOf(QLatin1Char('.'));
  for (qsizetype pos = point - 3; pos > 0; pos -= 3) digits.insert(pos, QLatin1Char(','));
  return rounded < 0 ? QLatin1Char('-') + digits : digits;
}

QString editableAmount(double amount) { return QString::number(amount, 'f', kAmountDecimals); }

}  // namespace orba::lists
