// The SU to ASCII exports: the number form, the file names, and real SU
// files exported and compared value by value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
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
  // Values that are no number are written in words that read back.
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(FormatSample(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(FormatSample(inf), "Inf");
  EXPECT_EQ(FormatSample(-inf), "-Inf");
  EXPECT_TRUE(std::isnan(std::strtod("NaN", nullptr)));
  EXPECT_EQ(std::strtod("-Inf", nullptr), -std::numeric_limits<double>::infinity());
  if (keld::testing::RunCommand("/usr/bin/python3 -c 'import sys'") == 0) {
    std::string said;
    keld::testing::RunCommand("/usr/bin/python3 -c \"print(float('NaN'), float('Inf'), float('-Inf'))\"", &said);
    EXPECT_EQ(said, "nan inf -inf\n");
  }
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

TEST(SuAscii, AChannelFileNeverReplacesTheSuFileAndAStopWritesNothing) {
  TempDir d;
  std::vector<SuTrace> v(3);
  for (size_t i = 0; i < v.size(); ++i) {
    v[i].header.ns = 2;
    v[i].samples = {static_cast<float>(i), 0.5f};
  }
  // rec.01 less two characters is "rec.", and the first channel "rec.01".
  const std::string rec = d / "rec.01";
  ASSERT_TRUE(WriteSuFile(rec, v));
  const std::string before = keld::testing::ReadText(rec);
  keld::testing::WriteText(d / "rec.02", "older");
  auto r = ExportChannels(rec, 1, 3);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().find("Same Input / Output"), std::string::npos) << r.error();
  EXPECT_EQ(keld::testing::ReadText(rec), before);
  EXPECT_EQ(keld::testing::ReadText(d / "rec.02"), "older");  // checked before the first write
  // Channels 2 and 3 are written as rec.01 and rec.02 again: refused too.
  EXPECT_FALSE(ExportChannels(rec, 2, 3));
  // A stop after the first channel leaves the older files as they were.
  const std::string line = d / "LINE.SU";
  ASSERT_TRUE(WriteSuFile(line, v));
  keld::testing::WriteText(d / "LINE.01", "older");
  auto stopped = ExportChannels(line, 1, 3, [](int64_t i, int64_t) { return i < 2; });
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.error(), kExportStopped);
  EXPECT_EQ(keld::testing::ReadText(d / "LINE.01"), "older");
  EXPECT_FALSE(Existe_file(d / "LINE.02"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.path()), std::filesystem::directory_iterator()), 4);
  EXPECT_EQ(ExportColumns(line, d / "LINE.txt", 1, 3, [](int64_t, int64_t) { return false; }).error, kExportStopped);
  EXPECT_FALSE(Existe_file(d / "LINE.txt"));
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

TEST(SuAscii, AFileThatCannotTakeItsNameLeavesEveryOtherAsItWas) {
  TempDir d;
  std::vector<SuTrace> v(6);
  for (size_t i = 0; i < v.size(); ++i) {
    v[i].header.ns = 1;
    v[i].samples = {static_cast<float>(i)};
  }
  const std::string line = d / "LINE.SU";
  ASSERT_TRUE(WriteSuFile(line, v));
  // Older files at 01, 02 and 04, none at 03 and 06; a folder stands at 05,
  // so the fifth file cannot take its name.
  for (const char* n : {"LINE.01", "LINE.02", "LINE.04"}) keld::testing::WriteText(d / n, std::string("older ") + n);
  std::filesystem::create_directory(d / "LINE.05");
  auto r = ExportChannels(line, 1, 6);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().find(d / "LINE.05"), std::string::npos) << r.error();
  for (const char* n : {"LINE.01", "LINE.02", "LINE.04"})
    EXPECT_EQ(keld::testing::ReadText(d / n), std::string("older ") + n);
  EXPECT_FALSE(Existe_file(d / "LINE.03"));
  EXPECT_FALSE(Existe_file(d / "LINE.06"));
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(d.path())) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"LINE.SU", "LINE.01", "LINE.02", "LINE.04", "LINE.05"}));
}
