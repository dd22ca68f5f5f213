#include "velscan/engine/velscan_state.hpp"

#include "common/text.hpp"

namespace keld::velscan {

std::string DefaultOutput(const std::string& input) {
  std::string stem = input;
  if (stem.size() >= 3 && LCase(stem.substr(stem.size() - 3)) == ".su") stem.resize(stem.size() - 3);
  return stem + "_nmo_stack.su";
}

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace keld::velscan
