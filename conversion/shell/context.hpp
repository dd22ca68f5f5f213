#pragma once
// What every window of conversion is handed: the program-wide state and the
// platform layers (boxes, dialogs, started programs, the event pump, folders).
// main() makes the real ones; tests hand in recorders.
#include <functional>
#include <map>
#include <string>

#include "conversion/shell/state.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/pump.hpp"
#include "platform/qtbase/dialogs.hpp"

class QWidget;

namespace keld {
class WorkRun;
}

namespace keld::conversion {

struct ConversionServices {
  MessageBoxes& msg;
  ProcessLauncher& proc;
  EventPump& pump;
  Dialogs& dialogs;            // the one common file dialog of the program
  std::string program_folder;  // the suite's programs (seg2su, sutools, viewers)
  std::string work_folder;     // batch, marker and temporary files
  std::function<void()> beep;  // the refused-key beep
};

struct ConversionContext;

// A conversion of the conversion window that runs the Seismic Unix programs
// ("SEGD2SU", "SEGY2SU"): handed the checked names, the byte-order choice,
// the window that runs it (the owner of its batch window) and its run (see
// platform/qtbase/work_guard.hpp), which a close of the window stops.
struct ConvertRequest {
  std::string input, output;
  bool little_endian = true;
  QWidget* window = nullptr;
  WorkRun* run = nullptr;
};
using BatchConversion = std::function<void(ConversionContext&, const ConvertRequest&)>;

struct ConversionContext {
  ConversionState& st;
  ConversionServices& sv;
  // Shows (or brings forward) the window registered under `key` (an option
  // name of the start window such as "Option23"); set by the start window, so
  // that one window can open another (the GSSI window opens "Option23").
  std::function<void(const std::string& key)> show;
  // The batch conversions registered by type (see WindowRegistry::batch).
  std::map<std::string, BatchConversion> batch_conversions;
  void beep() const {
    if (sv.beep) sv.beep();
  }
};

}  // namespace keld::conversion
