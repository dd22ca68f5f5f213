#pragma once
// What velscan's windows call on outside themselves. main() makes the real
// ones; tests hand in recorders.
#include <string>

#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/pump.hpp"
#include "platform/qtbase/dialogs.hpp"

namespace keld::velscan {

struct VelscanServices {
  MessageBoxes& msg;
  Dialogs& dialogs;
  ProcessLauncher& proc;
  EventPump& pump;
  std::string program_folder;  // the manual lies in its manual/ folder
};

}  // namespace keld::velscan
