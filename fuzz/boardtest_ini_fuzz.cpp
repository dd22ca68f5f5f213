// boardtest's ini.txt reader over arbitrary bytes: nothing read outside the
// text, and what it read writes back and reads again to the same values.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "boardtest/engine/settings_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::boardtest;
  IniValues v;
  ParseIniTxt(std::string_view(reinterpret_cast<const char*>(data), size), v);
  v.apply_defaults();
  // Texts that hold a quote or a line end cannot come back unchanged; the
  // numbers always do.
  const std::vector<int16_t> errori(256, 1);
  IniValues back;
  ParseIniTxt(FormatIniTxt(v, errori), back);
  if (back.settings != v.settings || back.Num_Unita != v.Num_Unita || back.Campioni != v.Campioni ||
      back.Frequenza != v.Frequenza || back.Polarita != v.Polarita || back.Notch_50 != v.Notch_50)
    std::abort();
  return 0;
}
