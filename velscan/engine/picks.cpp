#include "velscan/engine/picks.hpp"

#include <algorithm>

#include "common/numtext.hpp"

namespace keld::velscan {

PickTable::Saved PickTable::Save_Pick(double cdp, double time_ms, double velocity, std::string& why) {
  auto c = CLng(cdp);
  auto t = CLng(time_ms);
  auto v = CLng(velocity);
  if (!c || !t || !v) {
    why = "No pick recorded: the values are out of range";
    return Saved::Refused;
  }
  if (*c == 0) {
    why = "No pick recorded: the CDP is 0";
    return Saved::Refused;
  }
  if (*v <= 0) {
    why = "No pick recorded: the velocity must be above 0 m/s";
    return Saved::Refused;
  }
  for (Pick& p : rows_)
    if (p.cdp == *c && p.time_ms == *t) {
      p.velocity = *v;
      return Saved::Replaced;
    }
  rows_.push_back({*c, *t, *v});
  return Saved::Added;
}

void PickTable::Sort() {
  std::stable_sort(rows_.begin(), rows_.end(), [](const Pick& a, const Pick& b) {
    return a.cdp != b.cdp ? a.cdp < b.cdp : a.time_ms < b.time_ms;
  });
}

}  // namespace keld::velscan
