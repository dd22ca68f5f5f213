#include "common/visual_keld.hpp"

#include "common/files.hpp"
#include "common/profile.hpp"
#include "platform/folders.hpp"

namespace keld {

namespace {
// Large enough that no path is ever cut.
constexpr std::size_t kWholeValue = 32768;

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

std::string VisualKeldValue(const std::string& key, const std::string& default_value) {
  return GetPrivateProfileString(kVisualKeldSection, key, default_value, kWholeValue, kVisualKeldFile);
}

std::string VisualKeldDirectory1() { return VisualKeldValue("Directory1", WithSlash(ProgramFolder())); }

std::string VisualKeldDirectory2() { return VisualKeldValue("Directory2", WithSlash(WorkFolder())); }

std::string SeismicUnixFolder() {
  const std::string dir = VisualKeldDirectory1();
  if (Existe_file(dir + "segyread")) return dir;
  return WithSlash(ProgramFolder());
}

}  // namespace keld
