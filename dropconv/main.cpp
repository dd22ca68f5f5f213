// dropconv "record|output": writes the acquisition text record `record` as
// the SEG-2 file `output`.
#include "dropconv/dropconv_main.hpp"
#include "dropconv/qt_messages.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  std::string command_line = keld::dropconv::JoinArguments(argc, argv);
  if (keld::dropconv::HasDisplay()) {
    keld::dropconv::QtMessages boxes(argc, argv);
    return keld::dropconv::Main(command_line, boxes);
  }
  // Without a display the box itself goes to standard error, reason and all.
  keld::StderrMessages boxes;
  return keld::dropconv::Main(command_line, boxes, nullptr);
}
