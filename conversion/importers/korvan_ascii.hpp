#pragma once
// The maker's per-channel ASCII records: one text file per channel (extension
// ending in the channel number: .A01, .A02 ...) holding the samples as
// numeric items, and one information file (.adt) of 18 items with the
// record's channel count, record count, recording time and sample count.
// Items end at a comma or a line end (LF or CR LF), leading blanks are
// skipped and quotes removed.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.hpp"

namespace keld::conversion {

// The items of a text, at most `max_items`.
std::vector<std::string> TextItems(std::string_view text, size_t max_items = SIZE_MAX);

struct AdtInfo {
  int16_t channels = 0;         // item 5
  int16_t records = 0;          // item 6
  int16_t recording_ms = 0;     // item 8 (A)
  int16_t samples = 0;          // item 9 (B)
  int16_t sample_interval = 0;  // A / B x 1000, microseconds
};

// Reads items 5, 6, 8 and 9 (each its leading number, rounded half to even).
// Fails when the text has fewer than 9 items, a value does not fit 16 bits,
// the sample count is not positive, or the interval does not fit 16 bits.
Result<AdtInfo> ParseAdt(std::string_view text);
Result<AdtInfo> ReadAdt(const std::string& path);

// The output proposed from the information file: its name less the last three
// characters, then "SU" (rec1.adt gives rec1.SU).
std::string AdtOutputName(const std::string& adt_path);

// `path` when it exists, else a file of the same folder whose name equals it
// ignoring case, else nullopt.
std::optional<std::string> FindFileAnyCase(const std::string& path);
// The information file beside a channel file (rec1.A01 gives rec1.adt, or
// REC1.ADT, found as above).
std::optional<std::string> CompanionAdt(const std::string& channel_file);

// The channel files of a selection, in the order given: names whose last
// character is a digit (the information file and others are dropped), names
// kept as they are. The output proposed is their folder and "korvan.su".
struct ChannelSelection {
  std::vector<std::string> files;
  std::string output;
};
ChannelSelection SelectChannelFiles(const std::vector<std::string>& paths);

// Reads at most `ns` numeric items into `out` (each item's leading number);
// returns how many were there. The rest of `out` is left as it was.
int ParseChannelSamples(std::string_view text, int ns, float* out);

// The four date words of every trace, from a file's last change: the last two
// digits of the year, the day of the year (1 .. 366), hour and minute (local
// time). nullopt when the file cannot be examined.
struct DateWords {
  int year = 0, day = 0, hour = 0, minute = 0;
};
std::optional<DateWords> FileDateWords(const std::string& path);

struct KorvanImport {
  std::vector<std::string> files;  // channel files in conversion order
  std::string output;
  int channels = 0, records = 0, ns = 0, dt = 0;
  DateWords date;
  // Polled before each trace: true ends the import with nothing written.
  std::function<bool()> stopped;
};

struct KorvanResult {
  bool ok = false;                    // the output was written
  std::string error;                  // why nothing was written
  std::vector<std::string> problems;  // files missing or short: zero-filled traces
  int traces = 0;
};

// Writes one trace per channel file (record r, channel c: fldr r, tracf c,
// trid 1, the date words, ns and dt, in the full header shape). A file that
// cannot be read gives a trace of zeros, a short file zeros after its last
// sample; each is named in `problems`. Refused before anything is written
// when the list holds fewer files than records x channels, or a count or ns/dt
// does not fit its header word. `progress(t, file)` runs before trace t.
KorvanResult ConvertKorvan(const KorvanImport& job,
                           const std::function<void(int, const std::string&)>& progress = {});

}  // namespace keld::conversion
