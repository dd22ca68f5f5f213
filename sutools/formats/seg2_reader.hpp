#pragma once
// SEG-2 files read from a byte buffer: the descriptor blocks of either byte
// order, their string lists as recorders write them, and the data blocks of
// formats 1 to 5. Every pointer and size is checked against the buffer.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::formats {

struct Seg2Trace {
  std::vector<std::string> strings;
  int format = 0;
  std::vector<float> samples;
};

struct Seg2File {
  int revision = 0;
  bool big_endian = false;
  std::vector<std::string> strings;  // the file descriptor's strings
  std::vector<Seg2Trace> traces;
};

Result<Seg2File> ReadSeg2(std::span<const uint8_t> bytes, const std::string& name = "SEG-2 file");

// The value after `keyword` (first word, any case) in a string list, leading
// and trailing blanks removed; nullopt when no string has that keyword.
std::optional<std::string> Seg2Value(const std::vector<std::string>& strings, std::string_view keyword);

// The first number of a value ("12.5", "0 0 3" gives 0); nullopt for none.
std::optional<double> LeadingNumber(std::string_view text);

// Date and time of ACQUISITION_DATE ("07/JAN/2013", "12/03/2024",
// "2013/01/07") and ACQUISITION_TIME ("10:30:41"); nullopt when unreadable.
struct Seg2Date { int year = 0, day_of_year = 0; };
std::optional<Seg2Date> ParseSeg2Date(std::string_view text);
struct Seg2Time { int hour = 0, minute = 0, second = 0; };
std::optional<Seg2Time> ParseSeg2Time(std::string_view text);

// The file as SU traces: ns, dt (SAMPLE_INTERVAL), delrt (DELAY), tracf
// (CHANNEL_NUMBER), sx, gx with scalco (one scale for the file, so that every
// coordinate with up to three decimals stays exact), offset, the date and
// time words, fldr (SHOT_SEQUENCE_NUMBER, else the number of RAW_RECORD).
// `first_tracl` numbers tracl and tracr on from files already converted.
// A sample interval that is not a whole number of microseconds is rounded to
// one (62.5 us is written as 63): `notes`, when given, receives one line per
// file that says so.
Result<std::vector<SuTrace>> Seg2ToSu(const Seg2File& file, const std::string& name = "SEG-2 file",
                                      int first_tracl = 1, std::vector<std::string>* notes = nullptr);

}  // namespace keld::formats
