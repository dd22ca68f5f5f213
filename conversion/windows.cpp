// Every window and action the start window offers, one line each, by the
// object name of its option (see conversion/shell/start_window.hpp).
#include "conversion/importers/ascii2su_window.hpp"
#include "conversion/importers/korvan_window.hpp"
#include "conversion/importers/records/windows/record_windows.hpp"
#include "conversion/importers/radar_windows.hpp"
#include "conversion/shell/add_su_window.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/shell/editor_window.hpp"
#include "conversion/shell/exports.hpp"
#include "conversion/shell/segy_window.hpp"
#include "conversion/shell/seismic_unix_conversions.hpp"
#include "conversion/shell/pick_window.hpp"
#include "conversion/shell/start_window.hpp"
#include "conversion/shell/su2sgy_window.hpp"

namespace keld::conversion {

namespace {
template <typename W>
WindowFactory Make() {
  return [](ConversionContext& cx, QWidget* parent) -> QWidget* { return new W(cx, parent); };
}
}  // namespace

WindowRegistry ConversionWindows() {
  WindowRegistry reg;
  // The conversion window serves every type; Lance sets Conversion_Type first.
  for (const char* key : {"Option3", "Option9", "Option11", "Option13"}) reg.window(key, Make<ConvertWindow>());
  reg.window("Option20", Make<AddSuWindow>());  // SU joining
  reg.action("Option8", [](ConversionContext& cx, QWidget*, WorkRun& run) { su2ascii2(cx, run); });
  reg.action("Option24", [](ConversionContext& cx, QWidget*, WorkRun& run) { su2Ascii(cx, run); });
  reg.window("Command4", Make<PickWindow>());   // the header-word viewer
  reg.window("Editor", Make<EditorWindow>());   // shown by the viewer's "Edit File"
  reg.window("Option6", Make<KorvanWindow>());  // the maker's per-channel ASCII records
  reg.window("Option4", Make<Es1225Window>());
  reg.window("Option5", Make<AbemWindow>());
  reg.window("Option7", Make<SisformeWindow>());  // a binary layout typed by the user
  reg.window("Option10", Make<OyoWindow>());
  reg.window("Option14", Make<BisonWindow>());
  reg.window("Option16", Make<PasiWindow>());
  reg.window("Option19", Make<AmbrogeoWindow>());
  reg.window("Option12", Make<RadarFWindow>());   // RAMAC radar
  reg.window("Option17", Make<Dt1Window>());      // pulseEKKO DT1 radar
  reg.window("Option18", Make<Dzt2Window>());     // GSSI DZT radar in two steps
  reg.window("Option23", Make<Ascii2SuWindow>()); // comma-separated ASCII columns
  reg.window("Option2", Make<SegyWindow>());    // SEG-Y to SU
  reg.batch(kSegd2Su, [](ConversionContext& cx, const ConvertRequest& r) {
    cx.st.Input_File = r.input;
    cx.st.Output_File = r.output;
    Convert_SEGD_2_SU(cx, r.window, *r.run);
  });
  reg.batch(kSegy2Su, [](ConversionContext& cx, const ConvertRequest& r) {
    cx.st.Input_File = r.input;
    cx.st.Output_File = r.output;
    Convert_SEGY_2_SU(cx, r.window, *r.run, r.little_endian);
  });
  reg.window("Option15", Make<Su2SgyWindow>()); // SU to SEG-Y
  return reg;
}

}  // namespace keld::conversion
