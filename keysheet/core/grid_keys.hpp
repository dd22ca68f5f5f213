#pragma once
// Typing into a word cell of the grid window, as pure logic over the cell's
// text: digits (main keys and keypad) and the point (main and keypad) are
// appended, backspace drops the last character, a minus sign may start a
// value, Delete clears the cell. The first accepted key after a navigation
// key starts a new text.
#include <string>

namespace keld::keysheet {

enum class KeyOutcome {
  Navigation,  // the grid moves the current cell itself; the next key starts anew
  Ignored,     // not on a word cell of a trace: nothing changes, not even colours
  Recolour,    // any other key on a word cell: the cell turns to "being typed"
  Edited,      // the text changed (and the cell turns to "being typed")
};

struct CellTyping {
  int saisie_neuve = 0;  // 1 after a navigation key
};

// `code` is the virtual-key code of the key pressed; `row`, `col` the current
// cell (word cells are row 1 and below, column 2 and right of it).
KeyOutcome ApplyGridKey(int code, int row, int col, std::string& text, CellTyping& state);

}  // namespace keld::keysheet
