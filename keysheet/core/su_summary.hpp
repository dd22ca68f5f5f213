#pragma once
// What the editor needs to know of an SU file before it shows any word: the
// sample count and interval of its first trace and how many whole traces it
// holds. A file that holds no whole trace for its own ns (a big-endian file,
// a truncated one, something that is no SU file) is refused with a message.
#include <cstdint>
#include <string>

#include "common/result.hpp"

namespace keld::keysheet {

struct SuSummary {
  int ns = 0;
  int dt = 0;
  int64_t traces = 0;  // whole part of file length / (240 + 4 ns)
};

Result<SuSummary> ReadSuSummary(const std::string& path);

}  // namespace keld::keysheet
