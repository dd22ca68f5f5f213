#include "dropconv/dropconv_main.hpp"

#include <exception>
#include <vector>

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

// "3", "3 and 5", "3, 5 and 7-24": runs of three or more as a range.
std::string ChannelsText(const std::vector<int>& channels) {
  std::vector<std::string> parts;
  for (size_t i = 0; i < channels.size();) {
    size_t j = i;
    while (j + 1 < channels.size() && channels[j + 1] == channels[j] + 1) ++j;
    if (j - i >= 2) {
      parts.push_back(std::to_string(channels[i]) + "-" + std::to_string(channels[j]));
    } else {
      for (size_t k = i; k <= j; ++k) parts.push_back(std::to_string(channels[k]));
    }
    i = j + 1;
  }
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i)
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  return text;
}

// What a conversion of a record short of channel blocks says: the file is
// whole, and which of its traces hold no recorded samples.
std::string MissingChannelsNote(const std::string& input, const std::string& output,
                                const ClassSEG2Export& shot) {
  const std::vector<int>& missing = shot.MissingChannels();
  const bool one = missing.size() == 1;
  return input + ": the record holds no block for " + (one ? "channel " : "channels ") +
         ChannelsText(missing) + " of " + std::to_string(shot.ChannelCount()) + ": " + output +
         " is written with " + (one ? "its trace" : "their traces") + " all zero";
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
    why = output + ": " + e.what();
  }
  if (!ok) {
    // The writer's reason names the file already.
    if (why.empty()) why = output + ": the SEG-2 file could not be written";
    Reason(reasons, why);
    boxes.ok(ConversionError(why), MsgIcon::None, kTitle);
    return kExitWriteFailed;
  }
  if (!shot.MissingChannels().empty()) {
    const std::string note = MissingChannelsNote(input, output, shot);
    Reason(reasons, note);
    boxes.ok(note, MsgIcon::Exclamation, kTitle);
  }
  return kExitOk;
}

}  // namespace keld::dropconv
