// Redrawing a shot of 48 traces of 10,922 samples on a 1200 x 700 picture in
// each display mode, with a whole-file normalisation; a redraw should stay
// under 50 ms. A second file of pure noise gives the filled modes a lobe every
// few samples, their worst case.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "korvan/display/display_prepare.hpp"
#include "korvan/display/draw_traces.hpp"
#include "korvan/display/tests/synthetic_shot.hpp"
#include "platform/qt/picture_box.hpp"

namespace {

using namespace keld;
using namespace keld::korvan;

constexpr int kTraces = 48;
constexpr int kNs = 10922;

std::string Dir() {
  static std::string d = [] {
    auto p = std::filesystem::temp_directory_path() / "keld-bench-display";
    std::filesystem::create_directories(p);
    return p.string();
  }();
  return d;
}

const std::string& ShotFile() {
  static std::string path = [] {
    std::string p = Dir() + "/shot.su";
    testing::ShotSpec desc;
    desc.traces = kTraces;
    desc.ns = kNs;
    desc.dt_us = 31;
    testing::WriteTraces(p, testing::SyntheticShot(desc), desc.dt_us);
    return p;
  }();
  return path;
}

const std::string& NoiseFile() {
  static std::string path = [] {
    std::string p = Dir() + "/noise.su";
    std::mt19937 rng(7);
    std::normal_distribution<float> g(0, 1);
    std::vector<std::vector<float>> t(kTraces, std::vector<float>(kNs));
    for (auto& tr : t)
      for (float& v : tr) v = g(rng);
    testing::WriteTraces(p, t, 31);
    return p;
  }();
  return path;
}

void Redraw(benchmark::State& state, const std::string& path) {
  PictureBox pb;
  pb.resize(1200, 700);
  DrawParams p;
  p.egali = kNormalEqualization;
  p.Gain_Affichage = GainFromCaption("1.0");
  p.Premier_Echantillon = 1;
  p.Dernier_Echantillon = kNs;
  const int option = static_cast<int>(state.range(0));
  for (auto _ : state) {
    DrawResult r = DisplaySuFile(pb, path, p, option);
    if (!r.drawn) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    benchmark::DoNotOptimize(pb.image().constBits());
  }
  static const char* kNames[] = {"mode 0 wiggle filled", "mode 6 wiggle", "mode 5 variable area",
                                 "mode 2 two colour"};
  state.SetLabel(kNames[option]);
}

void BM_RedrawShot(benchmark::State& state) { Redraw(state, ShotFile()); }
void BM_RedrawNoise(benchmark::State& state) { Redraw(state, NoiseFile()); }

BENCHMARK(BM_RedrawShot)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawNoise)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
