#include "sutools/trace_pool.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "common/bytes.hpp"
#include "sutools/try_thread.hpp"
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

// The traces [lo, hi) of a group processed by one helper thread into its own
// block, in stream layout; `failed` is the first one that could not be. The
// block is kept from one group to the next.
struct Share {
  size_t lo = 0, hi = 0;
  std::unique_ptr<uint8_t[]> bytes;
  size_t room = 0, used = 0;
  size_t failed = SIZE_MAX;
  std::string why;
  std::thread thread;
};

void RunShare(Share& s, const std::vector<const uint8_t*>& traces, SharedProcess& process,
              const std::atomic<bool>& stop) {
  size_t room = 0;
  for (size_t i = s.lo; i < s.hi; ++i) room += 240 + 4 * static_cast<size_t>(get_i16le(traces[i] + 114));
  if (room > s.room) {
    s.bytes = std::make_unique_for_overwrite<uint8_t[]>(room);
    s.room = room;
  }
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

std::string Trace(int64_t number) { return "trace " + std::to_string(number); }

int RunMapped(const char* prog, const WholeInput& mapped, std::FILE* out, std::FILE* err, size_t threads,
              const std::function<SharedProcess()>& make_process, size_t group_bytes) {
  SuStreamReader reader(mapped.data(), mapped.size());
  SuOutput output(out);
  // What the helpers use is made before the joiner, so it outlives them.
  std::vector<SharedProcess> process;
  std::vector<Share> shares;
  std::vector<const uint8_t*> group;
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
  // The file goes through in groups of bounded size, so that the helpers'
  // blocks stay small whatever the file's length; every whole trace before
  // a fault in the file goes through.
  StreamTrace t;
  std::string why;
  int64_t before = 0;  // traces of the groups already written
  for (;;) {
    group.clear();
    size_t bytes = 0;
    const uint8_t* raw = nullptr;
    int ns = 0, dt = 0;
    while (bytes < group_bytes && reader.nextRaw(raw, ns, dt)) {
      group.push_back(raw);
      bytes += 240 + 4 * static_cast<size_t>(ns);
    }
    if (group.empty()) break;
    const size_t n = group.size(), k = std::clamp<size_t>(n / kMinShare, 1, threads);
    while (process.size() < k) process.push_back(make_process());
    if (shares.size() < k) shares.resize(k);
    for (size_t j = 0; j < k; ++j) {
      Share& s = shares[j];
      s.lo = n * j / k;
      s.hi = n * (j + 1) / k;
      s.used = 0;
      s.failed = SIZE_MAX;
    }
    auto run = [&](size_t j) { RunShare(shares[j], group, process[j], stop); };
    for (size_t j = 1; j < k; ++j) shares[j].thread = TryThread([run, j] { run(j); });
    for (size_t i = shares[0].lo; i < shares[0].hi; ++i) {
      const int64_t number = before + static_cast<int64_t>(i) + 1;
      Load(group[i], t);
      if (!process[0](t, why)) return Fail(err, prog, Trace(number) + ": " + why);
      if (!WriteStreamTrace(output, t)) return Fail(err, prog, output.error());
    }
    for (size_t j = 1; j < k; ++j) {
      Share& s = shares[j];
      JoinOrRun(s.thread, [run, j] { run(j); });
      if (s.used > 0 && !output.write(s.bytes.get(), s.used)) return Fail(err, prog, output.error());
      if (s.failed != SIZE_MAX)
        return Fail(err, prog, Trace(before + static_cast<int64_t>(s.failed) + 1) + ": " + s.why);
    }
    before += static_cast<int64_t>(n);
  }
  return EndOfStream(prog, reader.error(), before, output, err);
}

}  // namespace

int RunTraceStreamShared(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                         const std::function<SharedProcess()>& make_process, size_t group_bytes) {
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  if (WholeInput mapped; mapped.mapFile(in))
    return RunMapped(prog, mapped, out, err, threads, make_process, group_bytes);
  return RunTraceStream(prog, in, out, err, make_process());
}

}  // namespace keld::sutools
