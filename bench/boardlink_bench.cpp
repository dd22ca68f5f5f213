// The board link's own cost per 192-byte block: 48 units of 10,922 samples
// (171 blocks each) read through QSerialPort from boardsim on a
// pseudo-terminal, and through the in-process port. A pseudo-terminal has no
// wire time, so the time per block measured there is all software (link,
// Qt, kernel, simulator); on the 3,000,000-baud line a block also spends
// (15 + 192) × 10 bits / 3e6 = 0.69 ms on the wire.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

#include "boardlink/board_link.hpp"
#include "boardlink/qt/qt_serial_port.hpp"
#include "boardsim/sim_port.hpp"
#include "boardsim/testing/sim_process.hpp"

using namespace keld;
using namespace keld::board;

namespace {

constexpr int kUnits = 48;
constexpr int32_t kSamples = 10922;
constexpr double kWireSeconds = (15 + 192) * 10 / 3e6;

struct NoPump : EventPump {
  void pump() override {}
};
struct QtPump : EventPump {
  void pump() override { QCoreApplication::processEvents(); }
};

// One shot: arm, status, notice, every unit. Returns the blocks read.
int64_t Shot(BoardLink& link, benchmark::State& state) {
  link.Invia_Setup(kSamples, 4000, 0, 1, 1, 0, 0, 0, 0);
  link.Attendi_Risposta();
  link.Attendi_Trigger();
  int64_t blocks = 0;
  for (int u = 1; u <= kUnits; ++u) {
    if (link.Leggi_Unita(kSamples, u) != 1) {
      state.SkipWithError(("unit " + std::to_string(u) + ": " + link.error()).c_str());
      return blocks;
    }
    blocks += BlockCount(kSamples, BlockRule::RoundHalfEvenPlusOne);
  }
  return blocks;
}

void Report(benchmark::State& state, int64_t blocks, double seconds) {
  const double per_block = blocks > 0 ? seconds / static_cast<double>(blocks) : 0;
  state.counters["us_per_block"] = per_block * 1e6;
  state.counters["wire_us_per_block"] = kWireSeconds * 1e6;
  state.counters["line_us_per_block"] = (per_block + kWireSeconds) * 1e6;
  state.counters["blocks"] = static_cast<double>(blocks);
}

template <class Pump>
void BM_ShotOverPty(benchmark::State& state) {
  const char* bin = std::getenv("KELD_BIN");
  sim::SimProcess sim(std::string(bin && *bin ? bin : KELD_BIN_DIR) + "/boardsim",
                      {"--trigger-delay", "0"});
  if (!sim.started()) {
    state.SkipWithError(sim.error().c_str());
    return;
  }
  setenv("KELD_COM1", sim.pty().c_str(), 1);
  QtSerialPort port;
  Pump pump;
  int16_t stop = 0;
  BoardLink link(port, pump, stop, LinkConfig::Korvan());
  if (!link.open_port(1)) {
    state.SkipWithError(link.error().c_str());
    return;
  }
  int64_t blocks = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = MonoClock::now();
    blocks += Shot(link, state);
    seconds += std::chrono::duration<double>(MonoClock::now() - t0).count();
  }
  Report(state, blocks, seconds);
  std::printf("boardlink over the pty (%s): %.1f us per block of software; on the line %.3f ms per block "
              "(0.690 ms wire)\n",
              std::is_same_v<Pump, QtPump> ? "Qt pump" : "no pump",
              blocks ? seconds / static_cast<double>(blocks) * 1e6 : 0.0,
              blocks ? (seconds / static_cast<double>(blocks) + kWireSeconds) * 1e3 : 0.0);
}

void BM_ShotInProcess(benchmark::State& state) {
  sim::SimConfig cfg;
  cfg.trigger_delay_ms = 0;
  sim::SimPort port(cfg);
  NoPump pump;
  int16_t stop = 0;
  BoardLink link(port, pump, stop, LinkConfig::Korvan());
  link.open_port(1);
  int64_t blocks = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = MonoClock::now();
    blocks += Shot(link, state);
    seconds += std::chrono::duration<double>(MonoClock::now() - t0).count();
  }
  Report(state, blocks, seconds);
}

}  // namespace

BENCHMARK(BM_ShotOverPty<NoPump>)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ShotOverPty<QtPump>)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ShotInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
