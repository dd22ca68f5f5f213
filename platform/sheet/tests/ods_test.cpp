// OpenDocument worksheets: our own round trip, the forms other programs write
// (repeated rows and columns, texts, booleans), damaged and absurd files.
// Gnumeric's ssconvert meets our files in keysheet's transfer tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/testing/testsupport.hpp"
#include "platform/sheet/exchange.hpp"
#include "platform/sheet/ods.hpp"
#include "platform/sheet/testing/workbook.hpp"

using namespace keld;

namespace {
constexpr SheetSize k4By86{4, 86};
constexpr SheetSize kWhole{kMaxSheetRows, kMaxSheetCols};
std::string Wrap(const std::string& tables) { return keld::testing::ContentXml(tables); }
}  // namespace

TEST(Ods, RoundTripOfNumbersTextsAndGaps) {
  keld::testing::TempDir dir;
  Sheet s;
  s.set_text(1, 1, "Scalar for coordinates ");
  s.set_number(1, 3, -2147483648.0);
  s.set_number(2, 2, 12.5);
  s.set_text(4, 86, "a < b & \"c\"");
  ASSERT_TRUE(WriteOds(dir / "a.ods", "Feuil1", s));
  auto back = ReadOds(dir / "a.ods", "Feuil1", k4By86);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->at(1, 1), s.at(1, 1));
  EXPECT_EQ(back->at(1, 3).number, -2147483648.0);
  EXPECT_EQ(back->at(2, 2).number, 12.5);
  EXPECT_EQ(back->at(4, 86).text, "a < b & \"c\"");
  EXPECT_EQ(back->at(3, 1).kind, SheetCell::Kind::Empty);
  EXPECT_EQ(back->rows(), 4);
  EXPECT_FALSE(ReadOds(dir / "a.ods", "Sheet1", k4By86));
  EXPECT_FALSE(ReadOds(dir / "missing.ods", "Feuil1", k4By86));
  keld::testing::WriteText(dir / "bad.ods", "PK this is no zip");
  EXPECT_FALSE(ReadOds(dir / "bad.ods", "Feuil1", k4By86));
}

TEST(Ods, RepeatedRowsAndColumnsAndCellTypes) {
  const std::string xml = Wrap(
      "<table:table table:name=\"Other\"><table:table-row><table:table-cell office:value-type=\"float\" "
      "office:value=\"9\"/></table:table-row></table:table>"
      "<table:table table:name=\"Feuil1\">"
      "<table:table-column table:number-columns-repeated=\"5\"/>"
      "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"2\"/>"
      "<table:table-cell office:value-type=\"float\" office:value=\"7\" table:number-columns-repeated=\"2\">"
      "<text:p>7</text:p></table:table-cell></table:table-row>"
      "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>a<text:s text:c=\"2\"/>b</text:p>"
      "</table:table-cell><table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
      "<table:covered-table-cell/><table:table-cell office:value-type=\"percentage\" office:value=\"0.5\"/>"
      "</table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell "
      "table:number-columns-repeated=\"16384\"/></table:table-row></table:table>");
  auto s = ParseOdsContent(xml, "Feuil1", {3, 4});
  ASSERT_TRUE(s) << s.error();
  EXPECT_EQ(s->rows(), 3);
  for (int r : {1, 2}) {
    EXPECT_EQ(s->at(r, 2).kind, SheetCell::Kind::Empty);
    EXPECT_EQ(s->at(r, 3).number, 7);
    EXPECT_EQ(s->at(r, 4).number, 7);
  }
  EXPECT_EQ(s->at(3, 1).text, "a  b");
  EXPECT_EQ(s->at(3, 2).number, 1);
  EXPECT_EQ(s->at(3, 4).number, 0.5);

  // A filled row repeated past any worksheet's size is refused, not allocated.
  auto huge = ParseOdsContent(Wrap("<table:table table:name=\"Feuil1\"><table:table-row "
                                   "table:number-rows-repeated=\"2000000000\"><table:table-cell "
                                   "office:value-type=\"float\" office:value=\"1\" "
                                   "table:number-columns-repeated=\"16000\"/></table:table-row></table:table>"),
                              "Feuil1", kWhole);
  EXPECT_FALSE(huge);
  EXPECT_FALSE(ParseOdsContent(Wrap("<table:table table:name=\"Feuil1\"><table:table-row>"), "Feuil1", kWhole));
  EXPECT_FALSE(ParseOdsContent("not xml at all", "Feuil1", kWhole));
}

TEST(SpreadsheetExchange, WritesOverTheTemplateAndTheFakeActsForTheUser) {
  keld::testing::TempDir dir;
  Sheet model;
  model.set_text(1, 1, "heading");
  model.set_text(1, 2, "kept");
  ASSERT_TRUE(WriteOds(dir / "model.ods", "Feuil1", model));
  FakeSpreadsheet fake;
  Sheet cells;
  cells.set_text(1, 1, "new heading");
  cells.set_number(2, 1, 5);
  ASSERT_TRUE(fake.write(dir / "model.ods", dir / "copy.ods", "Feuil1", cells, {2, 2}));
  EXPECT_FALSE(fake.write(dir / "model.ods", dir / "other.ods", "Sheet9", cells, {2, 2}));
  fake.user = [](const std::string& p) {
    auto s = ReadOds(p, "Feuil1", {2, 2});
    s->set_number(2, 1, 6);
    WriteOds(p, "Feuil1", *s);
  };
  ASSERT_TRUE(fake.show(dir / "copy.ods"));
  auto back = fake.read(dir / "copy.ods", "Feuil1", {2, 2});
  ASSERT_TRUE(back);
  EXPECT_EQ(back->at(1, 1).text, "new heading");
  EXPECT_EQ(back->at(1, 2).text, "kept");
  EXPECT_EQ(back->at(2, 1).number, 6);
  fake.present = false;
  EXPECT_FALSE(fake.show(dir / "copy.ods"));
}

namespace {
// A row of `empties` empty cells, then one cell holding 7, repeated.
std::string Row(long repeated, long empties, bool value = true) {
  std::string r = "<table:table-row table:number-rows-repeated=\"" + std::to_string(repeated) + "\">";
  if (empties) r += "<table:table-cell table:number-columns-repeated=\"" + std::to_string(empties) + "\"/>";
  if (value) r += "<table:table-cell office:value-type=\"float\" office:value=\"7\"/>";
  return r + "</table:table-row>";
}
std::string Feuil1(const std::string& rows) { return Wrap("<table:table table:name=\"Feuil1\">" + rows + "</table:table>"); }
constexpr SheetSize k51By87{51, 87};
}  // namespace

TEST(Ods, RepeatsBeyondTheLastValueCostNothingAndValuesOutsideTheLimitsAreRefused) {
  keld::testing::TempDir dir;
  // A few hundred bytes that claim the last cell of every row of a worksheet.
  const std::string tiny = dir / "tiny.ods";
  ASSERT_TRUE(keld::testing::WriteWorkbook(tiny, Feuil1(Row(1048576, 16383))));
  EXPECT_LT(std::filesystem::file_size(tiny), 600u);
  auto r = ReadOds(tiny, "Feuil1", k51By87);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error(), tiny + ": the worksheet Feuil1 holds a value in cell XFD1, outside rows 1 to 51 and columns A "
                              "to CI where its values may lie.");

  // A column filled to the bottom of the worksheet below 50 traces.
  const std::string filled = dir / "filled.ods";
  ASSERT_TRUE(keld::testing::WriteWorkbook(filled, Feuil1(Row(51, 85) + Row(1048525, 85))));
  r = ReadOds(filled, "Feuil1", k51By87);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().find("cell CH52,"), std::string::npos) << r.error();

  // The same sheet whose rows and columns beyond its values are empty, as the
  // spreadsheet programs write formatted ones.
  const std::string formatted = dir / "formatted.ods";
  ASSERT_TRUE(keld::testing::WriteWorkbook(
      formatted, Feuil1(Row(51, 85) + Row(1, 16384, false) + Row(1048524, 16384, false))));
  r = ReadOds(formatted, "Feuil1", k51By87);
  ASSERT_TRUE(r) << r.error();
  EXPECT_EQ(r->rows(), 51);
  EXPECT_EQ(r->cols(), 86);
  EXPECT_EQ(r->at(51, 86).number, 7);

  // One column too many, one row too many.
  EXPECT_FALSE(ParseOdsContent(Feuil1(Row(1, 87)), "Feuil1", k51By87));
  EXPECT_TRUE(ParseOdsContent(Feuil1(Row(1, 86)), "Feuil1", k51By87));
  EXPECT_FALSE(ParseOdsContent(Feuil1(Row(52, 0)), "Feuil1", k51By87));
  EXPECT_TRUE(ParseOdsContent(Feuil1(Row(51, 0)), "Feuil1", k51By87));
}

// 50,000 traces and the descriptions' row, every word and the trace number:
// more cells than the reader once took, all of them back as written.
TEST(Ods, WhatTheWriterWritesComesBackWhole) {
  keld::testing::TempDir dir;
  constexpr int kRows = 50001, kCols = 87;
  Sheet s;
  for (int c = 1; c <= kCols; ++c) s.set_text(1, c, "word & <" + std::to_string(c) + ">");
  for (int r = 2; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) s.set_number(r, c, static_cast<double>((r * 7919LL + c * 104729LL) % 4294967296LL) - 2147483648.0);
  s.set_number(kRows, 72, 12.5);
  s.set_number(kRows, 1, -2147483648.0);
  ASSERT_TRUE(WriteOds(dir / "big.ods", "Feuil1", s));
  auto back = ReadOds(dir / "big.ods", "Feuil1", {kRows, kCols});
  ASSERT_TRUE(back) << back.error();
  ASSERT_EQ(back->rows(), kRows);
  ASSERT_EQ(back->cols(), kCols);
  int wrong = 0;
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) wrong += !(back->at(r, c) == s.at(r, c));
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(back->at(kRows, 72).number, 12.5);

  // No worksheet is larger.
  Sheet huge;
  huge.set_number(static_cast<int>(kMaxSheetRows) + 1, 1, 1);
  EXPECT_FALSE(WriteOds(dir / "huge.ods", "Feuil1", huge));
}

// A workbook written by Gnumeric (its own prefixes, styles and repeats).
TEST(Ods, SheetWrittenByGnumericIsRead) {
  if (keld::testing::RunCommand("command -v ssconvert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "Gnumeric's ssconvert is missing (Debian package gnumeric)";
  keld::testing::TempDir dir;
  keld::testing::WriteText(dir / "a.csv", "Trace,\"a, \"\"b\"\"\",,-2147483648\n1,2.5,,x < y\n\n4,,,1e3\n");
  ASSERT_EQ(keld::testing::RunCommand("ssconvert " + keld::testing::ShellQuote(dir / "a.csv") + " " +
                                      keld::testing::ShellQuote(dir / "a.ods") + " 2>/dev/null"),
            0);
  auto s = ReadOds(dir / "a.ods", "a.csv", {4, 4});  // named after the file
  ASSERT_TRUE(s) << s.error();
  EXPECT_EQ(s->at(1, 1).text, "Trace");
  EXPECT_EQ(s->at(1, 2).text, "a, \"b\"");
  EXPECT_EQ(s->at(1, 3).kind, SheetCell::Kind::Empty);
  EXPECT_EQ(s->at(1, 4).number, -2147483648.0);
  EXPECT_EQ(s->at(2, 2).number, 2.5);
  EXPECT_EQ(s->at(2, 4).text, "x < y");
  EXPECT_EQ(s->at(3, 1).kind, SheetCell::Kind::Empty);
  EXPECT_EQ(s->at(4, 1).number, 4);
  EXPECT_EQ(s->at(4, 4).number, 1000);
}
