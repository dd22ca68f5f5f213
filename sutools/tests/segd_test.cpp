// SEG-D: every real file against values decoded here independently (and the
// header dump that comes with one of them), every format code on records
// written here from the standard's layouts, and damaged records.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "sutools/formats/segd_reader.hpp"

using namespace keld;
using namespace keld::formats;

namespace {

struct RealSegd {
  const char* file;
  size_t traces;
  int ns, dt, fldr, extensions;
  int64_t data_start;
};

// A record of one channel set: general headers 1 and 2, one descriptor,
// `ns` samples per trace of `code`, trace header extension 1 giving ns.
std::vector<uint8_t> Record(int code, int channels, int ns, const std::vector<uint8_t>& samples, int rev = 2,
                            int channel_type = 1) {
  std::vector<uint8_t> b(64, 0);
  b[1] = 0x42;  // file 42
  b[2] = static_cast<uint8_t>(((code / 1000) << 4) | (code / 100 % 10));
  b[3] = static_cast<uint8_t>(((code / 10 % 10) << 4) | (code % 10));
  b[10] = 0x24, b[11] = 0x11, b[12] = 0x23;  // 2024, day 123
  b[13] = 0x10, b[14] = 0x20, b[15] = 0x30;
  b[22] = 8;  // 0.5 ms
  b[27] = 0x01, b[28] = 0x01;
  b[42] = static_cast<uint8_t>(rev);
  b[50] = 2;
  std::vector<uint8_t> cs(rev >= 3 ? 96 : 32, 0);
  if (rev >= 3) {
    cs[0] = 0x01, cs[2] = 1, cs[3] = static_cast<uint8_t>(channel_type << 4);
    put_u32be(&cs[12], static_cast<uint32_t>(ns));
    cs[22] = static_cast<uint8_t>(channels);
    put_u16be(&cs[24], 250);  // 250 us
  } else {
    cs[0] = 0x01, cs[1] = 0x01;
    put_u16be(&cs[2], 5);  // 10 ms delay
    cs[9] = static_cast<uint8_t>(((channels / 10) << 4) | (channels % 10));
    cs[10] = static_cast<uint8_t>(channel_type << 4);
  }
  b.insert(b.end(), cs.begin(), cs.end());
  for (int c = 1; c <= channels; ++c) {
    std::vector<uint8_t> th(20 + 32, 0);
    th[1] = 0x42, th[2] = 0x01, th[3] = 0x01;
    th[5] = static_cast<uint8_t>(((c / 10) << 4) | (c % 10));
    th[9] = 1;
    th[20 + 7] = static_cast<uint8_t>(ns >> 16), th[20 + 8] = static_cast<uint8_t>(ns >> 8), th[20 + 9] = static_cast<uint8_t>(ns);
    b.insert(b.end(), th.begin(), th.end());
    b.insert(b.end(), samples.begin(), samples.end());
  }
  return b;
}

}  // namespace

TEST(SegdReal, EveryFileAgainstItsOwnBytes) {
  KELD_REQUIRE_TESTDATA(dir, "segd");
  const RealSegd files[] = {
      {"su_demos_3stomp_test.segd", 6, 4001, 1000, 1, 7, 2656},
      {"ph5_fairfield_3ch.fcnt", 6, 15000, 2000, 1, 10, 288},
      {"ph5_fairfield_1111.0.0.fcnt", 9, 30000, 1000, 1, 10, 288},
      {"ph5_smartsolo_453005513.2.2021.05.08.20.06.00.000.E.segd", 359, 251, 4000, 0, 7, 2656},
  };
  for (const RealSegd& f : files) {
    SCOPED_TRACE(f.file);
    auto bytes = keld::testing::ReadBytes(dir + "/" + f.file);
    auto r = ReadSegd(std::span<const uint8_t>(bytes.data(), bytes.size()));
    ASSERT_TRUE(r.ok()) << r.error();
    ASSERT_EQ(r->traces.size(), f.traces);
    EXPECT_EQ(r->info.format, 8058);
    const int64_t trace_bytes = 20 + 32 * f.extensions + 4 * f.ns;
    EXPECT_EQ(f.data_start + static_cast<int64_t>(f.traces) * trace_bytes, static_cast<int64_t>(bytes.size()));
    for (size_t k = 0; k < f.traces; k += f.traces / 5 + 1) {
      const SuTrace& t = r->traces[k];
      EXPECT_EQ(t.header.ns, f.ns);
      EXPECT_EQ(t.header.dt, f.dt);
      EXPECT_EQ(t.header.fldr, f.fldr);
      EXPECT_EQ(t.header.trid, 1);
      EXPECT_EQ(t.header.tracl, static_cast<int>(k + 1));
      const uint8_t* data = bytes.data() + f.data_start + static_cast<int64_t>(k) * trace_bytes + 20 + 32 * f.extensions;
      for (int i : {0, 1, f.ns / 2, f.ns - 1}) {
        float v = get_f32be(data + 4 * i);
        if (std::isnan(v)) EXPECT_TRUE(std::isnan(t.samples[i]));
        else EXPECT_EQ(t.samples[i], v) << "trace " << k + 1 << " sample " << i;
      }
    }
  }
}

TEST(SegdReal, SmartsoloAgainstItsHeaderDump) {
  KELD_REQUIRE_TESTDATA(dir, "segd");
  const std::string name = dir + "/ph5_smartsolo_453005513.2.2021.05.08.20.06.00.000.E.segd";
  std::ifstream dump(name + ".header");
  ASSERT_TRUE(dump) << "no header dump";
  std::map<std::string, std::string> general;
  std::vector<std::map<std::string, std::string>> traces;
  std::string line;
  bool in_traces = false;
  while (std::getline(dump, line)) {
    if (line.rfind("*** Trace Header ***", 0) == 0) {
      traces.emplace_back();
      in_traces = true;
      continue;
    }
    size_t sp = line.find(' ');
    if (sp == std::string::npos) continue;
    auto& into = in_traces ? traces.back() : general;
    into.emplace(line.substr(0, sp), line.substr(sp + 1));
  }
  auto bytes = keld::testing::ReadBytes(name);
  auto r = ReadSegd(std::span<const uint8_t>(bytes.data(), bytes.size()));
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(std::to_string(r->info.format), general["data_sample_format_code"]);
  EXPECT_EQ(std::to_string(r->info.revision_major), general["SEGD_revision_number1"]);
  EXPECT_EQ(std::to_string(r->info.revision_minor), general["SEGD_revision_number2"]);
  EXPECT_EQ(std::to_string(r->info.file_number), general["file_number"]);
  ASSERT_EQ(traces.size(), r->traces.size());
  const int dt = std::stoi(general["base_scan_interval"]) * 1000 / 16;
  for (size_t k = 0; k < traces.size(); ++k) {
    const SuTraceHeader& h = r->traces[k].header;
    SCOPED_TRACE("trace " + std::to_string(k + 1));
    EXPECT_EQ(std::to_string(h.tracf), traces[k]["trace_number"]);
    EXPECT_EQ(std::to_string(h.ns), traces[k]["samples_per_trace"]);
    EXPECT_EQ(std::to_string(h.fldr), traces[k]["4_digit_file_number"]);
    EXPECT_EQ(h.dt, dt);
    EXPECT_EQ(h.year, 2000 + std::stoi(general["first_shot_point_year"]));
    EXPECT_EQ(std::to_string(h.day), general["first_shot_point_doy"]);
    EXPECT_EQ(std::to_string(h.hour), general["hour_of_day_utc"]);
  }
}

TEST(SegdFormats, EachCodeFromTheStandardsLayouts) {
  struct Case {
    int code;
    std::vector<uint8_t> bytes;
    std::vector<float> want;
  };
  const Case cases[] = {
      {8058, {0x3F, 0x80, 0, 0, 0xC0, 0x20, 0, 0, 0x7F, 0xC0, 0, 0, 0x7F, 0x80, 0, 0}, {1, -2.5f, NAN, INFINITY}},
      {8038, {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0}, {1, -1, 2147483647.0f, -2147483648.0f}},
      {8036, {0, 0, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0x80, 0, 0}, {1, -1, 8388607, -8388608}},
      // IBM: 0x41100000 = 1, 0xC2640000 = -100, 0x40800000 = 0.5, 0
      {8048, {0x41, 0x10, 0, 0, 0xC2, 0x64, 0, 0, 0x40, 0x80, 0, 0, 0, 0, 0, 0}, {1, -100, 0.5f, 0}},
      // sign, 3-bit exponent of 4, 12-bit fraction: 0x1800 = 0.5 x 4, 0x8800 = -0.5
      {8024, {0x18, 0x00, 0x88, 0x00, 0x70, 0x01, 0, 0}, {2, -0.5f, 4, 0}},
      {8044, {0x18, 0x00, 0x88, 0x00, 0x20, 0x01, 0, 0}, {8, -0.5f, 256.0f / 4096, 0}},
      // 8-bit: sign, exponent, fraction
      {8022, {0x18, 0x88, 0x7F, 0}, {2, -0.5f, 15.0f / 16 * 16384, 0}},
      {8042, {0x30, 0x90, 0x7F, 0x01}, {8, -0.5f, 31.0f / 32 * 4096, 1.0f / 32}},
      // 20-bit: exponents 1, 0, 15, 2; mantissas 0.5, -1, 0.25, -0.5 as fractions
      {8015, {0x10, 0xF2, 0x40, 0x00, 0x80, 0x00, 0x20, 0x00, 0xC0, 0x00}, {1, -1, 8192, -2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const int ns = static_cast<int>(c.want.size());
    auto file = Record(c.code, 2, ns, c.bytes);
    auto r = ReadSegd(std::span<const uint8_t>(file.data(), file.size()));
    ASSERT_TRUE(r.ok()) << r.error();
    ASSERT_EQ(r->traces.size(), 2u);
    EXPECT_EQ(r->traces[1].header.tracf, 2);
    EXPECT_EQ(r->traces[1].header.fldr, 42);
    EXPECT_EQ(r->traces[1].header.dt, 500);
    EXPECT_EQ(r->traces[1].header.delrt, 10);
    EXPECT_EQ(r->traces[1].header.day, 123);
    for (int i = 0; i < ns; ++i) {
      if (std::isnan(c.want[i])) EXPECT_TRUE(std::isnan(r->traces[0].samples[i]));
      else EXPECT_EQ(r->traces[0].samples[i], c.want[i]) << "sample " << i;
    }
  }
}

// Format 8015 as the SEG-D standard lays out a group of four samples in ten
// bytes: byte 1 holds the exponents (C3..C0) of samples 1 (high four bits) and
// 2, byte 2 those of samples 3 and 4; bytes 3-4, 5-6, 7-8 and 9-10 the
// mantissas, each a sign bit S then fraction bits Q-1..Q-15, negative values
// in two's complement; value = S.Q-1...Q-15 x 2^C. Worked here by hand:
//   group 1: 3F 0A | 60 00 | FF FF | 80 00 | 00 01
//     exponents 3, 15, 0, 10
//     0x6000 = 0.11b = 0.75, x 2^3 = 6
//     0xFFFF = -2^-15, x 2^15 = -1
//     0x8000 = -1, x 2^0 = -1
//     0x0001 = 2^-15, x 2^10 = 2^-5 = 0.03125
//   group 2: 21 0F | A0 00 | 7F FF | C0 00 | 12 34 (the last slot is filler)
//     exponents 2, 1, 0, 15
//     0xA000 = -(0x6000 / 2^15) = -0.75, x 2^2 = -3
//     0x7FFF = 1 - 2^-15, x 2^1 = 2 - 2^-14 = 1.99993896484375
//     0xC000 = -0.5, x 2^0 = -0.5
TEST(SegdFormats, TwentyBitGroupsAsTheStandardLaysThemOut) {
  const std::vector<uint8_t> bytes = {0x3F, 0x0A, 0x60, 0x00, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01,
                                      0x21, 0x0F, 0xA0, 0x00, 0x7F, 0xFF, 0xC0, 0x00, 0x12, 0x34};
  const std::vector<float> want = {6, -1, -1, 0.03125f, -3, 1.99993896484375f, -0.5f};
  auto file = Record(8015, 1, static_cast<int>(want.size()), bytes);
  auto r = ReadSegd(std::span<const uint8_t>(file.data(), file.size()));
  ASSERT_TRUE(r.ok()) << r.error();
  ASSERT_EQ(r->traces.size(), 1u);
  EXPECT_EQ(r->traces[0].samples, want);
}

TEST(SegdFormats, RevisionThreeDescriptorsAndAuxiliaryChannels) {
  auto file = Record(8038, 3, 2, {0, 0, 0, 5, 0, 0, 0, 6}, 3, 9);
  auto r = ReadSegd(std::span<const uint8_t>(file.data(), file.size()));
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(r->info.revision_major, 3);
  ASSERT_EQ(r->traces.size(), 3u);
  EXPECT_EQ(r->traces[2].header.dt, 250);
  EXPECT_EQ(r->traces[2].header.trid, 3);
  EXPECT_EQ(r->traces[2].samples, (std::vector<float>{5, 6}));
  EXPECT_EQ(TraceIdForChannelType(2), 4);
}

TEST(SegdBad, RefusedWithAMessageNeverACrash) {
  auto good = Record(8058, 3, 4, std::vector<uint8_t>(16, 0x3F));
  for (size_t cut = 0; cut < good.size(); ++cut) {
    auto r = ReadSegd(std::span<const uint8_t>(good.data(), cut), "x.segd");
    ASSERT_FALSE(r.ok()) << "cut at " << cut;
    EXPECT_EQ(r.error().rfind("x.segd: ", 0), 0u) << r.error();
  }
  auto mux = Record(58, 1, 1, {0, 0, 0, 0});
  auto r = ReadSegd(std::span<const uint8_t>(mux.data(), mux.size()));
  EXPECT_NE(r.error().find("data format 58 is multiplexed"), std::string::npos) << r.error();
  auto odd = Record(8080, 1, 1, {0, 0, 0, 0});
  r = ReadSegd(std::span<const uint8_t>(odd.data(), odd.size()));
  EXPECT_NE(r.error().find("data format 8080"), std::string::npos) << r.error();
  std::vector<uint8_t> text(200, 'z');
  r = ReadSegd(std::span<const uint8_t>(text.data(), text.size()));
  EXPECT_NE(r.error().find("not a SEG-D file"), std::string::npos) << r.error();
  // Counts written as FF with no second header block to hold them.
  auto ff = Record(8058, 1, 1, {0, 0, 0, 0});
  ff[11] = 0x01;
  ff[30] = 0xFF;
  r = ReadSegd(std::span<const uint8_t>(ff.data(), ff.size()));
  EXPECT_FALSE(r.ok());
  // Extended header count of FF taken from the second block: past the end.
  auto big = Record(8058, 1, 1, {0, 0, 0, 0});
  big[30] = 0xFF;
  put_u16be(&big[32 + 5], 60000);
  r = ReadSegd(std::span<const uint8_t>(big.data(), big.size()));
  EXPECT_NE(r.error().find("extended and external headers"), std::string::npos) << r.error();
}

TEST(SegdFormats, CountsWrittenAsFFAndRecordsOneAfterAnother) {
  // Channel sets, extended and external header counts given in the second
  // general header block; the blocks themselves inserted where they belong.
  auto r1 = Record(8038, 2, 1, {0, 0, 0, 9});
  r1[28] = 0xFF, r1[30] = 0xFF, r1[31] = 0xFF;
  put_u16be(&r1[32 + 3], 1);  // one channel set
  put_u16be(&r1[32 + 5], 1);  // one extended block
  put_u16be(&r1[32 + 7], 2);  // two external blocks
  r1.insert(r1.begin() + 96, 3 * 32, 0xEE);
  auto r2 = Record(8058, 1, 1, {0x3F, 0x80, 0, 0});
  std::vector<uint8_t> file = r1;
  file.insert(file.end(), r2.begin(), r2.end());
  file.insert(file.end(), 64, 0);  // blank tape space after the last record
  auto r = ReadSegd(std::span<const uint8_t>(file.data(), file.size()));
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(r->info.records, 2);
  ASSERT_EQ(r->traces.size(), 3u);
  EXPECT_EQ(r->traces[1].samples, std::vector<float>{9});
  EXPECT_EQ(r->traces[2].samples, std::vector<float>{1});
  EXPECT_EQ(r->traces[2].header.tracl, 3);
  // Something that is not a record after the first one is an error.
  file.resize(r1.size() + 40, 0x77);
  EXPECT_NE(ReadSegd(std::span<const uint8_t>(file.data(), file.size())).error().find("record 2: "), std::string::npos);
}
