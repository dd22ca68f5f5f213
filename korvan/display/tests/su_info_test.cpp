#include <gtest/gtest.h>

#include <vector>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/display/su_info.hpp"
#include "korvan/display/tests/synthetic_shot.hpp"

using namespace keld;
using namespace keld::korvan;
using keld::korvan::testing::WriteTraces;

namespace {

std::vector<std::vector<float>> Flat(int traces, int ns, float v = 0) {
  return std::vector<std::vector<float>>(static_cast<size_t>(traces), std::vector<float>(static_cast<size_t>(ns), v));
}

void Append(const std::string& path, size_t n) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  std::vector<uint8_t> junk(n, 0x5A);
  std::fwrite(junk.data(), 1, n, f);
  std::fclose(f);
}

}  // namespace

TEST(FrequencyForDt, NominalAndExactIntervalsOfTheRecorder) {
  // nominal, the interval times go by for it, the exact one, frequency. 1 /
  // 32000 Hz is 31.25 us and 1 / 16000 Hz 62.5 us: neither whole number is
  // exact, so 32 and 64 keep their own.
  const int table[][4] = {{32, 32, 31, 32000},        {64, 64, 62, 16000},     {128, 125, 125, 8000},
                          {256, 250, 250, 4000},      {512, 500, 500, 2000},   {1024, 1000, 1000, 1000},
                          {2048, 2000, 2000, 500},    {4096, 4000, 4000, 250}};
  for (const auto& row : table) {
    int used = 0;
    EXPECT_EQ(FrequencyForDt(row[0], &used), row[3]) << row[0];
    EXPECT_EQ(used, row[1]) << row[0];
    EXPECT_EQ(FrequencyForDt(row[2], &used), row[3]) << row[2];
    EXPECT_EQ(used, row[2]) << row[2];
  }
}

TEST(FrequencyForDt, AnyOtherIntervalCountsAs2000Hz) {
  for (int dt : {300, 0, -4, 1, 33, 8000, 32767}) {
    int used = 0;
    EXPECT_EQ(FrequencyForDt(dt, &used), 2000) << dt;
    EXPECT_EQ(used, 500) << dt;
  }
}

TEST(ReadSuInfo, TwentyFourTracesOf1024SamplesAtOneMillisecond) {
  keld::testing::TempDir d;
  ASSERT_TRUE(WriteTraces(d / "shot.su", Flat(24, 1024), 1000, 12));
  auto info = ReadSuInfo(d / "shot.su");
  ASSERT_TRUE(info) << info.error();
  EXPECT_EQ(info->Freq_Campionamento, 1000);
  EXPECT_EQ(info->Rec_time, "1.024");
  EXPECT_EQ(info->ns, 1024);
  EXPECT_EQ(info->traces, 24);
  EXPECT_EQ(info->delrt, 12);
  EXPECT_EQ(info->dt, 1000);
}

TEST(ReadSuInfo, ANominalIntervalGivesTheTimeOfItsFrequency) {
  keld::testing::TempDir d;
  ASSERT_TRUE(WriteTraces(d / "old.su", Flat(24, 1024), 1024));
  auto info = ReadSuInfo(d / "old.su");
  ASSERT_TRUE(info) << info.error();
  EXPECT_EQ(info->Freq_Campionamento, 1000);
  EXPECT_EQ(info->dt_used, 1000);
  EXPECT_EQ(info->Rec_time, "1.024");  // 1024 samples at 1000 Hz, not 1.048576
}

TEST(ReadSuInfo, AnIntervalOutsideTheTableGives2000Hz) {
  keld::testing::TempDir d;
  ASSERT_TRUE(WriteTraces(d / "odd.su", Flat(2, 1024), 300));
  auto info = ReadSuInfo(d / "odd.su");
  ASSERT_TRUE(info) << info.error();
  EXPECT_EQ(info->Freq_Campionamento, 2000);
  EXPECT_EQ(info->dt_used, 500);
  EXPECT_EQ(info->Rec_time, "0.512");  // 1024 samples at 2000 Hz, not 1024 x 300 us
}

TEST(ReadSuInfo, APartialLastTraceIsNotATrace) {
  keld::testing::TempDir d;
  ASSERT_TRUE(WriteTraces(d / "cut.su", Flat(3, 100), 500));
  Append(d / "cut.su", 240 + 4 * 99);  // one sample short of a fourth trace: 3.99 traces
  auto info = ReadSuInfo(d / "cut.su");
  ASSERT_TRUE(info) << info.error();
  EXPECT_EQ(info->traces, 3) << "never rounded up into the partial trace";
}

TEST(ReadSuInfo, RefusesWithTheReason) {
  keld::testing::TempDir d;
  EXPECT_FALSE(ReadSuInfo("a.su"));  // a name under 5 characters
  auto missing = ReadSuInfo(d / "none.su");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().find("none.su"), std::string::npos);

  keld::testing::WriteText(d / "short.su", std::string(100, 'x'));
  EXPECT_FALSE(ReadSuInfo(d / "short.su"));

  // A header promising more samples than the file holds.
  ASSERT_TRUE(WriteTraces(d / "promise.su", Flat(1, 500), 1000));
  auto bytes = keld::testing::ReadBytes(d / "promise.su");
  put_i16le(bytes.data() + 114, 1000);
  keld::testing::WriteText(d / "promise.su", std::string(bytes.begin(), bytes.end()));
  auto promise = ReadSuInfo(d / "promise.su");
  ASSERT_FALSE(promise);
  EXPECT_NE(promise.error().find("shorter than one trace"), std::string::npos) << promise.error();

  put_i16le(bytes.data() + 114, 0);
  keld::testing::WriteText(d / "zero.su", std::string(bytes.begin(), bytes.end()));
  EXPECT_FALSE(ReadSuInfo(d / "zero.su"));
  put_i16le(bytes.data() + 114, -5);
  keld::testing::WriteText(d / "neg.su", std::string(bytes.begin(), bytes.end()));
  EXPECT_FALSE(ReadSuInfo(d / "neg.su"));
}

TEST(CheckDisplayFile, RefusesTracesOfDifferentLengths) {
  keld::testing::TempDir d;
  ASSERT_TRUE(WriteTraces(d / "mixed.su", Flat(4, 50), 1000));
  auto bytes = keld::testing::ReadBytes(d / "mixed.su");
  put_i16le(bytes.data() + 2 * (240 + 200) + 114, 51);  // third header disagrees
  keld::testing::WriteText(d / "mixed.su", std::string(bytes.begin(), bytes.end()));
  auto r = CheckDisplayFile(d / "mixed.su");
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().find("trace 3"), std::string::npos) << r.error();
}

TEST(ReadSuInfo, RealFiles) {
  KELD_REQUIRE_TESTDATA(dir, "su");
  auto tut = ReadSuInfo(dir + "/su_tutorial_data.su");
  ASSERT_TRUE(tut) << tut.error();
  EXPECT_EQ(tut->ns, 64);
  EXPECT_EQ(tut->traces, 32);
  EXPECT_EQ(tut->Freq_Campionamento, 250);
  EXPECT_EQ(tut->Rec_time, "0.256");

  auto obspy = ReadSuInfo(dir + "/obspy_1.su_first_trace");
  ASSERT_TRUE(obspy) << obspy.error();
  EXPECT_EQ(obspy->ns, 8000);
  EXPECT_EQ(obspy->traces, 1);
  EXPECT_EQ(obspy->Freq_Campionamento, 4000);
  EXPECT_EQ(obspy->Rec_time, "2");

  auto lsb = ReadSuInfo(dir + "/segyio_small-lsb.su");
  ASSERT_TRUE(lsb) << lsb.error();
  EXPECT_EQ(lsb->traces, 25);
  EXPECT_EQ(lsb->ns, 50);
  EXPECT_EQ(lsb->Freq_Campionamento, 2000) << "dt 0 counts as 512";

  auto big = ReadSuInfo(dir + "/segyio_small.su");
  ASSERT_FALSE(big);
  EXPECT_NE(big.error().find("big-endian"), std::string::npos) << big.error();
}
