#include "boardsim/samples.hpp"

#include <algorithm>
#include <cmath>

namespace keld::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint64_t Mix(uint64_t x) {  // splitmix64 finaliser
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

uint64_t Key(uint64_t seed, int shot, int unit, int64_t k) {
  uint64_t h = Mix(seed);
  h = Mix(h ^ static_cast<uint64_t>(static_cast<int64_t>(shot) + 7));
  h = Mix(h ^ (static_cast<uint64_t>(unit) << 20));
  return Mix(h ^ static_cast<uint64_t>(k));
}

// Roughly normal noise of unit spread: the sum of four uniform values.
double Noise(uint64_t key) {
  double sum = 0;
  for (int i = 0; i < 4; ++i) {
    key = Mix(key + static_cast<uint64_t>(i));
    sum += static_cast<double>(key >> 11) * (1.0 / 9007199254740992.0) - 0.5;
  }
  return sum * 1.7320508;  // 4 uniforms of variance 1/12 → unit variance
}

int32_t DcOffset(uint64_t seed, int unit) {
  return static_cast<int32_t>(Key(seed, 0x7FFF, unit, -1) % 40001) - 20000;
}

double Wavelet(double tau, double freq, double decay) {
  if (tau < 0) return 0;
  return std::sin(2 * kPi * freq * tau) * std::exp(-tau / decay);
}

}  // namespace

ShotSpec ShotFromArm(const board::Packet& arm, uint64_t seed, int shot) {
  ShotSpec s;
  s.seed = seed;
  s.shot = shot;
  s.frequency = (arm[1] << 8) | arm[2];
  s.trigger_mode = arm[10];
  s.samples = (arm[12] << 16) | (arm[13] << 8) | arm[14];
  return s;
}

double UnitOffset(int unit) { return 1.0 + 2.0 * unit; }

double FirstBreakTime(int unit) {
  const double x = UnitOffset(unit);
  const double direct = x / 400.0;           // weathered layer
  const double refracted = 0.02 + x / 1800;  // refractor below it
  return 0.002 + std::min(direct, refracted);
}

int32_t UnitSample(const ShotSpec& s, int unit, int64_t k) {
  double v = DcOffset(s.seed, unit) + 1500.0 * Noise(Key(s.seed, s.shot, unit, k));
  if (s.trigger_mode == 1) {
    const double fs = s.frequency > 0 ? s.frequency : 1000;
    const double t = static_cast<double>(k) / fs;
    const double x = UnitOffset(unit);
    const double amplitude = 3.0e7 / (1.0 + x / 3.0);
    const double freq = std::max(25.0, 90.0 - 0.6 * unit);
    v += amplitude * Wavelet(t - FirstBreakTime(unit), freq, 0.03);
    v += 0.4 * amplitude * Wavelet(t - 0.004 - x / 180.0, 18.0, 0.12);  // ground roll
  }
  v = std::nearbyint(v);
  return static_cast<int32_t>(std::clamp(v, double{kMinSample}, double{kMaxSample}));
}

std::vector<int32_t> UnitSamples(const ShotSpec& s, int unit, int64_t first, int64_t count) {
  std::vector<int32_t> out;
  out.reserve(static_cast<size_t>(std::max<int64_t>(count, 0)));
  for (int64_t i = 0; i < count; ++i) out.push_back(UnitSample(s, unit, first + i));
  return out;
}

void EncodeSample(int32_t v, uint8_t* out) {
  const auto u = static_cast<uint32_t>(v) & 0xFFFFFFu;
  out[0] = static_cast<uint8_t>(u >> 16);
  out[1] = static_cast<uint8_t>(u >> 8);
  out[2] = static_cast<uint8_t>(u);
}

std::vector<uint8_t> UnitBlock(const ShotSpec& s, int unit, int64_t block) {
  std::vector<uint8_t> out(board::kBlockBytes);
  for (int i = 0; i < board::kBlockSamples; ++i)
    EncodeSample(UnitSample(s, unit, block * board::kBlockSamples + i), &out[static_cast<size_t>(3 * i)]);
  return out;
}

}  // namespace keld::sim
