#pragma once
// The display modes and the amplitude colours of the two stroke modes.
#include <cstdint>
#include <string>

#include "ombrix/page/compose.hpp"

namespace keld::ombrix {

// The entries of the display-type list, in list order, and their mode words.
inline constexpr const char* kDisplayTypes[5] = {"Wiggle  + Area", "Wiggle", "Positive only",
                                                 "Amplitude color", "Amplitude grey scale"};
inline constexpr const char* kModeWords[5] = {"normal", "wiggle", "area", "color", "grey"};

// combo1_Click: the mode word of a list position; outside 0..4 it stays.
void SetModeWord(std::string& mode_word, int position);

ColourTable DefaultColourTable();
ColourTable BuiltInPalette();

// Lecture_INI_Couleur: Amplitude1..Amplitude16 of Visual_KELD.ini.
ColourTable Lecture_INI_Couleur();

// Recherche_couleur: the colour of a sample by its ratio to the trace maximum
// (sample / M; +-infinity when M is 0). Eight bins a side, the top bin of each
// side taking everything from 7/8 up. "color" uses the table (replaced once by
// the built-in palette when Amplitude6 is below 1000), any other word the
// grey ramp.
uint32_t Recherche_couleur(double ratio, ColourTable& table, const std::string& mode_word);

}  // namespace keld::ombrix
