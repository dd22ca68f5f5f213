#include "conversion/shell/seismic_unix_conversions.hpp"

#include <filesystem>

#include "conversion/shell/batch_output_window.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/segy_batch.hpp"

namespace keld::conversion {

namespace {

BatchOutcome RunLine(ConversionContext& cx, QWidget* window, const std::string& line) {
  BusyPointer busy(window);
  const std::string bat = (std::filesystem::path(cx.sv.work_folder) / "convert.bat").string();
  BatchOutcome r;
  if (auto s = WriteBatch(bat, {line}); !s) {
    r.output = s.error;
  } else {
    r = RunBatchShown(cx, window, bat, true, {});
  }
  if (!r.ok()) cx.sv.msg.ok(cx.st.Output_File + " was not written:\n" + r.reason(), MsgIcon::Critical, kTitle);
  return r;
}

}  // namespace

BatchOutcome Convert_SEGD_2_SU(ConversionContext& cx, QWidget* window) {
  Lit_ini(cx.st);
  return RunLine(cx, window, SegdLine(cx.st.SU_Dir, cx.st.Input_File, cx.st.Output_File));
}

BatchOutcome Convert_SEGY_2_SU(ConversionContext& cx, QWidget* window, bool little) {
  Lit_ini(cx.st);
  return RunLine(cx, window, SegyToSuLine(cx.st.SU_Dir, cx.st.Input_File, cx.st.Output_File, little));
}

}  // namespace keld::conversion
