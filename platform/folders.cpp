#include "platform/folders.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace fs = std::filesystem;

namespace keld {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
}

std::string Home() {
  std::string h = Env("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

std::string Ensure(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec).string();
  return exe.parent_path().string();
}

std::string SettingsFolder() {
  std::string d = Env("KELD_WINDIR");
  if (d.empty()) {
    std::string x = Env("XDG_CONFIG_HOME");
    d = (x.empty() ? Home() + "/.config" : x) + "/keld";
  }
  return Ensure(d);
}

std::string WorkFolder() {
  std::string d = Env("KELD_HOME");
  if (!d.empty()) return Ensure(d);
  // Never the executables' folder, even when it is writable: rebuilding or
  // cleaning a build must not touch recorded shots.
  std::string x = Env("XDG_DATA_HOME");
  return Ensure((x.empty() ? Home() + "/.local/share" : x) + "/keld");
}

std::string ProfilePath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  return SettingsFolder() + "/" + name;
}

std::string SuiteProgram(const std::string& name) {
  std::string base = name;
  auto slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base = base.substr(slash + 1);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::string lower = Lower(base);
  if (lower.size() > 4 && lower.substr(lower.size() - 4) == ".exe") base = base.substr(0, base.size() - 4);
  return ProgramFolder() + "/" + Lower(base);
}

}  // namespace keld
