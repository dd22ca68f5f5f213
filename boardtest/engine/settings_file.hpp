#pragma once
// ini.txt: the console's settings, its 48 unit numbers and, written behind
// them at exit, the error counts of the last run. One value a line: numbers in
// plain decimal, texts between double quotes. Written with CR LF line ends,
// read with LF or CR LF.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/result.hpp"

namespace keld::boardtest {

inline constexpr int kRows = 48;

struct IniValues {
  std::array<int16_t, 4> settings{};  // lines 1 to 4, carried from start-up to exit
  int16_t Num_Unita = 0;              // line 5
  int32_t Campioni = 0;               // line 6
  int32_t Pre_Campioni = 0;           // line 7
  int32_t Frequenza = 0;              // line 8
  int Notch_50 = 0, Notch_60 = 0;     // lines 9 and 10
  int16_t Polarita = 0;               // line 11
  std::array<std::string, kRows> units;  // lines 12 to 59

  // The defaults that replace values read as 0 (or absent): line 1 → 1,
  // line 2 → 5, Num_Unita → 12, Campioni → 256, Frequenza → 32000.
  void apply_defaults();
};

// Reads the values from the file's text. A value beyond the end of the text
// keeps what `v` holds; a line that is not a number of its type (text on a
// number line, a number too large for it) keeps it too. The error counts
// behind the unit numbers are never read.
void ParseIniTxt(std::string_view text, IniValues& v);

// The whole file: lines 1 to 11, the 48 unit numbers quoted, an empty line,
// "Errori:" quoted, then the counts of units 1 to 48 (`errori` indexed by unit
// number; a missing entry is 0). CR LF after every line.
std::string FormatIniTxt(const IniValues& v, std::span<const int16_t> errori);

// Start-up: creates an empty file when there is none, reads it into `v` and
// applies the defaults. A file that cannot be created or read leaves the
// defaults and says why.
Status LoadIniFile(const std::string& path, IniValues& v);

// Exit: writes the file beside its name and renames it over the old one, so
// a failure keeps the previous settings and counts.
Status SaveIniFile(const std::string& path, const IniValues& v, std::span<const int16_t> errori);

}  // namespace keld::boardtest
