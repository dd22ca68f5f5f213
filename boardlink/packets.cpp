// The 15-byte command packets, the 24-bit sample code and the block count.
#include <cmath>

#include "boardlink/board_link.hpp"

namespace keld::board {

namespace {
Packet Empty(uint8_t code) {
  Packet p{};
  p[0] = code;
  return p;
}
}  // namespace

Packet ArmPacket(int32_t samples, int frequency, int pre_trigger, int trigger_mode, int polarity,
                 int notch50, int notch60, int setting) {
  Packet p = Empty(0x1A);
  const auto f = static_cast<uint32_t>(frequency) & 0xFFFFu;
  const auto pre = static_cast<uint32_t>(pre_trigger) & 0xFFFFu;
  const auto n = static_cast<uint32_t>(samples) & 0xFFFFFFu;
  p[1] = static_cast<uint8_t>(f >> 8);
  p[2] = static_cast<uint8_t>(f);
  p[3] = static_cast<uint8_t>(pre >> 8);
  p[4] = static_cast<uint8_t>(pre);
  p[5] = static_cast<uint8_t>(notch50);
  p[7] = static_cast<uint8_t>(notch60);
  p[8] = static_cast<uint8_t>(setting);
  p[9] = polarity == 1 ? 1 : 0;
  p[10] = trigger_mode == 1 ? 1 : 0;
  p[12] = static_cast<uint8_t>(n >> 16);
  p[13] = static_cast<uint8_t>(n >> 8);
  p[14] = static_cast<uint8_t>(n);
  return p;
}

Packet BlockRequestPacket(int unit) {
  Packet p = Empty(0xD1);
  p[11] = static_cast<uint8_t>(unit);
  return p;
}

Packet UnitSelectPacket(int unit_address) {
  Packet p = Empty(0xC0);
  p[1] = static_cast<uint8_t>(unit_address);
  return p;
}

Packet UnitNumberReadPacket() { return Empty(0xB0); }

int32_t DecodeSample(const uint8_t* b) {
  const int32_t v = (int32_t{b[0]} << 16) | (int32_t{b[1]} << 8) | int32_t{b[2]};
  return v > 0x7FFFFF ? v - 0x1000000 : v;
}

int BlockCount(int32_t samples, BlockRule rule) {
  if (samples <= 0) return 0;
  if (rule == BlockRule::WholeBlocks) return samples / 64;
  // nearbyint rounds halves to even in the default rounding mode.
  return static_cast<int>(std::nearbyint(samples / 64.0 - 1.0)) + 1;
}

}  // namespace keld::board
