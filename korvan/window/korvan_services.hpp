#pragma once
// What korvan's windows call on outside themselves: the platform layers, the
// serial port and the folders. main() makes the real ones; tests hand in
// recorders and a simulator.
#include <functional>
#include <string>

#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/pump.hpp"
#include "platform/qtbase/dialogs.hpp"

namespace keld::board {
class SerialPort;
}

namespace keld::korvan {

struct KorvanServices {
  MessageBoxes& msg;
  ProcessLauncher& proc;
  EventPump& pump;
  Dialogs& dialogs;
  board::SerialPort& port;
  std::string program_folder;  // where the suite's programs are found
  std::string work_folder;     // tmp.su, DATA/, filtre.bat and header.sgy live here
  // The timed pauses of start-up and of the link are multiplied by this (tests
  // set 0 so that a start-up does not take three seconds).
  double pause_scale = 1.0;
  // Shows the port dialog at the end of start-up; empty: the real modal dialog.
  std::function<void()> show_port_dialog;
  // The system beep of refused keys.
  std::function<void()> beep;
};

}  // namespace keld::korvan
