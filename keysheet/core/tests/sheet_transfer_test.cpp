// The worksheet of a transfer and its checked reading back.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <sys/resource.h>

#include "common/testing/testsupport.hpp"
#include "keysheet/core/sheet_transfer.hpp"
#include "keysheet/tests/su_files.hpp"
#include "platform/signals.hpp"

using namespace keld;
using namespace keld::keysheet;

namespace {
WordChoice Words(std::initializer_list<int> words) {
  WordChoice c{};
  for (int w : words) c[static_cast<size_t>(w)] = 1;
  return c;
}
std::vector<TraceWords> ThreeTraces() {
  std::vector<TraceWords> t;
  for (int k = 1; k <= 3; ++k) {
    WordValues v{};
    v[0] = k;
    v[38] = 251;
    v[85] = 100 * k;
    t.push_back({k, v});
  }
  return t;
}
}  // namespace

TEST(SheetTransfer, CellsOfWords1And86ForTraces1To3) {
  const Sheet s = BuildSheet(ThreeTraces(), Words({1, 86}));
  EXPECT_EQ(s.at(1, 1).text, "Trace sequence number within line.");
  EXPECT_EQ(s.at(1, 21).text, "Scalar for coordinates ");
  EXPECT_EQ(s.at(1, 86).text, "First break time");
  EXPECT_EQ(s.at(1, 87).text, "Trace Nb");
  for (int row = 2; row <= 4; ++row) {
    EXPECT_EQ(s.at(row, 1).number, row - 1);
    EXPECT_EQ(s.at(row, 86).number, 100 * (row - 1));
    EXPECT_EQ(s.at(row, 87).number, row - 1);
    EXPECT_EQ(s.at(row, 2).kind, SheetCell::Kind::Empty);
  }
  EXPECT_EQ(s.rows(), 4);
  EXPECT_EQ(SheetCopyPath("/d/line7.su"), "/d/line7.ods");
  EXPECT_EQ(SheetCopyPath("b.sgy"), "b.sods");
  EXPECT_EQ(SheetColumnName(1), "A");
  EXPECT_EQ(SheetColumnName(26), "Z");
  EXPECT_EQ(SheetColumnName(27), "AA");
  EXPECT_EQ(SheetColumnName(86), "CH");
}

TEST(SheetTransfer, ASheetOfAnyRangeAWorksheetHoldsIsHandedOut) {
  auto most = SheetLimits(1048575);
  ASSERT_TRUE(most) << most.error();
  EXPECT_EQ(most->rows, 1048576);
  EXPECT_EQ(most->cols, 87);
  auto more = SheetLimits(1048576);
  ASSERT_FALSE(more);
  EXPECT_NE(more.error().find("at most 1048575 traces"), std::string::npos) << more.error();
}

TEST(SheetTransfer, ReadBackTakesEveryChosenCellOrNothing) {
  const WordChoice chosen = Words({1, 39, 86});
  const Sheet built = BuildSheet(ThreeTraces(), chosen);
  auto same = ReadBackSheet(built, 1, 3, chosen, 251);
  ASSERT_TRUE(same) << same.error();
  EXPECT_EQ(same->size(), 9u);
  EXPECT_EQ((*same)[2].word, 86);
  EXPECT_EQ((*same)[2].value, 100);

  struct Case { const char* what; std::function<void(Sheet&)> edit; const char* cell; };
  const std::vector<Case> cases = {
      {"text in a number cell", [](Sheet& s) { s.set_text(3, 86, "abc"); }, "CH3"},
      {"empty cell", [](Sheet& s) { s.set(3, 1, {}); }, "A3"},
      {"16-bit overflow", [](Sheet& s) { s.set_number(4, 86, 40000); }, "CH4"},
      {"ns changed", [](Sheet& s) { s.set_number(2, 39, 250); }, "AM2"},
      {"row deleted", [](Sheet& s) { s.set_number(3, 87, 3); s.set(4, 87, {}); }, "CI3"},
      {"rows sorted", [](Sheet& s) { s.set_number(2, 87, 2); s.set_number(3, 87, 1); }, "CI2"},
      {"row added", [](Sheet& s) { s.set_number(5, 1, 4); }, "A5"},
  };
  for (const Case& c : cases) {
    Sheet s = built;
    c.edit(s);
    auto r = ReadBackSheet(s, 1, 3, chosen, 251);
    ASSERT_FALSE(r) << c.what;
    EXPECT_EQ(r.error().rfind("Nothing was written", 0), 0u) << c.what;
    EXPECT_NE(r.error().find(std::string("cell ") + c.cell + " "), std::string::npos) << r.error();
  }
  // Halves to the even neighbour; a number typed as text is a number.
  Sheet s = built;
  s.set_number(2, 86, 2.5);
  s.set_text(3, 86, " 3.5 ");
  auto r = ReadBackSheet(s, 1, 3, chosen, 251);
  ASSERT_TRUE(r) << r.error();
  EXPECT_EQ((*r)[2].value, 2);
  EXPECT_EQ((*r)[5].value, 4);
}

TEST(SheetTransfer, WriteWordsChecksTheFileBeforeWritingAny) {
  keld::testing::TempDir dir;
  testfiles::WriteBytes(dir / "a.su", testfiles::MakeSu(3, 10, 1000));
  const auto before = keld::testing::ReadBytes(dir / "a.su");
  std::vector<WordWrite> w = {{1, 86, 7}, {4, 86, 7}};
  EXPECT_FALSE(WriteWords(dir / "a.su", 10, w));  // trace 4 is not there
  EXPECT_FALSE(WriteWords(dir / "a.su", 11, {{1, 86, 7}}));
  EXPECT_EQ(keld::testing::ReadBytes(dir / "a.su"), before);
  ASSERT_TRUE(WriteWords(dir / "a.su", 10, {{2, 86, 7}}));
  EXPECT_EQ(keld::testing::ReadBytes(dir / "a.su")[280 + 222], 7);
}

// A transfer writes all of its words or none: a value that does not fit its
// word, or a write that fails part-way through (a full disc), leaves every
// byte of the file as it was and nothing beside it.
TEST(SheetTransfer, WriteWordsWritesAllOrNothing) {
  keld::testing::TempDir dir;
  const std::string su = dir / "a.su";
  testfiles::WriteBytes(su, testfiles::MakeSu(3, 10, 1000));  // 280-byte traces
  const auto before = keld::testing::ReadBytes(su);
  auto alone = [&] {  // no temporary left beside it
    auto it = std::filesystem::directory_iterator(dir.path());
    return std::distance(it, std::filesystem::directory_iterator{}) == 1;
  };
  // Word 86 (byte 222) holds 16 bits: 70000 is refused after trace 1 got its word.
  EXPECT_FALSE(WriteWords(su, 10, {{1, 86, 7}, {2, 86, 70000}}));
  EXPECT_EQ(keld::testing::ReadBytes(su), before);
  // A disc that fills up: the file-size limit makes writes fail past 300 bytes.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  IgnoreFileSizeSignal();  // as keysheet's start-up does
  struct rlimit small = old;
  small.rlim_cur = 300;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Status s = WriteWords(su, 10, {{1, 86, 7}, {3, 1, -2}});
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(s);
  EXPECT_NE(s.error.find("Nothing was written"), std::string::npos) << s.error;
  EXPECT_NE(s.error.find(std::strerror(EFBIG)), std::string::npos) << s.error;
  EXPECT_EQ(keld::testing::ReadBytes(su), before);
  EXPECT_TRUE(alone());
  // The same words written whole: byte 222 of trace 1 and tracl (byte 0) of
  // trace 3 at 560, little-endian; nothing else changes.
  ASSERT_TRUE(WriteWords(su, 10, {{3, 1, -2}, {1, 86, 7}}));
  auto want = before;
  want[222] = 7;
  for (size_t k = 0; k < 4; ++k) want[560 + k] = k == 0 ? 0xFE : 0xFF;
  EXPECT_EQ(keld::testing::ReadBytes(su), want);
  EXPECT_TRUE(alone());
}
