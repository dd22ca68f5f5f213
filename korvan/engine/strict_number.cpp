#include "korvan/engine/strict_number.hpp"

#include <cmath>
#include <cstdlib>
#include <string>

namespace keld::korvan {

std::optional<double> StrictNumber(std::string_view t) {
  size_t b = 0, e = t.size();
  while (b < e && (t[b] == ' ' || t[b] == '\t')) ++b;
  while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t')) --e;
  size_t i = b;
  if (i < e && (t[i] == '+' || t[i] == '-')) ++i;
  bool digits = false, dot = false;
  for (; i < e; ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digits = true;
    } else if (t[i] == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < e && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    if (i < e && (t[i] == '+' || t[i] == '-')) ++i;
    bool exp_digits = false;
    while (i < e && t[i] >= '0' && t[i] <= '9') {
      exp_digits = true;
      ++i;
    }
    if (!exp_digits) return std::nullopt;
  }
  if (i != e) return std::nullopt;
  double v = std::strtod(std::string(t.substr(b, e - b)).c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace keld::korvan
