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
  // Where the batch and the history go when the input's or the output's
  // folder cannot be written ("" for nowhere else).
  std::string work_folder;
};

}  // namespace keld::velscan
