#pragma once
// The sampling rates of the acquisition units. The units sample at whole
// frequencies (8000 Hz is every 125 us); the recorder's panel names each rate
// by a nominal power-of-two interval (128 us), which older records carry as
// their dt. Both stand for the same frequency; only the exact one is written.
#include <array>
#include <optional>

namespace keld {

struct SamplingRate {
  int nominal_us;  // the panel's text, and the dt of older records
  int exact_us;    // 1,000,000 / hz in whole microseconds
  int hz;
};

inline constexpr std::array<SamplingRate, 8> kSamplingRates = {{{32, 31, 32000},
                                                                {64, 62, 16000},
                                                                {128, 125, 8000},
                                                                {256, 250, 4000},
                                                                {512, 500, 2000},
                                                                {1024, 1000, 1000},
                                                                {2048, 2000, 500},
                                                                {4096, 4000, 250}}};

// The frequency of an interval of the table, nominal or exact; nullopt for any
// other interval.
constexpr std::optional<int> SamplingFrequency(int dt_us) {
  for (const SamplingRate& r : kSamplingRates)
    if (dt_us == r.nominal_us || dt_us == r.exact_us) return r.hz;
  return std::nullopt;
}

// The exact interval of a nominal one of the table whose frequency gives a
// whole number of microseconds: the rates korvan records, 128 to 4096 us
// (125 to 4000). Any other interval as it is: 32000 and 16000 Hz sample every
// 31.25 and 62.5 us, which no whole dt holds, and a file from elsewhere truly
// sampled every 32 or 64 us must keep its interval.
constexpr int ExactInterval(int dt_us) {
  for (const SamplingRate& r : kSamplingRates)
    if (dt_us == r.nominal_us && 1000000 % r.hz == 0) return r.exact_us;
  return dt_us;
}

// Two intervals sample alike when the table gives them one frequency, or when
// they are the same interval.
constexpr bool SameSampling(int a_us, int b_us) {
  if (a_us == b_us) return true;
  auto fa = SamplingFrequency(a_us), fb = SamplingFrequency(b_us);
  return fa && fb && *fa == *fb;
}

}  // namespace keld
