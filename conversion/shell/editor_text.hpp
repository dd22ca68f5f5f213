#pragma once
// What the text editor reads and writes: plain documents kept byte for byte
// (UTF-8 when they are valid UTF-8, else one character per byte, and their
// CR LF line ends), and the text and basic character styles of rich-text
// (RTF) documents.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keld::conversion {

struct PlainDocument {
  std::string utf8;     // the text, lines ended by "\n"
  bool bytes = false;   // not valid UTF-8: each byte is one character (Latin-1)
  bool crlf = false;    // every line end was CR LF
  // A carriage return that ends no line stands in the text as U+E00D (the
  // text widget would take it for a line end) and goes back as CR on saving.
  bool cr_kept = false;
};
PlainDocument DecodePlain(const std::vector<uint8_t>& bytes);
// The bytes of a text in the document's form; what was read is written back
// unchanged. Characters that a byte document cannot hold become '?'.
std::vector<uint8_t> EncodePlain(const std::string& utf8, bool bytes, bool crlf, bool cr_kept = false);

bool LooksLikeRtf(const std::vector<uint8_t>& bytes);

struct RtfRun {
  std::string text;  // UTF-8; paragraphs end with "\n"
  bool bold = false, italic = false, underline = false;
  int half_points = 24;  // font size in half points (\fs)
};
// The visible text of an RTF document in runs of equal style. Font tables,
// colour tables, pictures and other hidden groups are skipped; unknown
// control words are ignored. Never reads past the text.
std::vector<RtfRun> ParseRtf(std::string_view rtf);

}  // namespace keld::conversion
