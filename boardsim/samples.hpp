#pragma once
// The samples the simulated units send: a plausible shot record. Unit u sits
// at offset 1 + 2u metres from the source; its trace holds a DC offset of its
// own, the first break (direct wave near the source, refracted wave further
// out) moving out with offset, a decaying wavelet behind it, slower ground
// roll, and noise. Near the source the break is clipped at the ends of the
// 24-bit range. In free-running mode a unit sends its DC offset and noise.
// Everything follows from the seed, the shot number and the unit number, so
// tests compute exactly what a unit sent.
#include <cstdint>
#include <vector>

#include "boardlink/board_link.hpp"

namespace keld::sim {

struct ShotSpec {
  uint64_t seed = 1;
  int shot = -1;           // arm packets received before this one; -1 before the first
  int32_t samples = 1024;  // as armed
  int frequency = 8000;    // Hz, as armed
  int trigger_mode = 0;    // 1 a shot, 0 free-running (noise only)
};

// The description of the shot an arm packet starts.
ShotSpec ShotFromArm(const board::Packet& arm, uint64_t seed, int shot);

constexpr int32_t kMaxSample = 8388607;
constexpr int32_t kMinSample = -8388608;

// Sample k (0, 1, ...) of unit `unit` in the shot; samples past the armed
// count continue the same record.
int32_t UnitSample(const ShotSpec& s, int unit, int64_t k);
std::vector<int32_t> UnitSamples(const ShotSpec& s, int unit, int64_t first, int64_t count);

// Block b of a unit: samples 64b .. 64b+63, three bytes each, most
// significant first, two's complement.
std::vector<uint8_t> UnitBlock(const ShotSpec& s, int unit, int64_t block);
void EncodeSample(int32_t v, uint8_t* out);

// Seconds after sample 0 at which unit's first break starts, and its offset.
double FirstBreakTime(int unit);
double UnitOffset(int unit);

}  // namespace keld::sim
