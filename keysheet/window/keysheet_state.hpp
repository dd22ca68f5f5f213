#pragma once
// The program-wide values of keysheet, shared by its two windows, and the
// outside services they use (boxes, dialogs, programs and documents).
#include <array>
#include <cstdint>
#include <string>

namespace keld {
class MessageBoxes;
class Dialogs;
class ProcessLauncher;
class SpreadsheetExchange;
}  // namespace keld

namespace keld::keysheet {

struct KeysheetState {
  std::string Directory1;  // folder of the spreadsheet template (a prefix of its name)
  std::string Directory2;  // first folder of the SU file dialogs
  int ns = 0;              // samples per trace of the file in the main window's file box
  int dt = 0;              // sample interval, microseconds
  int64_t Nb_traces = 0;   // whole traces of that file; 0 when it was refused
  std::string file_error;  // why the file in the file box was refused, when it was
  // 1 = word w (1 to 86) goes to the spreadsheet. Index 0 is not used.
  std::array<int16_t, 87> Mot_choisi{};
};

struct KeysheetServices {
  MessageBoxes& messages;
  Dialogs& dialogs;
  ProcessLauncher& launcher;
  SpreadsheetExchange& sheets;
  std::string program_folder;  // where the help page and the template are shipped
};

// Title of the program's message boxes.
inline constexpr const char* kKeysheetTitle = "Visual_KELD 3 Header Editor";
// The help page of the two windows, shipped beside the programs.
inline constexpr const char* kHelpPage = "keysheet_help.html";

}  // namespace keld::keysheet
