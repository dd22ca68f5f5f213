#include "conversion/shell/whole_check.hpp"

#include <algorithm>
#include <filesystem>

#include "common/files.hpp"
#include "common/su_join.hpp"
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

std::string LeftOutText(const std::vector<std::string>& left_out, const std::string& output, bool written) {
  std::string t;
  for (const auto& l : left_out) t += l + "\n";
  return t + (written ? std::string(kCheckFile) : output + kKeptWithoutThem);
}

Result<bool> PlaceOutput(const std::string& part, const std::string& output, bool whole) {
  if (!whole && Existe_file(output)) return false;
  if (auto s = MoveFileOver(part, output); !s) return Result<bool>::failure(s.error);
  return true;
}

std::string StoppedText(const std::string& what, const std::string& output) {
  return what + " stopped: " + output + (Existe_file(output) ? " kept as it was" : " not written");
}

std::string UserNames(std::string text, const std::vector<StandsFor>& names) {
  for (const auto& n : names) Remplace_Chaine(text, n.temporary, n.user);
  namespace fs = std::filesystem;
  for (const auto& n : names)
    Remplace_Chaine(text, fs::path(n.temporary).filename().string(), fs::path(n.user).filename().string());
  return text;
}

}  // namespace keld::conversion
