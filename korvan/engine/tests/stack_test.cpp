#include <gtest/gtest.h>

#include <filesystem>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/engine/stack.hpp"

using namespace keld;
using namespace keld::korvan;
using keld::testing::TempDir;

namespace {
std::vector<SuTrace> Shot(int traces, int ns, int dt, float base, int16_t nvs = 1) {
  std::vector<SuTrace> v(traces);
  for (int t = 0; t < traces; ++t) {
    v[t].header.ns = static_cast<int16_t>(ns);
    v[t].header.dt = static_cast<int16_t>(dt);
    v[t].header.tracf = t + 1;
    v[t].header.nvs = t == 0 ? nvs : 7;  // only the first trace's count matters
    v[t].samples.resize(ns);
    for (int k = 0; k < ns; ++k) v[t].samples[k] = base + t + 0.25f * k;
  }
  return v;
}
}  // namespace

TEST(Stack, AddsEverySampleAndCountsTheShots) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "rec.su", Shot(3, 16, 500, 1.0f)).ok());
  ASSERT_TRUE(WriteSuFile(d / "tmp.su", Shot(3, 16, 500, 10.0f)).ok());
  ASSERT_TRUE(StackOnto(d / "rec.su", d / "tmp.su").ok());
  ASSERT_TRUE(StackOnto(d / "rec.su", d / "tmp.su").ok());
  auto r = ReadSuFile(d / "rec.su");
  ASSERT_TRUE(r.ok());
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ((*r)[t].header.nvs, 3) << "trace " << t;
    EXPECT_EQ((*r)[t].header.tracf, t + 1);
    for (int k = 0; k < 16; ++k)
      EXPECT_FLOAT_EQ((*r)[t].samples[k], (1.0f + t + 0.25f * k) + 2 * (10.0f + t + 0.25f * k));
  }
  // The raw shot is not changed.
  auto s = ReadSuFile(d / "tmp.su");
  EXPECT_FLOAT_EQ((*s)[2].samples[3], 12.75f);
}

TEST(Stack, RefusesWhatDoesNotMatchAndLeavesTheRecord) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "rec.su", Shot(3, 16, 500, 1.0f)).ok());
  auto before = keld::testing::ReadBytes(d / "rec.su");
  ASSERT_TRUE(WriteSuFile(d / "ns.su", Shot(3, 32, 500, 1.0f)).ok());
  ASSERT_TRUE(WriteSuFile(d / "dt.su", Shot(3, 16, 1000, 1.0f)).ok());
  ASSERT_TRUE(WriteSuFile(d / "tr.su", Shot(4, 16, 500, 1.0f)).ok());
  EXPECT_EQ(StackOnto(d / "rec.su", d / "ns.su").error, kStackSamplesChanged);
  EXPECT_EQ(StackOnto(d / "rec.su", d / "dt.su").error, kStackRateChanged);
  EXPECT_EQ(StackOnto(d / "rec.su", d / "tr.su").error, kStackTracesChanged);
  EXPECT_EQ(keld::testing::ReadBytes(d / "rec.su"), before);
  // A record that is not there is never made.
  auto st = StackOnto(d / "gone.su", d / "ns.su");
  EXPECT_FALSE(st.ok());
  EXPECT_FALSE(std::filesystem::exists(d / "gone.su"));
  // No raw shot.
  EXPECT_FALSE(StackOnto(d / "rec.su", d / "none.su").ok());
  // A path is used as it is: blanks are part of it.
  ASSERT_TRUE(WriteSuFile(d / "a b.su", Shot(3, 16, 500, 1.0f)).ok());
  ASSERT_TRUE(WriteSuFile(d / "ab.su", Shot(3, 16, 500, 1.0f)).ok());
  ASSERT_TRUE(StackOnto(d / "a b.su", d / "tmp2.su").ok() == false);
  ASSERT_TRUE(WriteSuFile(d / "tmp2.su", Shot(3, 16, 500, 5.0f)).ok());
  ASSERT_TRUE(StackOnto(d / "a b.su", d / "tmp2.su").ok());
  EXPECT_FLOAT_EQ((*ReadSuFile(d / "a b.su"))[0].samples[0], 6.0f);
  EXPECT_FLOAT_EQ((*ReadSuFile(d / "ab.su"))[0].samples[0], 1.0f);
}

TEST(Stack, AnOlderRecordWithTheNominalIntervalTakesAShotOfItsRate) {
  // Records made before the exact interval carry 1024 us for 1000 Hz, 128 us
  // for 8000 Hz; a new shot at the same rate carries 1000 and 125.
  const int same[][2] = {{1024, 1000}, {128, 125}, {4096, 4000}, {1000, 1000}};
  for (const auto& [old_dt, new_dt] : same) {
    TempDir d;
    ASSERT_TRUE(WriteSuFile(d / "rec.su", Shot(2, 8, old_dt, 1.0f)).ok());
    ASSERT_TRUE(WriteSuFile(d / "tmp.su", Shot(2, 8, new_dt, 10.0f)).ok());
    ASSERT_TRUE(StackOnto(d / "rec.su", d / "tmp.su").ok()) << old_dt << " and " << new_dt;
    auto r = ReadSuFile(d / "rec.su");
    EXPECT_EQ((*r)[1].header.dt, old_dt) << "the record keeps its own header";
    EXPECT_FLOAT_EQ((*r)[1].samples[2], 2.5f + 11.5f);
  }
  // Another rate stays refused, in either form.
  const int other[][2] = {{1024, 500}, {1024, 2000}, {512, 1000}, {300, 500}};
  for (const auto& [old_dt, new_dt] : other) {
    TempDir d;
    ASSERT_TRUE(WriteSuFile(d / "rec.su", Shot(2, 8, old_dt, 1.0f)).ok());
    ASSERT_TRUE(WriteSuFile(d / "tmp.su", Shot(2, 8, new_dt, 10.0f)).ok());
    EXPECT_EQ(StackOnto(d / "rec.su", d / "tmp.su").error, kStackRateChanged) << old_dt << " and " << new_dt;
  }
}
