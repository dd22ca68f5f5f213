#include "korvan/engine/acquisition_values.hpp"

#include <gtest/gtest.h>


namespace keld::korvan {
namespace {

TEST(AcquisitionValues, FrequencyByIndex) {
  EXPECT_EQ(FrequencyForIndex(0), 8000);
  EXPECT_EQ(FrequencyForIndex(1), 4000);
  EXPECT_EQ(FrequencyForIndex(2), 2000);
  EXPECT_EQ(FrequencyForIndex(3), 1000);
  EXPECT_EQ(FrequencyForIndex(4), 500);
  EXPECT_EQ(FrequencyForIndex(5), 250);
  EXPECT_EQ(FrequencyForIndex(-1), std::nullopt);
  EXPECT_EQ(FrequencyForIndex(6), std::nullopt);
  EXPECT_EQ(kSampleRateTexts[3], "1024");
  EXPECT_EQ(kNbSampleTexts.back(), "10922");
}

TEST(AcquisitionValues, RecordingTime) {
  EXPECT_EQ(RecordingTimeText(1024, 128), "0.131");
  EXPECT_EQ(RecordingTimeText(8192, 128), "1.049");
  EXPECT_EQ(RecordingTimeText(4096, 256), "1.049");
  EXPECT_EQ(RecordingTimeText(10922, 4096), "44.737");
  EXPECT_EQ(RecordingTimeText(1000, 1000), "1");
  EXPECT_EQ(RecordingTimeText(1024, 1024), "1.049");
  EXPECT_EQ(RecordingTimeText(256, 2048), "0.524");
  EXPECT_EQ(RecordingTimeText(0, 128), "0");
  EXPECT_EQ(RecordingTimeText(10, 128), "0.001");
  EXPECT_EQ(RecordingTimeText(3, 128), "0");  // 0.000384 shows as 0.0, then 0
}

TEST(AcquisitionValues, RecordingTimeOverflowLeavesTheLabel) {
  EXPECT_EQ(RecordingTimeText(1000000, 4096), std::nullopt);
  EXPECT_EQ(RecordingTimeText(524287, 4096), "2147.48");  // 2,147,479,552 still fits
  EXPECT_EQ(RecordingTimeText(524288, 4096), std::nullopt);
}

TEST(AcquisitionValues, RecordingTimeFromTexts) {
  // The panel's 4096 us is 250 Hz, every 4000 us: 10922 x 4 ms.
  EXPECT_EQ(RecordingTimeText("10922", "4096"), "43.688");
  EXPECT_EQ(RecordingTimeText("", "4096"), "0");
  EXPECT_EQ(RecordingTimeText("99999999999", "128"), std::nullopt);
}

}  // namespace
}  // namespace keld::korvan
