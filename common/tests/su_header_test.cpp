#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/bytes.hpp"
#include "common/su_header.hpp"

using namespace keld;

TEST(SuHeader, FieldsSitAtTheirByteOffsets) {
  struct Expect { const char* name; int offset; int size; };
  const Expect want[] = {
      {"tracl", 0, 4},   {"fldr", 8, 4},     {"tracf", 12, 4},  {"cdp", 20, 4},    {"trid", 28, 2},
      {"nvs", 30, 2},    {"nhs", 32, 2},     {"duse", 34, 2},   {"offset", 36, 4}, {"gelev", 40, 4},
      {"gwdep", 64, 4},  {"scalel", 68, 2},  {"scalco", 70, 2}, {"sx", 72, 4},     {"sy", 76, 4},
      {"gx", 80, 4},     {"gy", 84, 4},      {"counit", 88, 2}, {"tstat", 102, 2}, {"delrt", 108, 2},
      {"ns", 114, 2},    {"dt", 116, 2},     {"corr", 124, 2},  {"nofilf", 144, 2}, {"lcf", 148, 2},
      {"hcf", 150, 2},   {"hcs", 154, 2},    {"year", 156, 2},  {"day", 158, 2},   {"hour", 160, 2},
      {"minute", 162, 2}, {"otrav", 178, 2}, {"d1", 180, 4},    {"d2", 188, 4},    {"unscale", 200, 4},
      {"ntr", 204, 4},   {"mark", 208, 2},   {"Velocity1", 212, 2}, {"Thick1", 214, 2},
      {"Velocity2", 216, 2}, {"Thick2", 218, 2}, {"Velocity3", 220, 2}, {"Pick", 222, 2},
      {"Nb_Samples", 232, 4},
  };
  for (const auto& w : want) {
    auto f = FindHeaderField(w.name);
    ASSERT_TRUE(f.has_value()) << w.name;
    EXPECT_EQ(f->offset, w.offset) << w.name;
    EXPECT_EQ(f->size(), w.size) << w.name;
  }
  // The table covers the 240 bytes with no gap and no overlap.
  int next = 0;
  for (const auto& f : HeaderFields()) {
    EXPECT_EQ(f.offset, next) << f.name;
    next = f.offset + f.size();
  }
  EXPECT_EQ(next, 240);
}

TEST(SuHeader, AllBytesRoundTrip) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    uint8_t in[240], out[240];
    for (auto& b : in) b = static_cast<uint8_t>(rng());
    EncodeSuHeader(DecodeSuHeader(in), out);
    ASSERT_EQ(0, std::memcmp(in, out, 240)) << "round " << round;
  }
}

TEST(SuHeader, LittleEndianSignedWords) {
  SuTraceHeader h;
  h.offset = -10;
  h.ns = 10922;
  h.Nb_Samples = 10922;
  h.dt = 125;
  auto b = EncodeSuHeader(h);
  EXPECT_EQ(b[36], 0xF6);
  EXPECT_EQ(b[37], 0xFF);
  EXPECT_EQ(b[38], 0xFF);
  EXPECT_EQ(b[39], 0xFF);
  EXPECT_EQ(get_u16le(&b[114]), 10922);
  EXPECT_EQ(get_u32le(&b[232]), 10922u);
  EXPECT_EQ(b[116], 125);
  // ns is signed: 40000 samples read back negative.
  put_u16le(&b[114], 40000);
  EXPECT_LT(DecodeSuHeader(b.data()).ns, 0);
}

TEST(SuHeader, GetAndSetByTable) {
  SuTraceHeader h;
  SetField(h, *FindHeaderField("cdp"), 1.5);
  EXPECT_EQ(h.cdp, 2);
  SetField(h, *FindHeaderField("trid"), 2.5);
  EXPECT_EQ(h.trid, 2);
  SetField(h, *FindHeaderField("d1"), 0.25);
  EXPECT_FLOAT_EQ(h.d1, 0.25f);
  EXPECT_EQ(GetField(h, *FindHeaderField("cdp")), 2);
  SetField(h, *FindHeaderField("ns"), 65535);  // wraps like a 16-bit store
  EXPECT_EQ(h.ns, -1);
}
