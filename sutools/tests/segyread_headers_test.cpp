// segyread on files built byte by byte as the SEG-Y standard lays them out:
// extended text headers (bytes 3505-3506 of the binary header), additional
// trace headers (bytes 3507-3510, revision 2), files cut inside them, and
// sample counts an SU file cannot hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "sutools/segy/segyread.hpp"

namespace keld::segy {
namespace {

using Bytes = std::vector<uint8_t>;

// A big-endian file of format 5 (IEEE floats): the 3200-byte text header,
// the 400-byte binary header, `ext` extended text headers of 3200 bytes,
// then per trace its 240-byte header (tracl at bytes 1-4, ns at 115-116),
// `extensions` additional 240-byte headers and ns samples worth
// 100 x trace + sample.
struct Recipe {
  int revision = 0x0100;  // bytes 3501-3502: major revision in the first byte
  int ext = 0;            // extended text headers written
  int ext_word = -2;      // bytes 3505-3506; -2: `ext`
  int extensions = 0;     // additional trace headers written after each header
  uint32_t ext32 = 0;     // bytes 3507-3510
  int ext16 = -1;         // >= 0: a 16-bit count in 3507-3508 instead
  int ns = 1;             // bytes 3221-3222
  int traces = 1;
  const char* stanza = "";  // text put in the last extended text header
  int64_t keep = -1;      // >= 0: the file cut to this many bytes
};

Bytes Build(const Recipe& s) {
  Bytes b(3600, 0);
  std::memset(b.data(), 0x40, 3200);  // EBCDIC blanks
  put_u16be(&b[3216], 1000);
  put_u16be(&b[3220], static_cast<uint16_t>(s.ns));
  put_u16be(&b[3224], 5);
  put_u16be(&b[3500], static_cast<uint16_t>(s.revision));
  put_u16be(&b[3504], static_cast<uint16_t>(s.ext_word == -2 ? s.ext : s.ext_word));
  if (s.ext16 >= 0)
    put_u16be(&b[3506], static_cast<uint16_t>(s.ext16));
  else
    put_u32be(&b[3506], s.ext32);
  for (int e = 0; e < s.ext; ++e) {
    Bytes text(3200, ' ');
    if (e == s.ext - 1) std::memcpy(text.data(), s.stanza, std::strlen(s.stanza));
    b.insert(b.end(), text.begin(), text.end());
  }
  for (int t = 0; t < s.traces; ++t) {
    Bytes h(240 * (1 + s.extensions), 0xEE);  // additional headers full of 0xEE
    std::fill(h.begin(), h.begin() + 240, 0);
    put_u32be(&h[0], static_cast<uint32_t>(t + 1));
    put_u16be(&h[114], static_cast<uint16_t>(s.ns));
    b.insert(b.end(), h.begin(), h.end());
    for (int i = 0; i < s.ns; ++i) {
      uint8_t v[4];
      put_f32be(v, static_cast<float>(100 * t + i));
      b.insert(b.end(), v, v + 4);
    }
  }
  if (s.keep >= 0) b.resize(static_cast<size_t>(s.keep));
  return b;
}

// segyread's status, its SU output and what it said.
struct Outcome {
  int status = 0;
  std::string su, said;
};
Outcome Read(Bytes file) {
  Outcome r;
  char *out = nullptr, *err = nullptr;
  size_t out_len = 0, err_len = 0;
  std::FILE *in = fmemopen(file.data(), file.size(), "rb"), *o = open_memstream(&out, &out_len),
            *e = open_memstream(&err, &err_len);
  SegyreadParams p;
  p.hfile = p.bfile = "";
  r.status = RunSegyread(in, static_cast<int64_t>(file.size()), p, o, e);
  for (std::FILE* f : {in, o, e}) std::fclose(f);
  r.su.assign(out, out_len);
  r.said.assign(err, err_len);
  std::free(out);
  std::free(err);
  return r;
}

TEST(SegyreadHeaders, ExtendedAndAdditionalHeadersAreSkipped) {
  struct Case {
    const char* what;
    Recipe recipe;
  };
  const Case cases[] = {
      {"revision 1, 4 extended text headers, one 1-sample trace", {.revision = 0x0100, .ext = 4}},
      {"revision 2, 4 extended text headers", {.revision = 0x0200, .ext = 4}},
      {"revision 1, extended text headers closed by an end stanza",
       {.ext = 2, .ext_word = -1, .stanza = "((SEG: EndText))"}},
      {"revision 0 counting 4 extended text headers that are there", {.revision = 0, .ext = 4}},
      {"revision 2, 11 traces with one additional header each", {.revision = 0x0200, .extensions = 1, .ext32 = 1, .ns = 10, .traces = 11}},
      {"revision 2, 25 traces of 240 + 240 + 200 bytes, a 16-bit count", {.revision = 0x0200, .extensions = 1, .ext16 = 1, .ns = 50, .traces = 25}},
      {"revision 2, extended text headers and two additional headers", {.revision = 0x0200, .ext = 3, .extensions = 2, .ext32 = 2, .ns = 7, .traces = 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome r = Read(Build(c.recipe));
    ASSERT_EQ(r.status, 0) << r.said;
    const size_t trace = 240 + 4 * static_cast<size_t>(c.recipe.ns);
    ASSERT_EQ(r.su.size(), static_cast<size_t>(c.recipe.traces) * trace);
    for (int t = 0; t < c.recipe.traces; ++t) {
      const auto* su = reinterpret_cast<const uint8_t*>(r.su.data()) + t * trace;
      EXPECT_EQ(get_i32le(su), t + 1);                 // tracl
      EXPECT_EQ(get_i16le(su + 114), c.recipe.ns);       // ns
      EXPECT_EQ(get_f32le(su + 240), 100.0f * t);      // first sample
      EXPECT_EQ(get_f32le(su + trace - 4), 100.0f * t + c.recipe.ns - 1);  // last sample
    }
  }
}

TEST(SegyreadHeaders, FilesThatCannotHoldWhatTheyAnnounceAreRefused) {
  struct Case {
    const char* what;
    Recipe recipe;
    const char* says;
  };
  const Case cases[] = {
      {"cut inside its 4 extended text headers", {.ext = 4, .keep = 3600 + 2 * 3200 + 100},
       "announces 4 extended text headers"},
      {"a count of 1024 extended text headers", {.ext_word = 1024, .traces = 53},
       "announces 1024 extended text headers"},
      {"no whole trace after its extended text headers", {.ext = 4, .traces = 0}, "no whole trace"},
      {"a trace cut short after its extended text headers", {.ext = 4, .ns = 10, .keep = 16400 + 100},
       "no whole trace: 100 bytes after the headers, one trace of ns=10 takes 280"},
      {"an end stanza that never comes", {.ext = 2, .ext_word = -1}, "no ((SEG: EndText))"},
      {"more additional headers than the file holds", {.revision = 0x0200, .ext32 = 70000, .ns = 10, .traces = 3}, "no whole trace"},
      {"binary ns 40000", {.ns = 40000}, "ns=40000 samples per trace is more than"},
      // 3600 + 3200 + 28 x 640 + 100 bytes: after the extended text header 28
      // traces of 240 + 4 x 100 bytes and 100 bytes; from byte 3600, 21220
      // bytes = 33 x 640 + 100.
      {"revision 0 counting an extended text header that neither reading bears out",
       {.revision = 0, .ext = 1, .ns = 100, .traces = 29, .keep = 3600 + 3200 + 28 * 640 + 100},
       "damaged file: its revision-0 binary header counts 1 extended text header (bytes 3505-3506), and its "
       "traces fill the file neither with the extended text headers (28 whole traces of 640 bytes and 100 bytes left) nor without them "
       "(33 whole traces of 640 bytes and 100 bytes left)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome r = Read(Build(c.recipe));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.su.empty());
    EXPECT_NE(r.said.find(c.says), std::string::npos) << r.said;
  }
}

}  // namespace
}  // namespace keld::segy
