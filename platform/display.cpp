#include "platform/display.hpp"

#include <cstdlib>
#include <string_view>

namespace keld {

namespace {
bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

bool Shows(std::string_view platform) {
  if (platform.starts_with("offscreen") || platform.starts_with("minimal")) return false;
  if (platform.starts_with("xcb")) return Set("DISPLAY");
  if (platform.starts_with("wayland")) return Set("WAYLAND_DISPLAY");
  return !platform.empty();
}
}  // namespace

bool DisplayInEnvironment() {
  const char* named = std::getenv("QT_QPA_PLATFORM");
  if (!named || !*named) return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
  std::string_view list = named;
  while (true) {
    const size_t end = list.find(';');
    if (Shows(list.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    list.remove_prefix(end + 1);
  }
}

}  // namespace keld
