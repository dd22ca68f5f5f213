// sunmo on several threads and in batches: the same bytes as correcting each
// trace alone, and a bad stream stopped at the same trace with every trace
// before it written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/su_file.hpp"
#include "sutools/nmo.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/whole_input.hpp"

namespace keld::sutools {
namespace {

constexpr int kNs = 500;

// 600 traces (1.5 MB, more than the first batches) of 30 CDPs.
void Append(const SuTraceHeader& h, const float* s, std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> one;
  EncodeSuTrace(h, s, kNs, one);
  bytes.insert(bytes.end(), one.begin(), one.end());
}

std::vector<uint8_t> Line() {
  std::vector<uint8_t> bytes;
  std::vector<float> s(kNs);
  for (int i = 0; i < 600; ++i) {
    SuTraceHeader h;
    h.tracl = i + 1;
    h.cdp = 1 + i / 20;
    h.offset = (i % 20 - 10) * 25;
    h.ns = kNs;
    h.dt = 2000;
    for (int k = 0; k < kNs; ++k) s[k] = static_cast<float>(std::sin(0.07 * k + i));
    Append(h, s.data(), bytes);
  }
  return bytes;
}

struct Outcome {
  int status = -1;
  std::vector<uint8_t> out;
  std::string err;
};

Outcome Sunmo(const std::vector<uint8_t>& in, unsigned threads) {
  const char* argv[] = {"sunmo", "cdp=5,25", "tnmo=.1,.6", "vnmo=1500,2500", "tnmo=.2", "vnmo=1800"};
  std::FILE* i = std::tmpfile();
  std::FILE* o = std::tmpfile();
  std::FILE* e = std::tmpfile();
  if (!in.empty()) std::fwrite(in.data(), 1, in.size(), i);
  std::rewind(i);
  Outcome r;
  r.status = SunmoMainThreads(6, argv, i, o, e, threads);
  for (auto [f, text] : {std::pair{o, &r.out}, std::pair{e, static_cast<std::vector<uint8_t>*>(nullptr)}}) {
    std::vector<uint8_t> got(static_cast<size_t>(std::ftell(f)));
    std::rewind(f);
    got.resize(std::fread(got.data(), 1, got.size(), f));
    if (text) *text = got; else r.err.assign(got.begin(), got.end());
  }
  for (std::FILE* f : {i, o, e}) std::fclose(f);
  return r;
}

TEST(SunmoBatches, SameBytesOnAnyThreadCountAsEachTraceAlone) {
  const auto line = Line();
  auto v = NmoVelocities::Make({5, 25}, {{.1, .6}, {.2}}, {{1500, 2500}, {1800}});
  ASSERT_TRUE(v.ok());
  std::vector<uint8_t> expected;
  std::vector<float> s2, in(kNs), out(kNs);
  NmoWork work;
  for (size_t at = 0; at < line.size(); at += 240 + 4 * kNs) {
    SuTraceHeader h = DecodeSuHeader(line.data() + at);
    std::memcpy(in.data(), line.data() + at + 240, 4 * kNs);
    v->SlownessSquared(h.cdp, kNs, 0.002, 0, s2);
    ApplyNmo(in.data(), out.data(), kNs, 0.002, 0, h.offset, s2.data(), NmoParams{}, work);
    Append(h, out.data(), expected);
  }
  for (unsigned threads : {1u, 3u, 8u}) {
    Outcome r = Sunmo(line, threads);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << threads << " threads";
  }
}

TEST(SunmoBatches, BadStreamStopsAtItsTraceWithEveryTraceBeforeWritten) {
  const auto line = Line();
  const size_t trace = 240 + 4 * kNs;
  struct Case {
    size_t keep;  // bytes of the stream kept
    size_t whole;  // traces written
    std::string says;
  } cases[] = {
      {0, 0, "sunmo: no trace on standard input"},
      {100, 0, "sunmo: trace 1: truncated header (100 of 240 bytes)"},
      {400 * trace + 1000, 400, "sunmo: trace 401: truncated (760 of 2000 sample bytes)"},
      {599 * trace + 17, 599, "sunmo: trace 600: truncated header (17 of 240 bytes)"},
  };
  for (const auto& c : cases) {
    Outcome r = Sunmo({line.begin(), line.begin() + static_cast<std::ptrdiff_t>(c.keep)}, 4);
    EXPECT_EQ(r.status, 1) << c.keep;
    EXPECT_EQ(r.out.size(), c.whole * trace) << c.keep;
    EXPECT_EQ(r.err, c.says + "\n");
  }
  // ns = 0 in the middle of the stream.
  auto bad = line;
  bad[300 * trace + 114] = 0;
  bad[300 * trace + 115] = 0;
  Outcome r = Sunmo(bad, 4);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.size(), 300 * trace);
  EXPECT_NE(r.err.find("(trace 301 has 0 samples, the first trace 500)"), std::string::npos) << r.err;
}

// Traces of the longest kind, each longer than a stream's first block, come
// whole through the block readers of sunmo and sustack.
TEST(SunmoBatches, TracesLongerThanTheFirstBlockComeWhole) {
  constexpr int kLong = 32767;
  std::vector<uint8_t> in, one;
  std::vector<float> s(kLong, 0.5f);
  for (int i = 0; i < 3; ++i) {
    SuTraceHeader h;
    h.tracl = i + 1;
    h.cdp = 7;
    h.ns = kLong;
    h.dt = 250;
    EncodeSuTrace(h, s.data(), kLong, one);
    in.insert(in.end(), one.begin(), one.end());
  }
  const Outcome nmo = Sunmo(in, 1);
  EXPECT_EQ(nmo.status, 0) << nmo.err;
  EXPECT_EQ(nmo.out.size(), in.size());
  std::FILE* i = std::tmpfile();
  std::FILE* o = std::tmpfile();
  std::FILE* e = std::tmpfile();
  std::fwrite(in.data(), 1, in.size(), i);
  std::rewind(i);
  const char* argv[] = {"sustack"};
  EXPECT_EQ(SustackMain(1, argv, i, o, e), 0);
  EXPECT_EQ(std::ftell(o), 240 + 4 * kLong);  // the three traces of CDP 7 stacked into one
  for (std::FILE* f : {i, o, e}) std::fclose(f);
}

TEST(SuStreamReader, InMemoryAndFromAFileSayTheSame) {
  const auto line = Line();
  for (size_t keep : {size_t{0}, size_t{239}, size_t{2 * (240 + 4 * kNs) + 300}, line.size()}) {
    std::FILE* f = std::tmpfile();
    std::fwrite(line.data(), 1, keep, f);
    std::rewind(f);
    SuStreamReader file(f), memory(line.data(), keep);
    const uint8_t* a = nullptr;
    const uint8_t* b = nullptr;
    int ns = 0, dt = 0;
    size_t n = 0;
    while (file.nextRaw(a, ns, dt)) {
      ASSERT_TRUE(memory.nextRaw(b, ns, dt));
      EXPECT_EQ(std::memcmp(a, b, 240 + 4 * kNs), 0);
      ++n;
    }
    EXPECT_FALSE(memory.nextRaw(b, ns, dt));
    EXPECT_EQ(file.error(), memory.error()) << keep;
    EXPECT_EQ(file.count(), memory.count());
    EXPECT_EQ(n, keep / (240 + 4 * kNs));
    std::fclose(f);
  }
}

TEST(WholeInput, MapsAFileFromItsStartOnlyAndCopiesAPipe) {
  std::FILE* f = std::tmpfile();
  std::fputs("0123456789", f);
  std::rewind(f);
  {
    WholeInput in;
    ASSERT_TRUE(in.mapFile(f));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(in.data()), in.size()), "0123456789");
  }
  std::fseek(f, 4, SEEK_SET);  // read from elsewhere: a stream, not the file
  WholeInput later;
  EXPECT_FALSE(later.mapFile(f));
  std::fclose(f);
  std::FILE* pipe = popen("printf abc", "r");
  ASSERT_NE(pipe, nullptr);
  WholeInput piped;
  std::string why;
  EXPECT_FALSE(piped.mapFile(pipe));
  ASSERT_TRUE(piped.load(pipe, why)) << why;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(piped.data()), piped.size()), "abc");
  pclose(pipe);
}

}  // namespace
}  // namespace keld::sutools
