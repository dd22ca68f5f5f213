#include "korvan/engine/low_pass.hpp"

#include <algorithm>

namespace keld::korvan {

namespace {

// b0..b4 (b5..b8 mirror b3..b0) and a1..a8 of each set, as stored: nine
// significant digits identify each 32-bit value exactly.
struct StoredSet {
  float b[5];
  float a[8];
};

constexpr StoredSet kSet16000 = {
    {9.38294331e-10f, 7.50635465e-09f, 2.62722395e-08f, 5.2544479e-08f, 6.56806023e-08f},
    {-7.19492435f, 22.6850624f, -40.9350853f, 46.2364273f, -33.47192f, 15.1656713f,
     -3.93176556f, 0.446533978f}};
constexpr StoredSet kSet8000 = {
    {1.66795488e-07f, 1.3343639e-06f, 4.67027394e-06f, 9.34054788e-06f, 1.16756846e-05f},
    {-6.39036465f, 18.0003376f, -29.1710987f, 29.7313747f, -19.5056324f, 8.0409956f,
     -1.90366888f, 0.198100016f}};
constexpr StoredSet kSet4000 = {
    {2.40260542e-05f, 0.000192208434f, 0.000672729511f, 0.00134545902f, 0.00168182387f},
    {-4.7845149f, 10.4450407f, -13.4577198f, 11.1293306f, -6.02526045f, 2.0792737f,
     -0.417217165f, 0.0372001007f}};
constexpr StoredSet kSet2000 = {
    {0.00226917746f, 0.0181534197f, 0.0635369644f, 0.127073929f, 0.158842415f},
    {-1.59056652f, 2.08381319f, -1.53262556f, 0.869440913f, -0.319175929f, 0.0820901319f,
     -0.0122466702f, 0.000861368375f}};
constexpr StoredSet kSet500 = {
    {7.17130206e-07f, 5.73704165e-06f, 2.00796458e-05f, 4.01592915e-05f, 5.01991162e-05f},
    {-6.06879091f, 16.2986641f, -25.2677917f, 24.707056f, -15.590168f, 6.19518948f,
     -1.41663456f, 0.142644718f}};
constexpr StoredSet kSet250 = {
    {8.26592222e-05f, 0.000661273778f, 0.00231445837f, 0.00462891674f, 0.00578614557f},
    {-4.14380312f, 8.0730257f, -9.44183826f, 7.17658949f, -3.60505533f, 1.1632117f,
     -0.219615474f, 0.0185232833f}};

void Load(FilterState& f, const StoredSet& s) {
  for (int k = 0; k < 5; ++k) {
    f.Coeff_B[k] = s.b[k];
    f.Coeff_B[8 - k] = s.b[k];
  }
  f.Coeff_A[0] = 1.0f;
  for (int k = 1; k <= 8; ++k) f.Coeff_A[k] = s.a[k - 1];
}

}  // namespace

void Coeff_16000(FilterState& f) { Load(f, kSet16000); }
void Coeff_8000(FilterState& f) { Load(f, kSet8000); }
void Coeff_4000(FilterState& f) { Load(f, kSet4000); }
void Coeff_2000(FilterState& f) { Load(f, kSet2000); }
void Coeff_500(FilterState& f) { Load(f, kSet500); }
void Coeff_250(FilterState& f) { Load(f, kSet250); }

void LoadFilterSet(FilterState& f, FilterSet set) {
  switch (set) {
    case FilterSet::Coeff_16000: Coeff_16000(f); break;
    case FilterSet::Coeff_8000: Coeff_8000(f); break;
    case FilterSet::Coeff_4000: Coeff_4000(f); break;
    case FilterSet::Coeff_2000: Coeff_2000(f); break;
    case FilterSet::Coeff_500: Coeff_500(f); break;
    case FilterSet::Coeff_250: Coeff_250(f); break;
  }
}

std::optional<FilterSet> FilterSetForRate(int Freq_Campionamento, bool F60) {
  switch (Freq_Campionamento) {
    case 8000: return FilterSet::Coeff_8000;
    case 4000: return FilterSet::Coeff_4000;
    case 2000: return FilterSet::Coeff_2000;
    case 1000: return F60 ? FilterSet::Coeff_500 : FilterSet::Coeff_2000;
    case 500: return FilterSet::Coeff_500;
    case 250: return FilterSet::Coeff_250;
    default: return std::nullopt;  // 16000 included: no rate list offers it
  }
}

std::optional<FilterSet> Scegli_Filtro(FilterState& f, int Freq_Campionamento, bool F60) {
  auto set = FilterSetForRate(Freq_Campionamento, F60);
  if (set) LoadFilterSet(f, *set);
  return set;
}

std::optional<FilterOptions> Options_Filtre(int Freq_Campionamento) {
  FilterOptions o;
  switch (Freq_Campionamento) {
    case 250:
    case 500:
      o.F30 = true;
      o.ticked = CutoffOption::F30;
      return o;
    case 1000:
      o.F60 = o.F200 = true;
      o.ticked = CutoffOption::F60;
      return o;
    case 2000:
    case 4000:
    case 8000:
      o.F400 = true;
      o.ticked = CutoffOption::F400;
      return o;
    default:
      return std::nullopt;
  }
}

float Filtra(const FilterState& f, std::span<const float> received,
             std::span<const float> outputs, int32_t n) {
  if (n < 1 || static_cast<size_t>(n) > received.size()) return 0.0f;
  const size_t i = static_cast<size_t>(n) - 1;  // index of x(n) and of y(n)
  if (f.Senza_Filtro) return received[i];
  if (n <= 8 || outputs.size() < i) return 0.0f;
  double sa = 0.0;
  for (size_t k = 1; k <= 8; ++k)
    sa += static_cast<double>(f.Coeff_A[k]) * static_cast<double>(outputs[i - k]);
  double sb = 0.0;
  for (size_t k = 0; k <= 8; ++k)
    sb += static_cast<double>(f.Coeff_B[k]) * static_cast<double>(received[i - k]);
  return static_cast<float>(sb) - static_cast<float>(sa);
}

void FiltraTrace(const FilterState& f, std::span<const float> received, std::span<float> out) {
  const size_t n = std::min(received.size(), out.size());
  for (size_t i = 0; i < n; ++i)
    out[i] = Filtra(f, received.first(n), std::span<const float>(out.data(), i),
                    static_cast<int32_t>(i + 1));
  for (size_t i = n; i < out.size(); ++i) out[i] = 0.0f;
}

}  // namespace keld::korvan
