// Every window and action the start window offers, one line each, by the
// object name of its option (see conversion/shell/start_window.hpp).
#include "conversion/importers/korvan_window.hpp"
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
  reg.window("Option6", Make<KorvanWindow>());  // the maker's per-channel ASCII records
  return reg;
}

}  // namespace keld::conversion
