// SEG-Y sample decoding, IBM floats, header turning and the layout checks,
// against byte layouts written out by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/bytes.hpp"
#include "common/ebcdic.hpp"
#include "sutools/args.hpp"
#include "sutools/segy/headers.hpp"
#include "sutools/segy/layout.hpp"
#include "sutools/segy/samples.hpp"

namespace keld::segy {
namespace {

using Bytes = std::vector<uint8_t>;

float Ibm(uint32_t bits) { return std::bit_cast<float>(IbmToIeee(bits)); }

TEST(SegyIbm, KnownValues) {
  EXPECT_EQ(Ibm(0x41100000), 1.0f);
  EXPECT_EQ(Ibm(0xC276A000), -118.625f);
  EXPECT_EQ(Ibm(0x40800000), 0.5f);
  EXPECT_EQ(Ibm(0x00000000), 0.0f);
  EXPECT_EQ(Ibm(0x7FFFFFFF), 3.4028235e38f);  // beyond the float range: held at the largest
  EXPECT_EQ(IeeeToIbm(std::bit_cast<uint32_t>(1.0f)), 0x41100000u);
  EXPECT_EQ(IeeeToIbm(std::bit_cast<uint32_t>(-118.625f)), 0xC276A000u);
  EXPECT_EQ(IeeeToIbm(0), 0u);
  EXPECT_EQ(IeeeToIbm(std::bit_cast<uint32_t>(INFINITY)), 0x7FFFFFFFu);
}

TEST(SegyIbm, RoundTripWithinIbmPrecision) {
  for (float v : {1e-30f, 3.14159f, -2.5e7f, 123456.789f, 1e30f, 1e-40f}) {
    const float back = Ibm(IeeeToIbm(std::bit_cast<uint32_t>(v)));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-6 + 1e-44) << v;
  }
}

// The block decoders and encoders (vector code) give the very words of the
// one-word conversions, for random words and for every exponent's edges.
TEST(SegyIbm, BlocksMatchOneWordConversions) {
  std::vector<uint32_t> words;
  uint64_t r = 88172645463325252ull;
  for (int i = 0; i < 200000; ++i) {
    r ^= r << 13, r ^= r >> 7, r ^= r << 17;
    words.push_back(static_cast<uint32_t>(r));
  }
  for (uint32_t e = 0; e < 256; ++e)
    for (uint32_t m : {0u, 1u, 0x0Fu, 0x100000u, 0x7FFFFFu, 0xFFFFFFu})
      words.push_back(e << 24 | m), words.push_back(e << 23 | (m & 0x7FFFFFu));
  for (ByteOrder order : {ByteOrder::Big, ByteOrder::Little}) {
    Bytes raw(4 * words.size());
    for (size_t i = 0; i < words.size(); ++i) PutI32(raw.data() + 4 * i, static_cast<int32_t>(words[i]), order);
    // Whole (a block with a word outside the float range is decoded one word
    // at a time) and in blocks of one word, each then on the vector path.
    std::vector<float> got(words.size()), single(words.size());
    DecodeSamples(raw.data(), words.size(), *FindSampleFormat(1), order, false, 1, got.data());
    for (size_t i = 0; i < words.size(); ++i)
      DecodeSamples(raw.data() + 4 * i, 1, *FindSampleFormat(1), order, false, 1, &single[i]);
    std::vector<float> as_float(words.size());
    for (size_t i = 0; i < words.size(); ++i) as_float[i] = std::bit_cast<float>(words[i]);
    EncodeSamples(as_float.data(), words.size(), true, order, raw.data());
    for (size_t i = 0; i < words.size(); ++i) {
      ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), IbmToIeee(words[i])) << std::hex << words[i];
      ASSERT_EQ(std::bit_cast<uint32_t>(single[i]), IbmToIeee(words[i])) << std::hex << words[i];
      ASSERT_EQ(static_cast<uint32_t>(GetI32(raw.data() + 4 * i, order)), IeeeToIbm(words[i])) << std::hex << words[i];
    }
  }
}

// One sample value 1 or -2 in every format, as bytes big-endian; little-endian is the reverse.
struct FormatCase {
  int code;
  Bytes big;
  float value;
};

TEST(SegySamples, EveryFormatBothOrders) {
  const std::vector<FormatCase> cases = {
      {1, {0xC2, 0x76, 0xA0, 0x00}, -118.625f},
      {2, {0xFF, 0xFF, 0xFF, 0xFE}, -2},
      {3, {0xFF, 0xFE}, -2},
      {5, {0x3F, 0x80, 0x00, 0x00}, 1},
      {6, {0xBF, 0xF8, 0, 0, 0, 0, 0, 0}, -1.5f},
      {7, {0xFF, 0xFF, 0xFE}, -2},
      {8, {0xFE}, -2},
      {9, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, -2},
      {10, {0xFF, 0xFF, 0xFF, 0xFE}, 4294967294.0f},
      {11, {0xFF, 0xFE}, 65534},
      {12, {0, 0, 0, 0, 0, 0, 0x01, 0x02}, 258},
      {15, {0xFF, 0xFF, 0xFE}, 16777214},
      {16, {0xFE}, 254},
  };
  for (const auto& c : cases) {
    const SampleFormat* f = FindSampleFormat(c.code);
    ASSERT_NE(f, nullptr) << c.code;
    ASSERT_EQ(static_cast<size_t>(f->bytes), c.big.size()) << c.code;
    Bytes little(c.big.rbegin(), c.big.rend());
    float b = 0, l = 0;
    DecodeSamples(c.big.data(), 1, *f, ByteOrder::Big, false, 1, &b);
    DecodeSamples(little.data(), 1, *f, ByteOrder::Little, false, 1, &l);
    EXPECT_EQ(b, c.value) << "format " << c.code;
    EXPECT_EQ(l, c.value) << "format " << c.code;
    float w = 0;
    DecodeSamples(c.big.data(), 1, *f, ByteOrder::Big, false, 0.25, &w);
    EXPECT_EQ(w, f->integer ? c.value * 0.25f : c.value) << "weight, format " << c.code;
  }
  EXPECT_EQ(FindSampleFormat(4), nullptr);
  EXPECT_EQ(FindSampleFormat(13), nullptr);
  // conv=0 keeps IBM words as they are.
  const Bytes one = {0x41, 0x10, 0x00, 0x00};
  float raw = 0;
  DecodeSamples(one.data(), 1, *FindSampleFormat(1), ByteOrder::Big, true, 1, &raw);
  EXPECT_EQ(std::bit_cast<uint32_t>(raw), 0x41100000u);
}

TEST(SegyHeaders, TraceHeaderWordsTurnByTheirWidth) {
  uint8_t segy[240] = {}, su[240], back[240];
  put_i32be(segy + 0, 7);          // tracl
  put_i16be(segy + 28, 1);         // trid
  put_i32be(segy + 36, -250);      // offset
  put_i16be(segy + 114, 1000);     // ns
  put_f32be(segy + 180, 0.5f);     // d1
  put_i16be(segy + 208, 3);        // mark
  TraceHeaderToSu(segy, ByteOrder::Big, su);
  EXPECT_EQ(get_i32le(su + 0), 7);
  EXPECT_EQ(get_i16le(su + 28), 1);
  EXPECT_EQ(get_i32le(su + 36), -250);
  EXPECT_EQ(get_i16le(su + 114), 1000);
  EXPECT_EQ(get_f32le(su + 180), 0.5f);
  EXPECT_EQ(get_i16le(su + 208), 3);
  SuToTraceHeader(su, ByteOrder::Big, back);
  EXPECT_EQ(0, std::memcmp(segy, back, 240));
  TraceHeaderToSu(segy, ByteOrder::Little, su);
  EXPECT_EQ(0, std::memcmp(segy, su, 240));
}

TEST(SegyHeaders, TextHeaderInEbcdic) {
  const auto t = DefaultTextHeader();
  EXPECT_EQ(t[0], 0xC3);  // "C"
  EXPECT_TRUE(TextHeaderIsEbcdic(t.data()));
  const std::string lines = TextHeaderLines(t.data());
  EXPECT_EQ(lines.size(), 3240u);
  EXPECT_EQ(lines.substr(0, 4), "C 1 ");
  EXPECT_EQ(lines.substr(39 * 81, 14), "C40 END EBCDIC");
  const std::string all = [] { std::string s; for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c)); return s; }();
  EXPECT_EQ(Ebcdic_Ascii(Ascii_Ebcdic(all, Table_Ebcdic())), all);
  uint8_t nul[3200] = {};
  EXPECT_FALSE(TextHeaderIsEbcdic(nul));
}

// A reel header with format, ns, dt in `order`, then `traces` traces of ns
// samples of the format's width, and `extra` bytes.
Bytes File(ByteOrder order, int format, int ns, int traces, int extra = 0, int trace_ns = -1) {
  const SampleFormat* f = FindSampleFormat(format);
  const int width = f ? f->bytes : 4;
  Bytes b(static_cast<size_t>(kReelBytes + traces * (240 + ns * width) + extra), 0);
  PutI16(b.data() + kTextBytes + kBinHdt, 500, order);
  PutI16(b.data() + kTextBytes + kBinNs, ns, order);
  PutI16(b.data() + kTextBytes + kBinFormat, format, order);
  for (int t = 0; t < traces; ++t)
    PutI16(b.data() + kReelBytes + t * (240 + ns * width) + kTrNs, trace_ns < 0 ? ns : trace_ns, order);
  return b;
}

Result<SegyLayout> Layout(const Bytes& b, LayoutOptions o = {}) {
  auto read_at = [&](int64_t at, int64_t n) {
    Bytes out;
    if (at < static_cast<int64_t>(b.size()))
      out.assign(b.begin() + at, b.begin() + std::min<int64_t>(at + n, static_cast<int64_t>(b.size())));
    return out;
  };
  return ReadSegyLayout(read_at, static_cast<int64_t>(b.size()), o);
}

TEST(SegyLayout, ByteOrderByWhatMakesSense) {
  // ns 1025 big-endian reads as 260 little-endian: the order is decided by
  // the format code and the trace length, not by the size of ns.
  for (auto order : {ByteOrder::Big, ByteOrder::Little}) {
    const Bytes b = File(order, 5, 1025, 3);
    EXPECT_EQ(DetectByteOrder(b.data(), static_cast<int64_t>(b.size())), order);
    auto L = Layout(b);
    ASSERT_TRUE(L) << L.error();
    EXPECT_EQ(L->order, order);
    EXPECT_EQ(L->ns, 1025);
    EXPECT_EQ(L->dt, 500);
    EXPECT_EQ(L->traces, 3);
  }
  EXPECT_FALSE(DetectByteOrder(Bytes(100).data(), 100).has_value());
}

TEST(SegyLayout, RefusesWhatIsNotSegy) {
  struct Case {
    Bytes file;
    LayoutOptions o;
    const char* says;
  };
  const std::vector<Case> cases = {
      {Bytes(2000, 0), {}, "fewer than the 3600"},
      {File(ByteOrder::Big, 5, 100, 0), {}, "no whole trace"},                        // header only
      {File(ByteOrder::Big, 4, 100, 2), {ByteOrder::Big}, "unknown sample format code 4"},
      {File(ByteOrder::Big, 5, 0, 2, 0, 0), {}, "no sample count"},
      {File(ByteOrder::Big, 5, 100, 1), {ByteOrder::Big, 40000}, "more than an SU trace holds"},
      {File(ByteOrder::Big, 5, 100, 1), {ByteOrder::Big, 2000}, "no whole trace"},   // ns= beyond the file
  };
  for (const auto& c : cases) {
    auto L = Layout(c.file, c.o);
    ASSERT_FALSE(L) << c.says;
    EXPECT_NE(L.error().find(c.says), std::string::npos) << L.error();
  }
}

TEST(SegyLayout, WarnsAndGoesOn) {
  // Trailing partial trace, trace ns against binary ns, unknown format with over.
  auto L = Layout(File(ByteOrder::Big, 3, 75, 4, 100, 462));
  ASSERT_TRUE(L) << L.error();
  EXPECT_EQ(L->ns, 75);
  EXPECT_EQ(L->traces, 4);
  EXPECT_EQ(L->trailing_bytes, 100);
  EXPECT_EQ(L->warnings.size(), 2u);
  auto O = Layout(File(ByteOrder::Big, 4, 10, 2), {ByteOrder::Big, 0, true});
  ASSERT_TRUE(O) << O.error();
  EXPECT_TRUE(O->format_overridden);
  EXPECT_EQ(O->traces, 2);
  // Two extended text headers in a revision-1 file are skipped.
  Bytes e = File(ByteOrder::Big, 5, 10, 1);
  e.insert(e.begin() + kReelBytes, 2 * kTextBytes, 0x40);
  PutI16(e.data() + kTextBytes + kBinRevision, 0x0100, ByteOrder::Big);
  PutI16(e.data() + kTextBytes + kBinExtHeaders, 2, ByteOrder::Big);
  auto X = Layout(e);
  ASSERT_TRUE(X) << X.error();
  EXPECT_EQ(X->data_offset, kReelBytes + 2 * kTextBytes);
  EXPECT_EQ(X->traces, 1);
}

TEST(SegyArgs, ValueInTheNextWord) {
  const char* argv[] = {"segyread", "tape=a b.sgy", "trmin=", "1", "trmax=", "96", "ns=", "conv=1"};
  auto kv = sutools::ParseKeyValues(8, argv, {"tape", "trmin", "trmax", "ns", "conv"});
  ASSERT_TRUE(kv) << kv.error();
  EXPECT_EQ(kv->at("trmin"), "1");
  EXPECT_EQ(kv->at("trmax"), "96");
  EXPECT_EQ(kv->at("ns"), "");
  EXPECT_EQ(kv->at("conv"), "1");
  EXPECT_FALSE(sutools::IntegerParam(*kv, "ns", 0, 0, 10));
  EXPECT_EQ(*sutools::IntegerParam(*kv, "trmax", 0, 1, 100), 96);
  EXPECT_FALSE(sutools::IntegerParam(*kv, "trmax", 0, 1, 50));
}

}  // namespace
}  // namespace keld::segy
