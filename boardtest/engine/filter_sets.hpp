#pragma once
// boardtest's 8th-order low-pass filter: its own coefficient sets (one per
// sampling rate, two at 1000 Hz), the choice of set, and the direct-form
// recursion applied sample by sample. Everything in double precision, as the
// console holds its samples.
#include <array>
#include <cstdint>
#include <span>

namespace keld::boardtest {

// The set in force: b[0..8] and a[0..8], a[0] = 1 once a set is loaded. All
// zero before the first set is loaded.
struct FilterCoeffs {
  std::array<double, 9> b{};
  std::array<double, 9> a{};
};

// One routine per set; each overwrites all eighteen values.
void Coeff_16000(FilterCoeffs& f);
void Coeff_8000(FilterCoeffs& f);
void Coeff_4000(FilterCoeffs& f);
void Coeff_2000(FilterCoeffs& f);
void Coeff_1000_2(FilterCoeffs& f);
void Coeff_1000_1(FilterCoeffs& f);
void Coeff_500(FilterCoeffs& f);
void Coeff_250(FilterCoeffs& f);

// Loads the set of the sampling rate; at 1000 Hz `choice` 1 gives the 60 Hz
// set and any other choice the 200 Hz one. A rate outside the seven offered
// leaves the set in force. Returns whether a set was loaded.
bool Scegli_Filtro(FilterCoeffs& f, int Frequenza, int choice);

// Filtered value of sample k of x, given the outputs y[0..k-1] already
// computed: x[k] itself when `Senza_Filtro`; else 0 for k < 9, and from k = 9
//   B = b0 x[k] + ... + b8 x[k-8],  A = a1 y[k-1] + ... + a8 y[k-8]
// each summed in double and rounded to float, then B - A rounded to float. A k
// outside x (or, filtering, outside y's history) gives 0.
float Filtra(const FilterCoeffs& f, bool Senza_Filtro, std::span<const double> x,
             std::span<const double> y, int32_t k);

// y[k] = Filtra(k) for k = 0..n-1, n the smaller of the two lengths.
void FiltraTrace(const FilterCoeffs& f, bool Senza_Filtro, std::span<const double> x,
                 std::span<double> y);

// Gain of the set at `hz` for a sampling rate `rate` (|H(e^jw)|; 0 Hz gives
// sum(b) / sum(a)). For the checks of each set.
double FilterGain(const FilterCoeffs& f, double hz, double rate);
// Largest pole modulus of the set (below 1 for a stable recursion).
double LargestPole(const FilterCoeffs& f);

}  // namespace keld::boardtest
