// rtoaw: the DZT header of each test file against the numbers its README
// gives, every channel and sample width on files written here, and the two
// steps of the GSSI road (DZT to text, text to SU) on real files.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/ascii_columns.hpp"
#include "conversion/rtoaw/dzt.hpp"

using namespace keld;
using namespace keld::rtoaw;

namespace {
// A DZT file of `channels` x `scans` scans of `samples` samples of `bits`
// bits: sample i of scan s of channel c holds c * 1000 + s * 10 + i (8 and 16
// bits stored unsigned about the middle of their range, 32 bits signed).
std::vector<uint8_t> Dzt(int bits, int channels, int scans, int samples) {
  std::vector<uint8_t> b(1024 * static_cast<size_t>(channels), 0);
  put_u16le(&b[0], 0x00FF);
  put_u16le(&b[2], 1024);
  put_u16le(&b[4], static_cast<uint16_t>(samples));
  put_u16le(&b[6], static_cast<uint16_t>(bits));
  put_f32le(&b[26], 20.0f);
  put_u16le(&b[52], static_cast<uint16_t>(channels));
  const int64_t mid = bits == 32 ? 0 : int64_t{1} << (bits - 1);
  for (int s = 0; s < scans; ++s)
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < samples; ++i) {
        const uint64_t v = static_cast<uint64_t>(mid + c * 1000 + s * 10 + i - (bits == 8 ? 1000 * c + 5 * s : 0));
        for (int k = 0; k < bits / 8; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
      }
  return b;
}
}  // namespace

TEST(Dzt, RealFilesAsTheirReadmeDescribesThem) {
  KELD_REQUIRE_TESTDATA(dir, "dzt");
  struct F { const char* file; int64_t scans; double range; };
  for (const F& f : {F{"rgpr_datacube_FILE____001.DZT", 451, 50}, F{"gprpy_FILE____032.DZT", 1040, 48}}) {
    SCOPED_TRACE(f.file);
    auto bytes = keld::testing::ReadBytes(dir + "/" + f.file);
    std::span<const uint8_t> b(bytes.data(), bytes.size());
    auto h = ReadDztHeader(b);
    ASSERT_TRUE(h.ok()) << h.error();
    EXPECT_EQ(h->samples, 512);
    EXPECT_EQ(h->bits, 16);
    EXPECT_EQ(h->channels, 1);
    EXPECT_EQ(h->data_offset, 1024);
    EXPECT_EQ(h->scans, f.scans);
    EXPECT_DOUBLE_EQ(h->range_ns, f.range);
    EXPECT_EQ(h->antenna, "400MHz");
    // Step 1 then step 2: the SU samples are the file's, signed about 32768.
    const std::string text = DztColumnsText(b, *h, 0);
    auto values = conversion::ReadColumnValues(text);
    ASSERT_TRUE(values.ok()) << values.error();
    EXPECT_EQ(conversion::ColumnTraces(static_cast<int64_t>(values->size()), h->samples), f.scans);
    auto su = conversion::ImportColumns(*values, {h->samples, static_cast<int>(f.scans), 100, true});
    ASSERT_TRUE(su.ok()) << su.error();
    for (int64_t s : {int64_t{0}, f.scans / 2, f.scans - 1})
      for (int i : {0, 2, 255, 511})
        EXPECT_EQ((*su)[s].samples[i],
                  static_cast<int>(get_u16le(bytes.data() + 1024 + 2 * (s * 512 + i))) - 32768);
  }
}

TEST(Dzt, EveryWidthAndChannel) {
  for (int bits : {8, 16, 32}) {
    SCOPED_TRACE(bits);
    auto b = Dzt(bits, 2, 3, 4);
    auto h = ReadDztHeader(b);
    ASSERT_TRUE(h.ok()) << h.error();
    EXPECT_EQ(h->data_offset, 2048);
    EXPECT_EQ(h->scans, 3);
    EXPECT_DOUBLE_EQ(h->interval_ns(), 5);
    if (bits != 8) {
      EXPECT_EQ(DztSample(b, *h, 1, 2, 3), 1023);
      EXPECT_EQ(DztColumnsText(b, *h, 0), "0,10,20\n1,11,21\n2,12,22\n3,13,23\n");
    } else {
      EXPECT_EQ(DztSample(b, *h, 1, 2, 3), 13);
    }
  }
  EXPECT_EQ(ChannelFileName("/a/line.txt", 1, 2), "/a/line_ch2.txt");
  EXPECT_EQ(ChannelFileName("/a.b/line", 0, 2), "/a.b/line_ch1");
  EXPECT_EQ(ChannelFileName("/a/line.txt", 0, 1), "/a/line.txt");
}

TEST(Dzt, SampleValuesFromTheirBytes) {
  // Each sample's bytes as the file holds them (little-endian) and the value
  // a radar reader gives: unsigned about the middle for 8 and 16 bits, two's
  // complement for 32 bits.
  struct Case {
    int bits;
    std::vector<uint8_t> bytes;
    int64_t value;
  };
  const Case cases[] = {
      {8, {0x80}, 0},
      {8, {0x00}, -128},
      {8, {0xFF}, 127},
      {8, {0x85}, 5},
      {16, {0x00, 0x80}, 0},
      {16, {0x00, 0x00}, -32768},
      {16, {0xFF, 0xFF}, 32767},
      {16, {0x2C, 0x7F}, -212},
      {32, {0x00, 0x00, 0x00, 0x00}, 0},
      {32, {0xE8, 0x03, 0x00, 0x00}, 1000},
      {32, {0x18, 0xFC, 0xFF, 0xFF}, -1000},
      {32, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
      {32, {0xFF, 0xFF, 0xFF, 0x7F}, 2147483647},
      {32, {0x00, 0x00, 0x00, 0x80}, -2147483648LL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, expected " + std::to_string(c.value));
    std::vector<uint8_t> b = Dzt(c.bits, 1, 0, 1);
    b.insert(b.end(), c.bytes.begin(), c.bytes.end());
    auto h = ReadDztHeader(b);
    ASSERT_TRUE(h.ok()) << h.error();
    EXPECT_EQ(DztSample(b, *h, 0, 0, 0), c.value);
    EXPECT_EQ(DztColumnsText(b, *h, 0), std::to_string(c.value) + "\n");
  }
}

TEST(Dzt, DamagedHeadersAreRefused) {
  auto good = Dzt(16, 1, 2, 8);
  for (size_t cut : {size_t{0}, size_t{500}, size_t{1024}, size_t{1024 + 15}})
    EXPECT_FALSE(ReadDztHeader(std::span<const uint8_t>(good.data(), cut)).ok()) << cut;
  auto odd = good;
  put_u16le(&odd[6], 12);
  EXPECT_NE(ReadDztHeader(odd).error().find("12 bits"), std::string::npos);
  odd = good;
  put_u16le(&odd[52], 0);
  EXPECT_FALSE(ReadDztHeader(odd).ok());
  odd = good;
  put_u16le(&odd[2], 900);  // 900 blocks of 1024 bytes
  EXPECT_NE(ReadDztHeader(odd).error().find("outside the file"), std::string::npos);
}

TEST(Dzt, TheProgramWritesOneFilePerChannel) {
  keld::testing::TempDir d;
  auto b = Dzt(16, 2, 3, 4);
  keld::testing::WriteText(d / "two.DZT", std::string(b.begin(), b.end()));
  std::string out;
  const std::string prog = keld::testing::ShellQuote(keld::testing::BinDir() + "/rtoaw");
  ASSERT_EQ(keld::testing::RunCommand(prog + " " + keld::testing::ShellQuote(d / "two.DZT") + " " +
                                          keld::testing::ShellQuote(d / "two.txt"),
                                      &out),
            0)
      << out;
  EXPECT_NE(out.find("3 traces of 4 samples per trace"), std::string::npos) << out;
  EXPECT_EQ(keld::testing::ReadText(d / "two_ch2.txt"), "1000,1010,1020\n1001,1011,1021\n1002,1012,1022\n1003,1013,1023\n");
  keld::testing::WriteText(d / "cut.DZT", std::string(b.begin(), b.begin() + 2060));
  EXPECT_NE(keld::testing::RunCommand(prog + " " + keld::testing::ShellQuote(d / "cut.DZT") + " " +
                                          keld::testing::ShellQuote(d / "cut.txt"),
                                      &out),
            0);
  EXPECT_NE(out.find("no whole scan"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(d / "cut.txt"));
}
