// Reading and writing a 50,000-trace x 1,000-sample SU file, beside a plain
// read and a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/su_file.hpp"

namespace {

constexpr int kTraces = 50000;
constexpr int kNs = 1000;
constexpr int64_t kBytes = static_cast<int64_t>(kTraces) * (240 + 4 * kNs);

std::string Dir() {
  static std::string d = [] {
    auto p = std::filesystem::temp_directory_path() / "keld-bench-su";
    std::filesystem::create_directories(p);
    return p.string();
  }();
  return d;
}

std::string Input() {
  static std::string path = [] {
    std::string p = Dir() + "/in.su";
    keld::SuWriter w(p);
    keld::SuTraceHeader h;
    h.ns = kNs;
    h.dt = 4000;
    std::vector<float> s(kNs);
    for (int i = 0; i < kTraces; ++i) {
      h.tracf = i + 1;
      for (int k = 0; k < kNs; ++k) s[k] = static_cast<float>(std::sin(0.01 * k + i));
      w.write(h, s.data(), kNs);
    }
    w.commit();
    return p;
  }();
  return path;
}

void SuRead(benchmark::State& st) {
  std::string in = Input();
  for (auto _ : st) {
    keld::SuReader r;
    if (!r.open(in)) st.SkipWithError("open");
    keld::SuTrace t;
    double sum = 0;
    while (r.next(t)) sum += t.samples[0];
    benchmark::DoNotOptimize(sum);
  }
  st.SetBytesProcessed(st.iterations() * kBytes);
}

void SuWrite(benchmark::State& st) {
  std::string in = Input();
  keld::SuReader r;
  r.open(in);
  keld::SuTrace t;
  r.read(0, t);
  for (auto _ : st) {
    keld::SuWriter w(Dir() + "/out.su");
    for (int i = 0; i < kTraces; ++i) w.write(t);
    w.commit();
  }
  st.SetBytesProcessed(st.iterations() * kBytes);
}

void PlainRead(benchmark::State& st) {
  std::string in = Input();
  std::vector<char> buf(1 << 20);
  for (auto _ : st) {
    std::FILE* f = std::fopen(in.c_str(), "rb");
    size_t n, total = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) total += n;
    std::fclose(f);
    benchmark::DoNotOptimize(total);
  }
  st.SetBytesProcessed(st.iterations() * kBytes);
}

void PlainCopy(benchmark::State& st) {
  std::string in = Input();
  std::vector<char> buf(1 << 20);
  for (auto _ : st) {
    std::FILE* f = std::fopen(in.c_str(), "rb");
    std::FILE* o = std::fopen((Dir() + "/copy.su").c_str(), "wb");
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) std::fwrite(buf.data(), 1, n, o);
    std::fclose(f);
    std::fclose(o);
  }
  st.SetBytesProcessed(st.iterations() * kBytes);
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(SuRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(SuWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Dir());
  return 0;
}
