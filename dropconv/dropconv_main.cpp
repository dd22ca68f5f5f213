#include "dropconv/dropconv_main.hpp"

#include <exception>

#include "common/files.hpp"
#include "common/text.hpp"
#include "dropconv/seg2_export.hpp"
#include "platform/display.hpp"

namespace keld::dropconv {

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool HasDisplay() { return DisplayInEnvironment(); }

namespace {

void Reason(std::FILE* reasons, const std::string& why) {
  if (reasons) std::fprintf(reasons, "dropconv: %s\n", why.c_str());
}

}  // namespace

std::string ConversionError(const std::string& reason) {
  return std::string(kErrorConversion) + "\n" + reason;
}

int Main(const std::string& CommandLine, MessageBoxes& boxes, std::FILE* reasons) {
  std::vector<std::string> fields = Split(CommandLine, '|');
  if (fields.size() < 2) {
    boxes.ok(kErrorCommandLine, MsgIcon::None, kTitle);
    return kExitCommandLine;
  }
  const std::string& input = fields[0];
  const std::string& output = fields[1];

  // Writing the SEG-2 file over the record would lose the record.
  if (!input.empty() && SameFile(input, output)) {
    Reason(reasons, input + ": the SEG-2 file would replace the record it is made from");
    boxes.ok(kErrorSameFile, MsgIcon::None, kTitle);
    return kExitSameFile;
  }

  // A record too large for memory is a failed read like any other.
  ClassSEG2Export shot;
  std::string why;
  try {
    why = shot.Read(input).error;
  } catch (const std::exception& e) {
    why = input + ": " + e.what();
  }
  if (!why.empty()) {
    Reason(reasons, why);
    boxes.ok(ConversionError(why), MsgIcon::None, kTitle);
    return kExitReadFailed;
  }
  bool ok = false;
  try {
    shot.SaveAs(output, ok, &why);
  } catch (const std::exception& e) {
    ok = false;
    why = e.what();
  }
  if (!ok) {
    why = output + ": " + (why.empty() ? "the SEG-2 file could not be written" : why);
    Reason(reasons, why);
    boxes.ok(ConversionError(why), MsgIcon::None, kTitle);
    return kExitWriteFailed;
  }
  return kExitOk;
}

}  // namespace keld::dropconv
