// Arbitrary text taken as comma-separated columns, converted with the trace
// count the ASCII window would propose for a few sample counts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion/importers/ascii_columns.hpp"

using namespace keld::conversion;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto values = ReadColumnValues(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!values) return 0;
  for (int ns : {1, 3, 512}) {
    const int64_t traces = ColumnTraces(static_cast<int64_t>(values->size()), ns);
    if (traces > 0 && traces <= 32767) (void)ImportColumns(*values, {ns, static_cast<int>(traces), 1, true});
  }
  return 0;
}
