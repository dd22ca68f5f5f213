// A whole shot as korvan records it (24 channels of 1024 samples, CR LF lines,
// the degree sign as one byte, quoted items) through the reader and the
// writer, read back by walking the SEG-2 blocks from their pointers.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "common/numtext.hpp"
#include "common/testing/testsupport.hpp"
#include "dropconv/seg2_export.hpp"
#include "dropconv/tests/records.hpp"

using namespace keld;

namespace {

// A sample value in the forms korvan's writer gives: "0", "-1.5", ".5",
// "1.234568E+07", "3.125E-05".
std::string SampleText(int ch, int i) {
  if (i % 97 == 0) return "0";
  float v = static_cast<float>(std::sin(0.01 * i * ch) * std::pow(10.0, (i % 13) - 6));
  std::string s = CStrSingle(v);
  if (s.rfind("0.", 0) == 0) s.erase(0, 1);
  if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
  return s;
}

}  // namespace

TEST(KorvanRecord, TwentyFourChannelsOf1024Samples) {
  constexpr int kChannels = 24, kSamples = 1024;
  keld::testing::Record r;
  r.channels = "24";
  r.samples = "1024";
  r.interval = "125 usec";
  r.spacing = "2 m";
  r.source = "-1,5 m";
  r.blocks.clear();
  for (int ch = 1; ch <= kChannels; ++ch) {
    std::vector<std::string> values;
    for (int i = 1; i <= kSamples; ++i) values.push_back(SampleText(ch, i));
    r.blocks.push_back({ch, values});
  }
  std::string text = r.Text();
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 16 + kChannels * (1 + kSamples));

  keld::testing::TempDir dir;
  keld::testing::WriteText(dir / "dati.txt", text);
  ClassSEG2Export shot;
  ASSERT_TRUE(shot.Read(dir / "dati.txt").ok());
  bool ok = false;
  std::string why;
  shot.SaveAs(dir / "dati.sg2", ok, &why);
  ASSERT_TRUE(ok) << why;

  auto file = keld::testing::ReadBytes(dir / "dati.sg2");
  auto seg = keld::testing::WalkSeg2(file);
  EXPECT_EQ(seg.revision, 1);
  EXPECT_EQ(seg.traces, kChannels);
  EXPECT_EQ(seg.pointer_bytes, 4 * kChannels);
  EXPECT_EQ(seg.strings, (std::vector<std::string>{
                             "ACQUISITION_DATE 12/03/2024", "ACQUISITION_TIME 10:22:33",
                             "COMPANY KORVAN", "INSTRUMENT QMR650B", "TRACE_SORT AS_ACQUIRED",
                             "UNITS METERS"}));
  int64_t expected_pointer = 32 + 4 * kChannels + StringListSize(seg.strings);
  for (int ch = 1; ch <= kChannels; ++ch) {
    const auto& t = seg.trace[static_cast<size_t>(ch - 1)];
    SCOPED_TRACE("channel " + std::to_string(ch));
    EXPECT_EQ(t.pointer, expected_pointer);
    EXPECT_EQ(t.ns, kSamples);
    EXPECT_EQ(t.data_size, 4 * kSamples);
    EXPECT_EQ(t.format, 4);
    EXPECT_EQ(t.descriptor_size, 32 + StringListSize(t.strings));
    char receiver[32];
    std::snprintf(receiver, sizeof receiver, "%d", 2 * (ch - 1));
    EXPECT_EQ(t.strings, (std::vector<std::string>{
                             "CHANNEL_NUMBER " + std::to_string(ch), "DELAY 0",
                             "DESCALING_FACTOR 1", std::string("RECEIVER_LOCATION ") + receiver,
                             "SAMPLE_INTERVAL 0.000125", "SOURCE_LOCATION -1.5"}));
    for (int i = 1; i <= kSamples; ++i) {
      std::string s = SampleText(ch, i);
      ASSERT_EQ(t.samples[static_cast<size_t>(i - 1)], std::strtof(s.c_str(), nullptr))
          << "sample " << i << " \"" << s << "\"";
    }
    expected_pointer = t.end;
  }
  EXPECT_EQ(expected_pointer, static_cast<int64_t>(file.size()));
}
