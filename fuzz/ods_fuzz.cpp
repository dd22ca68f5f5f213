// Reads arbitrary bytes as a spreadsheet coming back from the user: as a zip
// workbook when they look like one, else as its content.xml; then checks the
// worksheet as the header editor does before writing anything.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "keysheet/core/sheet_transfer.hpp"
#include "platform/sheet/ods.hpp"
#include "fuzz/scratch_file.hpp"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Result<Sheet> sheet = Result<Sheet>::failure("none");
  if (size >= 2 && data[0] == 'P' && data[1] == 'K') {
    const std::string& path = keld::fuzzing::ScratchPath("");
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    sheet = ReadOds(path, keysheet::kSheetName, *keysheet::SheetLimits(3));
  } else {
    // The first byte chooses the size the worksheet may have.
    const int64_t traces = size ? data[0] * 97 : 3;
    sheet = ParseOdsContent(bytes, keysheet::kSheetName, *keysheet::SheetLimits(traces));
  }
  if (!sheet) return 0;
  keysheet::WordChoice all{};
  all.fill(1);
  (void)keysheet::ReadBackSheet(*sheet, 1, 3, all, 10);
  return 0;
}
