#pragma once
// Joining SU files of one seismic line into one file: the files are copied
// whole, one after the other; headers and samples are not touched.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/su_join.hpp"

namespace keld::korvan {

// The pieces of a multiple-selection dialog result "folder name name ...",
// split at every blank, at most 900 pieces (the rest is ignored).
std::vector<std::string> SplitDialogResult(std::string_view result);

// What the window shows after a pick.
struct AfficheFileResult {
  std::vector<std::string> List1;  // full paths, in dialog order
  int Nb_Fichiers = 0;
  std::string Text2;               // proposed output: first file less 3 characters, "_raw.su"
  int ns = 0;                      // samples per trace of the first file
  int64_t Nb_Tracce = 0;           // its whole traces
  std::string error;               // why the first file gave no shape (empty when it did)
};

// Parses the dialog result and reads the shape of the first file. A result
// without a blank is a single full path: one file. Empty names (from blanks
// side by side or at the end) are not files and are skipped.
AfficheFileResult Affiche_file(std::string_view dialog_result);
// The same from a list of full paths (a dialog that returns them as such).
AfficheFileResult Affiche_files(const std::vector<std::string>& paths);

// The joining itself is the suite's one (common/su_join.hpp).
using keld::JoinResult;
using keld::JoinSuFiles;
// The final box: "<output> has been recorded OK size: N" when every input is
// in it; otherwise it begins with the inputs left out and says no "OK". Then
// the inputs that could not be deleted.
using keld::JoinMessage;

// "Adding file " and i in the blank-prefixed form ("Adding file  1").
std::string AddingFileText(int i);
std::string JoinExistsQuestion(const std::string& output);  // "... file already exists, append new files ?"
std::string JoinEraseQuestion(const std::string& output);   // "Erase ... ?"

}  // namespace keld::korvan
