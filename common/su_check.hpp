#pragma once
// The checks that every trace of SU data passes as it is read, from a file or
// from a stream: the one statement of what SU data is, used by every reader
// of it. Each trace holds the first trace's number of samples (a trace of
// another length would shift every trace after it), the data is
// little-endian, and a stream's headers give a positive ns (and, for the
// programs that need it, a positive sample interval).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace keld {

// What the data is called in the messages: an SU "file" or "stream".
enum class SuSource { File, Stream };

// Samples per trace in the 240-byte header `h` (bytes 114-115, little-endian).
int SuHeaderNs(const uint8_t* h);

// Whether trace header `h` holds the first trace's number of samples.
inline bool SuSameLength(const uint8_t* h, int first_ns) { return SuHeaderNs(h) == first_ns; }

// "" when trace `number` (from 1), whose header is `h`, holds `first_ns`
// samples; else "not an SU file of fixed trace length (trace 3 has 50
// samples, the first trace 100)".
std::string SuLengthFault(const uint8_t* h, int64_t number, int first_ns, SuSource what);

// Reads n bytes at an offset of the data into buf; false when it cannot.
using SuByteReader = std::function<bool(int64_t offset, void* buf, size_t n)>;

// How SU data reads big-endian, whose first header is `h` and of which `len`
// bytes are there to `read_at`: "" unless its first header's ns, read
// big-endian, gives whole traces that agree on ns (the second trace, when
// there is one), which little-endian data almost never does. `ends` when the
// `len` bytes are all of it (a file, a stream read to its end): they must
// then be a whole number of such traces; else they must hold two of them.
// The text: "it reads as a big-endian file of 25 traces of 50 samples; only
// little-endian SU files are read" (a stream not read to its end: "... a
// big-endian stream of traces of 50 samples; ...").
std::string SuBigEndianReading(const uint8_t* h, int64_t len, bool ends, const SuByteReader& read_at,
                               SuSource what);

// The bytes from a stream's start that decide how it reads big-endian: two
// traces of the longest kind and one byte (to know whether it ends there).
inline constexpr size_t kSuStreamHeadBytes = 2 * (240 + 4 * 32767) + 1;

// For a stream that failed at its first or second trace, whose first `have`
// bytes are `head` (all of it when `ends`): "not a little-endian SU stream
// (it reads as a big-endian stream of 25 traces of 50 samples; only
// little-endian SU streams are read)" when it reads so, else "". An ns whose
// two bytes are equal reads the same both ways; then only a sample interval
// that is usable big-endian and not little-endian says big-endian.
std::string SuBigEndianStream(const uint8_t* head, size_t have, bool ends);

// "" when the header `h` of trace `number` (from 1) of a stream is good, with
// `ns` and `dt_us` taken from it: ns positive, dt positive when `need_dt`,
// and for a trace after the first (`first_ns` > 0) ns equal to `first_ns`.
// Else the reason, after "trace N: " where the fault is the header's own.
std::string SuStreamTraceFault(const uint8_t* h, int64_t number, int first_ns, bool need_dt, int& ns,
                               int& dt_us);
// A stream's trace cut short: in its header, or in its samples.
std::string SuTruncatedHeader(int64_t number, size_t got);
std::string SuTruncatedSamples(int64_t number, size_t got, size_t want);

}  // namespace keld
