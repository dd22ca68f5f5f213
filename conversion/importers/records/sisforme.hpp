#pragma once
// Records of any seismograph described by a fixed layout typed by the user: a
// record header of H bytes, then per channel a trace header of T bytes and ns
// samples of one type (16- or 32-bit integers, 32-bit floats), little-endian.
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

enum class LayoutType { Integer2, Integer4, Floating4, Ascii };

struct LayoutParams {
  int64_t header = 0;        // H
  int64_t trace_header = 0;  // T
  int channels = 0;          // C
  int ns = 0;
  int dt = 0;
  LayoutType type = LayoutType::Integer2;
};

// Sample width of a type (the ASCII type has none).
int LayoutWidth(LayoutType t);

// "Compute Header size": the record length the typed layout gives
// (H + C x (T + w x ns)), and the record header size that makes the layout
// fill a file of `file_length` bytes exactly.
struct LayoutCheck {
  int64_t record_length;
  int64_t header_for_file;
};
LayoutCheck Calcul_gd_file(const LayoutParams& p, int64_t file_length);

// The traces of record `record` (fldr), handed to `give` one at a time. A
// layout that runs past the end of the file, or a sample position before its
// start ("Verify your parameters..."), is refused: nothing is read from
// outside the file.
ReadEnd ReadLayoutRecord(RecordSource& file, const std::string& name, const LayoutParams& p, int record,
                         const TraceSink& give);

}  // namespace keld::conversion
