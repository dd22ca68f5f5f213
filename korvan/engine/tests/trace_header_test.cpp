#include "korvan/engine/trace_header.hpp"

#include <gtest/gtest.h>

#include "common/bytes.hpp"
#include "korvan/engine/geometry.hpp"

namespace keld::korvan {
namespace {

// First receiver 2.5, spacing 5, shot 0, 24 channels, as the window fills them.
ShotHeaderInputs Shot() {
  ShotHeaderInputs in;
  in.Text3 = "1001";
  in.Sample_rate = "256";
  in.Nb_Sample = "1024";
  in.Text14 = "0";
  in.sx = "0";
  in.Text17 = *StationText("0", "5");
  GeoGridTexts g = GeoGridRows("2.5", "5", "0", 24);
  in.GeoRow1 = g.row1;
  in.GeoRow2 = g.row2;
  in.clock = ClockReading{2024, 3, 1, 14, 7, 33};
  return in;
}

TEST(TraceHeader, FieldsOfChannelOne) {
  SuTraceHeader h = Ecrit_Entete_Trace(Shot(), 1);
  EXPECT_EQ(h.fldr, 1001);
  EXPECT_EQ(h.tracf, 1);
  EXPECT_EQ(h.offset, 2);  // 2.5 goes to the even 2
  EXPECT_EQ(h.cdp, 1);     // (0 + 2) / 2
  EXPECT_EQ(h.gx, 2);
  EXPECT_EQ(h.sx, 0);
  EXPECT_EQ(h.trid, 1);
  EXPECT_EQ(h.nvs, 1);
  EXPECT_EQ(h.nhs, 1);
  EXPECT_EQ(h.duse, 1);
  EXPECT_EQ(h.scalel, 1);
  EXPECT_EQ(h.scalco, 1);
  EXPECT_EQ(h.ns, 1024);
  EXPECT_EQ(h.dt, 250);  // 4000 Hz: the exact interval, not the panel's 256
  EXPECT_EQ(h.corr, 2);
  EXPECT_EQ(h.nofilf, 0);
  EXPECT_EQ(h.year, 2024);
  EXPECT_EQ(h.day, 61);
  EXPECT_EQ(h.hour, 14);
  EXPECT_EQ(h.minute, 7);
  EXPECT_EQ(h.Nb_Samples, 1024);
  EXPECT_EQ(h.delrt, 0);
}

TEST(TraceHeader, LastChannelGeometry) {
  SuTraceHeader h = Ecrit_Entete_Trace(Shot(), 24);
  EXPECT_EQ(h.tracf, 24);
  EXPECT_EQ(h.gx, 118);      // 117.5 goes to the even 118
  EXPECT_EQ(h.offset, 118);
  EXPECT_EQ(h.cdp, 59);      // (0 + 118) / 2
}

TEST(TraceHeader, EveryOtherByteIsZero) {
  ShotHeaderInputs in = Shot();
  in.Text14 = "12";
  in.sx = "-7";
  in.Text17 = "3";
  auto bytes = EncodeSuHeader(Ecrit_Entete_Trace(in, 2));
  // Non-zero words: fldr 8, tracf 12, cdp 20, trid 28, nvs 30, nhs 32, duse 34,
  // offset 36, scalel 68, scalco 70, sx 72, gx 80, delrt 108, ns 114, dt 116,
  // corr 124, year 156, day 158, hour 160, minute 162, sample count 232.
  const std::vector<std::pair<int, int>> written = {
      {8, 4},   {12, 4},  {20, 4},  {28, 2},  {30, 2},  {32, 2},  {34, 2},
      {36, 4},  {68, 2},  {70, 2},  {72, 4},  {80, 4},  {108, 2}, {114, 2},
      {116, 2}, {124, 2}, {156, 2}, {158, 2}, {160, 2}, {162, 2}, {232, 4}};
  std::vector<bool> in_field(240, false);
  for (auto [at, n] : written)
    for (int i = 0; i < n; ++i) in_field[at + i] = true;
  for (int i = 0; i < 240; ++i) {
    if (!in_field[i]) {
      EXPECT_EQ(bytes[i], 0) << "byte " << i;
    }
  }
  EXPECT_EQ(get_i32le(&bytes[8]), 1001);
  EXPECT_EQ(get_i32le(&bytes[12]), 2);
  EXPECT_EQ(get_i32le(&bytes[36]), 8);   // the grid's 7.5, to the even 8
  EXPECT_EQ(get_i32le(&bytes[80]), 8);
  EXPECT_EQ(get_i32le(&bytes[20]), 6);   // (3 + 8) / 2 = 5.5, to the even 6
  EXPECT_EQ(get_i16le(&bytes[108]), 12);
  EXPECT_EQ(get_i32le(&bytes[72]), -7);
}

TEST(TraceHeader, NegativeOffsetIsStoredWhole) {
  ShotHeaderInputs in = Shot();
  in.GeoRow2[0] = "-10";
  auto bytes = EncodeSuHeader(Ecrit_Entete_Trace(in, 1));
  EXPECT_EQ(bytes[36], 0xF6);
  EXPECT_EQ(bytes[37], 0xFF);
  EXPECT_EQ(bytes[38], 0xFF);
  EXPECT_EQ(bytes[39], 0xFF);
  EXPECT_EQ(get_i32le(&bytes[36]), -10);
  EXPECT_EQ(DecodeSuHeader(bytes.data()).offset, -10);
  EXPECT_EQ(DecodeSuHeader(bytes.data()).cdp, -5);
}

TEST(TraceHeader, LargestSampleCountInBothPlaces) {
  ShotHeaderInputs in = Shot();
  in.Nb_Sample = "10922";
  auto bytes = EncodeSuHeader(Ecrit_Entete_Trace(in, 1));
  EXPECT_EQ(get_u16le(&bytes[114]), 10922);
  EXPECT_EQ(get_i32le(&bytes[232]), 10922);
  EXPECT_EQ(TracePosition(2, 10922), 240 + 4 * 10922);
}

TEST(TraceHeader, SampleCountAbove16BitsKeepsItsLowWord) {
  ShotHeaderInputs in = Shot();
  in.Nb_Sample = "70000";
  SuTraceHeader h = Ecrit_Entete_Trace(in, 1);
  EXPECT_EQ(static_cast<uint16_t>(h.ns), 70000 & 0xFFFF);
  EXPECT_EQ(h.Nb_Samples, 70000);
}

TEST(TraceHeader, DeadChannelDiffersOnlyInTrid) {
  SuTraceHeader live = Ecrit_Entete_Trace(Shot(), 3);
  SuTraceHeader dead = Ecrit_Entete_Trace(Shot(), 3, true);
  EXPECT_EQ(dead.trid, 2);
  dead.trid = 1;
  EXPECT_EQ(EncodeSuHeader(dead), EncodeSuHeader(live));
}

TEST(TraceHeader, NotchFlags) {
  ShotHeaderInputs in = Shot();
  in.Notch_50 = 1;
  in.Notch_60 = 1;
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).nofilf, 50);
  in.Notch_50 = 0;
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).nofilf, 60);
  in.Notch_60 = -1;  // only exactly 1 counts
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).nofilf, 0);
}

TEST(TraceHeader, BoxesWithoutNumbersGiveZero) {
  ShotHeaderInputs in = Shot();
  in.Text3 = "";
  in.Sample_rate = "abc";
  in.Nb_Sample = "";
  in.Text14 = "-";
  in.sx = "x";
  SuTraceHeader h = Ecrit_Entete_Trace(in, 1);
  EXPECT_EQ(h.fldr, 0);
  EXPECT_EQ(h.dt, 0);
  EXPECT_EQ(h.ns, 0);
  EXPECT_EQ(h.Nb_Samples, 0);
  EXPECT_EQ(h.delrt, 0);
  EXPECT_EQ(h.sx, 0);
  EXPECT_EQ(h.corr, 2);
}

TEST(TraceHeader, OverflowingValuesGiveZero) {
  ShotHeaderInputs in = Shot();
  in.Text14 = "65535";        // beyond the 16-bit word
  in.Sample_rate = "40000";
  in.GeoRow2[0] = "40000.5";  // offset fits 32 bits, its 16-bit rounding does not
  SuTraceHeader h = Ecrit_Entete_Trace(in, 1);
  EXPECT_EQ(h.delrt, 0);
  EXPECT_EQ(h.dt, 0);
  EXPECT_EQ(h.offset, 40000);
  EXPECT_EQ(h.cdp, 0);
}

TEST(TraceHeader, ChannelBeyondTheGridLeavesGeometryZero) {
  SuTraceHeader h = Ecrit_Entete_Trace(Shot(), 30);
  EXPECT_EQ(h.tracf, 30);
  EXPECT_EQ(h.gx, 0);
  EXPECT_EQ(h.offset, 0);
  EXPECT_EQ(h.cdp, 0);
}

TEST(TraceHeader, CdpRoundsTheHalfToEven) {
  ShotHeaderInputs in = Shot();
  in.Text17 = "3";
  in.GeoRow2[0] = "2";  // (3 + 2) / 2 = 2.5 → 2
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).cdp, 2);
  in.GeoRow2[0] = "4";  // 3.5 → 4
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).cdp, 4);
  in.Text17 = "-3";
  in.GeoRow2[0] = "-4.5";  // -4.5 → -4; (-3 - 4) / 2 = -3.5 → -4
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).cdp, -4);
}

TEST(TraceHeader, TracePositions) {
  EXPECT_EQ(TracePosition(1, 1024), 0);
  EXPECT_EQ(TracePosition(5, 1024), 17344);
  EXPECT_EQ(TracePosition(25, 1024), 104064);
}

TEST(DayOfYear, BothEndsOfTheYear) {
  EXPECT_EQ(DayOfYear(2023, 1, 1), 1);
  EXPECT_EQ(DayOfYear(2024, 1, 1), 1);
  EXPECT_EQ(DayOfYear(2023, 12, 31), 365);
  EXPECT_EQ(DayOfYear(2024, 12, 31), 366);
  EXPECT_EQ(DayOfYear(2023, 3, 1), 60);
  EXPECT_EQ(DayOfYear(2024, 3, 1), 61);
  EXPECT_EQ(DayOfYear(2024, 2, 29), 60);
  EXPECT_EQ(DayOfYear(2023, 2, 28), 59);
}

TEST(DayOfYear, CenturyLeapRules) {
  EXPECT_EQ(DayOfYear(1900, 12, 31), 365);
  EXPECT_EQ(DayOfYear(2000, 12, 31), 366);
  EXPECT_EQ(DayOfYear(2100, 3, 1), 60);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
}

TEST(DayOfYear, HeaderWordOnNewYearsEve) {
  ShotHeaderInputs in = Shot();
  in.clock = ClockReading{2023, 12, 31, 23, 59, 59};
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).day, 365);
  in.clock.year = 2028;
  EXPECT_EQ(Ecrit_Entete_Trace(in, 1).day, 366);
}

TEST(Clock, TextsAndReading) {
  ClockReading c{2024, 3, 1, 9, 5, 7};
  EXPECT_EQ(ShortDateText(c), "01/03/2024");
  EXPECT_EQ(TimeText(c), "09:05:07");
  ClockReading now = ReadClock();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

}  // namespace
}  // namespace keld::korvan
