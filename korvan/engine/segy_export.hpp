#pragma once
// SU file to SEG-Y: a 3200-byte EBCDIC text header, a 400-byte binary header
// (together the reel header, also kept as header.sgy), then every trace with a
// big-endian SEG-Y trace header and big-endian IEEE float samples.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"
#include "common/su_header.hpp"

namespace keld::korvan {

constexpr int kSegyTextBytes = 3200;
constexpr int kSegyReelBytes = 3600;

// What the window shows once an SU file is chosen.
struct SegyChoice {
  std::string output;  // the chosen name less its last two characters, then "SGY"
  int ns = 0;          // samples per trace of the first trace
  int64_t traces = 0;  // whole traces in the file
};
// Fails with a message naming the file when it cannot be read, when ns <= 0,
// when it is shorter than one trace, or when it is not a whole number of
// traces (see SegySourceLayout).
Result<SegyChoice> ChooseSegySource(const std::string& su_path);
// The layout of an SU file to export. A file that ends inside a trace is
// refused (the SEG-Y file would leave that trace out without a word), naming
// the first trace of another length when one is the cause.
Result<SuLayout> SegySourceLayout(const std::string& su_path);
std::string SegyOutputName(const std::string& su_path);

// The text header: the box's text (UTF-8) in the single-byte code page, every
// line break (CR LF, LF or CR alone) as CR LF, each character through the
// EBCDIC table; cut at 3200 bytes, the rest 0x00.
std::array<uint8_t, kSegyTextBytes> SegyTextHeader(std::string_view box_text);

// The whole reel header: text header, then the binary-header fields (trace
// count, dt and ns of the first trace, format 5, revision 1.0, fixed length).
// A dt is written as its exact interval: an older record's nominal 1024 us
// goes out as the 1000 us its units sampled at.
std::vector<uint8_t> SegyReelHeader(std::string_view box_text, const SuTraceHeader& first, int64_t traces);

// One SEG-Y trace header, big-endian. The trace's own fldr, tracf, cdp,
// offset, sx, gx, elevations and depths (bytes 40-67) and bytes 154-155; the
// first trace's delrt, ns, dt, nofilf, lcf, hcf, year, day, hour, minute;
// trid, nvs, nhs, duse, scalel and scalco 1; every other byte 0.
std::array<uint8_t, 240> SegyTraceHeader(const SuTraceHeader& own, const SuTraceHeader& first);

struct SegyExport {
  int64_t bytes = 0;  // length of the written file
  int ns = 0;
  int64_t traces = 0;
};

// Writes `out_path` from `su_path`, and the reel header into `header_sgy_path`
// as well (left out when that path is empty). The SEG-Y file is written
// beside its target and renamed over it only when complete, so on any failure
// neither a partial file nor a lost old one is left. Refuses an output that
// is the input with "Same Input / Output"; a header.sgy that cannot be
// written with "<path> must be in KORVAN folder !". `go_on`, asked before
// every trace, may stop the export: nothing is written then.
Result<SegyExport> ConvertSuToSegy(const std::string& su_path, const std::string& out_path, std::string_view box_text,
                                   const std::string& header_sgy_path,
                                   const std::function<bool()>& go_on = {});

// The texts of the window's boxes that carry values.
std::string SegyReplaceQuestion(const std::string& out_path);             // "... file already exists, substitute it?"
std::string SegyRecordedMessage(const std::string& out_path, int64_t bytes);  // "... has been recorded OK size:N"

}  // namespace keld::korvan
