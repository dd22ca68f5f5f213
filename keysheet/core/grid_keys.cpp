#include "keysheet/core/grid_keys.hpp"

namespace keld::keysheet {

namespace {
constexpr int kBackspace = 8;
constexpr int kDelete = 46;
constexpr int kKeypadMinus = 109;
constexpr int kKeypadPoint = 110;
constexpr int kMinus = 189;
constexpr int kPoint = 190;
constexpr int kF2 = 113;
}  // namespace

KeyOutcome ApplyGridKey(int code, int row, int col, std::string& text, CellTyping& state) {
  if (code >= 33 && code <= 40) {
    state.saisie_neuve = 1;
    return KeyOutcome::Navigation;
  }
  if (col < 2 || row < 1) return KeyOutcome::Ignored;
  if (code == kF2) {
    EditInPlace(state);
    return KeyOutcome::Recolour;
  }

  char append = 0;
  if (code >= 48 && code <= 57) append = static_cast<char>(code);
  else if (code >= 96 && code <= 105) append = static_cast<char>(code - 48);
  else if (code == kPoint || code == kKeypadPoint) append = '.';
  else if (code == kMinus || code == kKeypadMinus) append = '-';
  else if (code != kBackspace && code != kDelete) return KeyOutcome::Recolour;

  if (state.saisie_neuve == 1 || code == kDelete) text.clear();
  state.saisie_neuve = 0;
  if (code == kBackspace) {
    if (!text.empty()) text.pop_back();
  } else if (append == '-') {
    // A sign only makes sense in front of a number.
    if (!text.empty()) return KeyOutcome::Recolour;
    text += '-';
  } else if (append) {
    text += append;
  }
  return KeyOutcome::Edited;
}

}  // namespace keld::keysheet
