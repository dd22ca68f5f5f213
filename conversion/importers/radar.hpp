#pragma once
// RAMAC (.rd3) and pulseEKKO (.DT1) radar profiles read from byte buffers into
// SU traces with the header words of their importer windows. The windows pass
// the values of their boxes; every count is checked against the buffer.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"
#include "conversion/importers/korvan_ascii.hpp"

namespace keld::conversion {

struct RadarImport {
  std::vector<SuTrace> traces;
  // Set when the boxes asked for more traces than the file holds: the traces
  // it holds are converted, and this says which were left out ("Traces 11 to
  // 20 left out: ...").
  std::string shortfall;
  // What SU could not hold exactly and was rounded (the sample interval in
  // whole picoseconds, positions in whole numbers), one line each.
  std::vector<std::string> notes;
};

// The notes, each on a line of its own after a line break ("" for none), to
// follow a conversion's closing text.
std::string NotesText(const std::vector<std::string>& notes);
inline std::string NotesText(const RadarImport& r) { return NotesText(r.notes); }

struct RadarParams {
  int ns = 0;              // samples per trace in the file
  int t0 = 0;              // time-zero sample: output sample k is input sample t0 + k
  int traces = 0;          // traces asked for
  double interval_ns = 0;  // sample interval; dt is round(1000 x interval)
  double spacing = 0;      // distance between traces
};

// The sample interval in the dt word: picoseconds, whole (halves to even).
// nullopt when it does not fit a 16-bit word.
std::optional<int> RadarDt(double interval_ns);
// What the dt word changes of an interval typed or read: "" when it holds the
// interval exactly, else the sentence that says what was written instead.
// Radar intervals are in nanoseconds (dt in picoseconds), seismic ones in
// microseconds (dt as it stands).
std::string RadarDtNote(double interval_ns, int dt);
std::string SeismicDtNote(double interval_us, int dt);

// What the conversion of a profile writes, worked out from the boxes and the
// data file's length alone, before anything is read or allocated: every
// trace it counts lies whole inside the file.
struct RadarPlan {
  RadarParams p;
  int dt = 0;               // the dt word
  int64_t trace_bytes = 0;  // one trace of the data file
  int64_t header_bytes = 0; // before the samples of each trace (DT1: 128)
  int64_t count = 0;        // traces converted
  bool dt1 = false;
  DateWords stamp;          // RAMAC's date words
  std::string shortfall;    // as in RadarImport
  std::vector<std::string> notes;
};

// RAMAC: trace i is ns little-endian 16-bit samples at 2 x ns x (i - 1).
// Full header shape with d1 = d2 = spacing; ep, offset, sx, gx the position;
// the date words of the data file's last change (FileDateWords).
Result<RadarPlan> PlanRamac(const RadarParams& p, int64_t file_bytes, const DateWords& stamp);
// DT1: trace i is a 128-byte header and ns little-endian 16-bit samples, at
// (128 + 2 ns) x (i - 1). Short header shape with sx the position.
Result<RadarPlan> PlanDt1(const RadarParams& p, int64_t file_bytes);

// Output trace i (from 1) of a plan, from the plan's trace_bytes bytes of the
// data file's trace i. A DT1 trace whose header (its points per trace, a
// float at byte 8) does not give ns is refused with both numbers.
Result<SuTrace> RadarTrace(const RadarPlan& plan, int64_t i, const uint8_t* trace);

// A whole profile in memory (small files, tests, fuzzing); the windows
// convert in steps from the file (radar_run).
Result<RadarImport> ImportRamac(std::span<const uint8_t> rd3, const RadarParams& p, const DateWords& stamp);
Result<RadarImport> ImportDt1(std::span<const uint8_t> dt1, const RadarParams& p);

}  // namespace keld::conversion
