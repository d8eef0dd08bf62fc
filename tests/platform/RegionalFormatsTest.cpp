#include <gtest/gtest.h>

#include <QLocale>

#include "RegionalFormats.h"

using orba::formats::RegionalFormats;

namespace {
// The service is process-wide; each test starts from the defaults.
RegionalFormats& fresh() {
  auto& f = RegionalFormats::instance();
  f.setNegativeCurrencyFormat(RegionalFormats::kPlatformNegativeFormat);
  f.apply("DD/MM/YYYY", "$", "L");
  return f;
}
}  // namespace

TEST(RegionalFormats, SymbolBeforeTheAmountKeepsThePlatformNegativeFormat) {
  auto& f = fresh();
  f.apply("DD/MM/YYYY", "$", "l");
  EXPECT_EQ(f.currencyFormat(), 0);
  EXPECT_EQ(f.negativeCurrencyFormat(), RegionalFormats::kPlatformNegativeFormat);
  EXPECT_EQ(f.formatCurrency(1), "$1.00");
  EXPECT_EQ(f.formatCurrency(1234567.891), "$1,234,567.89");
  EXPECT_EQ(f.formatCurrency(-1), "-$1.00");
}

TEST(RegionalFormats, AnyOtherAlignmentPutsTheSymbolAfterAndNegativesInParentheses) {
  for (const char* align : {"R", "r", "", "Left"}) {
    auto& f = fresh();
    f.apply("DD/MM/YYYY", "$", align);
    EXPECT_EQ(f.currencyFormat(), 1) << align;
    EXPECT_EQ(f.negativeCurrencyFormat(), 4) << align;
    EXPECT_EQ(f.formatCurrency(1), "1.00$") << align;
    EXPECT_EQ(f.formatCurrency(-1), "(1.00$)") << align;
  }
}

TEST(RegionalFormats, SymbolIsTakenAsWrittenAndTinyNegativesShowAsZero) {
  auto& f = fresh();
  f.apply("DD/MM/YYYY", "€", "R");
  EXPECT_EQ(f.formatCurrency(-0.001), "0.00€");
  EXPECT_EQ(f.formatCurrency(0.005), "0.01€");
}

TEST(RegionalFormats, DatesFollowThePatternBothWays) {
  auto& f = fresh();
  const QDate date(2026, 12, 4);
  EXPECT_EQ(f.formatDate(date), "04/12/2026");
  f.setShortDateFormat("yyyy-mm-dd");
  EXPECT_EQ(f.formatDate(date), "2026-12-04");
  EXPECT_EQ(f.parseDate("2026-12-04"), date);
  f.setShortDateFormat("M/D/YY");
  EXPECT_EQ(f.formatDate(date), "12/4/26");
  EXPECT_EQ(f.parseDate("12/4/26"), date);
  EXPECT_EQ(f.parseDate("12/4/49"), QDate(2049, 12, 4));
  EXPECT_EQ(f.parseDate("12/4/50"), QDate(1950, 12, 4));
}

TEST(RegionalFormats, ImpossibleDatesDoNotParse) {
  auto& f = fresh();
  EXPECT_FALSE(f.parseDate("31/02/2026"));
  EXPECT_FALSE(f.parseDate("04/12"));
  EXPECT_FALSE(f.parseDate("abc"));
  EXPECT_FALSE(f.parseDate("04/12/2026/1"));
  EXPECT_FALSE(f.parseDate("04/12/202600000000"));
}

TEST(RegionalFormats, CaptionPatternCopiesQuotedTextAndUsesLocaleNames) {
  const QString pattern = QStringLiteral("\"Bienvenue\" dddd, mmmm d, yyyy ");
  EXPECT_EQ(orba::formats::formatDateWithPattern(QDate(2026, 12, 4), pattern, QLocale(QLocale::English)),
            "Bienvenue Friday, December 4, 2026 ");
  EXPECT_EQ(orba::formats::formatDateWithPattern(QDate(2026, 12, 4), pattern, QLocale(QLocale::French)),
            "Bienvenue vendredi, décembre 4, 2026 ");
}
