#pragma once
// The 86 trace-header words that the suite's header tools number, show and
// change: byte position and width in the 240-byte trace header, the short
// title of the grid, the line of the word-selection list and the heading of
// the word's spreadsheet column. Words 81 to 86 (bytes 212-222) are the
// suite's own (refraction velocities, layer thicknesses, first-break pick).
// Every word is a little-endian signed integer of its width.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace keld {

struct HeaderWord {
  int number;        // 1 to 86
  int byte;          // 0-based position in the trace header
  int width;         // 2 or 4
  const char* title;        // grid title ("tracl", " sstat", "d1/fbp", ...)
  const char* description;  // text of the selection-list line after the number
  const char* sheet;        // row 1 of the word's spreadsheet column
};

inline constexpr int kHeaderWordCount = 86;

// The whole table, word 1 first.
const std::array<HeaderWord, kHeaderWordCount>& HeaderWords();

// Word `number` (1 to 86); nullptr outside that range.
const HeaderWord* FindHeaderWord(int number);

// The selection-list line of a word: its number left-aligned and padded with
// blanks to 4 characters, then its description ("1   Trace sequence ...").
std::string HeaderWordListLine(const HeaderWord& w);

// Smallest and largest value a word of `width` bytes holds.
int64_t HeaderWordMin(int width);
int64_t HeaderWordMax(int width);
// True when word `w` can hold `value`.
bool FitsHeaderWord(const HeaderWord& w, int64_t value);

// Decodes the word from a 240-byte header (little-endian, signed).
int32_t GetHeaderWord(const uint8_t* header240, const HeaderWord& w);
// Encodes `value` into the header; the caller has checked its range.
void PutHeaderWord(uint8_t* header240, const HeaderWord& w, int32_t value);

}  // namespace keld
