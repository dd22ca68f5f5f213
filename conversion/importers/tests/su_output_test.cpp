// The importers' shared output: the two header shapes byte by byte, the
// 16-bit limits, the record limit and the SU file written beside its name.
#include <gtest/gtest.h>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/su_output.hpp"
#include "conversion/shell/state.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;

namespace {
std::array<uint8_t, 240> Bytes(const SuTraceHeader& h) { return EncodeSuHeader(h); }
// True when every byte outside the listed [offset, offset + width) ranges is 0.
bool ZeroOutside(const std::array<uint8_t, 240>& b, std::vector<std::pair<int, int>> named) {
  for (int i = 0; i < 240; ++i) {
    bool inside = false;
    for (auto [o, w] : named) inside |= i >= o && i < o + w;
    if (!inside && b[static_cast<size_t>(i)] != 0) return false;
  }
  return true;
}
}  // namespace

TEST(HeaderShapes, ShortShapeFillsOnlyItsWords) {
  ShortShape w{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1000, 500};
  auto h = MakeShortHeader(w);
  ASSERT_TRUE(h) << h.error();
  auto b = Bytes(*h);
  EXPECT_EQ(get_i32le(&b[0]), 1);
  EXPECT_EQ(get_i32le(&b[8]), 3);
  EXPECT_EQ(get_i32le(&b[12]), 4);
  EXPECT_EQ(get_i32le(&b[16]), 0);  // ep stays 0
  EXPECT_EQ(get_i32le(&b[20]), 5);
  EXPECT_EQ(get_i16le(&b[28]), 7);
  EXPECT_EQ(get_i16le(&b[34]), 10);
  EXPECT_EQ(get_i16le(&b[114]), 1000);
  EXPECT_EQ(get_i16le(&b[116]), 500);
  EXPECT_TRUE(ZeroOutside(b, {{0, 16}, {20, 16}, {114, 4}}));
  // Added words land at their offsets and nowhere else.
  HeaderAdditions add;
  add.sx = 77;
  add.year = 3;
  add.day = 73;
  add.hour = 15;
  add.minute = 7;
  add.d1 = 0.5f;
  add.d2 = 2.0f;
  auto b2 = Bytes(*MakeShortHeader(w, add));
  EXPECT_EQ(get_i32le(&b2[72]), 77);
  EXPECT_EQ(get_i16le(&b2[156]), 3);
  EXPECT_EQ(get_i16le(&b2[158]), 73);
  EXPECT_EQ(get_i16le(&b2[162]), 7);
  EXPECT_EQ(get_f32le(&b2[180]), 0.5f);
  EXPECT_EQ(get_f32le(&b2[188]), 2.0f);
  EXPECT_TRUE(ZeroOutside(b2, {{0, 16}, {20, 16}, {72, 4}, {114, 4}, {156, 8}, {180, 4}, {188, 4}}));
}

TEST(HeaderShapes, FullShapeAndItsLimits) {
  FullShape w;
  w.fldr = 2;
  w.tracf = 1;
  w.trid = 1;
  w.ns = 32767;
  w.dt = 250;
  w.ep = 9;
  w.offset = -30;
  w.gwdep = 11;
  w.scalco = -100;
  w.gy = 44;
  w.year = 3;
  w.minute = 59;
  auto h = MakeFullHeader(w);
  ASSERT_TRUE(h) << h.error();
  auto b = Bytes(*h);
  EXPECT_EQ(get_i32le(&b[16]), 9);
  EXPECT_EQ(get_i32le(&b[36]), -30);
  EXPECT_EQ(get_i32le(&b[64]), 11);
  EXPECT_EQ(get_i16le(&b[70]), -100);
  EXPECT_EQ(get_i32le(&b[84]), 44);
  EXPECT_EQ(get_i16le(&b[114]), 32767);
  EXPECT_EQ(get_i16le(&b[156]), 3);
  EXPECT_EQ(get_i16le(&b[162]), 59);
  // Values beyond their words are refused, never wrapped.
  using Spoil = void (*)(FullShape&);
  for (Spoil bad : std::initializer_list<Spoil>{[](FullShape& s) { s.ns = 32768; }, [](FullShape& s) { s.ns = 0; },
                   [](FullShape& s) { s.dt = 40000; }, [](FullShape& s) { s.trid = 70000; },
                   [](FullShape& s) { s.scalel = -40000; }, [](FullShape& s) { s.day = 33000; }}) {
    FullShape s = w;
    bad(s);
    EXPECT_FALSE(MakeFullHeader(s));
  }
  EXPECT_EQ(*TraceNumber(2, 12, 1), 13);
  EXPECT_EQ(*TraceNumber(1, 32767, 32767), 32767);
  EXPECT_FALSE(TraceNumber(2, 32767, 1));
  int records = 120;
  EXPECT_TRUE(LimitRecords(records));
  EXPECT_EQ(records, 99);
  EXPECT_FALSE(LimitRecords(records));
}

TEST(ImportWriter, WritesBesideTheNameAndRefusesWhatItMust) {
  TempDir d;
  const std::string out = d / "out.su";
  keld::testing::WriteText(out, std::string(100000, 'x'));  // an older, longer file
  ShortShape w;
  w.ns = 1000;
  w.dt = 500;
  std::vector<float> s(1000, -32768.0f);
  {
    ImportWriter wr(out, {d / "in.dat"});
    ASSERT_TRUE(wr.ok());
    for (int t = 1; t <= 24; ++t) {
      w.tracl = t;
      ASSERT_TRUE(wr.add(*MakeShortHeader(w), s));
      // Until committed the old file stands as it was.
      EXPECT_EQ(*FileLength(out), 100000);
    }
    ASSERT_TRUE(wr.commit());
  }
  auto bytes = keld::testing::ReadBytes(out);
  ASSERT_EQ(bytes.size(), 24u * (240 + 4 * 1000));
  const size_t t13 = 12 * (240 + 4 * 1000);  // record 2, channel 1 of 12 channels
  EXPECT_EQ(get_i32le(&bytes[t13]), 13);
  EXPECT_EQ(get_f32le(&bytes[t13 + 240]), -32768.0f);

  EXPECT_EQ(ImportWriter("", {}).error(), kFileNameMissing);
  EXPECT_EQ(ImportWriter(out, {"x", out}).error(), kSameInputOutput);
  const std::string lost = d / "gone/o.su";  // a folder that is not there: the name said once
  EXPECT_EQ(ImportWriter(lost, {}).error(), "Cannot write " + lost + ": No such file or directory");
  {
    ImportWriter wr(d / "abandoned.su", {});
    ASSERT_TRUE(wr.add(*MakeShortHeader(w), s));
    std::vector<float> other(10);
    w.ns = 10;
    EXPECT_FALSE(wr.add(*MakeShortHeader(w), other));  // one ns per file
  }
  EXPECT_FALSE(Existe_file(d / "abandoned.su"));  // never committed: nothing left
  ImportWriter empty(d / "empty.su", {});
  EXPECT_FALSE(empty.commit());
  EXPECT_FALSE(Existe_file(d / "empty.su"));
}
