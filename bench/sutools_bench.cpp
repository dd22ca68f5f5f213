// sufilter and sugain on a 50,000-trace x 1,000-sample stream at 4 ms: the
// processing functions alone, and the whole programs reading a file and
// writing to /dev/null. Every result is given in traces per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/su_file.hpp"
#include "sutools/agc.hpp"
#include "sutools/bandpass.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kTraces = 50000;
constexpr int kNs = 1000;
constexpr double kDt = 0.004;
constexpr int kPool = 64;  // distinct traces the library runs cycle through

std::vector<float> Pool() {
  std::vector<float> p(static_cast<size_t>(kPool) * kNs);
  for (int i = 0; i < kPool; ++i)
    for (int k = 0; k < kNs; ++k)
      p[static_cast<size_t>(i) * kNs + k] =
          static_cast<float>(std::sin(0.07 * k + i) * std::exp(-0.002 * k) + 0.1 * std::sin(1.3 * k * (i + 1)));
  return p;
}

void SetTraceRate(benchmark::State& st, int64_t traces) {
  st.SetItemsProcessed(traces);
  st.counters["traces/s"] = benchmark::Counter(static_cast<double>(traces), benchmark::Counter::kIsRate);
}

void SufilterLibrary(benchmark::State& st) {
  auto desc = keld::sutools::MakeBandpassSpec({10, 20, 80, 120}, {});
  keld::sutools::BandpassFilter filter(*desc);
  const auto pool = Pool();
  std::vector<float> x(pool.begin(), pool.begin() + kNs);
  filter.apply(x.data(), kNs, kDt);  // the transform is planned once, before the clock runs
  int64_t n = 0;
  for (auto _ : st) {
    for (int i = 0; i < kTraces; ++i) {
      const float* src = pool.data() + static_cast<size_t>(i % kPool) * kNs;
      std::copy(src, src + kNs, x.begin());
      if (!filter.apply(x.data(), kNs, kDt)) st.SkipWithError("filter");
      benchmark::DoNotOptimize(x.data());
    }
    n += kTraces;
  }
  SetTraceRate(st, n);
}

void SugainLibrary(benchmark::State& st) {
  keld::sutools::Agc agc;
  const int half = keld::sutools::AgcHalfWindow(0.1, kDt);
  const auto pool = Pool();
  std::vector<float> x(kNs);
  int64_t n = 0;
  for (auto _ : st) {
    for (int i = 0; i < kTraces; ++i) {
      const float* src = pool.data() + static_cast<size_t>(i % kPool) * kNs;
      std::copy(src, src + kNs, x.begin());
      agc.apply(x.data(), kNs, half);
      benchmark::DoNotOptimize(x.data());
    }
    n += kTraces;
  }
  SetTraceRate(st, n);
}

// The 212 MB input, made on first use and removed with the folder at exit.
struct Files {
  std::string dir, input, bin;
  ~Files() {
    std::error_code ec;
    if (!dir.empty() && dir != fs::temp_directory_path().string()) fs::remove_all(dir, ec);
  }
};

void MakeInput(Files& r) {
  std::string tmpl = (fs::temp_directory_path() / "keld-bench-sutools-XXXXXX").string();
  r.dir = mkdtemp(tmpl.data()) ? tmpl : fs::temp_directory_path().string();
  r.input = r.dir + "/in.su";
  keld::SuWriter w(r.input);
  keld::SuTraceHeader h;
  h.ns = kNs;
  h.dt = static_cast<int16_t>(kDt * 1e6);
  const auto pool = Pool();
  for (int i = 0; i < kTraces; ++i) {
    h.tracf = i + 1;
    w.write(h, pool.data() + static_cast<size_t>(i % kPool) * kNs, kNs);
  }
  w.commit();
  std::error_code ec;
  r.bin = fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "bin";
  if (const char* b = std::getenv("KELD_BIN")) r.bin = b;
}

Files& Setup() {
  static Files f;
  if (f.input.empty()) MakeInput(f);
  return f;
}

void RunProgram(benchmark::State& st, const std::string& name, const std::string& args) {
  Files& f = Setup();
  const std::string prog = f.bin + "/" + name;
  if (access(prog.c_str(), X_OK) != 0) {
    st.SkipWithError((prog + " is not built").c_str());
    return;
  }
  const std::string cmd = prog + " " + args + " <" + f.input + " >/dev/null";
  int64_t n = 0;
  for (auto _ : st) {
    if (std::system(cmd.c_str()) != 0) st.SkipWithError(("failed: " + cmd).c_str());
    n += kTraces;
  }
  SetTraceRate(st, n);
}

void SufilterProgram(benchmark::State& st) { RunProgram(st, "sufilter", "f=10,20,80,120"); }
void SugainProgram(benchmark::State& st) { RunProgram(st, "sugain", "agc=1 wagc=0.1"); }
void FilterThenGainPipeline(benchmark::State& st) {
  Files& f = Setup();
  const std::string cmd = f.bin + "/sufilter <" + f.input + " f=10,20,80,120 | " + f.bin +
                          "/sugain >/dev/null agc=1 wagc=0.1";
  int64_t n = 0;
  for (auto _ : st) {
    if (std::system(cmd.c_str()) != 0) st.SkipWithError("pipeline failed");
    n += kTraces;
  }
  SetTraceRate(st, n);
}

}  // namespace

BENCHMARK(SufilterLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(SugainLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(SufilterProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SugainProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(FilterThenGainPipeline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
