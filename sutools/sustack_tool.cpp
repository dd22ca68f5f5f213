#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "common/bytes.hpp"
#include "common/su_header.hpp"
#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_blocks.hpp"
#include "sutools/try_thread.hpp"

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
  // Room for traces of ns samples and folds up to `fold`, made ahead.
  void reserve(int ns, size_t fold) {
    sum_.reserve(static_cast<size_t>(ns));
    live_.reserve(static_cast<size_t>(ns));
    norm_.reserve(fold + 1);
  }
  bool empty() const { return traces_ == 0; }
  int ns() const { return ns_; }
  void start(const uint8_t* raw, int ns) {
    std::memcpy(header_, raw, 240);
    ns_ = ns;
    sum_.resize(static_cast<size_t>(ns));
    live_.resize(static_cast<size_t>(ns));
    traces_ = 0;
  }
  void add(const uint8_t* raw) {
    if (traces_++ > 0) {
      Accumulate(raw + 240, sum_.data(), live_.data(), sum_.size());
      return;
    }
    // The first trace sets the sums: the same as adding it to 0, but for the
    // sign of a zero that counts as no value anyway.
    for (size_t i = 0; i < sum_.size(); ++i) {
      const float x = get_f32le(raw + 240 + 4 * i);
      sum_[i] = x;
      live_[i] = x != 0;
    }
  }
  // The stacked trace: each sum divided by N^normpow, N the values that were
  // not 0 there; offset 0 and nhs the traces stacked. Appended to `to`.
  void append(std::vector<uint8_t>& to) {
    if (traces_ == 0) return;
    while (norm_.size() <= static_cast<size_t>(traces_))
      norm_.push_back(std::pow(static_cast<double>(norm_.size()), normpow_));
    const size_t at = to.size();
    to.resize(at + 240 + 4 * sum_.size());
    uint8_t* o = to.data() + at;
    std::memcpy(o, header_, 240);
    put_i32le(o + 36, 0);
    put_i16le(o + 32, static_cast<int16_t>(std::min(traces_, 32767)));
    for (size_t i = 0; i < sum_.size(); ++i)
      put_f32le(o + 240 + 4 * i, live_[i] > 0 ? static_cast<float>(sum_[i] / norm_[static_cast<size_t>(live_[i])]) : 0.0f);
    traces_ = 0;
  }
  bool write(std::FILE* out) {
    bytes_.clear();
    append(bytes_);
    return bytes_.empty() || std::fwrite(bytes_.data(), 1, bytes_.size(), out) == bytes_.size();
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

// pread until `n` bytes are in or the file ends; false when they are not.
bool ReadAt(int fd, uint8_t* dst, size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = pread(fd, dst, n, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    dst += got;
    n -= static_cast<size_t>(got);
    at += got;
  }
  return true;
}

// A regular file of traces all of one length, stacked on several threads:
// each takes the groups that begin in a part of the traces, reading them
// into a small buffer of its own, and the parts' outputs follow one another
// in order. A group's sums run over its traces in stream order, as in the
// stream, so the bytes are the same. Anything out of the ordinary (a pipe, a
// short file, traces of other lengths, a bad or cut trace) gives nullopt
// with nothing written: the stream then goes through it with its messages.
std::optional<std::vector<std::vector<uint8_t>>> StackRegularFile(std::FILE* in, const HeaderField& field, double normpow) {
  const int fd = fileno(in);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const off_t start = lseek(fd, 0, SEEK_CUR);
  if (start < 0 || st.st_size - start < 240) return std::nullopt;
  uint8_t first[240];
  if (!ReadAt(fd, first, 240, start)) return std::nullopt;
  const int ns = get_i16le(first + 114);
  if (ns <= 0 || get_i16le(first + 116) <= 0) return std::nullopt;
  const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
  const size_t size = static_cast<size_t>(st.st_size - start), n = size / bytes;
  const size_t threads = std::min<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u), n / 1000);
  if (size % bytes != 0 || threads < 2) return std::nullopt;
  // Small reads: on several threads they pass the page cache fastest.
  const size_t chunk = std::max<size_t>(1, (128u << 10) / bytes);
  // The traces are cut into a few parts a thread, taken in turn by the
  // threads, so a thread slowed by others' work holds up little. Everything
  // a thread needs is made here, before it starts: a thread that allocates
  // first sets up a memory arena of its own.
  const size_t parts = 4 * threads;
  struct Workspace {
    std::unique_ptr<uint8_t[]> buf;  // filled by every read
    Group group;
    explicit Workspace(double normpow) : group(normpow) {}
  };
  std::vector<Workspace> spaces;
  for (size_t j = 0; j < threads; ++j) {
    spaces.emplace_back(normpow);
    spaces[j].buf.reset(new uint8_t[chunk * bytes]);
    spaces[j].group.reserve(ns, 256);
  }
  std::vector<std::vector<uint8_t>> outputs(parts);
  for (auto& o : outputs) o.reserve(n / parts * bytes / 16);
  std::atomic<size_t> next{0};
  std::atomic<bool> regular{true};
  // Stacks the groups that begin in part p; false when the file is irregular.
  auto part = [&](Workspace& w, size_t p) {
    const size_t a = n * p / parts, b = n * (p + 1) / parts;
    uint8_t* const buf = w.buf.get();
    std::vector<uint8_t>& out = outputs[p];
    // The key before the part: its first traces may close a group begun
    // before it, which belongs to the part before.
    double previous = 0;
    if (a > 0) {
      if (!ReadAt(fd, buf, 240, start + static_cast<off_t>((a - 1) * bytes))) return false;
      previous = Key(buf, field);
    }
    bool begun = false;
    for (size_t t = a; t < n;) {
      const size_t count = std::min(chunk, n - t);
      if (!ReadAt(fd, buf, count * bytes, start + static_cast<off_t>(t * bytes))) return false;
      for (size_t i = 0; i < count; ++i, ++t) {
        const uint8_t* raw = buf + i * bytes;
        if (get_i16le(raw + 114) != ns || get_i16le(raw + 116) <= 0) return false;
        const double k = Key(raw, field);
        const bool starts = t == 0 || k != previous;
        previous = k;
        if (starts) {
          w.group.append(out);
          if (t >= b) return true;  // the next part's group
          w.group.start(raw, ns);
          begun = true;
        }
        if (begun) w.group.add(raw);
      }
    }
    w.group.append(out);
    return true;
  };
  auto work = [&](size_t j) {
    for (size_t p; regular && (p = next++) < parts;)
      if (!part(spaces[j], p)) regular = false;
  };
  std::vector<std::thread> pool(threads);
  for (size_t j = 1; j < threads; ++j) pool[j] = TryThread([&work, j] { work(j); });
  work(0);
  for (size_t j = 1; j < threads; ++j) JoinOrRun(pool[j], [&work, j] { work(j); });
  if (!regular) return std::nullopt;
  return outputs;
}

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

  if (auto stacked = StackRegularFile(in, field, normpow)) {
    for (const auto& o : *stacked)
      if (!o.empty() && std::fwrite(o.data(), 1, o.size(), out) != o.size()) return Fail(err, "cannot write to standard output");
    if (std::fflush(out) != 0) return Fail(err, "cannot write to standard output");
    return 0;
  }
  // Otherwise the stream is read ahead in blocks of whole traces into
  // buffers used again and again.
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
