#pragma once
// The trial display of an SU file: up to 24 traces as wiggle lines with their
// positive lobes filled, in pixels of a picture of a given size. Each trace
// owns 20 units of a 480-unit width, its zero line at 20 (k - 1) + 10; its
// amplitude is 10 over its largest sample (the previous trace's factor when
// that is 0) times the amplitude box. Any trace count and any ns are drawn
// from what the file holds; nothing past its last whole trace is read.
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld::conversion {

struct Pixel {
  int x = 0, y = 0;
  bool operator==(const Pixel&) const = default;
};

struct TrialTrace {
  std::vector<std::vector<Pixel>> lobes;  // closed outlines, filled grey
  std::vector<Pixel> line;                // the wiggle, one point per sample
};

struct TrialPicture {
  int ns = 0;
  int dt = 0;
  std::vector<TrialTrace> traces;
};

inline constexpr int kTrialTraces = 24;

// Reads `su_path` and lays out its first 24 traces on a picture of
// `width` x `height` pixels. Fails when the file cannot be read or holds no
// whole trace (ns 0 among them).
Result<TrialPicture> LayOutTrial(const std::string& su_path, double amplitude, int width, int height);

// The pointer's tip at (x, y) in the picture's user scale (20..500 across,
// 1..ns down): time dt x y / 1000 ms and the trace whose column is under it,
// each number with a leading blank when not negative (" 100 ms Trace= 3").
std::string TrialTip(int dt, double x, double y);

}  // namespace keld::conversion
