#pragma once
// KGS trace files: traces of a 240-byte header of 16-bit words followed by ns
// samples, 16-bit integers (".EVD") or 32-bit floats (".DAT"), little-endian.
// ns is the word at offset 114 of the first header, dt the word at 116. The
// trace count is the whole part of the length over the trace length: a
// partial last trace is not a trace.
//
// The two readers and the writer each keep their own positions for tracl,
// tracr, fldr and tracf (integer 170/182/12/16, floating 172/184/12/26,
// writer 174/182/10/26); the other words share one map.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/result.hpp"
#include "common/su_header.hpp"

namespace keld::conversion {

enum class KgsKind { Integer, Floating };

inline constexpr uint16_t kKgsMark = 0x55AA;  // at offset 118 of every header the writer makes

struct KgsLayout {
  int ns = 0, dt = 0;
  int64_t trace_bytes = 0;
  int64_t traces = 0;
};

// Layout of a KGS file of `file_bytes` whose first header is `first240`.
// Fails when the file holds no whole trace or ns is not positive.
Result<KgsLayout> KgsLayoutOf(const uint8_t* first240, int64_t file_bytes, KgsKind kind);

// The SU header a reader makes of one KGS header (every byte of it set; see
// the map above); `sdepth` is the source depth typed by the user.
SuTraceHeader KgsToSuHeader(const uint8_t* kgs240, KgsKind kind, int32_t sdepth);

// The values typed once per SU to KGS conversion, and the channel count.
struct KgsWriteParams {
  int16_t data_type = 0, channels = 0, record_key = 12, trace_key = 0, direction = 1;
};
// The KGS header of trace `index` (from 1) of an SU file. Fails, naming the
// word, when an SU word does not fit 16 bits or the index passes 32767.
Result<std::array<uint8_t, 240>> SuToKgsHeader(const SuTraceHeader& su, int64_t index, const KgsWriteParams& p);

// Called before trace i of n; false stops the conversion, which then writes
// nothing and fails with kConversionStopped.
using Progress = std::function<bool(int64_t i, int64_t n)>;
inline constexpr const char* kConversionStopped = "Conversion stopped: nothing written";

// KGS (either kind) to SU; the output is written beside its name and renamed
// over it when complete. Fails with a message naming the file.
Status ConvertKgsToSu(const std::string& input, const std::string& output, KgsKind kind, int32_t sdepth,
                      const Progress& progress = {});

// SU to KGS floating: the samples pass unchanged, each header is replaced.
// On failure nothing is left under the output's name and an older file of
// that name stays whole.
Status ConvertSuToKgs(const std::string& input, const std::string& output, const KgsWriteParams& p,
                      const Progress& progress = {});

}  // namespace keld::conversion
