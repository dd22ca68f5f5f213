#include "conversion/shell/whole_check.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace keld::conversion {

int64_t ExpectedTraces(int64_t whole, bool cut, int64_t trmin, int64_t trmax) {
  const int64_t all = whole + (cut ? 1 : 0);
  if (trmin == 0 || trmax == 0) return all;
  const int64_t lo = std::max<int64_t>(trmin, 1), hi = std::min(trmax, all);
  return std::max<int64_t>(0, hi - lo + 1);
}

std::vector<std::string> WarningLines(const std::string& output) {
  std::vector<std::string> lines;
  for (std::string l : Split(output, '\n')) {
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
    if (LCase(l).find("warning") != std::string::npos) lines.push_back(l);
  }
  return lines;
}

std::string ShortfallText(const std::string& file, int64_t expected, int64_t written,
                          const std::vector<std::string>& warnings) {
  std::string t = file + ": " + std::to_string(expected) + " traces expected, " + std::to_string(written) + " written";
  for (const auto& w : warnings) t += "\n" + w;
  return t;
}

}  // namespace keld::conversion
