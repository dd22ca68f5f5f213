// keysheet's pure logic: file summary, range rules, word texts and values,
// typing into a cell.
#include <gtest/gtest.h>

#include <cstring>

#include "common/testing/testsupport.hpp"
#include "keysheet/core/grid_keys.hpp"
#include "keysheet/core/header_table.hpp"
#include "keysheet/core/range_rules.hpp"
#include "keysheet/core/su_summary.hpp"
#include "keysheet/tests/su_files.hpp"

using namespace keld;
using namespace keld::keysheet;

TEST(SuSummary, WholeTracesOnlyAndUnreadableFilesRefused) {
  keld::testing::TempDir dir;
  // 3.5 traces of 10 samples: 3 traces.
  auto bytes = testfiles::MakeSu(4, 10, 500);
  bytes.resize(bytes.size() - 140);
  testfiles::WriteBytes(dir / "a.su", bytes);
  auto s = ReadSuSummary(dir / "a.su");
  ASSERT_TRUE(s) << s.error();
  EXPECT_EQ(s->ns, 10);
  EXPECT_EQ(s->dt, 500);
  EXPECT_EQ(s->traces, 3);

  bytes.resize(200);  // not even a header
  testfiles::WriteBytes(dir / "b.su", bytes);
  EXPECT_FALSE(ReadSuSummary(dir / "b.su"));
  auto zero = testfiles::MakeSu(2, 0, 500);
  testfiles::WriteBytes(dir / "c.su", zero);
  EXPECT_FALSE(ReadSuSummary(dir / "c.su"));
  EXPECT_FALSE(ReadSuSummary(dir / "missing.su"));
}

TEST(RangeRules, GridAndSpreadsheetBoxesSettle) {
  struct Case { double typed; int64_t traces; int64_t first, last; };
  for (const Case& c : {Case{0, 300, 1, 121}, Case{-5, 300, 1, 121}, Case{179.5, 300, 180, 300},
                        Case{5, 500, 5, 125}, Case{1e30, 500, 380, 500}}) {
    const TraceRange r = GridRange(c.typed, c.traces);
    EXPECT_EQ(r.first, c.first) << c.typed << " of " << c.traces;
    EXPECT_EQ(r.last, c.last) << c.typed << " of " << c.traces;
  }
  EXPECT_FALSE(SheetFirstTooLarge(100, 100));
  EXPECT_EQ(SheetFirstAfterTooLarge(10), 1);
  const TraceRange s = SheetRange(-3, 500, 100);
  EXPECT_EQ(s.first, 1);
  EXPECT_EQ(s.last, 100);
  EXPECT_EQ(GridColumns(48), 48);
  EXPECT_EQ(GridColumns(500), 120);
}

TEST(WordValues, TextsAndStoredValues) {
  EXPECT_EQ(WordText(72, 125), "12.5");
  EXPECT_EQ(WordText(72, -7), "-0.7");
  EXPECT_EQ(WordText(72, 30), "3");
  EXPECT_EQ(WordText(74, 1065353216), "1065353216");
  EXPECT_EQ(WordText(8, -2), "-2");

  struct Case { int word; const char* text; bool ok; int32_t stored; };
  for (const Case& c : {Case{72, "12.5", true, 125}, Case{72, "-0.7", true, -7}, Case{8, "2.5", true, 2},
                        Case{8, "3.5", true, 4}, Case{8, "40000", false, 0}, Case{1, "40000", true, 40000},
                        Case{8, "-32768", true, -32768}, Case{8, "32768", false, 0}, Case{1, "2147483648", false, 0},
                        Case{72, "214748364.7", true, 2147483647}, Case{72, "214748364.8", false, 0},
                        Case{12, "-1250", true, -1250}, Case{86, "", true, 0}, Case{86, "12 x", true, 12},
                        Case{39, "251", true, 251}, Case{39, "250", false, 0}, Case{87, "1", false, 0}}) {
    auto r = StoredValueOf(c.word, c.text, 251);
    EXPECT_EQ(static_cast<bool>(r), c.ok) << c.word << " " << c.text;
    if (r && c.ok) {
      EXPECT_EQ(*r, c.stored) << c.word << " " << c.text;
    }
    if (!r) {
      EXPECT_FALSE(r.error().empty());
    }
  }
  EXPECT_EQ(*StoredValueOfNumber(72, 125, 10), 125);  // the spreadsheet carries word 72 unscaled
  EXPECT_FALSE(StoredValueOfNumber(8, 1e300, 10));
}

TEST(WordRange, ReadsWholeHeadersAndLeavesMissingTracesEmpty) {
  keld::testing::TempDir dir;
  auto bytes = testfiles::MakeSu(3, 1000, 250);
  const float one = 1.0f;
  std::memcpy(&bytes[188], &one, 4);  // a float where the editor sees an integer
  bytes[2 * 4240 + 222] = 0x39;       // word 86 of trace 3, at file byte 8702
  bytes[2 * 4240 + 223] = 0x30;
  testfiles::WriteBytes(dir / "a.su", bytes);
  auto t = ReadWordRange(dir / "a.su", 1000, 2, 3);
  ASSERT_TRUE(t) << t.error();
  ASSERT_EQ(t->size(), 3u);
  ASSERT_TRUE((*t)[0] && (*t)[1]);
  EXPECT_FALSE((*t)[2]);  // trace 4 is not in the file
  EXPECT_EQ((*(*t)[0])[0], 2);       // tracl
  EXPECT_EQ((*(*t)[1])[85], 0x3039);  // word 86 of trace 3
  EXPECT_EQ((*(*t)[0])[38], 1000);    // ns
  auto first = ReadWordRange(dir / "a.su", 1000, 1, 1);
  EXPECT_EQ((*(*first)[0])[73], 1065353216);
}

TEST(GridKeys, TypingIntoACell) {
  struct Step { int code; const char* before; int neuve; const char* after; KeyOutcome out; };
  for (const Step& s : {
           Step{49, "500", 0, "5001", KeyOutcome::Edited},        // appended after F2 or a double click
           Step{49, "500", 1, "1", KeyOutcome::Edited},           // after an arrow: a new text
           Step{103, "", 0, "7", KeyOutcome::Edited},             // keypad 7
           Step{55, "", 0, "7", KeyOutcome::Edited},
           Step{110, "1", 0, "1.", KeyOutcome::Edited},           // keypad point
           Step{190, "1", 0, "1.", KeyOutcome::Edited},
           Step{8, "12", 0, "1", KeyOutcome::Edited},             // backspace
           Step{8, "", 0, "", KeyOutcome::Edited},
           Step{46, "123", 0, "", KeyOutcome::Edited},            // Delete clears
           Step{189, "", 0, "-", KeyOutcome::Edited},             // a sign first
           Step{109, "500", 1, "-", KeyOutcome::Edited},
           Step{189, "5", 0, "5", KeyOutcome::Recolour},          // not inside a number
           Step{65, "5", 0, "5", KeyOutcome::Recolour},           // a letter only recolours
       }) {
    std::string text = s.before;
    CellTyping st{s.neuve};
    EXPECT_EQ(ApplyGridKey(s.code, 3, 2, text, st), s.out) << s.code << " on " << s.before;
    EXPECT_EQ(text, s.after) << s.code << " on " << s.before;
  }
  std::string text = "9";
  CellTyping st;
  EXPECT_EQ(ApplyGridKey(37, 3, 2, text, st), KeyOutcome::Navigation);
  EXPECT_EQ(st.saisie_neuve, 1);
  EXPECT_EQ(ApplyGridKey(49, 0, 3, text, st), KeyOutcome::Ignored);  // trace-number row
  EXPECT_EQ(ApplyGridKey(49, 3, 1, text, st), KeyOutcome::Ignored);  // title column
  EXPECT_EQ(text, "9");
  EXPECT_EQ(st.saisie_neuve, 1);
  // F2 on the cell just chosen: the value is edited in place.
  text = "500";
  EXPECT_EQ(ApplyGridKey(113, 3, 2, text, st), KeyOutcome::Recolour);
  EXPECT_EQ(ApplyGridKey(49, 3, 2, text, st), KeyOutcome::Edited);
  EXPECT_EQ(text, "5001");
}
