#include "korvan/engine/acquisition_values.hpp"

#include "common/numtext.hpp"
#include "common/sample_interval.hpp"

namespace keld::korvan {

std::optional<int> FrequencyForIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kSampleRateFrequencies.size())) return std::nullopt;
  return kSampleRateFrequencies[static_cast<size_t>(index)];
}

std::string ExactIntervalText(std::string_view Sample_rate) {
  for (std::string_view text : kSampleRateTexts)
    if (Sample_rate == text) return std::to_string(ExactInterval(std::stoi(std::string(text))));
  return std::string(Sample_rate);
}

std::optional<std::string> RecordingTimeText(int32_t samples, int32_t interval_us) {
  int32_t product = 0;
  if (__builtin_mul_overflow(samples, interval_us, &product)) return std::nullopt;
  // The label first receives the "0.0##" form, and its change rule rewrites
  // it as the plain number it holds, so "1.0" becomes "1".
  std::string formatted = Format0_0hh(product / 1e6);
  return CStr(Val(formatted));
}

std::optional<std::string> RecordingTimeText(std::string_view Nb_Sample, std::string_view Sample_rate) {
  auto samples = CLng(Val(Nb_Sample));
  auto interval = CLng(Val(ExactIntervalText(Sample_rate)));
  if (!samples || !interval) return std::nullopt;
  return RecordingTimeText(*samples, *interval);
}

}  // namespace keld::korvan
