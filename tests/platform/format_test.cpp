#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/format.h"

using namespace platform;

namespace {

struct PatternCase {
  double value;
  const char* pattern;
  const char* text;
};

TEST(FormatNumber, ScreenPatternsWithBrazilianSeparators) {
  const PatternCase cases[] = {
      {1234.5, "#,##0.00", "1.234,50"},
      {1234567.891, "#,##0.00", "1.234.567,89"},
      {123.4, "#,##0.00", "123,40"},
      {0, "#,##0.00", "0,00"},
      {-1234.5, "#,##0.00", "-1.234,50"},
      {1234.5, "###0.00", "1234,50"},
      {0.3, "###0.00", "0,30"},
      {-0.3, "###0.00", "-0,30"},
      {1234.5, "0.00", "1234,50"},
      {1234.5678, "#,##0.000", "1.234,568"},
      {2, "0.000", "2,000"},
      {1234.5, "#0.00", "1234,50"},
      {1234567, "#,##0", "1.234.567"},
      {999, "#,##0", "999"},
      {1000, "#,##0", "1.000"},
      {-1000, "#,##0", "-1.000"},
      {12.5, "0", "13"},
      {0.4, "0", "0"},
      {1.5, "0.##", "1,5"},
      {1, "0.##", "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(FormatNumber, RoundsHalfAwayFromZeroOnTheDecimalForm) {
  const PatternCase cases[] = {
      {2.675, "0.00", "2,68"},  // binary 2.67499999...
      {1.005, "0.00", "1,01"},  // binary 1.00499999...
      {-2.675, "0.00", "-2,68"},         {-1.005, "#,##0.00", "-1,01"},
      {2.665, "0.00", "2,67"},           {0.125, "0.00", "0,13"},
      {0.124999, "0.00", "0,12"},        {9.995, "0.00", "10,00"},
      {999.995, "#,##0.00", "1.000,00"}, {99999.9995, "#,##0.000", "100.000,000"},
      {0.005, "0.00", "0,01"},           {0.0049, "0.00", "0,00"},
      {0.1 + 0.2, "0.00", "0,30"},       {1.0005, "0.000", "1,001"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(FormatNumber, NegativeZeroNeverShows) {
  EXPECT_EQ(formatNumber(-0.0, "0.00"), "0,00");
  EXPECT_EQ(formatNumber(-0.004, "0.00"), "0,00");
  EXPECT_EQ(formatNumber(-0.004, "#,##0.00"), "0,00");
  EXPECT_EQ(formatNumber(-0.4, "0"), "0");
  EXPECT_EQ(formatNumber(-1e-20, "###0.00"), "0,00");
  EXPECT_EQ(formatNumber(-0.005, "0.00"), "-0,01");
}

TEST(FormatNumber, HugeAndSpecialValues) {
  EXPECT_EQ(formatNumber(1e15, "#,##0.00"), "1.000.000.000.000.000,00");
  EXPECT_EQ(formatNumber(123456789012345678.0, "###0"), "123456789012346000");
  const std::string big = formatNumber(1e300, "###0.00");
  EXPECT_EQ(big.size(), 301u + 3u);
  EXPECT_EQ(big.substr(0, 2), "10");
  EXPECT_EQ(formatNumber(-std::numeric_limits<double>::max(), "#,##0").substr(0, 5), "-179.");
  EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN(), "0.00"), "NAN");
  EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity(), "0.00"), "-INF");
}

TEST(FormatNumber, NeutralLocaleAndFixed) {
  EXPECT_EQ(formatNumber(1234.5, "#,##0.00", kNeutral), "1,234.50");
  EXPECT_EQ(formatFixed(2.675, 2), "2.68");
  EXPECT_EQ(formatFixed(-0.001, 2), "0.00");
  EXPECT_EQ(formatFixed(2.5, 0), "3");
  EXPECT_EQ(formatFixed(2.5, -1), "3");
  EXPECT_EQ(formatFixed(0.5, 3, kBrazil), "0,500");
}

TEST(FormatGeneral, ShortestFifteenDigitText) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.1 + 0.2, "0.3"},
      {7, "7"},
      {-0.0, "0"},
      {0, "0"},
      {12.35, "12.35"},
      {-0.5, "-0.5"},
      {2.675, "2.675"},
      {12.349999999, "12.349999999"},
      {1.0 / 3, "0.333333333333333"},
      {100, "100"},
      {1e-5, "0.00001"},
      {1.25e-5, "0.0000125"},
      {1e-6, "1E-6"},
      {999999999999999, "999999999999999"},
      {1e15, "1E15"},
      {1e16, "1E16"},
      {1.5e16, "1.5E16"},
      {-2.5e-7, "-2.5E-7"},
      {1234567890123456789.0, "1.23456789012346E18"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatGeneral(c.value), c.text) << c.text;
  EXPECT_EQ(formatGeneral(12.35, kBrazil), "12,35");
  EXPECT_EQ(formatGeneral(1.5e16, kBrazil), "1,5E16");
  EXPECT_EQ(formatGeneralLong(3.0L * 0.1L), "0.3");
}

TEST(FormatGeneral, ReadsBackWhatItWrites) {
  for (double v : {0.3, -12.35, 1e-6, 1e15, 1.5e16, 7.0, 0.00001, 1.0 / 3}) {
    for (NumberLocale loc : {kNeutral, kBrazil}) {
      const auto back = parseGeneral(formatGeneral(v, loc), loc);
      ASSERT_TRUE(back) << v;
      EXPECT_EQ(formatGeneral(*back, loc), formatGeneral(v, loc));
    }
  }
  EXPECT_FALSE(parseGeneral(".5"));
  EXPECT_FALSE(parseGeneral("1,5"));
  EXPECT_FALSE(parseGeneral(" 1"));
  EXPECT_FALSE(parseGeneral("1E"));
  EXPECT_FALSE(parseGeneral("1E400"));
  EXPECT_FALSE(parseGeneral(""));
  EXPECT_EQ(*parseGeneral("5."), 5.0);
  EXPECT_FALSE(std::signbit(*parseGeneral("-0")));
}

TEST(ParseNumber, AcceptsWhatUsersType) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"1234,56", 1234.56},
      {"1.234,56", 1234.56},
      {"1.234.567", 1234567},
      {"  -12,5 ", -12.5},
      {"+3", 3},
      {",5", 0.5},
      {"5,", 5},
      {"0", 0},
      {"123.456,7", 123456.7},
      {"-1.000", -1000},
  };
  for (const auto& c : cases) {
    const auto v = parseNumber(c.text);
    ASSERT_TRUE(v) << c.text;
    EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
  }
  EXPECT_DOUBLE_EQ(*parseNumber("1,234.5", kNeutral), 1234.5);
  EXPECT_DOUBLE_EQ(*parseNumber("12.50", kNeutral), 12.5);
  EXPECT_FALSE(std::signbit(*parseNumber("-0,0")));
}

TEST(ParseNumber, RejectsAnythingElse) {
  for (const char* bad : {"", "   ", "-", "+", ",", "12.50", "1.23,4", "1234.567,8", ".123", "1..234", "12,3,4", "1e5",
                          "12a", "a12", "--1", "1 234", "1.234.56", "1,2.3"}) {
    EXPECT_FALSE(parseNumber(bad)) << bad;
  }
  EXPECT_FALSE(parseNumber("1" + std::string(400, '0')));
  EXPECT_FALSE(parseNumber("12,50", kNeutral));
}

TEST(FormatNumber, IgnoresTheProcessLocale) {
  // The desktop toolkit installs the user's locale at start-up; a Brazilian
  // LC_NUMERIC must not change what is written or read.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "pt_BR.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_EQ(formatGeneral(12.5), "12.5");
  EXPECT_EQ(*parseGeneral("12.5"), 12.5);
  EXPECT_EQ(formatNumber(1234.5, "#,##0.00"), "1.234,50");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
