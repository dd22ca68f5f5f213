// SEG-2: every real file against its blocks walked here, files of both byte
// orders and every data format written here, the header words, the files our
// own dropconv writes, and damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "dropconv/seg2_export.hpp"
#include "dropconv/tests/records.hpp"
#include "sutools/formats/seg2_reader.hpp"

using namespace keld;
using namespace keld::formats;

namespace {

std::span<const uint8_t> Span(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

// A file of `traces` traces of `format`, each with `data` as its data block,
// in either byte order (`data` already in that order).
std::vector<uint8_t> Seg2(bool be, int format, int ns, const std::vector<uint8_t>& data,
                          const std::vector<std::string>& file_strings, const std::vector<std::string>& trace_strings,
                          int traces = 2) {
  auto u16 = [&](std::vector<uint8_t>& b, uint16_t v) {
    uint8_t x[2];
    be ? put_u16be(x, v) : put_u16le(x, v);
    b.insert(b.end(), x, x + 2);
  };
  auto u32 = [&](std::vector<uint8_t>& b, uint32_t v) {
    uint8_t x[4];
    be ? put_u32be(x, v) : put_u32le(x, v);
    b.insert(b.end(), x, x + 4);
  };
  auto strings = [&](std::vector<uint8_t>& b, const std::vector<std::string>& list) {
    for (const auto& s : list) {
      u16(b, static_cast<uint16_t>(s.size() + 3));
      b.insert(b.end(), s.begin(), s.end());
      b.push_back(0);
    }
    u16(b, 0);
  };
  std::vector<uint8_t> f;
  u16(f, 0x3A55), u16(f, 1), u16(f, static_cast<uint16_t>(4 * traces + 8)), u16(f, static_cast<uint16_t>(traces));
  f.resize(32, 0);
  f[8] = 1, f[11] = 1, f[12] = 0x0A;
  const size_t pointers = f.size();
  f.resize(f.size() + 4 * traces + 8, 0);
  strings(f, file_strings);
  for (int k = 0; k < traces; ++k) {
    std::vector<uint8_t> p;
    u32(p, static_cast<uint32_t>(f.size()));
    std::memcpy(&f[pointers + 4 * k], p.data(), 4);
    std::vector<uint8_t> t;
    u16(t, 0x4422), u16(t, 0), u32(t, static_cast<uint32_t>(data.size())), u32(t, static_cast<uint32_t>(ns));
    t.push_back(static_cast<uint8_t>(format));
    t.resize(32, 0);
    auto s = trace_strings;
    s.push_back("CHANNEL_NUMBER " + std::to_string(k + 7));
    strings(t, s);
    std::vector<uint8_t> size;
    u16(size, static_cast<uint16_t>(t.size()));
    t[2] = size[0], t[3] = size[1];
    f.insert(f.end(), t.begin(), t.end());
    f.insert(f.end(), data.begin(), data.end());
  }
  return f;
}

}  // namespace

TEST(Seg2Real, EveryFileAgainstItsBlocks) {
  KELD_REQUIRE_TESTDATA(dir, "seg2");
  struct F { const char* file; size_t traces; int ns, dt, format; };
  const F files[] = {
      {"su_thirdparty_329.dat", 3, 4096, 63, 4}, {"su_thirdparty_330.dat", 3, 4096, 63, 4},
      {"obspy_20130107_103041000.CET.3c.cont.0.seg2", 3, 2000, 1000, 2},
      {"refrapy_field_example_02_1.dat", 24, 4000, 250, 4}, {"swprocess_wghs_10.dat", 24, 1500, 1000, 4},
      {"pyrefra_Rec_00001.seg2", 60, 4096, 250, 4}, {"ph5_15001.dat", 60, 4000, 500, 2},
  };
  for (const F& f : files) {
    SCOPED_TRACE(f.file);
    auto bytes = keld::testing::ReadBytes(dir + "/" + f.file);
    auto seg = ReadSeg2(Span(bytes));
    ASSERT_TRUE(seg.ok()) << seg.error();
    auto su = Seg2ToSu(*seg);
    ASSERT_TRUE(su.ok()) << su.error();
    ASSERT_EQ(su->size(), f.traces);
    for (size_t k = 0; k < f.traces; k += f.traces / 4 + 1) {
      const uint32_t at = get_u32le(bytes.data() + 32 + 4 * k);
      ASSERT_EQ(get_u16le(bytes.data() + at), 0x4422);
      const int descriptor = get_u16le(bytes.data() + at + 2);
      EXPECT_EQ(bytes[at + 12], f.format);
      const SuTrace& t = (*su)[k];
      EXPECT_EQ(t.header.ns, f.ns);
      EXPECT_EQ(t.header.dt, f.dt);
      EXPECT_EQ(t.header.trid, 1);
      const uint8_t* data = bytes.data() + at + descriptor;
      for (int i : {0, 1, f.ns / 3, f.ns - 1}) {
        float want = f.format == 4 ? get_f32le(data + 4 * i) : static_cast<float>(get_i32le(data + 4 * i));
        EXPECT_EQ(t.samples[i], want) << "trace " << k + 1 << " sample " << i;
      }
    }
  }
}

TEST(Seg2Real, HeaderWordsFromTheStrings) {
  KELD_REQUIRE_TESTDATA(dir, "seg2");
  auto bytes = keld::testing::ReadBytes(dir + "/su_thirdparty_329.dat");
  auto seg = ReadSeg2(Span(bytes));
  ASSERT_TRUE(seg.ok());
  auto su = Seg2ToSu(*seg);
  ASSERT_TRUE(su.ok());
  const auto& t = seg->traces[1];
  const SuTraceHeader& h = (*su)[1].header;
  EXPECT_EQ(std::to_string(h.tracf), *Seg2Value(t.strings, "CHANNEL_NUMBER"));
  EXPECT_EQ(h.fldr, std::lround(*LeadingNumber(*Seg2Value(t.strings, "SHOT_SEQUENCE_NUMBER"))));
  auto date = ParseSeg2Date(*Seg2Value(seg->strings, "ACQUISITION_DATE"));
  ASSERT_TRUE(date);
  EXPECT_EQ(h.year, date->year);
  const double rec = *LeadingNumber(*Seg2Value(t.strings, "RECEIVER_LOCATION"));
  const double scale = h.scalco < 0 ? -h.scalco : 1;
  EXPECT_NEAR(h.gx / scale, rec, 1e-6);
}

// Code 3 (20-bit floating point) as a recorder wrote three groups of a
// little-endian trace, with the values it gave for them before the trace's
// descaling factor; the big-endian file holds the same 16-bit words.
TEST(Seg2Formats, TwentyBitGroupsAsRecordersWriteThem) {
  const std::vector<uint8_t> le = {0x00, 0x00, 0xeb, 0xff, 0xe9, 0xff, 0xe4, 0xff, 0xdf, 0xff,
                                   0x00, 0x11, 0x26, 0x68, 0x0b, 0x74, 0x2f, 0x40, 0x98, 0x46,
                                   0x00, 0x10, 0x4a, 0x04, 0xb6, 0xd1, 0x75, 0x9b, 0x10, 0xb1};
  const std::vector<float> want = {-20,  -22,  -27,   -32,    26662,  29707,
                                   32862, 36144, 1098, -11849, -25738, -40414};
  for (bool be : {false, true}) {
    SCOPED_TRACE(be ? "big-endian" : "little-endian");
    std::vector<uint8_t> data = le;
    if (be)
      for (size_t i = 0; i < data.size(); i += 2) std::swap(data[i], data[i + 1]);
    auto seg = ReadSeg2(Span(Seg2(be, 3, static_cast<int>(want.size()), data, {}, {}, 1)));
    ASSERT_TRUE(seg.ok()) << seg.error();
    EXPECT_EQ(seg->traces[0].samples, want);
  }
}

TEST(Seg2Formats, BothByteOrdersAndEveryCode) {
  struct Case { int format; std::vector<uint8_t> le; std::vector<float> want; };
  const Case cases[] = {
      {1, {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F}, {1, -1, -32768, 32767}},
      {2, {0x01, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 1, 0}, {1, -2, -2147483648.0f, 65536}},
      {4, {0, 0, 0x80, 0x3F, 0, 0, 0x20, 0xC0, 0, 0, 0xC0, 0x7F, 0, 0, 0, 0}, {1, -2.5f, NAN, 0}},
      {5, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x7F},
       {1, -2.5f, 0, NAN}},
      // exponent word 0x20F1: exponents 1, 15, 0, 2 from its lowest four bits
      // up; mantissas 0x4000, 0x0001, 0x8000 (one's complement: -32767) and
      // 0xFFFF (one's complement: -0)
      {3, {0xF1, 0x20, 0x00, 0x40, 0x01, 0x00, 0x00, 0x80, 0xFF, 0xFF}, {32768, 32768, -32767, 0}},
  };
  for (const Case& c : cases)
    for (bool be : {false, true}) {
      SCOPED_TRACE(std::to_string(c.format) + (be ? " big-endian" : " little-endian"));
      std::vector<uint8_t> data = c.le;
      const int width = c.format == 1 || c.format == 3 ? 2 : c.format == 5 ? 8 : 4;
      if (be)
        for (size_t i = 0; i < data.size(); i += width) std::reverse(data.begin() + i, data.begin() + i + width);
      const int ns = static_cast<int>(c.want.size());
      auto file = Seg2(be, c.format, ns, data, {"ACQUISITION_DATE 07/JAN/2013", "ACQUISITION_TIME 10:30:41"},
                       {"SAMPLE_INTERVAL 0.000125", "DELAY -0.01", "RECEIVER_LOCATION 2.5", "SOURCE_LOCATION -1"});
      auto seg = ReadSeg2(Span(file));
      ASSERT_TRUE(seg.ok()) << seg.error();
      EXPECT_EQ(seg->big_endian, be);
      auto su = Seg2ToSu(*seg);
      ASSERT_TRUE(su.ok()) << su.error();
      ASSERT_EQ(su->size(), 2u);
      const SuTraceHeader& h = (*su)[1].header;
      EXPECT_EQ(h.tracf, 8);
      EXPECT_EQ(h.ns, ns);
      EXPECT_EQ(h.dt, 125);
      EXPECT_EQ(h.delrt, -10);
      EXPECT_EQ(h.scalco, -10);
      EXPECT_EQ(h.gx, 25);
      EXPECT_EQ(h.sx, -10);
      EXPECT_EQ(h.offset, 4);  // 3.5 m rounded: offset is not scaled
      EXPECT_EQ(h.year, 2013);
      EXPECT_EQ(h.day, 7);
      EXPECT_EQ(h.hour, 10);
      EXPECT_EQ(h.sec, 41);
      for (int i = 0; i < ns; ++i) {
        if (std::isnan(c.want[i])) EXPECT_TRUE(std::isnan((*su)[1].samples[i]));
        else EXPECT_EQ((*su)[1].samples[i], c.want[i]) << "sample " << i;
      }
    }
}

TEST(Seg2Formats, DatesAndTimesAsRecordersWriteThem) {
  EXPECT_EQ(ParseSeg2Date("12/03/2024")->day_of_year, 72);
  EXPECT_EQ(ParseSeg2Date("31/DEC/2024")->day_of_year, 366);
  EXPECT_EQ(ParseSeg2Date("2013/01/07")->day_of_year, 7);
  EXPECT_EQ(ParseSeg2Date("01/03/99")->year, 1999);
  EXPECT_FALSE(ParseSeg2Date("30/02/2023"));
  EXPECT_FALSE(ParseSeg2Date(""));
  EXPECT_EQ(ParseSeg2Time("10:30:41.25")->second, 41);
  EXPECT_FALSE(ParseSeg2Time("25:00:00"));
}

TEST(Seg2Dropconv, OurOwnFilesComeBackAsTheRecord) {
  keld::testing::TempDir dir;
  keld::testing::Record r;
  keld::testing::WriteText(dir / "dati.txt", r.Text());
  ClassSEG2Export shot;
  ASSERT_TRUE(shot.Read(dir / "dati.txt").ok());
  bool ok = false;
  shot.SaveAs(dir / "dati.sg2", ok);
  ASSERT_TRUE(ok);
  auto bytes = keld::testing::ReadBytes(dir / "dati.sg2");
  auto seg = ReadSeg2(Span(bytes));
  ASSERT_TRUE(seg.ok()) << seg.error();
  auto su = Seg2ToSu(*seg);
  ASSERT_TRUE(su.ok()) << su.error();
  ASSERT_EQ(su->size(), 2u);
  EXPECT_EQ((*su)[0].samples, (std::vector<float>{1, -1.5f, 3.125E-05f}));
  EXPECT_EQ((*su)[1].samples, (std::vector<float>{.5f, 0, 7}));
  // Receivers 2.5 m apart, the source 3 m before the first.
  EXPECT_EQ((*su)[1].header.scalco, -10);
  EXPECT_EQ((*su)[1].header.gx, 25);
  EXPECT_EQ((*su)[1].header.sx, -30);
  EXPECT_EQ((*su)[1].header.dt, 250);
  EXPECT_EQ((*su)[1].header.year, 2024);
  EXPECT_EQ((*su)[1].header.day, 72);
}

TEST(Seg2Bad, RefusedWithAMessageNeverACrash) {
  auto good = Seg2(false, 2, 3, std::vector<uint8_t>(12, 1), {"A"}, {"SAMPLE_INTERVAL 0.001"});
  for (size_t cut = 0; cut < good.size(); ++cut) {
    auto seg = ReadSeg2(std::span<const uint8_t>(good.data(), cut), "x.sg2");
    ASSERT_FALSE(seg.ok()) << "cut at " << cut;
    EXPECT_EQ(seg.error().rfind("x.sg2: ", 0), 0u);
  }
  auto bad = good;
  bad[32] = 0xF0;                     // first pointer far past the end
  EXPECT_NE(ReadSeg2(Span(bad)).error().find("outside the file"), std::string::npos);
  auto odd = Seg2(false, 7, 3, std::vector<uint8_t>(12, 1), {}, {});
  EXPECT_NE(ReadSeg2(Span(odd)).error().find("format code 7"), std::string::npos);
  auto no_dt = Seg2(false, 2, 3, std::vector<uint8_t>(12, 1), {}, {"SAMPLE_INTERVAL 0"});
  auto seg = ReadSeg2(Span(no_dt));
  ASSERT_TRUE(seg.ok());
  EXPECT_FALSE(Seg2ToSu(*seg).ok());
  std::vector<uint8_t> text(64, 'x');
  EXPECT_NE(ReadSeg2(Span(text)).error().find("not a SEG-2 file"), std::string::npos);
}
