#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <clocale>

#include "common/numtext.hpp"

using namespace keld;

TEST(LeadingNumber, ReadsSignDigitsAndOnePoint) {
  EXPECT_EQ(Val("12 ch"), 12);
  EXPECT_EQ(Val("-.5x"), -0.5);
  EXPECT_EQ(Val("  7"), 7);
  EXPECT_EQ(Val("+3.25"), 3.25);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("8000.0"), 8000);
  EXPECT_EQ(Val("010"), 10);
  EXPECT_EQ(Val("1E3"), 1);  // no exponent in this parser
}

TEST(LeadingNumber, EmptyOrNonNumericGivesZero) {
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val("-"), 0);
  EXPECT_EQ(Val("."), 0);
  EXPECT_FALSE(IsNumeric("-"));
  EXPECT_FALSE(IsNumeric("12a") == false);
  EXPECT_TRUE(IsNumeric(" 0"));
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(*CLng(1024.5), 1024);
  EXPECT_EQ(*CLng(1025.5), 1026);
  EXPECT_EQ(*CInt(0.5), 0);
  EXPECT_EQ(*CInt(1.5), 2);
  EXPECT_EQ(*CInt(-2.5), -2);
  EXPECT_EQ(*CInt(23.5), 24);
}

TEST(Rounding, OutOfRangeFails) {
  EXPECT_FALSE(CInt(32767.5).has_value());  // rounds to 32768
  EXPECT_TRUE(CInt(32767.4).has_value());
  EXPECT_FALSE(CInt(40000).has_value());
  EXPECT_FALSE(CLng(3e9).has_value());
  EXPECT_EQ(*CInt(-32768.5), -32768);
}

TEST(NumberText, SystemFormOfDoublesAndSingles) {
  EXPECT_EQ(CStr(0), "0");
  EXPECT_EQ(CStr(12), "12");
  EXPECT_EQ(CStr(-1.5), "-1.5");
  EXPECT_EQ(CStr(0.5), "0.5");
  EXPECT_EQ(CStr(0.00025), "0.00025");
  EXPECT_EQ(CStr(0.0001), "0.0001");
  EXPECT_EQ(CStr(3.125e-5), "3.125E-05");
  EXPECT_EQ(CStr(1e15), "1E+15");
  EXPECT_EQ(CStr(117.5), "117.5");
  EXPECT_EQ(CStrSingle(12345678.0f), "1.234568E+07");
  EXPECT_EQ(CStrSingle(0.1f), "0.1");
  EXPECT_EQ(CStrSingle(-1.5f), "-1.5");
}

TEST(NumberText, BlankPrefixedForm) {
  EXPECT_EQ(Str(5), " 5");
  EXPECT_EQ(Str(-3), "-3");
  EXPECT_EQ(Str(0.5), " .5");
  EXPECT_EQ(Str(-0.25), "-.25");
  EXPECT_EQ(Str(0), " 0");
  EXPECT_EQ(Str(1500), " 1500");
}

TEST(NumberText, Patterns) {
  EXPECT_EQ(Format0_0hh(0.131072), "0.131");
  EXPECT_EQ(Format0_0hh(1.048576), "1.049");
  EXPECT_EQ(Format0_0hh(44.736512), "44.737");
  EXPECT_EQ(Format0_0hh(1.0), "1.0");
  EXPECT_EQ(Format0_0hh(0.002), "0.002");
  EXPECT_EQ(Format0_0hh(2.5), "2.5");
  EXPECT_EQ(Format0_h(12.5), "12.5");
  EXPECT_EQ(Format0_h(12.04), "12");
  EXPECT_EQ(FormatThousands(1234567), "1'234'567");
  EXPECT_EQ(FormatThousands(900000), "900'000");
  EXPECT_EQ(FormatThousands(12), "12");
  EXPECT_EQ(FormatThousands(0), "0");
}

// Any double reaches the formatters (a gain doubled without end, a header
// value): past 9.2e15 the scaled value no longer fits a 64-bit integer.
TEST(NumberText, PatternsTakeAnyDouble) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case { double v; const char* hh; const char* h; };
  for (const Case& c : std::initializer_list<Case>{
           {9.3e15, "9300000000000000.0", "9300000000000000"},
           {-1e300, nullptr, nullptr},
           {1.8014398509481984e16, "18014398509481984.0", "18014398509481984"},
           {inf, "Infinity", "Infinity"},
           {-inf, "-Infinity", "-Infinity"},
           {std::nan(""), "NaN", "NaN"},
           {-0.0004, "0.0", "0"},
           {-2.25, "-2.25", "-2.3"}}) {
    const std::string hh = Format0_0hh(c.v), h = Format0_h(c.v);
    if (c.hh) {
      EXPECT_EQ(hh, c.hh) << c.v;
    }
    if (c.h) {
      EXPECT_EQ(h, c.h) << c.v;
    }
    if (c.v == -1e300) {
      EXPECT_EQ(hh.substr(0, 2), "-1");
      EXPECT_EQ(hh.size(), 301u + 1 + 2);
    }
  }
  EXPECT_EQ(FormatThousands(std::numeric_limits<int64_t>::min()), "-9'223'372'036'854'775'808");
  EXPECT_EQ(FormatThousands(std::numeric_limits<int64_t>::max()), "9'223'372'036'854'775'807");
}

TEST(StrictNumber, WholeTextOnly) {
  EXPECT_EQ(*CDbl(" 12 "), 12);
  EXPECT_EQ(*CDbl("1024.5"), 1024.5);
  EXPECT_EQ(*CDbl("-3e2"), -300);
  EXPECT_FALSE(CDbl("12 ch").has_value());
  EXPECT_FALSE(CDbl("").has_value());
  EXPECT_FALSE(CDbl("abc").has_value());
  EXPECT_FALSE(CDbl("0x10").has_value());
  EXPECT_FALSE(CDbl("inf").has_value());
}

TEST(NumberText, IndependentOfTheLocale) {
  // A desktop with a decimal comma must not change how numbers are read and written.
  const char* names[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "it_IT.UTF-8", "de_DE", "fr_FR"};
  const char* set = nullptr;
  for (const char* n : names)
    if ((set = std::setlocale(LC_NUMERIC, n))) break;
  if (!set) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(CStr(0.5), "0.5");
  EXPECT_EQ(Str(-1.25), "-1.25");
  EXPECT_EQ(CStrSingle(12345678.0f), "1.234568E+07");
  EXPECT_EQ(Val("2.5"), 2.5);
  EXPECT_EQ(*CDbl("2.5"), 2.5);
  std::setlocale(LC_NUMERIC, "C");
}

TEST(StrictNumber, SignsPointsAndExponents) {
  EXPECT_EQ(CDbl("5"), 5);
  EXPECT_EQ(CDbl(" -2.5 "), -2.5);
  EXPECT_EQ(CDbl("+.5"), 0.5);
  EXPECT_EQ(CDbl("5."), 5);
  EXPECT_EQ(CDbl("1E3"), 1000);
  EXPECT_EQ(CDbl("1.5e-2"), 0.015);
  for (const char* bad : {"", " ", "-", ".", "5 m", "1,5", "abc", "1E", "1E+", "--1", "1.2.3"})
    EXPECT_EQ(CDbl(bad), std::nullopt) << bad;
}

