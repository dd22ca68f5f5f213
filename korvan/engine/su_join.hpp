#pragma once
// Joining SU files of one seismic line into one file: the files are copied
// whole, one after the other; headers and samples are not touched.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

struct JoinResult {
  bool ok = false;
  std::string error;                     // why nothing was written (when !ok)
  std::string output;
  int64_t size = 0;                      // length of the written output
  std::vector<std::string> unreadable;   // inputs that could not be read: not in the output
  std::vector<std::string> deleted;      // inputs deleted after their bytes were found in the output
  std::vector<std::string> not_deleted;  // inputs to delete that were kept (check or removal failed)
};

// Copies `inputs` one after the other into `output`, written beside it and
// renamed over it when complete. Refuses (writes nothing) with "File name
// missing" for an empty output name, "Same Input / Output" when the output is
// one of the inputs, and a message when there is no input or none could be
// read. An input that cannot be read is left out and named in the result.
// With `delete_inputs`, each copied input is deleted only after the output
// is complete and its bytes have been read back equal from it.
// `progress(i, n)` is called before input i (from 1) of n.
JoinResult JoinSuFiles(const std::vector<std::string>& inputs, const std::string& output, bool delete_inputs,
                       const std::function<void(int, int)>& progress = {});

// "Adding file " and i in the blank-prefixed form ("Adding file  1").
std::string AddingFileText(int i);
// The final box: "<output> has been recorded OK size: N", then the inputs left
// out and those that could not be deleted, each on its own line.
std::string JoinRecordedMessage(const JoinResult& r);
std::string JoinExistsQuestion(const std::string& output);  // "... file already exists, append new files ?"
std::string JoinEraseQuestion(const std::string& output);   // "Erase ... ?"

}  // namespace keld::korvan
