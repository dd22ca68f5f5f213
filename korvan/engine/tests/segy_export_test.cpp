#include "korvan/engine/segy_export.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/bytes.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/engine/tests/segy_test_files.hpp"

namespace keld::korvan {
namespace {

using keld::testing::ReadBytes;
using keld::testing::TempDir;
using testfiles::Shot;

std::vector<uint8_t> Bytes(const std::string& p) {
  auto b = ReadBytes(p);
  return std::vector<uint8_t>(b.begin(), b.end());
}

class SegyExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    su = dir / "SHOT1001.su";
    ASSERT_TRUE(WriteSuFile(su, Shot(48, 1024)).ok());
  }
  TempDir dir;
  std::string su;
};

TEST_F(SegyExportTest, LayoutOfA48TraceRecord) {
  auto r = ConvertSuToSegy(su, dir / "SHOT1001.SGY", "ABC", dir / "header.sgy");
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_EQ(r->bytes, 211728);
  EXPECT_EQ(r->traces, 48);
  EXPECT_EQ(r->ns, 1024);
  auto b = Bytes(dir / "SHOT1001.SGY");
  ASSERT_EQ(b.size(), 211728u);
  EXPECT_EQ(b[0], 0xC1);
  EXPECT_EQ(b[1], 0xC2);
  EXPECT_EQ(b[2], 0xC3);
  for (int i = 3; i < 3200; ++i) ASSERT_EQ(b[i], 0) << i;
  EXPECT_EQ(b[3212], 0x00);
  EXPECT_EQ(b[3213], 0x30);
  EXPECT_EQ(get_i16be(&b[3216]), 250);
  EXPECT_EQ(b[3220], 0x04);
  EXPECT_EQ(b[3221], 0x00);
  EXPECT_EQ(b[3224], 0x00);
  EXPECT_EQ(b[3225], 0x05);
  EXPECT_EQ(b[3500], 0x01);
  EXPECT_EQ(b[3501], 0x00);
  EXPECT_EQ(b[3502], 0x00);
  EXPECT_EQ(b[3503], 0x01);
  for (int i = 3200; i < 3600; ++i) {
    if (i == 3213 || i == 3216 || i == 3217 || i == 3220 || i == 3225 || i == 3500 || i == 3503) continue;
    ASSERT_EQ(b[i], 0) << i;
  }
  // The first trace: offset -20, sample 1.0.
  EXPECT_EQ(b[3600 + 36], 0xFF);
  EXPECT_EQ(b[3600 + 37], 0xFF);
  EXPECT_EQ(b[3600 + 38], 0xFF);
  EXPECT_EQ(b[3600 + 39], 0xEC);
  EXPECT_EQ(b[3600 + 240], 0x3F);
  EXPECT_EQ(b[3600 + 241], 0x80);
  EXPECT_EQ(b[3600 + 242], 0x00);
  EXPECT_EQ(b[3600 + 243], 0x00);
  // header.sgy holds exactly the reel header.
  auto reel = Bytes(dir / "header.sgy");
  ASSERT_EQ(reel.size(), 3600u);
  EXPECT_TRUE(std::equal(reel.begin(), reel.end(), b.begin()));
}

TEST_F(SegyExportTest, EveryTraceCarriesItsOwnHeaderBigEndian) {
  ASSERT_TRUE(ConvertSuToSegy(su, dir / "out.sgy", "", "").ok());
  auto b = Bytes(dir / "out.sgy");
  auto traces = *ReadSuFile(su);
  const SuTraceHeader& first = traces[0].header;
  const size_t tb = 240 + 4 * 1024;
  for (size_t i = 0; i < traces.size(); ++i) {
    const uint8_t* p = b.data() + 3600 + i * tb;
    const SuTraceHeader& own = traces[i].header;
    SCOPED_TRACE("trace " + std::to_string(i + 1));
    EXPECT_EQ(get_i32be(p + 0), 0);
    EXPECT_EQ(get_i32be(p + 4), 0);
    EXPECT_EQ(get_i32be(p + 8), own.fldr);
    EXPECT_EQ(get_i32be(p + 12), own.tracf);
    EXPECT_EQ(get_i32be(p + 16), 0);
    EXPECT_EQ(get_i32be(p + 20), own.cdp);
    EXPECT_EQ(get_i32be(p + 24), 0);
    EXPECT_EQ(get_i16be(p + 28), 1);
    EXPECT_EQ(get_i16be(p + 30), 1);
    EXPECT_EQ(get_i16be(p + 32), 1);
    EXPECT_EQ(get_i16be(p + 34), 1);
    EXPECT_EQ(get_i32be(p + 36), own.offset);
    EXPECT_EQ(get_i32be(p + 40), own.gelev);
    EXPECT_EQ(get_i32be(p + 44), own.selev);
    EXPECT_EQ(get_i32be(p + 48), own.sdepth);
    EXPECT_EQ(get_i32be(p + 52), own.gdel);
    EXPECT_EQ(get_i32be(p + 56), own.sdel);
    EXPECT_EQ(get_i32be(p + 60), own.swdep);
    EXPECT_EQ(get_i32be(p + 64), own.gwdep);
    EXPECT_EQ(get_i16be(p + 68), 1);
    EXPECT_EQ(get_i16be(p + 70), 1);
    EXPECT_EQ(get_i32be(p + 72), own.sx);
    EXPECT_EQ(get_i32be(p + 76), 0);
    EXPECT_EQ(get_i32be(p + 80), own.gx);
    EXPECT_EQ(get_i32be(p + 84), 0);
    for (int k = 88; k < 108; ++k) EXPECT_EQ(p[k], 0) << k;
    EXPECT_EQ(get_i16be(p + 108), first.delrt);
    for (int k = 110; k < 114; ++k) EXPECT_EQ(p[k], 0) << k;
    EXPECT_EQ(get_i16be(p + 114), 1024);
    EXPECT_EQ(get_i16be(p + 116), first.dt);
    for (int k = 118; k < 144; ++k) EXPECT_EQ(p[k], 0) << k;
    EXPECT_EQ(get_i16be(p + 144), first.nofilf);
    EXPECT_EQ(get_i16be(p + 146), 0);
    EXPECT_EQ(get_i16be(p + 148), first.lcf);
    EXPECT_EQ(get_i16be(p + 150), first.hcf);
    EXPECT_EQ(get_i16be(p + 152), 0);
    EXPECT_EQ(get_i16be(p + 154), own.hcs);
    EXPECT_EQ(get_i16be(p + 156), first.year);
    EXPECT_EQ(get_i16be(p + 158), first.day);
    EXPECT_EQ(get_i16be(p + 160), first.hour);
    EXPECT_EQ(get_i16be(p + 162), first.minute);
    for (int k = 164; k < 240; ++k) EXPECT_EQ(p[k], 0) << k;
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(get_f32be(p + 240 + 4 * k), traces[i].samples[static_cast<size_t>(k)]) << k;
  }
}

TEST(SegyText, LineBreaksAndCodePage) {
  auto t = SegyTextHeader("C1 CLIENT\nC2\r\nC3\rX");
  const uint8_t want[] = {0xC3, 0xF1, 0x40, 0xC3, 0xD3, 0xC9, 0xC5, 0xD5, 0xE3, 0x0D, 0x25, 0xC3,
                          0xF2, 0x0D, 0x25, 0xC3, 0xF3, 0x0D, 0x25, 0xE7, 0x00};
  for (size_t i = 0; i < sizeof want; ++i) EXPECT_EQ(t[i], want[i]) << i;
  // A character of the code page above 127 goes through its own table entry.
  auto e = SegyTextHeader("\xC3\xA9");  // e acute in UTF-8, 0xE9 in the code page
  EXPECT_EQ(e[0], 0xCB);
  EXPECT_EQ(e[1], 0x00);
  auto empty = SegyTextHeader("");
  for (uint8_t c : empty) ASSERT_EQ(c, 0);
  // Longer than the header: cut at 3200 bytes.
  auto full = SegyTextHeader(std::string(5000, 'A'));
  for (uint8_t c : full) ASSERT_EQ(c, 0xC1);
}

TEST(SegyNames, OutputNameAndMessages) {
  EXPECT_EQ(SegyOutputName("/data/SHOT1001.su"), "/data/SHOT1001.SGY");
  EXPECT_EQ(SegyOutputName("X.SU"), "X.SGY");
  EXPECT_EQ(SegyRecordedMessage("/d/X.SGY", 211728), "/d/X.SGY has been recorded OK size:211728");
  EXPECT_EQ(SegyReplaceQuestion("/d/X.SGY"), "/d/X.SGY file already exists, substitute it?");
}

TEST_F(SegyExportTest, ChoosingTheFile) {
  auto c = ChooseSegySource(su);
  ASSERT_TRUE(c.ok()) << c.error();
  EXPECT_EQ(c->ns, 1024);
  EXPECT_EQ(c->traces, 48);
  EXPECT_EQ(c->output, dir / "SHOT1001.SGY");
  EXPECT_FALSE(ChooseSegySource(dir / "missing.su").ok());
}

TEST_F(SegyExportTest, OnlyAWholeNumberOfTracesIsExported) {
  // The 48 traces of 1024 samples are 240 + 4 x 1024 = 4336 bytes each.
  const struct {
    const char* what;
    size_t keep;      // bytes of the SU file kept
    int16_t ns3;      // trace 3's ns, when not 1024
    int64_t segy;     // 3600 + traces x 4336; 0: refused, with these words after the path
    const char* refusal;
  } rows[] = {  // the refused first: nothing has been written yet
      {"cut inside trace 14", 57368, 1024, 0,
       ": not a whole number of traces (57368 bytes: 13 traces of 1024 samples, then 1000 bytes of trace 14)"},
      {"less than one trace", 1000, 1024, 0,
       ": not a little-endian SU file (1000 bytes, shorter than one trace of 1024 samples)"},
      {"whole, but trace 3 of another length", 208128, 1000, 0,
       ": not an SU file of fixed trace length (trace 3 has 1000 samples, the first trace 1024)"},
      {"whole", 208128, 1024, 3600 + 208128, ""},
  };
  const auto whole = Bytes(su);
  const std::string in = dir / "in.su", out = dir / "in.sgy", reel = dir / "header.sgy";
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    std::string kept(whole.begin(), whole.begin() + static_cast<long>(r.keep));
    if (kept.size() > 2 * 4336 + 116) {
      kept[2 * 4336 + 114] = static_cast<char>(r.ns3 & 0xFF);  // ns, little-endian, at byte 115 of trace 3
      kept[2 * 4336 + 115] = static_cast<char>(r.ns3 >> 8);
    }
    keld::testing::WriteText(in, kept);
    auto chosen = ChooseSegySource(in);
    auto x = ConvertSuToSegy(in, out, "", reel);
    if (r.segy) {
      ASSERT_TRUE(x.ok()) << x.error();
      EXPECT_EQ(x->bytes, r.segy);
      EXPECT_EQ(static_cast<int64_t>(Bytes(out).size()), r.segy);
      continue;
    }
    EXPECT_EQ(chosen.error(), in + r.refusal);
    EXPECT_EQ(x.error(), in + r.refusal + "; " + out + " not written");
    EXPECT_FALSE(std::filesystem::exists(out));  // nothing is written, not even header.sgy
    EXPECT_FALSE(std::filesystem::exists(reel));
  }
}

TEST_F(SegyExportTest, RefusesSameInputAndOutput) {
  auto before = Bytes(su);
  auto r = ConvertSuToSegy(su, su, "", "");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error(), "Same Input / Output");
  r = ConvertSuToSegy(su, dir.path() + "/./SHOT1001.su", "", "");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error(), "Same Input / Output");
  EXPECT_EQ(Bytes(su), before);
}

TEST_F(SegyExportTest, RefusesFilesThatAreNotSu) {
  // ns = 0 in the first header.
  auto b = Bytes(su);
  put_i16le(b.data() + 114, 0);
  keld::testing::WriteText(dir / "ns0.su", std::string(b.begin(), b.end()));
  keld::testing::WriteText(dir / "ns0.sgy", "old file");
  auto r = ConvertSuToSegy(dir / "ns0.su", dir / "ns0.sgy", "", dir / "header.sgy");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().find("samples per trace 0"), std::string::npos) << r.error();
  EXPECT_EQ(keld::testing::ReadText(dir / "ns0.sgy"), "old file");  // left as it was
  // Shorter than a header, shorter than one trace, missing.
  keld::testing::WriteText(dir / "tiny.su", std::string(100, 'x'));
  EXPECT_FALSE(ConvertSuToSegy(dir / "tiny.su", dir / "tiny.sgy", "", "").ok());
  keld::testing::WriteText(dir / "short.su", std::string(b.begin(), b.begin() + 1000));
  auto s = Bytes(dir / "short.su");
  put_i16le(s.data() + 114, 1024);
  keld::testing::WriteText(dir / "short.su", std::string(s.begin(), s.end()));
  auto rs = ConvertSuToSegy(dir / "short.su", dir / "short.sgy", "", "");
  ASSERT_FALSE(rs.ok());
  EXPECT_NE(rs.error().find("shorter than one trace"), std::string::npos) << rs.error();
  EXPECT_FALSE(ConvertSuToSegy(dir / "missing.su", dir / "m.sgy", "", "").ok());
  for (const char* n : {"tiny.sgy", "short.sgy", "m.sgy"}) EXPECT_FALSE(std::filesystem::exists(dir / n)) << n;
  // A third trace shorter than the first two: stopped there, the old output kept.
  for (const std::string& f : keld::testing::WriteLengthChangeFiles(dir.path())) {
    auto rl = ConvertSuToSegy(f, dir / "ns0.sgy", "", "");
    EXPECT_EQ(rl.error(), f + ": " + keld::testing::kThirdTraceInFile + "; " + dir / "ns0.sgy" + " not written");
    EXPECT_EQ(keld::testing::ReadText(dir / "ns0.sgy"), "old file");
  }
}

TEST_F(SegyExportTest, AFailedWriteLeavesNoFileAndSaysSo) {
  auto r = ConvertSuToSegy(su, dir / "no/such/folder/out.sgy", "", "");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().find("has been recorded OK"), std::string::npos);
  // header.sgy cannot be written: the message of the template.
  auto h = ConvertSuToSegy(su, dir / "out.sgy", "", dir / "no/such/header.sgy");
  ASSERT_FALSE(h.ok());
  EXPECT_EQ(h.error(), dir / "no/such/header.sgy" + " must be in KORVAN folder !");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.sgy"));
  // Nothing half-written beside the target either.
  for (auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".out.sgy"), std::string::npos) << e.path();
}

TEST_F(SegyExportTest, AWrongLengthIsFoundBeforeTheOldOutputIsReplaced) {
  // Something else writes into the file being made (here the test, from the
  // per-trace hook): 100 bytes more than the 211728 the export writes.
  keld::testing::WriteText(dir / "out.sgy", "old");
  bool meddled = false;
  auto r = ConvertSuToSegy(su, dir / "out.sgy", "", "", [&] {
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
      const std::string n = e.path().filename().string();
      if (meddled || n == "SHOT1001.su" || n == "out.sgy") continue;
      std::ofstream(e.path(), std::ios::binary | std::ios::app) << std::string(211728 + 100, 'x');
      meddled = true;
    }
    return true;
  });
  ASSERT_TRUE(meddled);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().find("unexpected length"), std::string::npos) << r.error();
  EXPECT_TRUE(keld::testing::ReadText(dir / "out.sgy") == "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temporary left
}

TEST_F(SegyExportTest, ReplacesAnExistingOutputOnlyWhenComplete) {
  keld::testing::WriteText(dir / "out.sgy", "old");
  ASSERT_TRUE(ConvertSuToSegy(su, dir / "out.sgy", "", "").ok());
  EXPECT_EQ(Bytes(dir / "out.sgy").size(), 211728u);
}

}  // namespace
}  // namespace keld::korvan
