#include "conversion/shell/seismic_unix_conversions.hpp"

#include <filesystem>
#include <functional>
#include <optional>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/batch_output_window.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/segy_batch.hpp"
#include "conversion/shell/segy_input.hpp"
#include "conversion/shell/whole_check.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {

// `line(part)` is the batch line writing into `part`; `expected` the traces
// the input must give, when known.
BatchOutcome RunLine(ConversionContext& cx, QWidget* window, WorkRun& run,
                     const std::function<std::string(const std::string&)>& line, std::optional<int64_t> expected) {
  BusyPointer busy(window);
  const std::string in = cx.st.Input_File, out = BatchPath(cx.st.Output_File);
  const std::string bat = (std::filesystem::path(cx.sv.work_folder) / "convert.bat").string();
  BatchOutcome r;
  std::vector<StandsFor> names;
  auto fail = [&](const std::string& why) {
    r.kind = BatchOutcome::Kind::Failed;
    // An old output stays as it was: say so, not that nothing was written.
    cx.sv.msg.ok(out + (Existe_file(out) ? " kept as it was:\n" : " was not written:\n") + UserNames(why, names),
                 MsgIcon::Critical, kTitle);
    return r;
  };
  auto part = run.temporary_beside(out);
  if (!part) return fail(part.error());
  names.push_back({*part, out});
  if (auto s = WriteBatch(bat, {line(*part)}); !s) return fail(s.error);
  r = RunBatchShown(cx, window, run, bat, true, names);
  if (TellStopped(cx, run, StoppedText("Conversion", out))) return r;  // the part goes with the run
  if (!r.ok()) return fail(r.reason());
  auto su = ReadSuLayout(*part);
  if (!su) return fail(su.error());
  if (!su->whole()) return fail("the SU output ends in a partial trace");
  // Checked before it takes the name: an output that lacks traces never
  // replaces an old one.
  const auto warnings = WarningLines(r.output);
  const bool whole = expected ? su->traces == *expected : warnings.empty();
  const auto placed = PlaceOutput(*part, out, whole);
  if (!placed) return fail(placed.error());
  if (!whole)
    cx.sv.msg.ok(LeftOutText({ShortfallText(in, expected.value_or(su->traces), su->traces, warnings)}, out, *placed),
                 MsgIcon::Exclamation, kTitle);
  return r;
}

}  // namespace

BatchOutcome Convert_SEGD_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run) {
  Lit_ini(cx.st);
  return RunLine(
      cx, window, run, [&](const std::string& part) { return SegdLine(cx.st.SU_Dir, BatchPath(cx.st.Input_File), part); },
      std::nullopt);
}

BatchOutcome Convert_SEGY_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run, bool little) {
  Lit_ini(cx.st);
  std::optional<int64_t> expected;
  if (auto n = CountSegyTraces(cx.st.Input_File, little ? 1 : 0, 0, false)) expected = ExpectedTraces(n->whole, n->cut, 0, 0);
  return RunLine(
      cx, window, run,
      [&](const std::string& part) { return SegyToSuLine(cx.st.SU_Dir, BatchPath(cx.st.Input_File), part, little); },
      expected);
}

}  // namespace keld::conversion
