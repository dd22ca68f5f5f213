// ini.txt: reading with its defaults, the 109-line layout written at exit,
// and a write that never loses the file it replaces.
#include "boardtest/engine/settings_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/testing/testsupport.hpp"

namespace keld::boardtest {
namespace {

using keld::testing::ReadText;
using keld::testing::TempDir;
using keld::testing::WriteText;

std::vector<std::string> SplitCrlf(const std::string& s) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = s.find("\r\n", start)) != std::string::npos; start = p + 2)
    lines.push_back(s.substr(start, p - start));
  EXPECT_EQ(start, s.size()) << "text after the last CR LF";
  return lines;
}

TEST(IniTxt, MissingFileIsCreatedAndTheDefaultsApply) {
  TempDir dir;
  IniValues v;
  ASSERT_TRUE(LoadIniFile(dir / "ini.txt", v).ok());
  EXPECT_TRUE(std::filesystem::exists(dir / "ini.txt"));
  EXPECT_EQ(std::filesystem::file_size(dir / "ini.txt"), 0u);
  EXPECT_EQ(v.settings[0], 1);
  EXPECT_EQ(v.settings[1], 5);
  EXPECT_EQ(v.Num_Unita, 12);
  EXPECT_EQ(v.Campioni, 256);
  EXPECT_EQ(v.Frequenza, 32000);
  EXPECT_EQ(v.Polarita, 0);
  for (const auto& u : v.units) EXPECT_EQ(u, "");

  // Written back: 109 lines, the unit lines two double quotes each.
  std::vector<int16_t> errori(256, 0);
  errori[3] = 2;
  errori[48] = 32767;
  errori[49] = 9;  // beyond the 48 the file keeps
  ASSERT_TRUE(SaveIniFile(dir / "ini.txt", v, errori).ok());
  const auto lines = SplitCrlf(ReadText(dir / "ini.txt"));
  ASSERT_EQ(lines.size(), 109u);
  const std::vector<std::string> head = {"1", "5", "0", "0", "12", "256", "0", "32000", "0", "0", "0"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 11), head);
  for (int i = 11; i < 59; ++i) EXPECT_EQ(lines[i], "\"\"") << i;
  EXPECT_EQ(lines[59], "");
  EXPECT_EQ(lines[60], "\"Errori:\"");
  EXPECT_EQ(lines[63], "2");
  EXPECT_EQ(lines[108], "32767");
}

TEST(IniTxt, ReadsLfOrCrlfAndKeepsWhatItCannotRead) {
  IniValues v;
  ParseIniTxt("3\n0\n7\n8\n40\n1000\n64\n1000\n1\n1\n1\n\"5\"\n\"\"\n\"17\"\n", v);
  EXPECT_EQ(v.settings, (std::array<int16_t, 4>{3, 0, 7, 8}));
  EXPECT_EQ(v.Num_Unita, 40);
  EXPECT_EQ(v.Campioni, 1000);
  EXPECT_EQ(v.Pre_Campioni, 64);
  EXPECT_EQ(v.Frequenza, 1000);
  EXPECT_EQ(v.Notch_50, 1);
  EXPECT_EQ(v.Notch_60, 1);
  EXPECT_EQ(v.Polarita, 1);
  EXPECT_EQ(v.units[0], "5");
  EXPECT_EQ(v.units[1], "");
  EXPECT_EQ(v.units[2], "17");
  EXPECT_EQ(v.units[3], "");
  v.apply_defaults();
  EXPECT_EQ(v.settings[1], 5);

  // CR LF, text on a number line, a number too large for 16 bits, a short file.
  IniValues w;
  ParseIniTxt("2\r\nabc\r\n\r\n99999\r\n70000\r\n8192\r\n", w);
  EXPECT_EQ(w.settings[0], 2);
  EXPECT_EQ(w.settings[1], 0);
  EXPECT_EQ(w.settings[3], 0);
  EXPECT_EQ(w.Num_Unita, 0);
  EXPECT_EQ(w.Campioni, 8192);
  w.apply_defaults();
  EXPECT_EQ(w.settings[1], 5);
  EXPECT_EQ(w.Num_Unita, 12);
  EXPECT_EQ(w.Frequenza, 32000);
}

}  // namespace
}  // namespace keld::boardtest
