// The helpers of every conversion window: keyword values of text headers, the
// byte swap, the replacement that always ends, the SU geometry readers, and
// the folder of a path.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/shell/module1.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;

TEST(LitValeur, ReadsTheNumberAfterTheKey) {
  struct Case {
    std::string text, key;
    double want;
  } cases[] = {
      {"SAMPLES:512\r\nNEXT:1", "samples:", 512},
      {"time interval: 0.1 ns\r\n", "TIME INTERVAL:", 0.1},
      {"X=-12.5\n", "x=", 12.5},      // a sign is dropped
      {"X=1,5\r", "X=", 15},          // a comma is dropped
      {"RANGE: 7", "RANGE:", 7},      // the end of the text ends the value
      {"EMPTY:\r\n", "EMPTY:", 0},
  };
  for (auto c : cases) {
    double v = -1;
    EXPECT_TRUE(Lit_Valeur(c.text, c.key, v)) << c.key;
    EXPECT_DOUBLE_EQ(v, c.want) << c.key;
  }
  int beeps = 0;
  std::string text = "SAMPLES:512\r\n", key = "ns:";
  double v = 42;
  EXPECT_FALSE(Lit_Valeur(text, key, v, [&] { ++beeps; }));
  EXPECT_EQ(v, 42);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(key, "NS:");  // both texts are turned to upper case in place
  // No line end within the 60 characters after the key: nothing read.
  text = "K:" + std::string(70, '1');
  key = "K:";
  EXPECT_FALSE(Lit_Valeur(text, key, v));
  EXPECT_EQ(v, 42);
}

TEST(SwapInt, ExchangesTheBytes) {
  EXPECT_EQ(Swap_Int(256), 1);
  EXPECT_EQ(Swap_Int(1), 256);
  EXPECT_EQ(Swap_Int(-1), -1);
  EXPECT_EQ(Swap_Int(0x0102), 0x0201);
  EXPECT_EQ(Swap_Int(static_cast<int16_t>(0x80)), static_cast<int16_t>(0x8000));
}

TEST(Remplace, ReplacesEveryOccurrenceAndAlwaysEnds) {
  struct Case {
    std::string text, find, repl, want;
  } cases[] = {
      {"/data//line1.su", "//", "/", "/data/line1.su"},
      {"no match", "x", "y", "no match"},
      {"aaa", "a", "ba", "bababa"},  // the replacement holds the text searched
      {"abc", "", "x", "abc"},       // an empty search changes nothing
      {"a  b", " ", "", "a b"},    // one of two adjacent blanks stays, as everywhere in the suite
  };
  for (auto c : cases) {
    Remplace(c.text, c.find, c.repl);
    EXPECT_EQ(c.text, c.want);
  }
}

namespace {
// An SU file whose traces carry the given tracf and nhs words.
std::string Su(const TempDir& d, const std::string& name, const std::vector<int>& tracf, int ns = 8, int nhs = 0) {
  std::vector<SuTrace> traces;
  for (int t : tracf) {
    SuTrace tr;
    tr.header.tracf = t;
    tr.header.nhs = static_cast<int16_t>(nhs);
    tr.header.ns = static_cast<int16_t>(ns);
    tr.header.dt = 250;
    tr.samples.assign(static_cast<size_t>(ns), 1.0f);
    traces.push_back(tr);
  }
  std::string path = d / name;
  EXPECT_TRUE(WriteSuFile(path, traces).ok());
  return path;
}
std::vector<int> Repeat(int channels, int records) {
  std::vector<int> v;
  for (int r = 0; r < records; ++r)
    for (int c = 1; c <= channels; ++c) v.push_back(c);
  return v;
}
}  // namespace

TEST(NbChannel, FindsTheChannelsOfARecord) {
  TempDir d;
  int16_t ch = -1, st = -1;
  auto f24 = Su(d, "a.su", Repeat(24, 3));
  Nb_Channel(f24, 8, 72, ch, st);
  EXPECT_EQ(ch, 24);
  EXPECT_EQ(st, 0);
  Nb_Channel(Su(d, "b.su", Repeat(4, 6)), 8, 24, ch, st);
  EXPECT_EQ(ch, 0);  // five channels or fewer are not found
  Nb_Channel(Su(d, "c.su", std::vector<int>(20, 3)), 8, 20, ch, st);
  EXPECT_EQ(ch, 0);  // every trace the same channel
  Nb_Channel(Su(d, "d.su", Repeat(12, 2), 8, 2), 8, 24, ch, st);
  EXPECT_EQ(ch, 0);
  EXPECT_EQ(st, 2);  // summed data
  // A caller's count beyond the file reads nothing past its last trace.
  Nb_Channel(Su(d, "e.su", Repeat(10, 1)), 8, 5000, ch, st);
  EXPECT_EQ(ch, 10);
  Nb_Channel(d / "missing.su", 8, 10, ch, st);
  EXPECT_EQ(ch, 0);
}

// The third trace holds 50 samples where the first two hold 100: the scan
// stops there and counts the channels of the first two (tracf 11, 12 in
// every header, each where its trace really starts), taking no word from
// where a trace of 100 samples would lie.
TEST(NbChannel, StopsAtATraceOfAnotherLength) {
  TempDir d;
  const std::vector<std::vector<int>> starts = {{0, 640, 1280, 1720, 2360}, {0, 640, 1280, 1720, 2560}};
  const auto files = keld::testing::WriteLengthChangeFiles(d.path());
  for (size_t f = 0; f < files.size(); ++f) {
    std::string bytes = keld::testing::ReadText(files[f]);
    for (size_t t = 0; t < 5; ++t) bytes[static_cast<size_t>(starts[f][t]) + 12] = static_cast<char>(11 + t);
    keld::testing::WriteText(files[f], bytes);
    int16_t ch = -1, st = -1;
    Nb_Channel(files[f], 100, 5, ch, st);
    EXPECT_EQ(ch, 12) << files[f];
    EXPECT_EQ(st, 0);
  }
}

TEST(LitNsDt, ReadsTheFirstHeaderWithDefaults) {
  TempDir d;
  ConversionState st;
  Lit_ns_dt(st, Su(d, "a.su", {1, 2}, 300));
  EXPECT_EQ(st.Ns, 300);
  EXPECT_EQ(st.Dt, 250);
  Lit_ns_dt(st, d / "missing.su");
  EXPECT_EQ(st.Ns, 1024);
  EXPECT_EQ(st.Dt, 1);
}

TEST(CheminFile, KeepsTheFolderWithItsSlash) {
  ConversionState st;
  Chemin_file(st, "/data/line1.su");
  EXPECT_EQ(st.Work_Dir, "/data/");
  Chemin_file(st, "line1.su");
  EXPECT_EQ(st.Work_Dir, std::filesystem::current_path().string() + "/");
  EXPECT_EQ(BoundSelection({"a", "", "b", "c"}, 2), (std::vector<std::string>{"a", "b"}));
}
