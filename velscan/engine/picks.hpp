#pragma once
// The velocity-time picks of one file: CDP, time in ms and velocity in m/s.
// A list that grows as the user picks; a pick at a CDP and time already picked
// replaces the old one.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::velscan {

struct Pick {
  int32_t cdp = 0;
  int32_t time_ms = 0;
  int32_t velocity = 0;
  bool operator==(const Pick&) const = default;
};

class PickTable {
 public:
  enum class Saved { Added, Replaced, Refused };
  // Rounds each value to the nearest whole number (halves to even). Refuses,
  // with the reason in `why`, a CDP of 0, a velocity of 0 or less, and values
  // that are not whole 32-bit numbers.
  Saved Save_Pick(double cdp, double time_ms, double velocity, std::string& why);
  // Stable order by CDP, then by time within a CDP.
  void Sort();
  void clear() { rows_.clear(); }
  bool empty() const { return rows_.empty(); }
  size_t size() const { return rows_.size(); }
  const std::vector<Pick>& rows() const { return rows_; }

 private:
  std::vector<Pick> rows_;
};

}  // namespace keld::velscan
