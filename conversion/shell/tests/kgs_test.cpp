// KGS files of both kinds built by hand from their layout, converted to SU
// word by word, and SU to KGS and back.
#include <gtest/gtest.h>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/shell/kgs.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;

namespace {
// A KGS file of `traces` traces; word at offset k of trace i is k * 10 + i
// (so each offset is recognisable), ns and dt in their words, offset 36 -5.
std::vector<uint8_t> Kgs(KgsKind kind, int traces, int ns, int16_t dt = 500) {
  const int sb = kind == KgsKind::Integer ? 2 : 4;
  std::vector<uint8_t> b;
  for (int i = 1; i <= traces; ++i) {
    std::vector<uint8_t> t(static_cast<size_t>(240 + sb * ns));
    for (int k = 0; k < 240; k += 2) put_i16le(&t[static_cast<size_t>(k)], static_cast<int16_t>(k * 10 + i));
    put_i16le(&t[114], static_cast<int16_t>(ns));
    put_i16le(&t[116], dt);
    put_i16le(&t[36], -5);
    for (int s = 0; s < ns; ++s) {
      if (kind == KgsKind::Integer)
        put_i16le(&t[static_cast<size_t>(240 + 2 * s)], static_cast<int16_t>(s == 0 ? -32768 : 100 * i + s));
      else
        put_f32le(&t[static_cast<size_t>(240 + 4 * s)], 0.5f * static_cast<float>(100 * i + s));
    }
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}
}  // namespace

TEST(Kgs, IntegerAndFloatingHeadersMapWordByWord) {
  for (KgsKind kind : {KgsKind::Integer, KgsKind::Floating}) {
    const bool integer = kind == KgsKind::Integer;
    TempDir d;
    auto bytes = Kgs(kind, 10, 500);
    // Half a trace more is not a trace.
    bytes.resize(bytes.size() + (240 + (integer ? 2 : 4) * 500) / 2 + 7, 0);
    ASSERT_TRUE(WriteFileAtomic(d / "in.kgs", bytes));
    ASSERT_TRUE(ConvertKgsToSu(d / "in.kgs", d / "out.su", kind, 7));
    auto su = keld::testing::ReadBytes(d / "out.su");
    ASSERT_EQ(su.size(), 10u * 2240);
    const uint8_t* h = &su[2240 * 2];  // trace 3
    auto k = [](int off) { return off * 10 + 3; };
    EXPECT_EQ(get_i32le(h + 0), k(integer ? 170 : 172));   // tracl
    EXPECT_EQ(get_i32le(h + 4), k(integer ? 182 : 184));   // tracr
    EXPECT_EQ(get_i32le(h + 8), k(12));                    // fldr
    EXPECT_EQ(get_i32le(h + 12), k(integer ? 16 : 26));    // tracf
    EXPECT_EQ(get_i32le(h + 16), k(172));                  // ep
    EXPECT_EQ(get_i32le(h + 20), k(22));                   // cdp
    EXPECT_EQ(get_i32le(h + 24), k(26));                   // cdpt
    for (int off : {28, 30, 32}) EXPECT_EQ(get_i16le(h + off), k(off));
    EXPECT_EQ(get_i16le(h + 34), 1);                       // duse
    EXPECT_EQ(get_i32le(h + 36), -5);                      // sign kept
    EXPECT_EQ(get_i32le(h + 40), k(40));
    EXPECT_EQ(get_i32le(h + 44), k(44));
    EXPECT_EQ(get_i32le(h + 48), 7);                       // sdepth typed
    EXPECT_EQ(get_i32le(h + 52), k(52));
    EXPECT_EQ(get_i32le(h + 56), k(56));
    EXPECT_EQ(get_i32le(h + 60), 0);
    EXPECT_EQ(get_i16le(h + 68), 1);                       // scalel
    EXPECT_EQ(get_i16le(h + 70), k(70));                   // scalco ...
    EXPECT_EQ(get_i32le(h + 80), k(70));                   // ... and gx from the same word
    EXPECT_EQ(get_i32le(h + 72), k(76));                   // sx
    EXPECT_EQ(get_i32le(h + 76), k(78));                   // sy
    EXPECT_EQ(get_i32le(h + 84), k(72));                   // gy
    EXPECT_EQ(get_i16le(h + 88), 1);                       // counit
    for (int off : {98, 100, 102, 108, 148, 150}) EXPECT_EQ(get_i16le(h + off), k(off)) << off;
    EXPECT_EQ(get_i16le(h + 114), 500);
    EXPECT_EQ(get_i16le(h + 116), 500);
    EXPECT_EQ(get_i16le(h + 118), 3);                      // gain
    for (int off = 120; off < 148; ++off) EXPECT_EQ(h[off], 0) << off;
    for (int off = 152; off < 240; ++off) EXPECT_EQ(h[off], 0) << off;
    auto traces = ReadSuFile(d / "out.su");
    ASSERT_TRUE(traces);
    if (integer) {
      EXPECT_EQ(traces->at(2).samples[0], -32768.0f);
    }
    EXPECT_EQ(traces->at(2).samples[7], integer ? 307.0f : 153.5f);
  }
}

TEST(Kgs, SuToKgsAndBack) {
  TempDir d;
  std::vector<SuTrace> in;
  for (int i = 1; i <= 30; ++i) {
    SuTrace t;
    auto& h = t.header;
    h.tracl = 100 + i;
    h.tracr = 200 + i;
    h.fldr = 1 + (i - 1) / 10;
    h.tracf = 1 + (i - 1) % 10;
    h.ep = 5;
    h.cdp = 999;
    h.trid = 1;
    h.offset = -30 * i;
    h.gelev = 12;
    h.sx = 3;
    h.gx = 40 * i;
    h.gy = 2;
    h.scalco = 10;
    h.sstat = 4;
    h.delrt = 100;
    h.ns = 64;
    h.dt = 1000;
    h.lcf = 10;
    h.hcf = 200;
    for (int s = 0; s < 64; ++s) t.samples.push_back(static_cast<float>(i * s) / 7.0f);
    in.push_back(t);
  }
  ASSERT_TRUE(WriteSuFile(d / "line.su", in));
  KgsWriteParams p;
  p.channels = 10;
  ASSERT_TRUE(ConvertSuToKgs(d / "line.su", d / "line.dat", p));
  auto su = keld::testing::ReadBytes(d / "line.su");
  auto kgs = keld::testing::ReadBytes(d / "line.dat");
  ASSERT_EQ(kgs.size(), su.size());
  const uint8_t* k = &kgs[(240 + 256) * 4];  // trace 5
  EXPECT_EQ(get_i16le(k + 0), 0);
  EXPECT_EQ(get_i16le(k + 2), 10);
  EXPECT_EQ(get_i16le(k + 4), 12);
  EXPECT_EQ(get_i16le(k + 6), 0);
  EXPECT_EQ(get_i16le(k + 8), 1);
  EXPECT_EQ(get_i16le(k + 22), 5);           // the trace number, whatever cdp holds
  EXPECT_EQ(get_u16le(k + 118), 0x55AA);
  EXPECT_EQ(get_i16le(k + 70), 200);         // gx, not scalco
  EXPECT_EQ(get_i16le(k + 174), 105);        // tracl
  EXPECT_TRUE(std::equal(k + 240, k + 496, &su[(240 + 256) * 4 + 240]));  // samples as they were

  ASSERT_TRUE(ConvertKgsToSu(d / "line.dat", d / "back.su", KgsKind::Floating, 1));
  auto back = ReadSuFile(d / "back.su");
  ASSERT_TRUE(back);
  for (size_t i = 0; i < in.size(); ++i) {
    const auto &a = in[i].header, &b = back->at(i).header;
    EXPECT_EQ(back->at(i).samples, in[i].samples);
    EXPECT_EQ(b.tracf, a.tracf);
    EXPECT_EQ(b.tracl, a.ep);                // tracl comes back as ep
    EXPECT_EQ(b.cdp, static_cast<int>(i) + 1);
    EXPECT_EQ(b.cdpt, a.tracf);
    EXPECT_EQ(b.scalco, a.gx);
    EXPECT_EQ(b.fldr, 0);
    for (auto [x, y] : {std::pair{a.offset, b.offset}, {a.gelev, b.gelev}, {a.sx, b.sx}, {a.gx, b.gx},
                        {a.gy, b.gy}, {int32_t(a.sstat), int32_t(b.sstat)}, {int32_t(a.delrt), int32_t(b.delrt)},
                        {int32_t(a.lcf), int32_t(b.lcf)}, {int32_t(a.hcf), int32_t(b.hcf)}})
      EXPECT_EQ(x, y);
  }
}

TEST(Kgs, RefusalsLeaveNoOutput) {
  TempDir d;
  std::vector<SuTrace> in(3);
  for (auto& t : in) {
    t.header.ns = 4;
    t.samples.assign(4, 1.0f);
  }
  in[2].header.offset = 40000;  // does not fit a KGS word
  ASSERT_TRUE(WriteSuFile(d / "a.su", in));
  keld::testing::WriteText(d / "a.dat", "older");
  Status s = ConvertSuToKgs(d / "a.su", d / "a.dat", {});
  EXPECT_FALSE(s);
  EXPECT_NE(s.error.find("offset = 40000"), std::string::npos);
  EXPECT_EQ(keld::testing::ReadText(d / "a.dat"), "older");
  // An output that cannot be made is named once.
  ASSERT_TRUE(WriteSuFile(d / "ok.su", {in[0]}));
  ASSERT_TRUE(WriteFileAtomic(d / "ok.evd", Kgs(KgsKind::Integer, 2, 10)));
  const std::string lost = d / "gone/o";
  EXPECT_EQ(ConvertSuToKgs(d / "ok.su", lost, {}).error, "Cannot write " + lost + ": No such file or directory");
  EXPECT_EQ(ConvertKgsToSu(d / "ok.evd", lost, KgsKind::Integer, 0).error,
            "Cannot write " + lost + ": No such file or directory");
  // Too short for one trace, a header with no samples, a missing file.
  auto k = Kgs(KgsKind::Integer, 1, 100);
  k.resize(300);
  ASSERT_TRUE(WriteFileAtomic(d / "short.evd", k));
  EXPECT_FALSE(ConvertKgsToSu(d / "short.evd", d / "x.su", KgsKind::Integer, 0));
  auto z = Kgs(KgsKind::Integer, 2, 0);
  ASSERT_TRUE(WriteFileAtomic(d / "zero.evd", z));
  EXPECT_FALSE(ConvertKgsToSu(d / "zero.evd", d / "x.su", KgsKind::Integer, 0));
  EXPECT_FALSE(ConvertKgsToSu(d / "none.evd", d / "x.su", KgsKind::Integer, 0));
  EXPECT_FALSE(Existe_file(d / "x.su"));
  // A trace whose ns differs from the first's is refused.
  auto m = Kgs(KgsKind::Floating, 3, 10);
  put_i16le(&m[(240 + 40) * 2 + 114], 9);
  ASSERT_TRUE(WriteFileAtomic(d / "mixed.dat", m));
  EXPECT_FALSE(ConvertKgsToSu(d / "mixed.dat", d / "x.su", KgsKind::Floating, 0));
}
