// The radar readers: header keys whatever the line ends, every RAMAC and DT1
// file of the test data against its raw bytes decoded here, time zero,
// shortfalls, and refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/radar.hpp"
#include "conversion/importers/radar_header.hpp"

using namespace keld;
using namespace keld::conversion;

namespace {
std::string Text(const std::string& path) { return keld::testing::ReadText(path); }
std::span<const uint8_t> Span(const std::vector<unsigned char>& v) { return {v.data(), v.size()}; }

// A DT1 file of one trace per entry of `points`: a 128-byte header holding
// that number of points as a float at byte 8, then that many samples (1).
std::vector<unsigned char> Dt1File(std::initializer_list<float> points) {
  std::vector<unsigned char> b;
  for (float n : points) {
    std::vector<unsigned char> t(128 + 2 * static_cast<size_t>(n), 0);
    put_f32le(&t[8], n);
    for (size_t k = 128; k < t.size(); k += 2) t[k] = 1;
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}
}  // namespace

TEST(RadarHeader, KeysWhateverTheLineEnds) {
  for (const char* eol : {"\r", "\n", "\r\n", "\r\r\n"}) {
    const std::string e = eol;
    auto rad = ReadRadHeader("samples:512" + e + "LAST TRACE:1000" + e + "TIME INTERVAL:0" + e + "TIMEWINDOW:100" +
                             e + "DISTANCE INTERVAL:0.05" + e);
    EXPECT_EQ(*rad.samples, 512);
    EXPECT_EQ(*rad.traces, 1000);
    EXPECT_DOUBLE_EQ(*rad.interval_ns, 0.1953125);
    EXPECT_EQ(*RadarDt(*rad.interval_ns), 195);
    EXPECT_DOUBLE_EQ(*rad.spacing, 0.05);
    auto hd = ReadHdHeader("NUMBER OF PTS/TRC  = 250" + e + "TIMEZERO AT POINT  = 12" + e +
                           "NUMBER OF TRACES   = 400" + e + "TOTAL TIME WINDOW  = 100" + e +
                           "STARTING POSITION  = -10.0" + e + "FINAL POSITION     = 10.0" + e);
    EXPECT_DOUBLE_EQ(*hd.interval_ns, 0.4);
    EXPECT_DOUBLE_EQ(*hd.start, -10);
    EXPECT_DOUBLE_EQ(*hd.spacing, 0.05);
  }
  EXPECT_EQ(*RadarKeyValue("A: -12.5\n", "a:"), 12.5);  // a count keeps no sign
  EXPECT_FALSE(RadarKeyValue("SAMPLES:\nX:3", "SAMPLES:"));
  EXPECT_FALSE(RadarKeyValue("nothing", "SAMPLES:"));
  // A sample count of 0 gives no interval and no spacing: nothing divides by it.
  auto hd = ReadHdHeader("NUMBER OF PTS/TRC  = 0\nTOTAL TIME WINDOW  = 100\nNUMBER OF TRACES   = 0\n");
  EXPECT_FALSE(hd.interval_ns);
  EXPECT_FALSE(hd.spacing);
  EXPECT_FALSE(RadarDt(40));  // 40 ns is beyond the dt word
}

TEST(Ramac, EveryFileAgainstItsSamples) {
  KELD_REQUIRE_TESTDATA(dir, "ramac");
  struct F { const char* base; int ns, traces; };
  for (const F& f : {F{"impdar_ten_col_nogps", 512, 10}, F{"su_demos_DAT_1251_A1", 568, 2156}}) {
    SCOPED_TRACE(f.base);
    const std::string base = dir + "/" + f.base;
    RamacHeader h = ReadRadHeader(Text(base + ".rad"));
    ASSERT_EQ(*h.samples, f.ns);
    ASSERT_EQ(*h.traces, f.traces);
    auto raw = keld::testing::ReadBytes(base + ".rd3");
    RadarParams p{f.ns, 0, f.traces, *h.interval_ns, h.spacing.value_or(0)};
    auto r = ImportRamac(Span(raw), p, DateWords{24, 72, 10, 22});
    ASSERT_TRUE(r.ok()) << r.error();
    ASSERT_EQ(r->traces.size(), static_cast<size_t>(f.traces));
    EXPECT_TRUE(r->shortfall.empty());
    for (int i = 0; i < f.traces; i += f.traces / 3) {
      const SuTraceHeader& t = r->traces[i].header;
      EXPECT_EQ(t.tracl, i + 1);
      EXPECT_EQ(t.fldr, 1);
      EXPECT_EQ(t.ns, f.ns);
      EXPECT_EQ(t.dt, std::lround(1000 * *h.window_ns / f.ns));
      EXPECT_EQ(t.nhs, 95);
      EXPECT_EQ(t.trid, 1);
      EXPECT_EQ(t.scalco, 1);
      EXPECT_EQ(t.day, 72);
      EXPECT_FLOAT_EQ(t.d1, static_cast<float>(p.spacing));
      for (int k : {0, 1, f.ns / 2, f.ns - 1})
        EXPECT_EQ(r->traces[i].samples[k], get_i16le(raw.data() + 2 * (static_cast<size_t>(i) * f.ns + k)));
    }
    // Time zero 3: samples 4 to ns of each trace.
    p.t0 = 3;
    r = ImportRamac(Span(raw), p, {});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->traces[1].header.ns, f.ns - 3);
    EXPECT_EQ(r->traces[1].samples[0], get_i16le(raw.data() + 2 * (f.ns + 3)));
  }
}

TEST(Dt1, EveryFileAgainstItsSamples) {
  KELD_REQUIRE_TESTDATA(dir, "dt1");
  struct F { const char* base; int ns, traces; double window; };
  for (const F& f : {F{"rgpr_cornino_cmp", 500, 51, 400}, F{"rgpr_cornino_yyline3", 500, 391, 400},
                     F{"gprpy_WARR_XLINE00", 1900, 164, 760}, F{"gprpy_ComOffs_XLINE00", 1500, 531, 1200}}) {
    SCOPED_TRACE(f.base);
    const std::string base = dir + "/" + f.base;
    Dt1Header h = ReadHdHeader(Text(base + ".HD"));
    ASSERT_EQ(*h.samples, f.ns);
    ASSERT_EQ(*h.traces, f.traces);
    ASSERT_DOUBLE_EQ(*h.window_ns, f.window);
    auto raw = keld::testing::ReadBytes(base + ".DT1");
    RadarParams p{f.ns, 12, f.traces, *h.interval_ns, h.spacing.value_or(0)};
    auto r = ImportDt1(Span(raw), p);
    ASSERT_TRUE(r.ok()) << r.error();
    ASSERT_EQ(r->traces.size(), static_cast<size_t>(f.traces));
    const size_t trace_bytes = 128 + 2 * static_cast<size_t>(f.ns);
    for (int i = 0; i < f.traces; i += f.traces / 4) {
      const SuTraceHeader& t = r->traces[i].header;
      EXPECT_EQ(t.tracf, i + 1);
      EXPECT_EQ(t.ns, f.ns - 12);
      EXPECT_EQ(t.dt, std::lround(1000 * f.window / f.ns));
      EXPECT_EQ(t.nhs, 95);
      EXPECT_EQ(t.trid, 1);
      EXPECT_EQ(t.sx, std::lround(std::nearbyint(i * p.spacing)));
      // Output sample 1 is input sample 13 (time zero 12).
      const uint8_t* s = raw.data() + i * trace_bytes + 128;
      EXPECT_EQ(r->traces[i].samples[0], get_i16le(s + 2 * 12));
      EXPECT_EQ(r->traces[i].samples[f.ns - 13], get_i16le(s + 2 * (f.ns - 1)));
      // The trace's own header gives its sample count as a float.
      EXPECT_EQ(get_f32le(raw.data() + i * trace_bytes + 8), f.ns);
    }
  }
}

TEST(Radar, ShortfallsAndRefusals) {
  std::vector<unsigned char> raw(2 * 100 * 5 + 37, 1);
  RadarParams p{100, 0, 8, 0.4, 0.1};
  auto r = ImportRamac(Span(raw), p, {});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->traces.size(), 5u);
  EXPECT_EQ(r->shortfall, "Traces 6 to 8 left out: 8 traces asked but the file holds only 5");
  p.traces = 6;
  EXPECT_EQ(ImportRamac(Span(raw), p, {})->shortfall, "Trace 6 left out: 6 traces asked but the file holds only 5");
  p.traces = 8;
  p.t0 = 100;
  EXPECT_FALSE(ImportRamac(Span(raw), p, {}).ok());
  p.t0 = -1;
  EXPECT_FALSE(ImportDt1(Span(raw), p).ok());
  p = {100, 0, 8, 0, 0.1};
  EXPECT_FALSE(ImportRamac(Span(raw), p, {}).ok());  // dt 0
  EXPECT_TRUE(ImportDt1(Span(Dt1File({100, 100})), p).ok());  // the DT1 window writes what it is given
  p = {0, 0, 8, 0.4, 0.1};
  EXPECT_FALSE(ImportDt1(Span(raw), p).ok());
  std::vector<unsigned char> tiny(100, 0);
  p = {100, 0, 8, 0.4, 0.1};
  EXPECT_NE(ImportDt1(Span(tiny), p).error().find("holds no whole trace"), std::string::npos);
  p.spacing = 1e300;
  EXPECT_FALSE(ImportRamac(Span(raw), p, {}).ok());
}

TEST(Dt1, TracesWhoseHeaderGivesAnotherLengthAreRefused) {
  struct Case {
    std::vector<unsigned char> file;
    const char* says;  // "" when converted
  };
  const Case cases[] = {
      {Dt1File({4, 4, 4}), ""},
      {Dt1File({4, 5, 4}), "trace 2 gives 5 points per trace in its header, the .HD file 4"},
      {Dt1File({4, 4, 3, 4}), "trace 3 gives 3 points per trace in its header, the .HD file 4"},
      {Dt1File({0, 0}), "trace 1 gives 0 points per trace in its header, the .HD file 4"},
      {Dt1File({4.5f, 4}), "trace 1 gives 4.5 points per trace in its header, the .HD file 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    auto r = ImportDt1(Span(c.file), {4, 0, 3, 0.4, 1});
    if (*c.says == 0) {
      ASSERT_TRUE(r.ok()) << r.error();
      EXPECT_EQ(r->traces.size(), 3u);
    } else {
      ASSERT_FALSE(r.ok());
      EXPECT_EQ(r.error(), c.says);
    }
  }
}

TEST(Radar, WhatSuRoundsIsSaid) {
  // An interval of 0.1953125 ns is 195.3125 ps: dt holds 195. Positions
  // every 0.05 are rounded to whole numbers; every 2 they are whole already.
  std::vector<unsigned char> raw(2 * 10 * 3, 0);
  auto r = ImportRamac(Span(raw), {10, 0, 3, 0.1953125, 0.05}, {});
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(NotesText(*r),
            "\r\nsample interval 0.1953125 ns written as 0.195 ns: SU holds whole picoseconds in dt"
            "\r\ntrace positions every 0.05 written rounded to whole numbers: SU's position words hold whole numbers");
  r = ImportRamac(Span(raw), {10, 0, 3, 0.25, 2}, {});
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(NotesText(*r), "");
  auto d = ImportDt1(Span(Dt1File({10, 10})), {10, 0, 2, 0.8, 0.49});
  ASSERT_TRUE(d.ok()) << d.error();
  EXPECT_EQ(d->notes, (std::vector<std::string>{
                          "trace positions every 0.49 written rounded to whole numbers: SU's position words hold whole numbers"}));
}
