#include "sutools/trace_pool.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "common/bytes.hpp"
#include "sutools/whole_input.hpp"

namespace keld::sutools {

namespace {

// Fewer traces than this a thread are not worth its start.
constexpr size_t kMinShare = 8;

// A trace of the mapped file into `t`: the header as it is, the samples as
// floats.
void Load(const uint8_t* raw, StreamTrace& t) {
  std::memcpy(t.header, raw, 240);
  t.ns = get_i16le(raw + 114);
  t.dt_us = get_i16le(raw + 116);
  const size_t n = static_cast<size_t>(t.ns);
  t.samples.resize(n);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(t.samples.data(), raw + 240, 4 * n);
  } else {
    for (size_t k = 0; k < n; ++k) t.samples[k] = get_f32le(raw + 240 + 4 * k);
  }
}

// The traces [lo, hi) processed by one helper thread into its own block, in
// stream layout; `failed` is the first one that could not be.
struct Share {
  size_t lo = 0, hi = 0;
  std::unique_ptr<uint8_t[]> bytes;
  size_t used = 0;
  size_t failed = SIZE_MAX;
  std::string why;
  std::thread thread;
};

void RunShare(Share& s, const std::vector<const uint8_t*>& traces, SharedProcess& process,
              const std::atomic<bool>& stop) {
  size_t room = 0;
  for (size_t i = s.lo; i < s.hi; ++i) room += 240 + 4 * static_cast<size_t>(get_i16le(traces[i] + 114));
  s.bytes = std::make_unique_for_overwrite<uint8_t[]>(room);
  StreamTrace t;
  for (size_t i = s.lo; i < s.hi && !stop.load(std::memory_order_relaxed); ++i) {
    Load(traces[i], t);
    if (!process(t, s.why)) {
      s.failed = i;
      return;
    }
    uint8_t* o = s.bytes.get() + s.used;
    std::memcpy(o, t.header, 240);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(o + 240, t.samples.data(), 4 * t.samples.size());
    } else {
      for (size_t k = 0; k < t.samples.size(); ++k) put_f32le(o + 240 + 4 * k, t.samples[k]);
    }
    s.used += 240 + 4 * t.samples.size();
  }
}

int Fail(std::FILE* err, const char* prog, const std::string& why) {
  std::fprintf(err, "%s: %s\n", prog, why.c_str());
  return 1;
}

int Finish(const char* prog, std::FILE* out, std::FILE* err) {
  if (std::fflush(out) != 0 || std::ferror(out)) return Fail(err, prog, "cannot write to standard output");
  return 0;
}

int RunMapped(const char* prog, const WholeInput& mapped, std::FILE* out, std::FILE* err, size_t threads,
              const std::function<SharedProcess()>& make_process) {
  // Every whole trace before a fault in the file goes through.
  SuStreamReader reader(mapped.data(), mapped.size());
  std::vector<const uint8_t*> traces;
  const uint8_t* raw = nullptr;
  int ns = 0, dt = 0;
  while (reader.nextRaw(raw, ns, dt)) traces.push_back(raw);
  const size_t n = traces.size();
  const size_t k = std::clamp<size_t>(n / kMinShare, 1, threads);

  std::vector<SharedProcess> process;
  for (size_t j = 0; j < k; ++j) process.push_back(make_process());
  std::vector<Share> shares(k);
  std::atomic<bool> stop{false};
  // Helpers stop early once the stream has failed before their share, and
  // are joined on every way out.
  struct Joiner {
    std::vector<Share>& shares;
    std::atomic<bool>& stop;
    ~Joiner() {
      stop = true;
      for (auto& s : shares)
        if (s.thread.joinable()) s.thread.join();
    }
  } joiner{shares, stop};
  for (size_t j = 0; j < k; ++j) {
    shares[j].lo = n * j / k;
    shares[j].hi = n * (j + 1) / k;
  }
  for (size_t j = 1; j < k; ++j)
    shares[j].thread = std::thread([&, j] { RunShare(shares[j], traces, process[j], stop); });

  StreamTrace t;
  std::string why;
  for (size_t i = shares[0].lo; i < shares[0].hi; ++i) {
    Load(traces[i], t);
    if (!process[0](t, why)) return Fail(err, prog, "trace " + std::to_string(i + 1) + ": " + why);
    if (!WriteStreamTrace(out, t)) return Fail(err, prog, "cannot write trace " + std::to_string(i + 1) + " to standard output");
  }
  for (size_t j = 1; j < k; ++j) {
    Share& s = shares[j];
    s.thread.join();
    if (s.used > 0 && std::fwrite(s.bytes.get(), 1, s.used, out) != s.used)
      return Fail(err, prog, "cannot write trace " + std::to_string(s.lo + 1) + " to standard output");
    if (s.failed != SIZE_MAX) return Fail(err, prog, "trace " + std::to_string(s.failed + 1) + ": " + s.why);
  }
  if (!reader.error().empty()) return Fail(err, prog, reader.error());
  if (n == 0) return Fail(err, prog, "no trace on standard input");
  return Finish(prog, out, err);
}

}  // namespace

int RunTraceStreamShared(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                         const std::function<SharedProcess()>& make_process) {
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  if (WholeInput mapped; mapped.mapFile(in)) return RunMapped(prog, mapped, out, err, threads, make_process);
  return RunTraceStream(prog, in, out, err, make_process());
}

}  // namespace keld::sutools
