#include "korvan/engine/filter_batch.hpp"

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/text.hpp"

namespace keld::korvan {

namespace {

constexpr double kNyquist = 32000;  // Hz, whatever the file's sampling

FiltrageCommand Refuse(std::string why, bool critical = false) {
  FiltrageCommand c;
  c.refusal = std::move(why);
  c.critical = critical;
  return c;
}

std::string InFolder(const std::string& folder, const char* program) {
  if (folder.empty()) return program;
  return folder.back() == '/' ? folder + program : folder + "/" + program;
}

}  // namespace

std::string FiltreOutputName(const std::string& input) {
  return input.substr(0, input.size() >= 3 ? input.size() - 3 : 0) + "_flt.su";
}

FiltrageCommand Filtrage_SU_Command(const FiltrageInputs& p) {
  if (p.in == " ") {
    FiltrageCommand c;
    c.silent = true;
    return c;
  }
  if (p.in.empty() || p.out.empty()) return Refuse("File name missing");
  if (!Existe_file(p.in)) return Refuse("Input file " + p.in + " does not exist !");
  if (FileLength(p.in).value_or(0) == 0) return Refuse("Input file " + p.in + " is empty !");
  // The shell would empty the output before the filter reads the input.
  if (SameFile(p.in, p.out)) return Refuse("Same Input / Output");

  const double lc1 = Val(p.LC1), lc2 = Val(p.LC2), hc1 = Val(p.HC1), hc2 = Val(p.HC2);
  FiltrageCommand c;
  c.LC1 = CStr(lc1);
  c.LC2 = CStr(lc2);
  c.HC1 = CStr(hc1);
  c.HC2 = CStr(hc2);
  if (!(lc1 <= lc2 && hc1 <= hc2 && lc2 <= hc1)) return Refuse("Bad filter parameters");
  if (hc2 > kNyquist) return Refuse("High Cut value > Nyquist frequency " + Str(kNyquist) + " Hz");

  const double w = Val(p.AGC) / 1000.0;
  c.W = Trim(Str(w));
  if (w > p.Rec_time) return Refuse("AGC windows longer than record, correct please", true);

  const bool filter = lc1 != 0, gain = w > 0;
  if (!filter && !gain)
    return Refuse("No filter (LC1 = 0) and no AGC window: nothing to filter, correct please", true);

  const std::string sufilter = ShellWord(InFolder(p.program_folder, "sufilter"));
  const std::string sugain = ShellWord(InFolder(p.program_folder, "sugain"));
  const std::string in = ShellWord(p.in), out = ShellWord(p.part.empty() ? p.out : p.part);
  const std::string f = " f=" + c.LC1 + "," + c.LC2 + "," + c.HC1 + "," + c.HC2;
  const std::string agc = " agc=1 wagc=" + c.W;
  if (!filter) {
    c.form = FiltrageCommand::Form::GainOnly;
    c.line = sugain + " <" + in + " >" + out + agc;
  } else if (!gain) {
    c.form = FiltrageCommand::Form::FilterOnly;
    c.line = sufilter + " <" + in + " >" + out + f;
  } else {
    c.form = FiltrageCommand::Form::FilterThenGain;
    c.line = sufilter + " <" + in + f + " | " + sugain + " >" + out + agc;
  }
  return c;
}

std::string FiltreBatchText(const FiltrageCommand& c) { return c.line + "\n"; }

std::string FiltreDoneMessage(const std::string& in, const FiltrageCommand& c) {
  return in + "  has been filtered  LC1=" + c.LC1 + " LC2=" + c.LC2 + " HC1=" + c.HC1 + " HC2=" + c.HC2;
}

}  // namespace keld::korvan
