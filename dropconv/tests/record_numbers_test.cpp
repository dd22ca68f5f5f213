#include <cmath>

#include <gtest/gtest.h>

#include "dropconv/record_lines.hpp"
#include "dropconv/record_numbers.hpp"
#include "dropconv/seg2_export.hpp"

using namespace keld;

namespace {
double Parse(std::string text) { return ClassSEG2Export::ParseNumber(text); }
}  // namespace

TEST(ParseNumber, ReadsTheLeadingNumberWithCommaAsPoint) {
  EXPECT_EQ(Parse(""), 0);
  EXPECT_EQ(Parse("5 m"), 5);
  EXPECT_EQ(Parse("2,5 m"), 2.5);
  EXPECT_EQ(Parse("1 5"), 15);
  EXPECT_EQ(Parse("\t 7\t"), 7);
  EXPECT_EQ(Parse("-3 m"), -3);
  EXPECT_EQ(Parse("+4"), 4);
  EXPECT_EQ(Parse(".5"), 0.5);
  EXPECT_EQ(Parse("-.25"), -0.25);
  EXPECT_EQ(Parse("1.2.3"), 1.2);
  EXPECT_EQ(Parse("abc"), 0);
  EXPECT_EQ(Parse("-"), 0);
  EXPECT_FLOAT_EQ(static_cast<float>(Parse("1,5E-03")), 0.0015f);
  EXPECT_EQ(Parse("1.234568E+07"), 12345680);
  EXPECT_EQ(Parse("2e2"), 200);
  EXPECT_EQ(Parse("1 E 5"), 100000);
  EXPECT_EQ(Parse("1.5E"), 1.5);   // an exponent needs its digits
  EXPECT_EQ(Parse("1.5E+x"), 1.5);
  EXPECT_EQ(Parse("3 Eur"), 3);
  EXPECT_EQ(Parse("1E-400"), 0);
  EXPECT_TRUE(std::isinf(Parse("1E400")));
  EXPECT_TRUE(std::isinf(Parse("-1E400")) && Parse("-1E400") < 0);
}

TEST(ParseNumber, ChangesTheCommasOfItsText) {
  std::string t = "2,5 m";
  ClassSEG2Export::ParseNumber(t);
  EXPECT_EQ(t, "2.5 m");
}

TEST(LeadingNumber, KeepsTheCommaAsAStop) { EXPECT_EQ(LeadingNumber("2,5"), 2); }

TEST(WholeNumber, TakesOnlyAWholeText) {
  EXPECT_EQ(WholeNumber("24"), 24);
  EXPECT_EQ(WholeNumber(" 24\t"), 24);
  EXPECT_EQ(WholeNumber("24.0"), 24);
  EXPECT_EQ(WholeNumber("2.4E1"), 24);
  EXPECT_EQ(WholeNumber("-1"), -1);
  for (const char* bad : {"", " ", "24 ch", "2,4", "-", ".", "2 4", "E5", "1E400"})
    EXPECT_FALSE(WholeNumber(bad).has_value()) << bad;
}

TEST(NumberText, GeneralFormWithPoint) {
  EXPECT_EQ(NumberText(250.0 / 1000 / 1000), "0.00025");
  EXPECT_EQ(NumberText(31.25 / 1000 / 1000), "3.125E-05");
  EXPECT_EQ(NumberText(0.0001), "0.0001");
  EXPECT_EQ(SingleText(5.0f), "5");
  EXPECT_EQ(SingleText(2.5f), "2.5");
  EXPECT_EQ(SingleText(-0.0f), "0");
  EXPECT_EQ(SingleText(12345678.0f), "1.234568E+07");
  EXPECT_FALSE(ToSingle(1e39).has_value());
  EXPECT_EQ(ToSingle(-2.5), -2.5f);
}

TEST(RecordLines, AcceptsCrLfAndLfAndKeepsBytes) {
  std::string text = "a\r\nb\n\r\n\xB0 x\r\nlast";
  RecordLines lines(text);
  EXPECT_EQ(lines.Total(), 5);
  std::vector<std::string> got;
  std::string_view l;
  while (lines.Next(l)) got.emplace_back(l);
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "", "\xB0 x", "last"}));
  EXPECT_EQ(lines.Remaining(), 0);

  RecordLines ended("a\r\nb\r\n");
  EXPECT_EQ(ended.Total(), 2);
  RecordLines empty("");
  EXPECT_EQ(empty.Total(), 0);
  EXPECT_FALSE(empty.Next(l));
}
