// Converting field files to SU traces in memory: a 60 x 4,000 SEG-2 shot and
// a 359-trace SEG-D record, each beside a plain copy of the same bytes (the
// floor any conversion stands on).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "sutools/formats/seg2_reader.hpp"
#include "sutools/formats/segd_reader.hpp"

namespace {

std::vector<uint8_t> Load(const std::string& name) {
  const char* env = std::getenv("KELD_TESTDATA");
  const std::string dir = env ? env : KELD_TESTDATA_DIR;
  auto bytes = keld::ReadWholeFile(dir + "/" + name);
  return bytes ? *bytes : std::vector<uint8_t>{};
}

const std::vector<uint8_t>& Seg2Shot() {
  static const auto b = Load("seg2/ph5_15001.dat");
  return b;
}
const std::vector<uint8_t>& SegdRecord() {
  static const auto b = Load("segd/ph5_smartsolo_453005513.2.2021.05.08.20.06.00.000.E.segd");
  return b;
}

void Encode(const std::vector<keld::SuTrace>& traces, std::vector<uint8_t>& out) {
  out.clear();
  std::vector<uint8_t> one;
  for (const auto& t : traces) {
    keld::EncodeSuTrace(t.header, t.samples.data(), static_cast<int>(t.samples.size()), one);
    out.insert(out.end(), one.begin(), one.end());
  }
}

void BM_Seg2ToSu(benchmark::State& state) {
  const auto& b = Seg2Shot();
  if (b.empty()) return state.SkipWithError("seg2/ph5_15001.dat missing");
  std::vector<uint8_t> out;
  for (auto _ : state) {
    auto f = keld::formats::ReadSeg2(b);
    auto su = keld::formats::Seg2ToSu(*f);
    Encode(*su, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
BENCHMARK(BM_Seg2ToSu)->Unit(benchmark::kMillisecond);

void BM_SegdToSu(benchmark::State& state) {
  const auto& b = SegdRecord();
  if (b.empty()) return state.SkipWithError("SEG-D test file missing");
  std::vector<uint8_t> out;
  for (auto _ : state) {
    auto f = keld::formats::ReadSegd(b);
    Encode(f->traces, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
BENCHMARK(BM_SegdToSu)->Unit(benchmark::kMillisecond);

void BM_PlainCopy(benchmark::State& state) {
  const auto& b = state.range(0) == 0 ? Seg2Shot() : SegdRecord();
  if (b.empty()) return state.SkipWithError("test file missing");
  std::vector<uint8_t> out(b.size());
  for (auto _ : state) {
    std::memcpy(out.data(), b.data(), b.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
BENCHMARK(BM_PlainCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
