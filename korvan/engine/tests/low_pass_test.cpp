#include "korvan/engine/low_pass.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace keld::korvan {
namespace {

const std::string kData = KORVAN_ENGINE_TEST_DATA;

std::vector<float> ReadInput() {
  std::ifstream f(kData + "/filter_input.txt");
  std::vector<float> x;
  double v;
  while (f >> v) x.push_back(static_cast<float>(v));
  return x;
}

// Columns: lfilter in double, and the recurrence with 32-bit sums.
struct Golden {
  std::vector<double> lfilter;
  std::vector<float> rounded;
};

Golden ReadGolden(const std::string& set) {
  std::ifstream f(kData + "/filter_" + set + ".txt");
  Golden g;
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    double a, b;
    s >> a >> b;
    g.lfilter.push_back(a);
    g.rounded.push_back(static_cast<float>(b));
  }
  return g;
}

FilterState Loaded(FilterSet set) {
  FilterState f;
  LoadFilterSet(f, set);
  return f;
}

std::vector<float> FilterAll(const FilterState& f, const std::vector<float>& x) {
  std::vector<float> y(x.size());
  FiltraTrace(f, x, y);
  return y;
}

struct SetCase {
  FilterSet set;
  const char* name;
  double lfilter_tolerance;  // of the peak; the 32-bit sums drift from double by this much
};

class GoldenOutputs : public ::testing::TestWithParam<SetCase> {};

TEST_P(GoldenOutputs, MatchTheReferenceRecurrence) {
  const SetCase& c = GetParam();
  std::vector<float> x = ReadInput();
  ASSERT_EQ(x.size(), 300u) << "filter_input.txt missing or short";
  Golden g = ReadGolden(c.name);
  ASSERT_EQ(g.rounded.size(), 300u) << "golden file of " << c.name << " missing or short";
  std::vector<float> y = FilterAll(Loaded(c.set), x);

  double peak = 0;
  for (double v : g.lfilter) peak = std::max(peak, std::fabs(v));
  for (size_t i = 0; i < y.size(); ++i) {
    double gold = g.rounded[i];
    EXPECT_NEAR(y[i], gold, 1e-5 * std::max(std::fabs(gold), 1e-3 * peak))
        << c.name << " output " << i + 1;
    if (c.lfilter_tolerance > 0) {
      EXPECT_NEAR(y[i], g.lfilter[i], c.lfilter_tolerance * peak) << c.name << " output " << i + 1;
    }
  }
}

// Coeff_16000 in 32-bit floats has a pole outside the unit circle: rounding
// errors grow without bound, so it is held to the rounded recurrence only.
INSTANTIATE_TEST_SUITE_P(
    AllSets, GoldenOutputs,
    ::testing::Values(SetCase{FilterSet::Coeff_16000, "Coeff_16000", 0},
                      SetCase{FilterSet::Coeff_8000, "Coeff_8000", 2e-3},
                      SetCase{FilterSet::Coeff_4000, "Coeff_4000", 5e-5},
                      SetCase{FilterSet::Coeff_2000, "Coeff_2000", 5e-6},
                      SetCase{FilterSet::Coeff_500, "Coeff_500", 1e-3},
                      SetCase{FilterSet::Coeff_250, "Coeff_250", 2e-5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LowPass, SetsHoldTheStoredValues) {
  FilterState f = Loaded(FilterSet::Coeff_2000);
  EXPECT_EQ(f.Coeff_B[0], 0.00226917746f);
  EXPECT_EQ(f.Coeff_B[4], 0.158842415f);
  EXPECT_EQ(f.Coeff_A[0], 1.0f);
  EXPECT_EQ(f.Coeff_A[1], -1.59056652f);
  EXPECT_EQ(f.Coeff_A[8], 0.000861368375f);
  f = Loaded(FilterSet::Coeff_16000);
  EXPECT_EQ(f.Coeff_B[0], 9.38294331e-10f);
  EXPECT_EQ(f.Coeff_A[5], -33.47192f);
  f = Loaded(FilterSet::Coeff_250);
  EXPECT_EQ(f.Coeff_A[8], 0.0185232833f);
  EXPECT_EQ(f.Coeff_B[3], 0.00462891674f);
}

TEST(LowPass, NumeratorsAreSymmetricBinomialRows) {
  static constexpr int kBinomial[9] = {1, 8, 28, 56, 70, 56, 28, 8, 1};
  for (auto set : {FilterSet::Coeff_16000, FilterSet::Coeff_8000, FilterSet::Coeff_4000,
                   FilterSet::Coeff_2000, FilterSet::Coeff_500, FilterSet::Coeff_250}) {
    FilterState f = Loaded(set);
    for (int k = 0; k < 9; ++k) {
      EXPECT_EQ(f.Coeff_B[k], f.Coeff_B[8 - k]);
      float expected = f.Coeff_B[0] * kBinomial[k];
      EXPECT_LE(std::fabs(f.Coeff_B[k] - expected), std::fabs(expected) * 2e-7f) << k;
    }
  }
}

TEST(LowPass, FirstEightOutputsAreZeroAndTheNinthUsesTheFirstNineInputs) {
  std::vector<float> x = ReadInput();
  ASSERT_GE(x.size(), 9u);
  for (int i = 0; i < 9; ++i) x[i] = 100.0f * (i + 1) - 37.25f;  // no zeros among the first nine
  FilterState f = Loaded(FilterSet::Coeff_4000);
  std::vector<float> y = FilterAll(f, x);
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(y[n - 1], 0.0f) << n;
  double sb = 0;
  for (int k = 0; k <= 8; ++k) sb += static_cast<double>(f.Coeff_B[k]) * x[8 - k];  // x(9 - k)
  EXPECT_EQ(y[8], static_cast<float>(sb));
}

TEST(LowPass, TheFirstReceivedSampleIsAnInput) {
  std::vector<float> x(20, 0.0f);
  x[0] = 1000.0f;
  FilterState f = Loaded(FilterSet::Coeff_2000);
  std::vector<float> y = FilterAll(f, x);
  EXPECT_EQ(y[8], static_cast<float>(static_cast<double>(f.Coeff_B[8]) * 1000.0));
}

TEST(LowPass, NoFilterGivesTheInputBitForBit) {
  std::vector<float> x = {-0.0f, 1e-42f, -1.5f, 3.4e38f, 0.1f, 7.0f, -8388608.0f,
                          2.5f,  1e-7f,  9.0f,  -3.0f};
  x.push_back(std::nanf(""));
  FilterState f = Loaded(FilterSet::Coeff_500);
  f.Senza_Filtro = true;
  std::vector<float> y = FilterAll(f, x);
  for (size_t i = 0; i < x.size(); ++i)
    EXPECT_EQ(std::bit_cast<uint32_t>(y[i]), std::bit_cast<uint32_t>(x[i])) << i;
}

double Settled(FilterSet set, float c) {
  std::vector<float> x(4000, c);
  return FilterAll(Loaded(set), x).back();
}

TEST(LowPass, ConstantInputSettlesAtTheStoredGain) {
  EXPECT_NEAR(Settled(FilterSet::Coeff_2000, 1000.0f) / 1000.0, 0.999, 0.0005);
  EXPECT_NEAR(Settled(FilterSet::Coeff_500, 1000.0f) / 1000.0, 1.086, 0.0005);
  EXPECT_NEAR(Settled(FilterSet::Coeff_500, -250.0f) / -250.0, 1.086, 0.0005);
}

TEST(LowPass, ReadsOnlyTheSamplesReceived) {
  // A long earlier read leaves values past a shorter channel's samples.
  std::vector<float> buffer(500, 12345.0f);
  std::vector<float> fresh(256);
  for (int i = 0; i < 256; ++i) buffer[i] = fresh[i] = std::sin(i * 0.3f) * 500.0f;
  FilterState f = Loaded(FilterSet::Coeff_2000);
  std::vector<float> from_buffer(256), from_fresh(256);
  FiltraTrace(f, std::span<const float>(buffer).first(256), from_buffer);
  FiltraTrace(f, fresh, from_fresh);
  EXPECT_EQ(from_buffer, from_fresh);
  // Output N + 1 would need a sample that was never received.
  EXPECT_EQ(Filtra(f, fresh, from_fresh, 257), 0.0f);
  EXPECT_EQ(Filtra(f, fresh, from_fresh, 0), 0.0f);
  f.Senza_Filtro = true;
  EXPECT_EQ(Filtra(f, fresh, from_fresh, 257), 0.0f);
  EXPECT_EQ(Filtra(f, fresh, from_fresh, 256), fresh[255]);
}

TEST(LowPass, OutputsBeyondTheReceivedSamplesAreZero) {
  std::vector<float> x(50, 100.0f);
  std::vector<float> y(80, 999.0f);
  FiltraTrace(Loaded(FilterSet::Coeff_250), x, y);
  EXPECT_NE(y[49], 0.0f);
  for (size_t i = 50; i < y.size(); ++i) EXPECT_EQ(y[i], 0.0f) << i;
}

TEST(LowPass, EveryOutputIsZeroBeforeAnySetIsLoaded) {
  FilterState f;
  std::vector<float> x = ReadInput();
  EXPECT_FALSE(Scegli_Filtro(f, 400, false));
  for (float v : FilterAll(f, x)) EXPECT_EQ(v, 0.0f);
}

TEST(LowPass, RateChoosesTheSet) {
  EXPECT_EQ(FilterSetForRate(8000, false), FilterSet::Coeff_8000);
  EXPECT_EQ(FilterSetForRate(4000, true), FilterSet::Coeff_4000);
  EXPECT_EQ(FilterSetForRate(2000, false), FilterSet::Coeff_2000);
  EXPECT_EQ(FilterSetForRate(1000, true), FilterSet::Coeff_500);
  EXPECT_EQ(FilterSetForRate(1000, false), FilterSet::Coeff_2000);
  EXPECT_EQ(FilterSetForRate(500, false), FilterSet::Coeff_500);
  EXPECT_EQ(FilterSetForRate(250, true), FilterSet::Coeff_250);
  EXPECT_EQ(FilterSetForRate(16000, false), std::nullopt);
  EXPECT_EQ(FilterSetForRate(400, false), std::nullopt);
  EXPECT_EQ(FilterSetForRate(0, false), std::nullopt);
}

TEST(LowPass, ScegliFiltroLoadsOrKeeps) {
  FilterState f;
  EXPECT_EQ(Scegli_Filtro(f, 1000, true), FilterSet::Coeff_500);
  FilterState expected = Loaded(FilterSet::Coeff_500);
  EXPECT_EQ(f.Coeff_B, expected.Coeff_B);
  EXPECT_EQ(f.Coeff_A, expected.Coeff_A);
  // Neither an unknown rate nor 16000 changes the set in force.
  EXPECT_EQ(Scegli_Filtro(f, 16000, false), std::nullopt);
  EXPECT_EQ(f.Coeff_A, expected.Coeff_A);
  EXPECT_EQ(Scegli_Filtro(f, 400, false), std::nullopt);
  EXPECT_EQ(f.Coeff_B, expected.Coeff_B);
  Scegli_Filtro(f, 2000, true);
  EXPECT_EQ(f.Coeff_A, Loaded(FilterSet::Coeff_2000).Coeff_A);
}

TEST(LowPass, OptionsPerRate) {
  for (int rate : {250, 500}) {
    auto o = Options_Filtre(rate);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->F30);
    EXPECT_FALSE(o->F60 || o->F200 || o->F400);
    EXPECT_EQ(o->ticked, CutoffOption::F30);
  }
  auto o = Options_Filtre(1000);
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->F60 && o->F200);
  EXPECT_FALSE(o->F30 || o->F400);
  EXPECT_EQ(o->ticked, CutoffOption::F60);
  for (int rate : {2000, 4000, 8000}) {
    auto p = Options_Filtre(rate);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->F400);
    EXPECT_FALSE(p->F30 || p->F60 || p->F200);
    EXPECT_EQ(p->ticked, CutoffOption::F400);
  }
  EXPECT_FALSE(Options_Filtre(16000));
  EXPECT_FALSE(Options_Filtre(400));
  EXPECT_FALSE(Options_Filtre(0));
}

}  // namespace
}  // namespace keld::korvan
