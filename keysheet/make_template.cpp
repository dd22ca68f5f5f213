// Writes the spreadsheet template header.ods (row 1: the 86 word descriptions
// and the trace-number heading) that the build ships beside the programs.
#include <cstdio>

#include "keysheet/core/sheet_transfer.hpp"
#include "platform/sheet/ods.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: keysheet_make_template OUTPUT.ods\n");
    return 2;
  }
  using namespace keld;
  Status s = WriteOds(argv[1], keysheet::kSheetName, keysheet::DescriptionRow());
  if (!s) {
    std::fprintf(stderr, "%s\n", s.error.c_str());
    return 1;
  }
  return 0;
}
