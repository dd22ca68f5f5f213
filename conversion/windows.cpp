// Every window and action the start window offers, one line each, by the
// object name of its option (see conversion/shell/start_window.hpp).
#include "conversion/importers/ascii2su_window.hpp"
#include "conversion/importers/korvan_window.hpp"
#include "conversion/importers/records/windows/record_windows.hpp"
#include "conversion/importers/radar_windows.hpp"
#include "conversion/shell/add_su_window.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/shell/exports.hpp"
#include "conversion/shell/start_window.hpp"

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
  reg.action("Option8", [](ConversionContext& cx, QWidget*) { su2ascii2(cx); });
  reg.action("Option24", [](ConversionContext& cx, QWidget*) { su2Ascii(cx); });
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
  return reg;
}

}  // namespace keld::conversion
