#include "boardtest/engine/filter_sets.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

namespace keld::boardtest {

namespace {

using Half = std::array<double, 5>;
using Tail = std::array<double, 8>;

constexpr std::array<double, 9> kBinomial = {1, 8, 28, 56, 70, 56, 28, 8, 1};

void Load(FilterCoeffs& f, const Half& b, const Tail& a) {
  for (int k = 0; k < 5; ++k) f.b[k] = f.b[8 - k] = b[k];
  f.a[0] = 1;
  for (int k = 0; k < 8; ++k) f.a[k + 1] = a[k];
}

// A set whose numerator is g x C(8, k) with g chosen for unity gain at 0 Hz.
void LoadUnity(FilterCoeffs& f, const Tail& a) {
  double sum = 1;
  for (double v : a) sum += v;
  const double g = sum / 256.0;
  for (int k = 0; k < 9; ++k) f.b[k] = g * kBinomial[k];
  f.a[0] = 1;
  for (int k = 0; k < 8; ++k) f.a[k + 1] = a[k];
}

}  // namespace

void Coeff_16000(FilterCoeffs& f) {
  // The denominator as designed; the gain is set for unity at 0 Hz (the
  // numerator held for this rate amplified every trace 2.7 times).
  LoadUnity(f, {-7.17560689330254, 22.5653230328407, -40.6163433744019, 45.7641401499277,
                -33.0512626391112, 14.9404682489958, -3.86467145189188, 0.437953228642852});
}

void Coeff_8000(FilterCoeffs& f) {
  // The Butterworth design whose corner (409.63 Hz) fits the other
  // coefficients of this rate; a[7] comes from the design.
  LoadUnity(f, {-6.35166149338859, 17.7904287601253, -28.6786844550192, 29.0843295583676,
                -18.9916630000868, 7.79435656903368, -1.837499499998146, 0.190447246272342});
}

void Coeff_4000(FilterCoeffs& f) {
  Load(f,
       {2.80348271344067e-05, 0.000224278617075253, 0.000784975159763387, 0.00156995031952677,
        0.00196243789940847},
       {-4.70736612676377, 10.1404022551559, -12.9157405384955, 10.5733547894542,
        -5.67256380964076, 1.94157051824088, -0.386685040053477, 0.0342422387732752});
}

void Coeff_2000(FilterCoeffs& f) {
  Load(f,
       {0.00263721911386832, 0.0210977529109465, 0.0738421351883129, 0.147684270376626,
        0.184605337970782},
       {-1.4373527888169, 1.8959776410899, -1.32684568031411, 0.752680625214126,
        -0.267806784304733, 0.0687590687798887, -0.0100332511124467, 0.000704297691017539});
}

void Coeff_1000_2(FilterCoeffs& f) {
  Load(f,
       {0.00262866920325507, 0.0210293536260405, 0.0736027376911418, 0.147205475382284,
        0.184006844227855},
       {-1.44068906078289, 1.8998641470586, -1.33113067481238, 0.755048336125728,
        -0.268850603332202, 0.0690253636302732, -0.0100774924435966, 0.000707398820081919});
}

void Coeff_1000_1(FilterCoeffs& f) {
  Load(f,
       {8.4376679488729e-07, 6.75013435909836e-06, 2.36254702568442e-05, 4.72509405136885e-05,
        5.90636756421106e-05},
       {-6.02338295525125, 16.0661153744404, -24.7502163382812, 24.0592610161701,
        -15.0984226031788, 5.96903138330489, -1.35833755295252, 0.136152119188248});
}

void Coeff_500(FilterCoeffs& f) {
  Load(f,
       {8.4970925193088e-07, 6.79767401544703e-06, 2.37918590540646e-05, 4.75837181081292e-05,
        5.94796476351615e-05},
       {-6.02136024300019, 16.0558006889516, -24.7273485537059, 24.0307421004429,
        -15.0768454395651, 5.95913849534506, -1.35579482780719, 0.135869703771603});
}

void Coeff_250(FilterCoeffs& f) {
  Load(f,
       {9.74654078759267e-05, 0.000779723263007413, 0.00272903142052595, 0.00545806284105189,
        0.00682257855131487},
       {-4.04935795928805, 7.75353712144884, -8.93762555616997, 6.70929798974073,
        -3.33364701172552, 1.06521941858476, -0.199361282728341, 0.0166820812661212});
}

bool Scegli_Filtro(FilterCoeffs& f, int Frequenza, int choice) {
  switch (Frequenza) {
    case 250: Coeff_250(f); return true;
    case 500: Coeff_500(f); return true;
    case 1000:
      if (choice == 1)
        Coeff_1000_1(f);
      else
        Coeff_1000_2(f);
      return true;
    case 2000: Coeff_2000(f); return true;
    case 4000: Coeff_4000(f); return true;
    case 8000: Coeff_8000(f); return true;
    case 16000: Coeff_16000(f); return true;
    default: return false;
  }
}

float Filtra(const FilterCoeffs& f, bool Senza_Filtro, std::span<const double> x,
             std::span<const double> y, int32_t k) {
  if (k < 0 || static_cast<size_t>(k) >= x.size()) return 0;
  if (Senza_Filtro) return static_cast<float>(x[static_cast<size_t>(k)]);
  if (k < 9 || static_cast<size_t>(k) > y.size()) return 0;
  const size_t n = static_cast<size_t>(k);
  double A = 0, B = 0;
  for (size_t j = 1; j <= 8; ++j) A += f.a[j] * y[n - j];
  for (size_t j = 0; j <= 8; ++j) B += f.b[j] * x[n - j];
  return static_cast<float>(static_cast<float>(B) - static_cast<float>(A));
}

void FiltraTrace(const FilterCoeffs& f, bool Senza_Filtro, std::span<const double> x,
                 std::span<double> y) {
  const size_t n = std::min(x.size(), y.size());
  for (size_t k = 0; k < n; ++k)
    y[k] = Filtra(f, Senza_Filtro, x.first(n), y.first(k), static_cast<int32_t>(k));
}

double FilterGain(const FilterCoeffs& f, double hz, double rate) {
  const double w = 2 * M_PI * hz / rate;
  std::complex<double> num = 0, den = 0;
  for (int k = 0; k < 9; ++k) {
    const std::complex<double> z = std::polar(1.0, -w * k);
    num += f.b[k] * z;
    den += f.a[k] * z;
  }
  return std::abs(num / den);
}

double LargestPole(const FilterCoeffs& f) {
  // Roots of z^8 + a1 z^7 + ... + a8 by Durand-Kerner; eight roots converge
  // quickly for these well-separated low-pass poles.
  std::array<std::complex<double>, 8> r;
  const std::complex<double> seed(0.4, 0.9);
  for (int i = 0; i < 8; ++i) r[i] = std::pow(seed, i);
  auto poly = [&](std::complex<double> z) {
    std::complex<double> v = 1;
    for (int k = 1; k <= 8; ++k) v = v * z + f.a[k];
    return v;
  };
  for (int it = 0; it < 2000; ++it) {
    double moved = 0;
    for (int i = 0; i < 8; ++i) {
      std::complex<double> d = 1;
      for (int j = 0; j < 8; ++j)
        if (j != i) d *= r[i] - r[j];
      const std::complex<double> step = poly(r[i]) / d;
      r[i] -= step;
      moved = std::max(moved, std::abs(step));
    }
    if (moved < 1e-14) break;
  }
  double m = 0;
  for (const auto& z : r) m = std::max(m, std::abs(z));
  return m;
}

}  // namespace keld::boardtest
