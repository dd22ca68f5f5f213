// The SU to ASCII exports: the number form, the file names, and real SU
// files exported and compared value by value.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "common/text.hpp"
#include "conversion/shell/su_ascii.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;

TEST(SuAscii, NumberFormAndNames) {
  struct {
    float v;
    const char* want;
  } cases[] = {{1.25f, "1.25000000E+00"}, {-0.003f, "-3.00000000E-03"}, {0.0f, "0.00000000E+00"},
               {-0.0f, "0.00000000E+00"}, {1e20f, "1.00000000E+20"}, {0.1f, "1.00000000E-01"}, {3.4028235e38f, "3.40282350E+38"},  {123456.0f, "1.23456000E+05"}};
  for (auto c : cases) EXPECT_EQ(FormatSample(c.v), c.want);
  EXPECT_EQ(ChannelFileName("/d/LINE1.SU", 1), "/d/LINE1.01");
  EXPECT_EQ(ChannelFileName("/d/LINE1.SU", 99), "/d/LINE1.99");
  EXPECT_EQ(ChannelFileName("/d/LINE1.SU", 100), "/d/LINE1.100");
  EXPECT_EQ(ColumnsFileName("/d/LINE1.SU"), "/d/LINE1.txt");
  struct {
    int64_t first, last, want_first, want_last;
  } ranges[] = {{10, 4, 4, 10}, {1, 0, 1, 1}, {-5, 500, 1, 40}};
  for (auto r : ranges) {
    ClampTraceRange(r.first, r.last, 40);
    EXPECT_EQ(r.first, r.want_first);
    EXPECT_EQ(r.last, r.want_last);
  }
}

TEST(SuAscii, ExportsOfARealFileHoldItsSamples) {
  KELD_REQUIRE_TESTDATA(su, "su");
  TempDir d;
  const std::string file = d / "SAMPLE.SU";
  std::filesystem::copy_file(su + "/su_sub_i386-segy.sample.su", file);
  auto traces = ReadSuFile(file);
  ASSERT_TRUE(traces);
  ASSERT_EQ(traces->size(), 40u);
  auto files = ExportChannels(file, 3, 5);
  ASSERT_TRUE(files) << files.error();
  ASSERT_EQ(files->size(), 3u);
  EXPECT_EQ(files->at(0), d / "SAMPLE.01");
  for (int n = 0; n < 3; ++n) {
    auto lines = Split(keld::testing::ReadText(files->at(static_cast<size_t>(n))), '\n');
    ASSERT_EQ(lines.size(), 257u);  // 256 values, each ended by CR LF
    for (size_t i = 0; i < 256; ++i)
      EXPECT_EQ(std::strtof(lines[i].c_str(), nullptr), traces->at(static_cast<size_t>(2 + n)).samples[i]);
  }
  ASSERT_TRUE(ExportColumns(file, d / "SAMPLE.txt", 10, 4));
  auto rows = Split(keld::testing::ReadText(d / "SAMPLE.txt"), '\n');
  ASSERT_EQ(rows.size(), 257u);
  for (size_t i = 0; i < 256; i += 51) {
    auto cols = Split(rows[i], ',');
    ASSERT_EQ(cols.size(), 8u);  // traces 4 to 10, then the comma before CR LF
    EXPECT_EQ(cols.back(), "\r");
    for (size_t t = 0; t < 7; ++t) EXPECT_EQ(std::strtof(cols[t].c_str(), nullptr), traces->at(3 + t).samples[i]);
  }
  EXPECT_FALSE(ExportChannels(file, 5, 3));   // first beyond last
  EXPECT_FALSE(ExportChannels(file, 1, 41));  // beyond the file
  EXPECT_FALSE(ExportColumns(file, file, 1, 2));
}

TEST(SuAscii, MoreThanNinetyNineChannelsNeverOverwrite) {
  KELD_REQUIRE_TESTDATA(su, "su");
  TempDir d;
  const std::string file = d / "ROLL.SU";
  std::filesystem::copy_file(su + "/su_demos_groundroll_raw_le.su", file);
  auto files = ExportChannels(file, 1, 120);
  ASSERT_TRUE(files) << files.error();
  std::set<std::string> distinct(files->begin(), files->end());
  EXPECT_EQ(distinct.size(), 120u);
  for (const auto& f : distinct) EXPECT_TRUE(Existe_file(f)) << f;
  auto t100 = ReadSuFile(file).value().at(99).samples;
  auto lines = Split(keld::testing::ReadText(d / "ROLL.100"), '\n');
  EXPECT_EQ(std::strtof(lines[500].c_str(), nullptr), t100[500]);
}
