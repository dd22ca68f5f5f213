// The low-pass sets: their responses, their outputs against the SciPy
// reference committed in data/, and the recursion's edges.
#include "boardtest/engine/filter_sets.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace keld::boardtest {
namespace {

struct SetCase {
  const char* name;
  void (*load)(FilterCoeffs&);
  int rate, choice;  // the rate and choice that select it
  double dc_gain;  // at 0 Hz, two or three figures
  double corner;   // -3 dB against the 0 Hz gain
  double lfilter_tolerance;  // of the float recursion against lfilter, relative to the peak
};

const SetCase kSets[] = {
    {"Coeff_16000", Coeff_16000, 16000, 1, 1.0, 409.6, 0.05},
    {"Coeff_8000", Coeff_8000, 8000, 2, 1.0, 409.6, 1e-3},
    {"Coeff_4000", Coeff_4000, 4000, 1, 0.995, 409.6, 1e-4},
    {"Coeff_2000", Coeff_2000, 2000, 2, 0.999, 409.6, 1e-5},
    {"Coeff_1000_2", Coeff_1000_2, 1000, 2, 0.999, 204.7, 1e-5},
    {"Coeff_1000_1", Coeff_1000_1, 1000, 1, 1.078, 61.4, 1e-3},
    {"Coeff_500", Coeff_500, 500, 1, 1.077, 30.7, 1e-3},
    {"Coeff_250", Coeff_250, 250, 2, 1.008, 30.7, 1e-4},
};

std::vector<double> ReadColumn(const std::string& path, int column) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<double> v;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double a = 0, b = 0;
    fields >> a;
    if (column == 1) fields >> b;
    v.push_back(column == 1 ? b : a);
  }
  return v;
}

double Corner(const FilterCoeffs& f, double rate) {
  const double target = FilterGain(f, 0, rate) / std::sqrt(2.0);
  double lo = 0, hi = rate / 2;
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (FilterGain(f, mid, rate) > target ? lo : hi) = mid;
  }
  return lo;
}

TEST(FilterSets, EverySetIsStableWithItsGainAndCorner) {
  for (const auto& c : kSets) {
    SCOPED_TRACE(c.name);
    FilterCoeffs f;
    c.load(f);
    EXPECT_EQ(f.a[0], 1);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(f.b[k], f.b[8 - k], 1e-20);
    EXPECT_LT(LargestPole(f), 0.98);
    EXPECT_NEAR(FilterGain(f, 0, c.rate), c.dc_gain, 0.0015);
    EXPECT_NEAR(Corner(f, c.rate), c.corner, 0.15);
  }
}

TEST(FilterSets, OutputsMatchTheScipyReference) {
  const std::string dir = BOARDTEST_ENGINE_TEST_DATA;
  const std::vector<double> x = ReadColumn(dir + "/filter_input.txt", 0);
  ASSERT_EQ(x.size(), 300u);
  for (const auto& c : kSets) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/filter_" + c.name + ".txt";
    const std::vector<double> lfilter = ReadColumn(path, 0);
    const std::vector<double> rounded = ReadColumn(path, 1);
    ASSERT_EQ(lfilter.size(), x.size());
    FilterCoeffs f;
    c.load(f);
    std::vector<double> y(x.size());
    FiltraTrace(f, false, x, y);
    double peak = 0;
    for (double v : lfilter) peak = std::max(peak, std::fabs(v));
    for (size_t k = 0; k < x.size(); ++k) {
      // The same float roundings as the reference's second column: equal to
      // a float's last digit; and near SciPy's double-precision result.
      EXPECT_NEAR(y[k], rounded[k], 1e-6 * std::max(1.0, std::fabs(rounded[k]))) << "k " << k;
      EXPECT_NEAR(y[k], lfilter[k], c.lfilter_tolerance * peak) << "k " << k;
    }
  }
}

TEST(FilterSets, RecursionEdges) {
  FilterCoeffs f;
  Coeff_2000(f);
  std::vector<double> x(40), y(40), y2(40);
  for (size_t k = 0; k < x.size(); ++k) x[k] = 1000.5 * std::sin(0.3 * static_cast<double>(k)) + 7;
  FiltraTrace(f, false, x, y);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(y[k], 0) << k;
  EXPECT_NE(y[9], 0);
  // x[0] never enters an output.
  x[0] = 1e9;
  FiltraTrace(f, false, x, y2);
  EXPECT_EQ(y, y2);
  // No filter: each sample to single precision, from the first on.
  FiltraTrace(f, true, x, y);
  for (size_t k = 0; k < x.size(); ++k) EXPECT_EQ(y[k], static_cast<float>(x[k]));
  // A k outside the trace reads nothing.
  EXPECT_EQ(Filtra(f, false, x, y, 40), 0);
  EXPECT_EQ(Filtra(f, false, x, y, -1), 0);
  EXPECT_EQ(Filtra(f, false, x, std::span<const double>(y).first(5), 20), 0);
}

TEST(FilterSets, ChoiceBySamplingRate) {
  FilterCoeffs f, want;
  EXPECT_FALSE(Scegli_Filtro(f, 32000, 1));  // nothing loaded: all zero
  EXPECT_EQ(f.a[0], 0);
  for (const auto& c : kSets) {
    EXPECT_TRUE(Scegli_Filtro(f, c.rate, c.choice));
    c.load(want);
    EXPECT_EQ(f.b, want.b) << c.name;
    EXPECT_EQ(f.a, want.a) << c.name;
  }
  EXPECT_FALSE(Scegli_Filtro(f, 3000, 1));  // a rate without a set keeps the one in force
  EXPECT_EQ(f.a, want.a);
}

}  // namespace
}  // namespace keld::boardtest
