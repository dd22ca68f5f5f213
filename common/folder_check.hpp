#pragma once
// Why no new file can be made beside a file: a replacement is written beside
// its target first, so a writable file in a folder that takes no new files
// cannot be replaced, and the user is best told about the folder.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace keld {

// "the folder /d cannot be written (Permission denied)" when the folder that
// would take a new file beside `target` (beside the file a link leads to)
// refuses it to this process; none when it takes new files.
inline std::optional<std::string> FolderRefusal(const std::string& target) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path real = fs::weakly_canonical(target, ec);
  if (ec) real = target;
  const fs::path folder = real.has_parent_path() ? real.parent_path() : fs::path(".");
  // The effective ids and capabilities decide, as they do for the new file.
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return std::nullopt;
  return "the folder " + folder.string() + " cannot be written (" + std::strerror(errno) + ")";
}

}  // namespace keld
