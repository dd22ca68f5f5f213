// The work of one polling cycle at its largest, without the line: 48 rows of
// 8192 samples filtered, measured and turned into the polyline of their row
// picture. A cycle runs on the window thread, so this is what a running-mode
// tick adds to the transfer itself.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "boardtest/engine/console_state.hpp"
#include "boardtest/engine/filter_sets.hpp"
#include "boardtest/engine/trace_measures.hpp"

namespace {

constexpr int kSamples = 8192;

void BM_BoardtestRow(benchmark::State& state) {
  using namespace keld::boardtest;
  BoardtestState s;
  Scegli_Filtro(s.filter, 2000, 2);
  s.Autoscala = true;
  s.picture_height = 1000;
  s.Centro_Y = 500;
  s.Passo_X = 1000.0 / kSamples;
  std::vector<double> x(kSamples), y(kSamples);
  for (int i = 0; i < kSamples; ++i) x[i] = 3000.0 * std::sin(i * 0.05) + (i % 7) * 11.0;
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int r = 0; r < rows; ++r) {
      FiltraTrace(s.filter, false, x, y);
      benchmark::DoNotOptimize(Calcola_RMS(y));
      benchmark::DoNotOptimize(Disegna_Traccia(s, y).data());
    }
  }
  state.SetItemsProcessed(state.iterations() * rows * kSamples);
}
BENCHMARK(BM_BoardtestRow)->Arg(1)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
