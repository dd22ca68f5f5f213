#pragma once
// What the main window hands the seismogram drawing (read from its controls)
// and what the drawing hands back (for its globals and captions).
#include <cstdint>
#include <string>

namespace keld::korvan {

// Values of Mode_Affichage.
constexpr int kModeWiggleFilled = 0;  // wiggle, right of the zero line filled by strokes
constexpr int kModeWiggle = 6;        // plain wiggle
constexpr int kModeVariableArea = 5;  // right lobes only, filled, outlined in black
constexpr int kModeTwoColour = 2;     // every lobe, right and left in their own colour

// Entries of the normalisation list egali.
constexpr int kNoNormalisation = -1;
constexpr int kTrueAmplitude = 0;         // "True amplitude"
constexpr int kNormalEqualization = 1;    // "Normal trace equalization"
constexpr int kAverageEqualization = 2;   // "Average trace equalization"
constexpr int kQuarterEqualization = 3;   // "Trace equalization 1/4 length"

constexpr uint32_t kBlack = 0x000000;

struct DrawParams {
  int Mode_Affichage = kModeWiggleFilled;
  int egali = kNoNormalisation;    // selected index of the list, -1 when none
  float Gain_Affichage = 1.001f;   // the gain caption read as a number, plus 0.001
  bool creverse = false;           // reverse polarity ticked
  bool cclip = false;              // clip ticked: deflections limited to half a column
  // The sample window before this display. The drawing keeps its first sample
  // and always ends at the file's last one; the last one here only serves to
  // work out the step (PrepareDisplay).
  int Premier_Echantillon = 1;
  int Dernier_Echantillon = 0;
  int Pas_Echantillon = 1;         // every Pas_Echantillon-th sample is drawn and examined
  uint32_t Couleur_Remplissage = kBlack;  // fill of the variable-area lobes (0x00BBGGRR)
  uint32_t Couleur_Positive = 0x0000FF;   // two-colour mode, lobes right of the zero line
  uint32_t Couleur_Negative = 0xFF0000;   // two-colour mode, lobes left of it
};

struct DrawResult {
  bool drawn = false;
  std::string error;        // why nothing was drawn (the picture is then as it was)
  int Nb_Campioni = 0;      // samples per trace of the file
  int Nb_Tracce = 0;        // whole traces in the file
  int Premiere_Trace = 0, Derniere_Trace = 0;            // trace window drawn
  int Premier_Echantillon = 0, Dernier_Echantillon = 0;  // sample window drawn
  int Pas_Echantillon = 1;
  double Largeur_Totale = 0;  // traces drawn x 1000 display units
  double Demi_Largeur = 500;
  int Polarite = 1;
  float Gain_Affichage = 0;
};

}  // namespace keld::korvan
