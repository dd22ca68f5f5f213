// Arbitrary bytes taken as a radar profile and as its text header: the header
// keys of .rad and .HD files, then the RAMAC and DT1 readers with the values
// those headers give (and a few fixed ones), never reading outside the bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "conversion/importers/radar.hpp"
#include "conversion/importers/radar_header.hpp"

using namespace keld::conversion;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::span<const uint8_t> bytes(data, size);
  RamacHeader rad = ReadRadHeader(text);
  Dt1Header hd = ReadHdHeader(text);
  auto clamp = [](const std::optional<double>& v, int fallback) {
    return v && *v >= -40000 && *v <= 40000 ? static_cast<int>(*v) : fallback;
  };
  RadarParams p{clamp(rad.samples, 64), 0, std::min(clamp(rad.traces, 8), 2000), rad.interval_ns.value_or(0.5),
                rad.spacing.value_or(0.1)};
  (void)ImportRamac(bytes, p, {});
  RadarParams q{clamp(hd.samples, 32), clamp(hd.time_zero, 3), std::min(clamp(hd.traces, 8), 2000),
                hd.interval_ns.value_or(0.4), hd.spacing.value_or(0.05)};
  (void)ImportDt1(bytes, q);
  if (size > 2) {
    RadarParams r{1 + data[0] % 64, data[1] % 70, 1 + data[2] % 50, 0.25, 0.5};
    (void)ImportRamac(bytes, r, {});
    (void)ImportDt1(bytes, r);
  }
  return 0;
}
