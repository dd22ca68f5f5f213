#include "dropconv/dropconv_main.hpp"

#include <cstdlib>
#include <exception>
#include <string_view>

#include "common/text.hpp"
#include "dropconv/seg2_export.hpp"

namespace keld::dropconv {

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool HasDisplay() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  if (const char* qpa = std::getenv("QT_QPA_PLATFORM");
      qpa && std::string_view(qpa).starts_with("offscreen"))
    return false;
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int Main(const std::string& CommandLine, MessageBoxes& boxes) {
  std::vector<std::string> fields = Split(CommandLine, '|');
  if (fields.size() < 2) {
    boxes.ok(kErrorCommandLine, MsgIcon::None, kTitle);
    return kExitCommandLine;
  }
  const std::string& input = fields[0];
  const std::string& output = fields[1];

  // A record too large for memory is a failed read like any other.
  ClassSEG2Export shot;
  bool read = false;
  try {
    read = shot.Read(input).ok();
  } catch (const std::exception&) {
    read = false;
  }
  if (!read) {
    boxes.ok(kErrorConversion, MsgIcon::None, kTitle);
    return kExitReadFailed;
  }
  bool ok = false;
  try {
    shot.SaveAs(output, ok);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) {
    boxes.ok(kErrorConversion, MsgIcon::None, kTitle);
    return kExitWriteFailed;
  }
  return kExitOk;
}

}  // namespace keld::dropconv
