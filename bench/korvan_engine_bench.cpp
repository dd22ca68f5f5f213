// The per-channel work of a shot at its largest: filtering 10,922 samples and
// writing them as value lines of the text record, for one channel and for the
// 48 channels of a full shot.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "korvan/engine/low_pass.hpp"
#include "korvan/engine/text_record.hpp"

namespace {

constexpr int kSamples = 10922;

std::vector<float> Samples() {
  std::vector<float> x(kSamples);
  for (int i = 0; i < kSamples; ++i) x[i] = 3000.0f * std::sin(i * 0.05f) + (i % 7) * 11.0f;
  return x;
}

void BM_FilterChannel(benchmark::State& state) {
  keld::korvan::FilterState f;
  keld::korvan::Coeff_500(f);
  std::vector<float> x = Samples(), y(kSamples);
  for (auto _ : state) {
    keld::korvan::FiltraTrace(f, x, y);
    benchmark::DoNotOptimize(y.data());
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_FilterChannel);

void BM_TextRecordFullShot(benchmark::State& state) {
  std::string path = (std::filesystem::temp_directory_path() / "keld-bench-dati.txt").string();
  keld::korvan::TextRecordInputs in{"08/12/2024", "14:03:07", "48", "128", "10922", "5", "2.5"};
  std::vector<float> x = Samples();
  for (auto _ : state) {
    keld::korvan::TextRecordWriter w;
    w.Open(path, in);
    for (int c = 1; c <= 48; ++c) w.Channel(c, x);
    if (!w.Close()) state.SkipWithError("text record not written");
  }
  state.SetItemsProcessed(state.iterations() * 48 * kSamples);
  std::filesystem::remove(path);
}
BENCHMARK(BM_TextRecordFullShot)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
