#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "common/bytes.hpp"
#include "common/su_header.hpp"
#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_blocks.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUSTACK - stack adjacent SU traces with the same header key\n"
    "\n"
    "  sustack <stdin >stdout [key=cdp] [normpow=1]\n"
    "\n"
    "Parameters:\n"
    "  key=      header word whose value groups the traces (cdp)\n"
    "  normpow=  each sample of the sum is divided by N^normpow, N the number\n"
    "            of non-zero values stacked at that sample (1)\n"
    "\n"
    "Traces are grouped while the key keeps its value, so sort the input by\n"
    "the key first (susort). Each output trace takes the header of its group's\n"
    "first trace, with offset 0 and nhs the number of traces stacked.\n";

int Fail(std::FILE* err, const std::string& why) {
  std::fprintf(err, "sustack: %s\n", why.c_str());
  return 1;
}

double Key(const uint8_t* h, const HeaderField& f) {
  switch (f.kind) {
    case FieldKind::I16: return get_i16le(h + f.offset);
    case FieldKind::I32: return get_i32le(h + f.offset);
    case FieldKind::F32: return get_f32le(h + f.offset);
  }
  return 0;
}

// Adds the samples of one trace (little-endian floats as they stand in the
// stream) to the sums and counts the non-zero values. Each sum runs over the
// traces in stream order, so the result does not depend on how it is done.
void Accumulate(const uint8_t* raw, double* acc, int32_t* n, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  if constexpr (std::endian::native == std::endian::little) {
    const __m128 zero = _mm_setzero_ps();
    for (; i + 4 <= count; i += 4) {
      const __m128 x = _mm_loadu_ps(reinterpret_cast<const float*>(raw + 4 * i));
      _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_cvtps_pd(x)));
      _mm_storeu_pd(acc + i + 2, _mm_add_pd(_mm_loadu_pd(acc + i + 2), _mm_cvtps_pd(_mm_movehl_ps(x, x))));
      // A lane that is not 0 compares as all ones (-1): subtracting counts it.
      const __m128i live = _mm_castps_si128(_mm_cmpneq_ps(x, zero));
      __m128i* at = reinterpret_cast<__m128i*>(n + i);
      _mm_storeu_si128(at, _mm_sub_epi32(_mm_loadu_si128(at), live));
    }
  }
#endif
  for (; i < count; ++i) {
    const float x = get_f32le(raw + 4 * i);
    acc[i] += x;
    n[i] += x != 0;
  }
}

// One group of traces with the same key, summed as its traces come.
class Group {
 public:
  explicit Group(double normpow) : normpow_(normpow) {}
  bool empty() const { return traces_ == 0; }
  int ns() const { return ns_; }
  void start(const uint8_t* raw, int ns) {
    std::memcpy(header_, raw, 240);
    ns_ = ns;
    sum_.assign(static_cast<size_t>(ns), 0.0);
    live_.assign(static_cast<size_t>(ns), 0);
    traces_ = 0;
  }
  void add(const uint8_t* raw) {
    Accumulate(raw + 240, sum_.data(), live_.data(), sum_.size());
    ++traces_;
  }
  // The stacked trace: each sum divided by N^normpow, N the values that were
  // not 0 there; offset 0 and nhs the traces stacked.
  bool write(std::FILE* out) {
    if (traces_ == 0) return true;
    while (norm_.size() <= static_cast<size_t>(traces_))
      norm_.push_back(std::pow(static_cast<double>(norm_.size()), normpow_));
    bytes_.resize(240 + 4 * sum_.size());
    std::memcpy(bytes_.data(), header_, 240);
    put_i32le(bytes_.data() + 36, 0);
    put_i16le(bytes_.data() + 32, static_cast<int16_t>(std::min(traces_, 32767)));
    for (size_t i = 0; i < sum_.size(); ++i)
      put_f32le(bytes_.data() + 240 + 4 * i,
                live_[i] > 0 ? static_cast<float>(sum_[i] / norm_[static_cast<size_t>(live_[i])]) : 0.0f);
    traces_ = 0;
    return std::fwrite(bytes_.data(), 1, bytes_.size(), out) == bytes_.size();
  }

 private:
  double normpow_;
  uint8_t header_[240] = {};
  int ns_ = 0, traces_ = 0;
  std::vector<double> sum_;
  std::vector<int32_t> live_;
  std::vector<double> norm_;  // norm_[n] = n^normpow, made as far as needed
  std::vector<uint8_t> bytes_;
};

}  // namespace

int SustackMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"key", "normpow"});
  if (!kv) return Fail(err, kv.error());
  HeaderField field = *FindHeaderField("cdp");
  if (auto it = kv->find("key"); it != kv->end()) {
    auto f = FindHeaderField(it->second);
    if (!f) return Fail(err, "key=" + it->second + ": not a trace header key");
    field = *f;
  }
  double normpow = 1;
  if (auto it = kv->find("normpow"); it != kv->end()) {
    auto v = ParseNumber(it->second);
    if (!v) return Fail(err, "normpow=: " + v.error());
    normpow = *v;
  }

  // The stream is read ahead in blocks of whole traces into buffers used
  // again and again, from a file or a pipe alike.
  TraceBlocksAhead reader(in);
  Group group(normpow);
  double key = 0;
  while (const TraceBlock* block = reader.next()) {
    for (size_t t = 0; t < block->traces(); ++t) {
      const uint8_t* raw = block->bytes() + block->start[t];
      const int ns = get_i16le(raw + 114);
      const double k = Key(raw, field);
      if (group.empty() || k != key) {
        if (!group.write(out)) return Fail(err, "cannot write to standard output");
        group.start(raw, ns);
        key = k;
      } else if (ns != group.ns()) {
        return Fail(err, "trace " + std::to_string(block->first + static_cast<int64_t>(t)) + ": ns=" +
                             std::to_string(ns) + " differs from the " + std::to_string(group.ns()) +
                             " of its group");
      }
      group.add(raw);
    }
  }
  if (!reader.error().empty()) return Fail(err, reader.error());
  if (reader.count() == 0) return Fail(err, "no trace on standard input");
  if (!group.write(out) || std::fflush(out) != 0) return Fail(err, "cannot write to standard output");
  return 0;
}

}  // namespace keld::sutools
