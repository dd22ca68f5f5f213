// Reading the largest text record korvan writes (48 channels of 10,922
// samples) and writing it as a SEG-2 file: what dropconv does after a shot.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/numtext.hpp"
#include "dropconv/seg2_export.hpp"

namespace {

constexpr int kChannels = 48;
constexpr int kNs = 10922;

std::string Dir() {
  auto p = std::filesystem::temp_directory_path() / "keld-bench-seg2";
  std::filesystem::create_directories(p);
  return p.string();
}

std::string Record() {
  std::string path = Dir() + "/dati.txt";
  if (std::filesystem::exists(path)) return path;
  std::string t =
      "Ditta KORVAN\r\nStrumento: QMR650B\r\nDATA: 12/03/2024\r\nORA: 10:22:33\r\n"
      "Numero di canali=\r\n" + std::to_string(kChannels) + "\r\nIntervallo di campionamento=\r\n"
      "125 usec\r\nNumero di campioni=\r\n" + std::to_string(kNs) + "\r\nDistanza tra geofoni=\r\n"
      "2 m\r\nPosizione source rispetto 1\xB0 geofono=\r\n-1 m\r\n\"NOTE:\"\r\n";
  for (int ch = 1; ch <= kChannels; ++ch) {
    t += "\"Canale numero " + std::to_string(ch) + "\"\r\n";
    for (int i = 0; i < kNs; ++i)
      t += keld::CStrSingle(static_cast<float>(1e4 * std::sin(0.01 * i * ch))) + "\r\n";
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(t.data(), 1, t.size(), f);
  std::fclose(f);
  return path;
}

void BM_ReadRecord(benchmark::State& state) {
  std::string rec = Record();
  for (auto _ : state) {
    keld::ClassSEG2Export shot;
    benchmark::DoNotOptimize(shot.Read(rec).ok());
  }
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(rec));
}
BENCHMARK(BM_ReadRecord)->Unit(benchmark::kMillisecond);

void BM_WriteSeg2(benchmark::State& state) {
  keld::ClassSEG2Export shot;
  shot.Read(Record());
  std::string out = Dir() + "/dati.sg2";
  for (auto _ : state) {
    bool ok = false;
    shot.SaveAs(out, ok);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(out));
}
BENCHMARK(BM_WriteSeg2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
