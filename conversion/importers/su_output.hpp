#pragma once
// What every importer shares: the two trace-header shapes it fills, the one SU
// writer it writes through, the record limit of the record importers and the
// 16-bit limits of the header words. A reader of a foreign format turns bytes
// into samples and header values; it then builds each header with
// MakeShortHeader or MakeFullHeader and hands header and samples to an
// ImportWriter, trace after trace, record after record, channel after channel.
//
//   ImportWriter out(output_name, input_names);
//   if (!out.ok()) { show(out.error()); return; }        // missing name, same input/output
//   for r, c: auto h = MakeShortHeader(words);            // refuses ns/dt beyond 16 bits
//             out.add(*h, samples.data(), ns);             // refuses t beyond 32767
//   out.commit();                                          // renamed over the target only now
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"
#include "common/su_header.hpp"

namespace keld::conversion {

// The words every importer states, in the `Short header shape`: every other
// byte of the header is 0 (ep, offset .. gy, year .. minute included).
struct ShortShape {
  int32_t tracl = 0, tracr = 0, fldr = 0, tracf = 0, cdp = 0, cdpt = 0;
  int32_t trid = 0, nvs = 0, nhs = 0, duse = 0;
  int32_t ns = 0;  // samples per trace, 1 .. 32767
  int32_t dt = 0;  // sample interval in microseconds, 0 .. 32767
};

// The `Full header shape` states these as well. tstat, muts and mute stay 0.
struct FullShape : ShortShape {
  int32_t ep = 0, offset = 0, gelev = 0, selev = 0, sdepth = 0, gdel = 0, sdel = 0, swdep = 0, gwdep = 0;
  int32_t scalel = 0, scalco = 0;
  int32_t sx = 0, sy = 0, gx = 0, gy = 0;
  int32_t year = 0, day = 0, hour = 0, minute = 0;
};

// Words an importer may add to its shape (its own description names them).
struct HeaderAdditions {
  std::optional<int32_t> sx;
  std::optional<int32_t> year, day, hour, minute;
  std::optional<float> d1, d2;
};

// The header of one trace. Fails, naming the word, when a value does not fit
// its header word (ns must be 1 .. 32767, dt 0 .. 32767, the 16-bit words
// -32768 .. 32767): nothing is ever wrapped.
Result<SuTraceHeader> MakeShortHeader(const ShortShape& w, const HeaderAdditions& add = {});
Result<SuTraceHeader> MakeFullHeader(const FullShape& w, const HeaderAdditions& add = {});

// Trace number t = (r - 1) * channels + c of record r and channel c (from 1);
// nullopt when it passes 32767, the largest trace number of an import.
std::optional<int32_t> TraceNumber(int64_t record, int64_t channels, int64_t channel);
inline constexpr int32_t kMaxTraceNumber = 32767;

// The record importers convert at most 99 records a run.
inline constexpr int kMaxRecords = 99;
inline constexpr const char* kMaximumRecords = "Maximum 99 records";
// Cuts `records` to 99; true when it was cut (the window then shows
// kMaximumRecords once and goes on with the first 99).
bool LimitRecords(int& records);

// One output SU file of an import. The name is checked at once: empty gives
// "File name missing", one of the inputs "Same Input / Output". Traces go into
// a file beside the output, renamed over it by commit(): a failed or abandoned
// import leaves no half file and an older file of that name untouched.
class ImportWriter {
 public:
  ImportWriter(const std::string& output, const std::vector<std::string>& inputs);
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::string& output() const { return output_; }
  // Appends trace number traces() + 1. Refused (error() set) when the header's
  // ns differs from `ns` or from the first trace's, or past 32767 traces.
  bool add(const SuTraceHeader& h, const float* samples, int ns);
  bool add(const SuTraceHeader& h, const std::vector<float>& samples) {
    return add(h, samples.data(), static_cast<int>(samples.size()));
  }
  int32_t traces() const { return traces_; }
  // Completes the file under its name. False (error() set) when nothing was
  // written or the file could not be completed.
  bool commit();

 private:
  std::string output_, error_;
  std::optional<SuWriter> writer_;
  int32_t traces_ = 0;
  int ns_ = 0;
  bool done_ = false;
};

}  // namespace keld::conversion
