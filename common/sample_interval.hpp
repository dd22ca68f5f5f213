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

// The exact interval of a nominal one of the table; any other interval as it is.
constexpr int ExactInterval(int dt_us) {
  for (const SamplingRate& r : kSamplingRates)
    if (dt_us == r.nominal_us) return r.exact_us;
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
