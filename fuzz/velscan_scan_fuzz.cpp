// Arbitrary bytes as the SU file velscan is started on: the scan and its
// index, then the gather of the middle CDP read and corrected. The same bytes
// as a batch line typed by the user: the file it writes, and that replaced.
// The file lives in memory (no file written or removed per input), and
// scripts/run-fuzz.sh keeps inputs short (MAX_LEN): a few traces reach every
// path of the scan, and thousands of them run a second.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/scratch_file.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/engine/gather.hpp"
#include "velscan/engine/scan.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::velscan;
  const std::string line(reinterpret_cast<const char*>(data), size);
  if (auto o = FindLineOutput(line); o && (o->begin > o->end || o->end > line.size())) __builtin_trap();
  (void)ReplaceLineOutput(line, "/o'ut.su");
  const keld::fuzzing::MemoryFile file(data, size);
  const std::string name = file.path();
  auto scan = ScanSuFile(name);
  if (scan.ok()) {
    auto span = scan->cdp_index.find(MiddleKey(scan->first_cdp, scan->last_cdp));
    keld::SuReader r;
    if (span && r.open(name).ok()) {
      Gather g;
      std::string why;
      if (ReadGather(r, span->traces, g, why)) {
        auto x = GatherOffsets(g, 5, -50);
        auto c = NmoGather(g, x, 2000, 1.5, scan->layout.dt, scan->layout.delrt);
        if (c.size() != g.samples.size()) __builtin_trap();
      }
    }
  }
  return 0;
}
