#pragma once
// What the ombrix window calls on outside itself; tests hand in recorders.
#include <functional>

#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/pump.hpp"
#include "platform/qtbase/dialogs.hpp"

class QPrinter;

namespace keld::ombrix {

struct OmbrixServices {
  MessageBoxes& messages;
  Dialogs& dialogs;
  ProcessLauncher& launcher;
  EventPump& pump;
  std::function<void()> quit;                     // ends the program
  std::function<void()> beep;
  std::function<bool()> has_printer;              // a printer is installed
  std::function<bool(QPrinter&)> page_setup;      // the page set-up dialog, true on OK
  std::function<bool(QPrinter&)> printer_setup;   // the printer dialog, true on OK
};

}  // namespace keld::ombrix
