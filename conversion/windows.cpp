// Every window and action the start window offers, one line each, by the
// object name of its option (see conversion/shell/start_window.hpp).
#include "conversion/importers/korvan_window.hpp"
#include "conversion/shell/segy_window.hpp"
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
  reg.window("Option6", Make<KorvanWindow>());  // the maker's per-channel ASCII records
  reg.window("Option2", Make<SegyWindow>());    // SEG-Y to SU
  reg.window("Option15", Make<Su2SgyWindow>()); // SU to SEG-Y
  return reg;
}

}  // namespace keld::conversion
