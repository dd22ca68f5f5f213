#pragma once
// The 8-pole Butterworth low-pass filters that every recorded or monitored
// trace passes through: six ready-made coefficient sets, the choice of set by
// sampling frequency, the cutoff options offered per frequency, and the
// direct-form recurrence itself.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace keld::korvan {

// The set in force. Both arrays are zero until a set is loaded; Coeff_A[0] is 1
// once loaded and is not used by the recurrence.
struct FilterState {
  std::array<float, 9> Coeff_B{};  // b0..b8
  std::array<float, 9> Coeff_A{};  // a0..a8
  bool Senza_Filtro = false;       // "No Filter" ticked
};

enum class FilterSet { Coeff_16000, Coeff_8000, Coeff_4000, Coeff_2000, Coeff_500, Coeff_250 };

// Each writes its set into Coeff_B and Coeff_A.
void Coeff_16000(FilterState& f);
void Coeff_8000(FilterState& f);
void Coeff_4000(FilterState& f);
void Coeff_2000(FilterState& f);
void Coeff_500(FilterState& f);
void Coeff_250(FilterState& f);
void LoadFilterSet(FilterState& f, FilterSet set);

// The set used at a sampling frequency (1000 Hz depends on whether F60 is
// ticked); nullopt for a frequency the rate list does not offer. 16000 Hz is
// such a frequency: its set, held in 32-bit floats, is not a stable recursion.
std::optional<FilterSet> FilterSetForRate(int Freq_Campionamento, bool F60);

// Loads the set for the frequency; a frequency without one leaves the
// coefficients as they are. Returns the set loaded, if any.
std::optional<FilterSet> Scegli_Filtro(FilterState& f, int Freq_Campionamento, bool F60);

// What the cutoff option buttons show at a frequency.
enum class CutoffOption { F30, F60, F200, F400 };
struct FilterOptions {
  bool F30 = false, F60 = false, F200 = false, F400 = false;  // enabled
  CutoffOption ticked = CutoffOption::F400;
};
// nullopt: the buttons stay as they are (a frequency with no filter set).
std::optional<FilterOptions> Options_Filtre(int Freq_Campionamento);

// Output n (1..N) of the recurrence over one channel. `received` holds the N
// samples received for the channel; output n takes received[n - 1] as its input
// x(n). `outputs` holds the outputs already computed, outputs[i - 1] being
// output i, for i = 1..n-1 at least. With filtering on, outputs 1..8 are 0 and
// from output 9 on
//   y(n) = (b0 x(n) + ... + b8 x(n-8)) - (a1 y(n-1) + ... + a8 y(n-8)),
// each sum formed in double left to right and rounded to float, then the
// difference rounded to float. With "No Filter" the input comes back bit for
// bit. An n outside 1..N reads nothing and gives 0.
float Filtra(const FilterState& f, std::span<const float> received,
             std::span<const float> outputs, int32_t n);

// All N outputs of a channel at once: out[i - 1] = Filtra(i) for i = 1..N,
// with N = min(received.size(), out.size()); any further entries of out are 0.
void FiltraTrace(const FilterState& f, std::span<const float> received, std::span<float> out);

}  // namespace keld::korvan
