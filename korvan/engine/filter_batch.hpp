#pragma once
// The band-pass filter and gain batch line: the checks of the file on display
// and of the filter and gain boxes, then the one command line of filtre.bat
// that runs sufilter and/or sugain from the program folder through /bin/sh.
#include <string>
#include <string_view>

#include "common/shell.hpp"

namespace keld::korvan {

struct FiltrageInputs {
  std::string in;   // the file on display (Fichier_Affiche)
  std::string out;  // the output, FiltreOutputName(in)
  // Where the batch line sends what it writes: a temporary of the run's own
  // beside `out`, which takes out's name only once the batch has succeeded
  // and the file is whole. Empty: `out` itself.
  std::string part;
  std::string LC1, LC2, HC1, HC2, AGC;  // the boxes' texts; AGC in ms
  double Rec_time = 0;                  // recording time in seconds, as shown
  std::string program_folder;           // where sufilter and sugain are
};

struct FiltrageCommand {
  enum class Form { None, GainOnly, FilterOnly, FilterThenGain };
  bool silent = false;    // nothing on display yet: stop without a message
  std::string refusal;    // the message when refused (empty when accepted)
  bool critical = false;  // the refusal's box has the critical icon and the program's title
  Form form = Form::None;
  std::string line;                // the command line, without its line end
  std::string LC1, LC2, HC1, HC2;  // the box values in plain decimal text ("010" gives "10")
  std::string W;                   // the gain window in seconds (".5" for 500 ms)
  bool ok() const { return form != Form::None; }
};

// The filtered file's name: the input less its last three characters, then "_flt.su".
std::string FiltreOutputName(const std::string& input);

// The checks in order, each with its message: "File name missing", "Input
// file <in> does not exist !", "Input file <in> is empty !", "Same Input /
// Output", "Bad filter parameters", "High Cut value > Nyquist frequency  32000
// Hz", "AGC windows longer than record, correct please", and a refusal when
// neither filter nor gain is asked for. Then the line: gain only (LC1 = 0, W
// > 0), filter only (LC1 != 0, W <= 0) or filter piped into gain, writing to
// `part` (or `out`). Every path in the line is quoted for /bin/sh.
FiltrageCommand Filtrage_SU_Command(const FiltrageInputs& p);

// The batch file's text: the line and a line end.
std::string FiltreBatchText(const FiltrageCommand& c);

// in & "  has been filtered  LC1=" & LC1 & " LC2=" & LC2 & " HC1=" & HC1 & " HC2=" & HC2
std::string FiltreDoneMessage(const std::string& in, const FiltrageCommand& c);

// Batch lines quote through the suite's one helper.
using keld::ShellWord;

}  // namespace keld::korvan
