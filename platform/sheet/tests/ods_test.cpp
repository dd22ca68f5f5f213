// OpenDocument worksheets: our own round trip, the forms other programs write
// (repeated rows and columns, texts, booleans), damaged and absurd files.
// Gnumeric's ssconvert meets our files in keysheet's transfer tests.
#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "platform/sheet/exchange.hpp"
#include "platform/sheet/ods.hpp"

using namespace keld;

namespace {
std::string Wrap(const std::string& tables) {
  return "<?xml version=\"1.0\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
         tables + "</office:spreadsheet></office:body></office:document-content>";
}
}  // namespace

TEST(Ods, RoundTripOfNumbersTextsAndGaps) {
  keld::testing::TempDir dir;
  Sheet s;
  s.set_text(1, 1, "Scalar for coordinates ");
  s.set_number(1, 3, -2147483648.0);
  s.set_number(2, 2, 12.5);
  s.set_text(4, 86, "a < b & \"c\"");
  ASSERT_TRUE(WriteOds(dir / "a.ods", "Feuil1", s));
  auto back = ReadOds(dir / "a.ods", "Feuil1");
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->at(1, 1), s.at(1, 1));
  EXPECT_EQ(back->at(1, 3).number, -2147483648.0);
  EXPECT_EQ(back->at(2, 2).number, 12.5);
  EXPECT_EQ(back->at(4, 86).text, "a < b & \"c\"");
  EXPECT_EQ(back->at(3, 1).kind, SheetCell::Kind::Empty);
  EXPECT_EQ(back->rows(), 4);
  EXPECT_FALSE(ReadOds(dir / "a.ods", "Sheet1"));
  EXPECT_FALSE(ReadOds(dir / "missing.ods", "Feuil1"));
  keld::testing::WriteText(dir / "bad.ods", "PK this is no zip");
  EXPECT_FALSE(ReadOds(dir / "bad.ods", "Feuil1"));
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
  auto s = ParseOdsContent(xml, "Feuil1");
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
                              "Feuil1");
  EXPECT_FALSE(huge);
  EXPECT_FALSE(ParseOdsContent(Wrap("<table:table table:name=\"Feuil1\"><table:table-row>"), "Feuil1"));
  EXPECT_FALSE(ParseOdsContent("not xml at all", "Feuil1"));
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
  ASSERT_TRUE(fake.write(dir / "model.ods", dir / "copy.ods", "Feuil1", cells));
  EXPECT_FALSE(fake.write(dir / "model.ods", dir / "other.ods", "Sheet9", cells));
  fake.user = [](const std::string& p) {
    auto s = ReadOds(p, "Feuil1");
    s->set_number(2, 1, 6);
    WriteOds(p, "Feuil1", *s);
  };
  ASSERT_TRUE(fake.show(dir / "copy.ods"));
  auto back = fake.read(dir / "copy.ods", "Feuil1");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->at(1, 1).text, "new heading");
  EXPECT_EQ(back->at(1, 2).text, "kept");
  EXPECT_EQ(back->at(2, 1).number, 6);
  fake.present = false;
  EXPECT_FALSE(fake.show(dir / "copy.ods"));
}
