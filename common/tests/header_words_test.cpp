#include <gtest/gtest.h>

#include <filesystem>

#include "common/header_io.hpp"
#include "common/header_words.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "common/visual_keld.hpp"

using namespace keld;
using keld::testing::ReadBytes;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;
using keld::testing::WriteText;

TEST(HeaderWords, LayoutRunsOfTheTable) {
  // (first word, last word, first byte, step/width)
  struct Run { int first, last, byte, width; };
  const Run runs[] = {{1, 7, 0, 4},     {8, 11, 28, 2},  {12, 19, 36, 4}, {20, 21, 68, 2},
                      {22, 25, 72, 4},  {26, 71, 88, 2}, {72, 78, 180, 4}, {79, 86, 208, 2}};
  int seen = 0;
  for (const Run& r : runs)
    for (int w = r.first; w <= r.last; ++w, ++seen) {
      const HeaderWord* hw = FindHeaderWord(w);
      ASSERT_NE(hw, nullptr);
      EXPECT_EQ(hw->number, w);
      EXPECT_EQ(hw->byte, r.byte + (w - r.first) * r.width) << "word " << w;
      EXPECT_EQ(hw->width, r.width) << "word " << w;
    }
  EXPECT_EQ(seen, kHeaderWordCount);
  EXPECT_EQ(FindHeaderWord(0), nullptr);
  EXPECT_EQ(FindHeaderWord(87), nullptr);
  // Texts taken exactly, blanks included.
  EXPECT_STREQ(FindHeaderWord(31)->title, " sstat");
  EXPECT_STREQ(FindHeaderWord(21)->sheet, "Scalar for coordinates ");
  EXPECT_EQ(HeaderWordListLine(*FindHeaderWord(1)), "1   Trace sequence number within line.");
  EXPECT_EQ(HeaderWordListLine(*FindHeaderWord(86)), "86  First break pick ms*10");
}

TEST(HeaderIo, ReadsAndWritesExactlyOneWordInsideTheFile) {
  TempDir d;
  const std::string path = d / "t.su";
  std::vector<SuTrace> traces(3);
  for (int i = 0; i < 3; ++i) {
    traces[i].header.ns = 1000;
    traces[i].header.dt = 250;
    traces[i].samples.assign(1000, 1.0f);
  }
  traces[2].header.d2 = 1.0f;  // a float at byte 188 shows as its integer bits
  ASSERT_TRUE(WriteSuFile(path, traces).ok());
  const auto before = ReadBytes(path);

  InPlaceFile f;
  ASSERT_TRUE(f.open(path, true).ok());
  EXPECT_EQ(SuWordOffset(3, 1000, *FindHeaderWord(86)), 8702);
  EXPECT_EQ(*ReadSuWord(f, 1000, 3, *FindHeaderWord(74)), 1065353216);
  ASSERT_TRUE(WriteSuWord(f, 1000, 3, *FindHeaderWord(86), -1234).ok());
  EXPECT_EQ(*ReadSuWord(f, 1000, 3, *FindHeaderWord(86)), -1234);
  // Out of range, past the last trace, or with a stale ns: refused, nothing written.
  EXPECT_FALSE(WriteSuWord(f, 1000, 1, *FindHeaderWord(86), 40000).ok());
  EXPECT_FALSE(WriteSuWord(f, 1000, 4, *FindHeaderWord(1), 7).ok());
  EXPECT_FALSE(WriteSuWord(f, 500, 1, *FindHeaderWord(1), 7).ok());
  EXPECT_FALSE(ReadSuWord(f, 1000, 0, *FindHeaderWord(1)).ok());
  f.close();

  auto after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  int differing = 0;
  for (std::size_t i = 0; i < after.size(); ++i) differing += after[i] != before[i];
  EXPECT_EQ(differing, 2);
  EXPECT_EQ(after[8702], 0x2E);
  EXPECT_EQ(after[8703], 0xFB);

  EXPECT_FALSE(f.open(d / "missing.su", false).ok());
  EXPECT_FALSE(std::filesystem::exists(d / "missing.su"));
}

TEST(VisualKeld, DefaultsAndWholeValues) {
  TempDir d;
  ScopedEnv env("KELD_WINDIR", d.path());
  const std::string longdir = "/" + std::string(150, 'x') + "/";
  EXPECT_EQ(VisualKeldValue("Amplitude5", "14278143"), "14278143");
  EXPECT_EQ(VisualKeldDirectory1().back(), '/');
  WriteText(d / "Visual_KELD.ini", "[VISUAL_KE]\r\nDirectory1=" + longdir + "\r\nAmplitude5=255\r\n");
  EXPECT_EQ(VisualKeldDirectory1(), longdir);
  EXPECT_EQ(VisualKeldValue("amplitude5", "0"), "255");
  // A folder without segyread falls back to the suite's own programs.
  EXPECT_NE(SeismicUnixFolder(), longdir);
  std::filesystem::create_directories(d / "su");
  WriteText(d / "su/segyread", "");
  WriteText(d / "Visual_KELD.ini", "[VISUAL_KE]\nDirectory1=" + d.path() + "/su/\n");
  EXPECT_EQ(SeismicUnixFolder(), d.path() + "/su/");
}
