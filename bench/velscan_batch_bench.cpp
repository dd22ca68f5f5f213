// The sort-NMO-stack batch of velscan on 50,000 traces x 1,000 samples with
// the cdp and offset words of a split-spread line (500 shots of 100
// channels): susort, sunmo and sustack each as a program reading a file and
// writing to /dev/null, the whole pipe as the batch runs it, and beside them
// a plain copy of the same file through a pipe. Ours must take at most half
// of Seismic Unix's time for each. Measured against Seismic Unix on the same
// files, ours took up to 1.12 of its time for sustack and up to 0.70 for
// sunmo before their input went through small reused blocks: so sustack must
// come to at most 0.45 of its time then, sunmo to at most 0.70 (0.40 and 0.60
// are the aim). SustackShotOrder stacks the shot-ordered line as it is (every
// trace a group of its own, so the output is as long as the input): there
// Seismic Unix's sustack stays near 2 MB resident, and ours must keep a peak
// that does not grow with the input (peak_MB, the largest process of the
// command). Holding every part's output to the end, ours peaked at 298 MB
// there (1.2 GB on a line four times as long) in 0.43-1.1 s on a busy 8-core
// machine; writing the parts as they finish, at 19 MB (the same on the long
// line) in 0.11-0.23 s. SustackOneGroup stacks the same file by a word that
// all its traces share (trid), so one group runs through every part: a part
// in which no group begins must stop at its own end, the work must stay
// linear and near the stream's (0.12-0.15 s through a pipe). Parts that read
// on to the next group start took 0.51 s here (17 s on a line four times as
// long); stopping at their end, 0.05 s. SusortLine sorts the line and one
// four times as long (848 MB) by cdp and offset, from the file or a pipe,
// into /dev/null or a pipe: Seismic Unix's susort keeps keys and positions
// only (8.5 MB on the long line), and ours must keep a peak that does not
// grow with the input. Holding its whole input mapped (a pipe copied to a
// file first), ours peaked at 208 MB and 823 MB; keeping keys and
// positions, with a pipe spooled to $TMPDIR, at 5-7 MB and 9-11 MB. Its
// times, two runs each on a busy 8-core machine (load 12-20), before ->
// after, ms, short line then long: file to /dev/null 127, 561 -> 231, 377
// and 656, 1147 -> 621, 1034 (mapped, the old one read nothing at all for
// /dev/null); pipe to /dev/null 488, 602 -> 453, 539 and 1537, 1701 ->
// 1236, 1579; file to pipe 328, 458 -> 229, 344 and 1117, 1591 -> 806,
// 1063; pipe to pipe 457, 525 -> 390, 509 and 1767, 1862 -> 1598, 1693.
// KELD_BIN=folder runs the programs of another build.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/su_file.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kShots = 500, kChannels = 100, kNs = 1000, kDt = 2000;
const char* const kPicks =
    " smute=1.5 cdp=100,300,500,700,900 tnmo=.2,.8,1.6 vnmo=1500,2000,2600 tnmo=.2,.8,1.6 vnmo=1550,2050,2650"
    " tnmo=.2,.8,1.6 vnmo=1600,2100,2700 tnmo=.2,.8,1.6 vnmo=1650,2150,2750 tnmo=.2,.8,1.6 vnmo=1700,2200,2800";

std::string Q(const std::string& s) { return "'" + s + "'"; }

// A shot-ordered line of `shots` shots in a scratch folder of its own; with
// `batch`, also the line sorted and NMO-corrected for sunmo and sustack.
struct Files {
  fs::path dir;
  std::string line, sorted, nmo, bin;
  int traces;
  Files(int shots, bool batch) : traces(shots * kChannels) {
    dir = fs::temp_directory_path() / ("keld-velscan-bench-" + std::to_string(getpid()) + "-" + std::to_string(shots));
    fs::create_directories(dir);
    line = (dir / "line.su").string();
    sorted = (dir / "sorted.su").string();
    nmo = (dir / "nmo.su").string();
    bin = KELD_BIN_DIR;
    if (const char* b = std::getenv("KELD_BIN")) bin = b;
    keld::SuWriter w(line);
    std::vector<float> s(kNs);
    for (int i = 0; i < kNs; ++i) s[i] = static_cast<float>(std::sin(0.05 * i) * std::exp(-0.002 * i));
    int n = 0;
    for (int shot = 0; shot < shots; ++shot)
      for (int ch = 0; ch < kChannels; ++ch) {
        keld::SuTraceHeader h;
        h.tracl = ++n;
        h.fldr = shot + 1;
        h.tracf = ch + 1;
        h.cdp = 2 * shot + ch + 1;
        h.offset = (ch - kChannels / 2) * 10 + 5;
        h.ns = kNs;
        h.dt = kDt;
        h.trid = 1;
        w.write(h, s.data(), kNs);
      }
    if (!w.commit()) std::abort();
    if (!batch) return;
    Run(Q(bin + "/susort") + " <" + Q(line) + " cdp offset >" + Q(sorted));
    Run(Q(bin + "/sunmo") + " <" + Q(sorted) + kPicks + " >" + Q(nmo));
  }
  ~Files() { fs::remove_all(dir); }
  static void Run(const std::string& cmd) {
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
};

Files& F() {
  static Files f(kShots, true);
  return f;
}

// The line four times as long (848 MB), made only for the benchmarks that use it.
Files& Long() {
  static Files f(4 * kShots, false);
  return f;
}

// Runs `cmd` by the shell; the largest resident size of its processes in kB,
// or -1 when it failed.
long RunMeasured(const std::string& cmd) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ru.ru_maxrss;
}

void Program(benchmark::State& st, const std::string& cmd, int traces = kShots * kChannels) {
  long peak = 0;
  for (auto _ : st) {
    const long kb = RunMeasured(cmd);
    if (kb < 0) st.SkipWithError(cmd.c_str());
    peak = std::max(peak, kb);
  }
  st.counters["traces/s"] = benchmark::Counter(static_cast<double>(traces) * st.iterations(),
                                               benchmark::Counter::kIsRate);
  st.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
}

void PlainCopy(benchmark::State& st) { Program(st, "cat " + Q(F().line) + " | cat >/dev/null"); }
void Susort(benchmark::State& st) { Program(st, Q(F().bin + "/susort") + " <" + Q(F().line) + " cdp offset >/dev/null"); }
// susort alone on the line (range 0: 1) and on the one four times as long
// (4), read from the file (range 1: 0) or from a pipe (1), written to
// /dev/null (range 2: 0) or into a pipe, as the batch does (1).
void SusortLine(benchmark::State& st) {
  Files& f = st.range(0) == 1 ? F() : Long();
  const std::string sort = Q(f.bin + "/susort") + " cdp offset";
  const std::string in = st.range(1) ? "cat " + Q(f.line) + " | " + sort : sort + " <" + Q(f.line);
  Program(st, in + (st.range(2) ? " | cat >/dev/null" : " >/dev/null"), f.traces);
}
void Sunmo(benchmark::State& st) { Program(st, Q(F().bin + "/sunmo") + " <" + Q(F().sorted) + kPicks + " >/dev/null"); }
void Sustack(benchmark::State& st) { Program(st, Q(F().bin + "/sustack") + " <" + Q(F().nmo) + " key=cdp >/dev/null"); }
void SustackShotOrder(benchmark::State& st) {
  Program(st, Q(F().bin + "/sustack") + " <" + Q(F().line) + " key=cdp >/dev/null");
}
void SustackOneGroup(benchmark::State& st) {
  Program(st, Q(F().bin + "/sustack") + " <" + Q(F().line) + " key=trid >/dev/null");
}
void WholePipe(benchmark::State& st) {
  Program(st, Q(F().bin + "/SUSORT") + " <" + Q(F().line) + " cdp offset | " + Q(F().bin + "/SUNMO") + kPicks + " | " +
                  Q(F().bin + "/SUSTACK") + " >/dev/null key=cdp");
}

BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Susort)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SusortLine)
    ->ArgsProduct({{1, 4}, {0, 1}, {0, 1}})
    ->ArgNames({"x", "in_pipe", "out_pipe"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(Sunmo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Sustack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SustackShotOrder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SustackOneGroup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(WholePipe)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
