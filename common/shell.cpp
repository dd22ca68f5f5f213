#include "common/shell.hpp"

namespace keld {

std::string ShellWord(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string ShellProgram(const std::string& folder, std::string_view program) {
  if (folder.empty()) return ShellWord(program);
  std::string path = folder;
  if (path.back() != '/') path += '/';
  path += program;
  return ShellWord(path);
}

}  // namespace keld
