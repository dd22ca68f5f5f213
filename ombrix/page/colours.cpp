#include "ombrix/page/colours.hpp"

#include <cmath>

#include "common/numtext.hpp"
#include "common/visual_keld.hpp"

namespace keld::ombrix {

void SetModeWord(std::string& mode_word, int position) {
  if (position >= 0 && position <= 4) mode_word = kModeWords[position];
}

ColourTable DefaultColourTable() {
  return {69782,    71646,    2177022,  5662718,  10463743, 14278143, 16514047, 16775929,
          16764095, 16689042, 16677722, 16662544, 14691841, 12592897, 11346689, 11084545};
}

ColourTable BuiltInPalette() {
  return {0x740A01, 0x69030E, 0xEB071E, 0xF9283E, 0xFA5F6F, 0xFC8793, 0xFDB3BA, 0xFFFBFB,
          0xFFFBFB, 0xFFFBFB, 0xB0B6E3, 0x6C73E3, 0x444BDB, 0x2831D5, 0x2831D5, 0x1E2499};
}

ColourTable Lecture_INI_Couleur() {
  const ColourTable defaults = DefaultColourTable();
  ColourTable t{};
  for (int n = 1; n <= 16; ++n) {
    const std::string text =
        VisualKeldValue("Amplitude" + std::to_string(n), std::to_string(defaults[size_t(n - 1)]));
    auto v = CLng(Val(text));
    t[size_t(n - 1)] = v ? static_cast<uint32_t>(*v) : 0;
  }
  return t;
}

uint32_t Recherche_couleur(double ratio, ColourTable& table, const std::string& mode_word) {
  if (static_cast<int32_t>(table[5]) < 1000) table = BuiltInPalette();
  // Bin 0..7 of the magnitude: below 1/8, below 2/8, ..., 7/8 and beyond.
  const double mag = std::fabs(ratio);
  int bin = 7;
  for (int b = 0; b < 7; ++b)
    if (mag < (b + 1) / 8.0) {
      bin = b;
      break;
    }
  if (mode_word == "color") {
    if (ratio >= 0) return table[size_t(8 + (ratio == 0 ? 0 : bin))];
    return table[size_t(7 - bin)];
  }
  static constexpr uint32_t kPositive[8] = {0x7F7F7F, 0x6F6F6F, 0x5F5F5F, 0x4F4F4F,
                                            0x3F3F3F, 0x2F2F2F, 0x1F1F1F, 0x0F0F0F};
  static constexpr uint32_t kNegative[8] = {0x8F8F8F, 0x9F9F9F, 0xAFAFAF, 0xBFBFBF,
                                            0xCFCFCF, 0xDFDFDF, 0xEFEFEF, 0xFFFFFF};
  if (ratio >= 0) return kPositive[ratio == 0 ? 0 : bin];
  return kNegative[bin];
}

}  // namespace keld::ombrix
