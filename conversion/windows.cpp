// Every window and action the start window offers, one line each, by the
// object name of its option (see conversion/shell/start_window.hpp).
#include "conversion/importers/korvan_window.hpp"
#include "conversion/shell/add_su_window.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/shell/editor_window.hpp"
#include "conversion/shell/exports.hpp"
#include "conversion/shell/pick_window.hpp"
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
  reg.window("Command4", Make<PickWindow>());   // the header-word viewer
  reg.window("Editor", Make<EditorWindow>());   // shown by the viewer's "Edit File"
  reg.window("Option6", Make<KorvanWindow>());  // the maker's per-channel ASCII records
  return reg;
}

}  // namespace keld::conversion
