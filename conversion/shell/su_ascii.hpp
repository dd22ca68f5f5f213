#pragma once
// SU samples as text: one file per channel (one value a line) and one
// comma-separated file (a line per sample, a column per trace). Every value
// is written as "0.00000000E+00" with "." whatever the desktop's locale.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "conversion/shell/state.hpp"

namespace keld::conversion {

// 1.25 gives "1.25000000E+00", -0.003 gives "-3.00000000E-03"; a sample
// that is not a number gives "NaN", an infinite one "Inf" or "-Inf".
std::string FormatSample(float v);

// Counts the whole traces of an SU file and its channels per record (as
// Nb_Channel); sets Ns and Dt from the first header. False when the file has
// no whole trace.
bool Calcul_Channel(ConversionState& st, const std::string& file, int32_t& traces, int16_t& channels,
                    int16_t& stacked);

// The file of the n-th channel written (n from 1): the SU name less its last
// two characters (LINE1.SU gives "LINE1.") and two digits, 01 to 99; from the
// 100th on the number is written whole (100, 101, ...) so that no file of an
// earlier channel is overwritten.
std::string ChannelFileName(const std::string& su_file, int n);

// Called before each step (i of n, from 1); false stops the export, which
// then writes nothing and fails with kExportStopped.
using ExportProgress = std::function<bool(int64_t i, int64_t n)>;
inline constexpr const char* kExportStopped = "Export stopped: no file written";

// Writes traces `first` to `last` (from 1) one file per channel. Refused with
// a message, nothing written, when first > last, first < 1, a trace up to the
// last one asked has another length than the first (the message names the
// first that differs), last is beyond the file's traces, or a file name
// would be the SU file itself, another file of the export, or names what is
// not a regular file. Every file is written beside its name; all take their
// names together once each is complete, or none does (a failure leaves every
// file of those names as it was). A write failure says "Cannot write <name>:
// <why>; no file written", with the name as given (a link, not its file).
Result<std::vector<std::string>> ExportChannels(const std::string& su_file, int first, int last,
                                                const ExportProgress& progress = {});

// The comma-separated file proposed for an SU file: its name less the last
// three characters, then ".txt" (LINE1.SU gives LINE1.txt).
std::string ColumnsFileName(const std::string& su_file);

// The trace range as the export takes it: exchanged when first > last, then
// first raised to 1 and last lowered to the trace count.
void ClampTraceRange(int64_t& first, int64_t& last, int64_t traces);

// Writes traces first..last as columns: for each sample one line of values,
// each followed by ",", ended by CR LF. Every trace up to the last one is
// checked first, as for the channels; "Cannot write <output>: <why>" when
// the output cannot be written.
Status ExportColumns(const std::string& su_file, const std::string& output, int64_t first, int64_t last,
                     const ExportProgress& progress = {});

}  // namespace keld::conversion
