#pragma once
// Reading one value of a file for the header-word viewer: a trace-header
// word of the first trace of an SU file (or of a SEG-Y file, 3600 bytes
// further on), or a value of a chosen type at any typed byte position. Files
// are opened read-only and every read lies inside the file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace keld::conversion {

// The viewer's word list: lines 1 to 79 of the trace-header word table.
std::vector<std::string> ViewerWordList();

struct WordPlace {
  int width;     // 2 or 4
  int position;  // 1-based byte position in the first trace header
};
// Where word k (1 to 79) lies; nullopt for words 72 to 79 ("Not possible").
std::optional<WordPlace> ViewerWordPlace(int k);

struct WordRead {
  std::string value;     // the value as shown (blank before a number >= 0)
  std::string position;  // the byte position as shown
  int width = 0;
  bool not_available = false;  // "Swap bytes" asked of a 4-byte word
  std::string error;           // why nothing was read (empty when read)
};

// Word k of the first trace; `segy` adds the 3600-byte reel header; `swap`
// exchanges the two bytes of a 16-bit value (a 4-byte value is not swapped).
WordRead ReadViewerWord(const std::string& path, int k, bool segy, bool swap);

enum class OtherType { Short, Long, Word, Float };
// A value of `type` at 1-based byte `position` (no 3600, no swap). "word"
// reads nothing and shows an empty value.
WordRead ReadOtherValue(const std::string& path, int64_t position, OtherType type);

// The position typed in Other mode: its leading number rounded half to even.
int64_t TypedPosition(const std::string& text);

}  // namespace keld::conversion
