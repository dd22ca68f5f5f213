#pragma once
// The sampling lists of the acquisition parameters and the recording time.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keld::korvan {

// Sample_rate entries (nominal interval in microseconds) and the frequency
// each index stands for. The units sample at the frequency: a shot's files and
// times use the exact interval (ExactIntervalText), never the entry's text.
inline constexpr std::array<std::string_view, 6> kSampleRateTexts = {"128",  "256",  "512",
                                                                     "1024", "2048", "4096"};
inline constexpr std::array<int, 6> kSampleRateFrequencies = {8000, 4000, 2000, 1000, 500, 250};
// Nb_Sample entries.
inline constexpr std::array<std::string_view, 7> kNbSampleTexts = {"256",  "512",  "1024", "2048",
                                                                   "4096", "8192", "10922"};

// Freq_Campionamento for a Sample_rate index; nullopt for no selection (-1) or
// an index past the list.
std::optional<int> FrequencyForIndex(int index);

// The interval the units really sample at for a Sample_rate text, as text:
// "1000" for "1024", "125" for "128"; a text outside the list as it is.
std::string ExactIntervalText(std::string_view Sample_rate);

// The recording time as Rec_time finally shows it: samples x interval / 10^6
// seconds, three decimals at most, in plain form ("0.131", "44.737", "1").
// nullopt when the product overflows 32 bits (Rec_time keeps its text).
std::optional<std::string> RecordingTimeText(int32_t samples, int32_t interval_us);
// The same from the two boxes' texts, read as whole numbers, at the exact
// interval of the Sample_rate text (1024 x "1024" is 1.024 s).
std::optional<std::string> RecordingTimeText(std::string_view Nb_Sample, std::string_view Sample_rate);

}  // namespace keld::korvan
