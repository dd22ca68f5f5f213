// The scan's index, the NMO of the display and its panel, and the pick list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/testing/spawn_check.hpp"
#include "common/testing/testsupport.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/engine/gather.hpp"
#include "velscan/engine/picks.hpp"
#include "velscan/engine/scan.hpp"
#include "velscan/engine/velscan_state.hpp"
#include "velscan/testing/synthetic_cdp.hpp"

namespace keld::velscan {
namespace {

using keld::testing::TempDir;
using testing::SyntheticCdp;

TEST(VelscanBatch, TheBatchStartsWithTheDefaultSignals) {
  IdlePump pump;
  EXPECT_EQ(keld::testing::CheckSpawnPath([&](const std::string& s) { RunBatchFile(s, "", pump, [] { return false; }); }),
            "");
}

TEST(VelscanIndex, FindsEveryTraceOfAKeyOrTheNextKeyAbove) {
  //                      0  1  2  3  4  5  6  7
  KeyIndex idx(std::vector<int32_t>{5, 7, 5, 9, 9, 7, 12, 5});
  struct Case {
    int32_t wanted;
    bool found;
    int32_t key;
    std::vector<int64_t> traces;
  } cases[] = {
      {5, true, 5, {0, 2, 7}}, {6, true, 7, {1, 5}}, {9, true, 9, {3, 4}}, {10, true, 12, {6}},
      {12, true, 12, {6}},     {4, false, 0, {}},    {13, false, 0, {}},
  };
  for (const auto& c : cases) {
    auto s = idx.find(c.wanted);
    ASSERT_EQ(s.has_value(), c.found) << c.wanted;
    if (!s) continue;
    EXPECT_EQ(s->key, c.key) << c.wanted;
    EXPECT_EQ(s->traces, c.traces) << c.wanted;
  }
  EXPECT_EQ(idx.min_key(), 5);
  EXPECT_EQ(idx.max_key(), 12);
  EXPECT_EQ(idx.distinct(), 4u);
}

TEST(VelscanScan, ReceiverSpacingFromTheWordAt188) {
  // Bit patterns of floats from the IEEE 754 layout: 10.0 = 0x41200000,
  // 0.5 = 0x3F000000, 20000.0 = 0x469C4000, 0.01 = 0x3C23D70A, 0.005 =
  // 0x3BA3D70A; 16777216 = 0x01000000 is the float 2^-125, about 2.35e-38;
  // -5 as an integer is 0xFFFFFFFB, a NaN as a float.
  struct Case {
    int32_t word;
    int16_t scalco;
    double spacing;
  } cases[] = {
      {0x41200000, 0, 10.0},   // d2 = 10.0 from an importer, not 1092616192
      {0x41200000, 1, 10.0},   // the radar importer's scalco
      {0x3F000000, -10, 0.05},  // the float, then the scalar
      {12, 0, 12.0},           // an integer written by keysheet
      {250, -10, 25.0},
      {100000, -100, 1000.0},  // 100000 alone is too large, scaled it is not
      {20000, 0, 0.0},         // too large, and as a float a denormal
      {0x469C4000, 0, 0.0},    // 20000.0: too large either way
      {0, 0, 0.0},
      {-5, 0, 0.0},
      {10, -100, 0.1},
      {16777216, 0, 0.0},      // too large as an integer, far too small as a float
      {0x3C23D70A, 0, 0.0099999997764825820922851562},  // 1 cm, as a float holds it
      {0x3BA3D70A, 0, 0.0},    // 5 mm
      {1, -1000, 0.0},         // 1 mm
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReceiverSpacing(c.word, c.scalco), c.spacing) << c.word << " " << c.scalco;
}

TEST(VelscanScan, HeaderWordsAndVaryingFold) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {1, 2, 3, 3, 3};
  s.first_cdp = 40000;  // above 16 bits
  WriteCdpFile(d / "f.su", s);
  auto info = ScanSuFile(d / "f.su");
  ASSERT_TRUE(info.ok()) << info.error();
  EXPECT_EQ(info->layout.traces, 12);
  EXPECT_EQ(info->first_cdp, 40000);
  EXPECT_EQ(info->last_cdp, 40004);
  EXPECT_EQ(info->offset, 50);
  EXPECT_EQ(MiddleKey(info->first_cdp, info->last_cdp), 40002);
  EXPECT_EQ(MiddleKey(100, 301), 200);  // 200.5 goes to the even neighbour
  int64_t first = 0;
  for (int c = 0; c < 5; ++c) {
    auto g = info->cdp_index.find(40000 + c);
    ASSERT_TRUE(g);
    std::vector<int64_t> want;
    for (int j = 0; j < s.folds[c]; ++j) want.push_back(first + j);
    EXPECT_EQ(g->traces, want) << "cdp " << 40000 + c;
    first += s.folds[c];
  }
  EXPECT_FALSE(ScanSuFile(d / "missing.su").ok());
  keld::testing::WriteText(d / "short.su", std::string(100, 'x'));
  EXPECT_FALSE(ScanSuFile(d / "short.su").ok());
}

TEST(VelscanScan, RecordsOfTheShotFile) {
  KELD_REQUIRE_TESTDATA(su, "su");
  auto info = ScanSuFile(su + "/su_demos_shots_static_nmo_w_le.su");
  ASSERT_TRUE(info.ok()) << info.error();
  EXPECT_EQ(info->layout.traces, 2400);
  EXPECT_EQ(info->cdp_index.min_key(), 10);
  EXPECT_EQ(info->cdp_index.max_key(), 605);
  EXPECT_EQ(info->fldr_index.distinct(), 25u);
  EXPECT_EQ(info->fldr_index.find(3)->traces.size(), 96u);
}

TEST(VelscanScan, ScalcoAndOutputName) {
  EXPECT_EQ(ApplyScalco(50, -10), 5);
  EXPECT_EQ(ApplyScalco(50, 10), 500);
  EXPECT_EQ(ApplyScalco(50, 0), 50);
  EXPECT_EQ(DefaultOutput("/d/line 1.SU"), "/d/line 1_nmo_stack.su");
  EXPECT_EQ(DefaultOutput("/d/x.dat"), "/d/x.dat_nmo_stack.su");
  EXPECT_EQ(FolderOf("/d/e/x.su"), "/d/e/");
}

// The sample of the largest value of a trace.
int PeakSample(const float* t, int ns) { return static_cast<int>(std::max_element(t, t + ns) - t); }

struct Corrected {
  Gather g;
  std::vector<float> data;
  PanelSums sums;
};

Corrected CorrectAt(const std::string& path, double v) {
  SuReader r;
  EXPECT_TRUE(r.open(path).ok());
  Corrected c;
  std::vector<int64_t> all;
  for (int64_t i = 0; i < r.traces(); ++i) all.push_back(i);
  std::string why;
  EXPECT_TRUE(ReadGather(r, all, c.g, why)) << why;
  // Without stored offsets the boxes give them: spacing 100, first offset 50
  // (the shot 50 m ahead of the line is -50).
  auto x = GatherOffsets(c.g, 100, -50);
  c.data = NmoGather(c.g, x, v, 10, r.layout().dt, r.layout().delrt);
  std::vector<bool> dead(static_cast<size_t>(c.g.count()), false);
  Window w{0, c.g.ns - 1, 1};
  c.sums = StackPanel(c.data.data(), c.g.count(), c.g.ns, dead, TraceGains(c.data.data(), c.g.count(), c.g.ns, dead, w), w);
  return c;
}

TEST(VelscanNmo, FlattensTheReflectionAtItsVelocity) {
  TempDir d;
  for (bool stored : {true, false}) {
    SyntheticCdp s;
    s.folds = {12};
    s.delrt_ms = 20;
    s.store_offsets = stored;
    WriteCdpFile(d / "g.su", s);
    const int t0_sample = static_cast<int>(std::lround((s.t0 - 0.020) / 0.002));
    Corrected at = CorrectAt(d / "g.su", 2000);
    for (int j = 0; j < at.g.count(); ++j)
      EXPECT_LE(std::abs(PeakSample(at.data.data() + j * at.g.ns, at.g.ns) - t0_sample), 1) << "trace " << j;
    const float best = at.sums.sum[t0_sample];
    EXPECT_GT(best, 0.9 * 12 * 1000);
    for (double v : {1600.0, 2400.0}) EXPECT_GT(best, CorrectAt(d / "g.su", v).sums.sum[t0_sample]) << v;
  }
}

TEST(VelscanNmo, GainsCarryOverAndDeadTracesStayOut) {
  // trace 0 peak 2, trace 1 no positive sample, trace 2 dead, trace 3 peak 4
  std::vector<float> data = {0, 2, -1, 0, -3, -1, 9, 9, 9, 1, 4, 0};
  std::vector<bool> dead = {false, false, true, false};
  Window w{0, 2, 1};
  auto g = TraceGains(data.data(), 4, 3, dead, w);
  EXPECT_EQ(g, (std::vector<double>{500, 500, 500, 250}));
  auto p = StackPanel(data.data(), 4, 3, dead, g, w);
  EXPECT_FLOAT_EQ(p.sum[1], 1000 - 1500 + 1000);
  EXPECT_EQ(p.max, 1000);  // the running maximum, reached before the second trace subtracted
  Window none{0, 2, 5};
  EXPECT_FLOAT_EQ(StackPanel(data.data(), 4, 3, dead, g, none).sum[1], 0);  // only the window's step is summed
}

TEST(VelscanPicks, RefusesReplacesAndGrows) {
  PickTable t;
  std::string why;
  EXPECT_EQ(t.Save_Pick(0, 100, 1500, why), PickTable::Saved::Refused);
  EXPECT_NE(why.find("CDP"), std::string::npos);
  EXPECT_EQ(t.Save_Pick(101, 100, 0, why), PickTable::Saved::Refused);
  EXPECT_EQ(t.Save_Pick(101, 100, -5, why), PickTable::Saved::Refused);
  EXPECT_EQ(t.Save_Pick(101, 100, 1e12, why), PickTable::Saved::Refused);
  EXPECT_TRUE(t.empty());
  for (int i = 0; i < 101; ++i) EXPECT_EQ(t.Save_Pick(200 - i, 10 * i, 1500, why), PickTable::Saved::Added);
  EXPECT_EQ(t.size(), 101u);  // the 101st is kept
  EXPECT_EQ(t.Save_Pick(200, 0.4, 1800.5, why), PickTable::Saved::Replaced);
  EXPECT_EQ(t.size(), 101u);
  EXPECT_EQ(t.rows().front(), (Pick{200, 0, 1800}));  // halves to even
}

TEST(VelscanPicks, SortByCdpThenTimeKeepingEqualPicksInOrder) {
  PickTable t;
  std::string why;
  t.Save_Pick(105, 300, 1800, why);
  t.Save_Pick(101, 250, 1500, why);
  t.Save_Pick(105, 120, 1600, why);
  t.Save_Pick(101, 400, 1700, why);
  t.Sort();
  std::vector<Pick> want = {{101, 250, 1500}, {101, 400, 1700}, {105, 120, 1600}, {105, 300, 1800}};
  EXPECT_EQ(t.rows(), want);
}

}  // namespace
}  // namespace keld::velscan
