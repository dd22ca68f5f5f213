#pragma once
// Typing into a word cell of the grid window, as pure logic over the cell's
// text: digits (main keys and keypad) and the point (main and keypad) are
// appended, backspace drops the last character, a minus sign may start a
// value, Delete clears the cell. As in any spreadsheet, the first accepted key
// in a cell just chosen (by a click or a navigation key) replaces its value;
// F2 or a double click edits the value in place, the keys after it appended.
#include <string>

namespace keld::keysheet {

enum class KeyOutcome {
  Navigation,  // the grid moves the current cell itself; the next key starts anew
  Ignored,     // not on a word cell of a trace: nothing changes, not even colours
  Recolour,    // any other key on a word cell (F2 among them): the cell turns to "being typed"
  Edited,      // the text changed (and the cell turns to "being typed")
};

struct CellTyping {
  int saisie_neuve = 0;  // 1 when the next accepted key starts a new text
};

// A cell was chosen: the next accepted key replaces its value.
inline void CellChosen(CellTyping& state) { state.saisie_neuve = 1; }
// F2 or a double click: the next keys edit the value in place.
inline void EditInPlace(CellTyping& state) { state.saisie_neuve = 0; }

// `code` is the virtual-key code of the key pressed; `row`, `col` the current
// cell (word cells are row 1 and below, column 2 and right of it).
KeyOutcome ApplyGridKey(int code, int row, int col, std::string& text, CellTyping& state);

}  // namespace keld::keysheet
