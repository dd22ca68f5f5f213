// keysheet's spreadsheet route for a whole line: the 86 words of every trace
// put in a worksheet, written over the template as an .ods workbook, read
// back and checked cell by cell, as a transfer answered Yes does. The goal:
// 50,000 traces in under 5 s and 500 MB (peak memory, measured from outside
// with /usr/bin/time -v and --benchmark_filter=BM_SheetRoundTrip/50000).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/header_words.hpp"
#include "keysheet/core/sheet_transfer.hpp"
#include "platform/sheet/exchange.hpp"
#include "platform/sheet/ods.hpp"

namespace {

namespace fs = std::filesystem;
using namespace keld;
using namespace keld::keysheet;

constexpr int kNs = 1000;

struct Folder {
  fs::path dir = fs::temp_directory_path() / ("keld-sheet-bench-" + std::to_string(getpid()));
  std::string model, copy;
  Folder() {
    fs::create_directories(dir);
    model = (dir / "header.ods").string();
    copy = (dir / "line.ods").string();
    if (!WriteOds(model, kSheetName, DescriptionRow())) std::abort();
  }
  ~Folder() { fs::remove_all(dir); }
};

Folder& F() {
  static Folder f;
  return f;
}

// Words of a plausible line: numbers of every size that fit their words.
std::vector<TraceWords> Line(int traces) {
  std::vector<TraceWords> out(static_cast<size_t>(traces));
  for (int i = 0; i < traces; ++i) {
    out[static_cast<size_t>(i)].trace = i + 1;
    for (const HeaderWord& w : HeaderWords()) {
      const int64_t v = w.width == 2 ? (i * 37 + w.number * 101) % 30000 - 15000
                                     : static_cast<int64_t>(i) * 1009 + w.number * 7919 - 250000;
      out[static_cast<size_t>(i)].values[static_cast<size_t>(w.number - 1)] = static_cast<int32_t>(v);
    }
    out[static_cast<size_t>(i)].values[kNsWord - 1] = kNs;
  }
  return out;
}

WordChoice AllWords() {
  WordChoice all{};
  all.fill(1);
  return all;
}

// The transfer's two halves: the sheet handed out, the sheet taken back.
bool Write(const std::vector<TraceWords>& line) {
  FakeSpreadsheet exchange;
  const auto traces = static_cast<int64_t>(line.size());
  return static_cast<bool>(exchange.write(F().model, F().copy, kSheetName, BuildSheet(line, AllWords()), *SheetLimits(traces)));
}

std::string ReadBack(int traces) {
  FakeSpreadsheet exchange;
  auto back = exchange.read(F().copy, kSheetName, *SheetLimits(traces));
  if (!back) return back.error();
  auto writes = ReadBackSheet(*back, 1, traces, AllWords(), kNs);
  if (!writes) return writes.error();
  if (writes->size() != static_cast<size_t>(traces) * kHeaderWordCount) return "words were lost";
  return {};
}

void BM_SheetRoundTrip(benchmark::State& st) {
  const int traces = static_cast<int>(st.range(0));
  const std::vector<TraceWords> line = Line(traces);
  for (auto _ : st) {
    if (!Write(line)) return st.SkipWithError("the workbook was not written");
    if (const std::string e = ReadBack(traces); !e.empty()) return st.SkipWithError(e.c_str());
  }
  st.counters["bytes"] = static_cast<double>(fs::file_size(F().copy));
  st.counters["cells/s"] = benchmark::Counter(static_cast<double>(traces) * (kHeaderWordCount + 1) * st.iterations(),
                                              benchmark::Counter::kIsRate);
}

// The two halves apart, to see where the time goes.
void BM_SheetWrite(benchmark::State& st) {
  const std::vector<TraceWords> line = Line(static_cast<int>(st.range(0)));
  for (auto _ : st)
    if (!Write(line)) return st.SkipWithError("the workbook was not written");
}

void BM_SheetRead(benchmark::State& st) {
  const int traces = static_cast<int>(st.range(0));
  if (!Write(Line(traces))) return st.SkipWithError("the workbook was not written");
  for (auto _ : st)
    if (const std::string e = ReadBack(traces); !e.empty()) return st.SkipWithError(e.c_str());
}

BENCHMARK(BM_SheetRoundTrip)->Arg(10000)->Arg(50000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_SheetWrite)->Arg(50000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_SheetRead)->Arg(50000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
