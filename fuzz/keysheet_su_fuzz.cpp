// Reads arbitrary bytes as the SU file the header editor is given: its
// summary, then the words of the first traces, never beyond the file.
#include <cstdint>
#include <string>

#include "keysheet/core/header_table.hpp"
#include "keysheet/core/su_summary.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::keysheet;
  const keld::fuzzing::MemoryFile file(data, size);
  const std::string path = file.path();
  auto sum = ReadSuSummary(path);
  if (!sum) return 0;
  auto words = ReadWordRange(path, sum->ns, sum->traces - 2, 5);
  if (words)
    for (const auto& t : *words)
      if (t)
        for (int w = 1; w <= keld::kHeaderWordCount; ++w) (void)WordText(w, (*t)[static_cast<size_t>(w - 1)]);
  return 0;
}
