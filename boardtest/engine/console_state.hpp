#pragma once
// The program-wide values of boardtest, one object created by main and handed
// to the windows and to the engine. Names as the console has always used them.
#include <array>
#include <cstdint>
#include <vector>

#include "boardtest/engine/filter_sets.hpp"

namespace keld::boardtest {

// One error count per unit number the link can address (0 to 255); ini.txt
// keeps those of units 1 to 48.
inline constexpr int kUnitNumbers = 256;
inline constexpr int kRowsMax = 48;
inline constexpr int16_t kCountCeiling = 32767;

struct BoardtestState {
  int16_t Arresto = 0;       // 1 after STOP: every wait and the polling cycle end
  int16_t Modo_Trigger = 0;  // byte 10 of the arm packet
  int32_t Campioni = 256;    // samples per channel
  int32_t Pre_Campioni = 0;  // always 0 in the arm packet
  int32_t Frequenza = 1000;  // sampling rate, Hz
  int Notch_50 = 0, Notch_60 = 0;
  int16_t Polarita = 0;      // 1: trigger on contact opening
  int16_t Num_Unita = 12;    // unit rows shown and polled
  std::array<int16_t, 4> settings{1, 5, 0, 0};  // ini.txt lines 1 to 4, carried only
  std::vector<int16_t> Errori = std::vector<int16_t>(kUnitNumbers, 0);

  // Drawing of the rows (picture units of the row pictures).
  double Scala = 0;           // picture units per count
  double Passo_X = 0;         // per sample
  float Centro_Y = 0;         // mid-height of a row picture
  double picture_height = 0;  // ScaleHeight of a row picture
  bool Autoscala = false;
  int16_t Salta_Campioni = 1;  // first sample drawn

  // Filtering.
  bool Senza_Filtro = false;
  int16_t Scelta_Filtro = 2;  // at 1000 Hz: 1 the 60 Hz set, 2 the 200 Hz set
  FilterCoeffs filter;        // the set loaded at the last GO
  bool Opzione_Lettura = false;

  // Adds one failure to a unit's count; numbers outside 0..255 have none, and
  // a count stops at its largest value.
  void count_error(int unit) {
    if (unit < 0 || unit >= kUnitNumbers) return;
    if (Errori[static_cast<size_t>(unit)] < kCountCeiling) ++Errori[static_cast<size_t>(unit)];
  }
};

}  // namespace keld::boardtest
