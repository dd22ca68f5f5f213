#pragma once
// Vertical stacking of a new shot onto the record saved last: every sample of
// the record gets the shot's sample added, and every trace the same number of
// stacked shots, one more than the record's first trace held.
#include <string>

#include "common/result.hpp"

namespace keld::korvan {

inline constexpr const char* kStackSamplesChanged = "Number of samples has been changed, stack impossible";
inline constexpr const char* kStackRateChanged = "Sample rate has been changed, stack impossible";
inline constexpr const char* kStackTracesChanged = "Number of traces has been changed, stack impossible";

// Adds the raw shot `shot` into `record` (the path as it is). The record must
// exist and have the shot's samples per trace, sampling frequency (a nominal
// and an exact interval of one rate agree) and trace count; it is rewritten beside itself and renamed over, so a failure leaves
// it as it was. The failure's text is the message to show.
Status StackOnto(const std::string& record, const std::string& shot);

}  // namespace keld::korvan
