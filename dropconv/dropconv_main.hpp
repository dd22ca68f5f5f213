#pragma once
// The start procedure of dropconv: "record|output" on the command line, the
// record read, the SEG-2 file written, and a message box when that fails.
#include <cstdio>
#include <string>

#include "platform/messages.hpp"

namespace keld::dropconv {

inline constexpr const char* kTitle = "dropconv";
inline constexpr const char* kErrorCommandLine = "Error 0x000100";
inline constexpr const char* kErrorConversion = "Error 0x000200";

// Exit statuses: 0 only when the SEG-2 file was written whole (also from a
// record short of channel blocks, whose missing traces are written as zeros).
enum ExitStatus : int {
  kExitOk = 0,
  kExitCommandLine = 1,  // fewer than two fields
  kExitReadFailed = 2,   // the record could not be read
  kExitWriteFailed = 3,  // the SEG-2 file could not be written
  kExitSameFile = 4,     // the SEG-2 file named is the record itself
};

inline constexpr const char* kErrorSameFile = "Same Input / Output";

// The whole command line: the arguments after the program name joined with
// single blanks, so a path with blanks passed as several arguments comes whole.
std::string JoinArguments(int argc, const char* const* argv);

// False when the program runs without a display (DisplayInEnvironment):
// messages then go to stderr.
bool HasDisplay();

// The box of a failed conversion: "Error 0x000200", then on its own line the
// reason in the reader's or the writer's own words. dropconv runs minimised
// and unseen when korvan starts it: the box is all the user learns.
std::string ConversionError(const std::string& reason);

// Splits `CommandLine` at every "|"; field 1 is the record, field 2 the SEG-2
// file, both as they stand; further fields are ignored. An output that is the
// record itself is refused before anything is read or written. A failed read
// or write leaves the output as it was and shows ConversionError; the reason
// also goes to `reasons` (standard error, or none) as "dropconv: <reason>".
// A record short of channel blocks is converted, and then a box (and the
// same line on `reasons`) names the channels that hold no recorded samples.
int Main(const std::string& CommandLine, MessageBoxes& boxes, std::FILE* reasons = stderr);

}  // namespace keld::dropconv
