#include "korvan/engine/record_numbering.hpp"

#include <gtest/gtest.h>

#include "korvan/engine/data_paths.hpp"

namespace keld::korvan {
namespace {

RecordBoxes Boxes(std::string number) {
  RecordBoxes b;
  b.Text2 = "SHOT";
  b.Text3 = std::move(number);
  b.Text7 = "/data/";
  b.sx = "0";
  b.Text19 = "5";
  b.fr = "2.5";
  b.Text15 = "5";
  b.Text23 = "1";
  return b;
}

TEST(RecordNumbering, NextRecord) {
  RecordStep s = Record_Suivant(Boxes("1000"));
  EXPECT_EQ(s.boxes.Text3, "1001");
  EXPECT_EQ(s.message, "");
  EXPECT_EQ(s.Nome_Attivo, "/data/SHOT1001.SU");
  EXPECT_EQ(s.boxes.sx, "5");
  EXPECT_EQ(s.boxes.fr, "7.5");
  EXPECT_EQ(s.boxes.Text2, "SHOT");
  EXPECT_EQ(s.boxes.Text19, "5");
}

TEST(RecordNumbering, PreviousRecord) {
  RecordBoxes b = Boxes("1005");
  b.sx = "25";
  b.fr = "27.5";
  RecordStep s = Record_Precedent(b);
  EXPECT_EQ(s.boxes.Text3, "1004");
  EXPECT_EQ(s.message, "");
  EXPECT_EQ(s.Nome_Attivo, "/data/SHOT1004.SU");
  EXPECT_EQ(s.boxes.sx, "20");
  EXPECT_EQ(s.boxes.fr, "22.5");
}

TEST(RecordNumbering, UpperLimitStillMovesTheGeometry) {
  RecordStep s = Record_Suivant(Boxes("9999"));
  EXPECT_EQ(s.message, "Maximum 9999 records");
  EXPECT_EQ(s.boxes.Text3, "9999");
  EXPECT_EQ(s.Nome_Attivo, "/data/SHOT9999.SU");
  EXPECT_EQ(s.boxes.sx, "5");
  EXPECT_EQ(s.boxes.fr, "7.5");
  EXPECT_EQ(Record_Suivant(Boxes("9998")).message, "");
  EXPECT_EQ(Record_Suivant(Boxes("9998")).boxes.Text3, "9999");
}

TEST(RecordNumbering, LowerLimitStillMovesTheGeometry) {
  RecordStep s = Record_Precedent(Boxes("1000"));
  EXPECT_EQ(s.message, "Minimum record number =1000");
  EXPECT_EQ(s.boxes.Text3, "1000");
  EXPECT_EQ(s.Nome_Attivo, "/data/SHOT1000.SU");
  EXPECT_EQ(s.boxes.sx, "-5");
  EXPECT_EQ(s.boxes.fr, "-2.5");
  EXPECT_EQ(Record_Precedent(Boxes("1001")).message, "");
}

TEST(RecordNumbering, GoingBackTestsOnlyTheLowerLimit) {
  RecordStep s = Record_Precedent(Boxes("12000"));
  EXPECT_EQ(s.boxes.Text3, "11999");
  EXPECT_EQ(s.message, "");
}

TEST(RecordNumbering, AboveSixteenBitsCountsFromZero) {
  RecordStep s = Record_Suivant(Boxes("40000"));
  EXPECT_EQ(s.boxes.Text3, "1000");  // 0 + 1 written, raised by the number box's rule
  EXPECT_EQ(s.message, "");
  EXPECT_EQ(s.Nome_Attivo, "/data/SHOT1000.SU");
  EXPECT_EQ(s.boxes.sx, "5");
  // 12000 fits 16 bits: it goes to the limit.
  RecordStep t = Record_Suivant(Boxes("12000"));
  EXPECT_EQ(t.boxes.Text3, "9999");
  EXPECT_EQ(t.message, "Maximum 9999 records");
  // 32767 fits, 32768 does not.
  EXPECT_EQ(Record_Suivant(Boxes("32767")).message, "Maximum 9999 records");
  EXPECT_EQ(Record_Suivant(Boxes("32768")).boxes.Text3, "1000");
}

TEST(RecordNumbering, NumberIsRoundedHalfEvenGoingForward) {
  EXPECT_EQ(Record_Suivant(Boxes("1000.5")).boxes.Text3, "1001");
  EXPECT_EQ(Record_Suivant(Boxes("1001.5")).boxes.Text3, "1003");
  EXPECT_EQ(Record_Precedent(Boxes("1500.5")).boxes.Text3, "1499.5");
}

TEST(RecordNumbering, FixedSpreadWithStepZero) {
  RecordBoxes b = Boxes("1000");
  b.Text23 = "0";
  RecordStep s = Record_Suivant(b);
  EXPECT_EQ(s.boxes.sx, "5");
  EXPECT_EQ(s.boxes.fr, "2.5");
}

TEST(RecordNumbering, RollAlongByTwoStations) {
  RecordBoxes b = Boxes("1000");
  b.Text23 = "2";
  b.Text19 = "2.5";
  RecordStep s = Record_Suivant(b);
  EXPECT_EQ(s.boxes.sx, "2.5");
  EXPECT_EQ(s.boxes.fr, "12.5");
}

TEST(RecordNumbering, EmptyNumberGoingForward) {
  EXPECT_EQ(Record_Suivant(Boxes("")).boxes.Text3, "1000");
  EXPECT_EQ(Record_Precedent(Boxes("")).boxes.Text3, "1000");
  EXPECT_EQ(Record_Precedent(Boxes("")).message, "Minimum record number =1000");
}

TEST(RecordNumbering, NumberBoxRule) {
  EXPECT_EQ(Text3_Rule("999"), "1000");
  EXPECT_EQ(Text3_Rule("12"), "1000");
  EXPECT_EQ(Text3_Rule(""), "1000");
  EXPECT_EQ(Text3_Rule("-"), "1000");
  EXPECT_EQ(Text3_Rule("1000"), "1000");
  EXPECT_EQ(Text3_Rule("4567"), "4567");
  EXPECT_EQ(Text3_Rule("12000"), "12000");
}

TEST(ActiveName, BlanksGoFromRootAndNumberOnly) {
  EXPECT_EQ(Nome_Attivo("/data/", "AB C", "1001"), "/data/ABC1001.SU");
  EXPECT_EQ(Nome_Attivo("/data/", "SHOT", " 1000 "), "/data/SHOT1000.SU");
  EXPECT_EQ(Nome_Attivo("/my data/", "SHOT", "1000"), "/my data/SHOT1000.SU");
  RecordBoxes b = Boxes("1000");
  b.Text2 = "AB C";
  b.Text7 = "/home/me/My Data";
  EXPECT_EQ(Record_Suivant(b).Nome_Attivo, "/home/me/My Data/ABC1001.SU");
}

TEST(ActiveName, FolderWithOrWithoutSeparator) {
  EXPECT_EQ(Nome_Attivo("/data/", "SHOT", "1000"), "/data/SHOT1000.SU");
  EXPECT_EQ(Nome_Attivo("/data", "SHOT", "1000"), "/data/SHOT1000.SU");
  EXPECT_EQ(Nome_Attivo("/data/DATAFILE", "", "1001"), "/data/DATAFILE/1001.SU");
  EXPECT_EQ(Nome_Attivo("", "SHOT", "1000"), "SHOT1000.SU");
  EXPECT_EQ(JoinFolder("/", "x"), "/x");
}

TEST(ActiveName, TwoAdjacentBlanksLeaveOne) {
  EXPECT_EQ(Nome_Attivo("/d/", "A  B", "1000"), "/d/A B1000.SU");
}

}  // namespace
}  // namespace keld::korvan
