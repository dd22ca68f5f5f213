// sustack's stack of a regular file on several threads: a group longer than
// a part is read by the part where it begins and by the parts it runs
// through, no more, and the bytes are those of the stream.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "common/su_file.hpp"
#include "sutools/stack_file.hpp"
#include "sutools/stack_tools.hpp"

namespace keld::sutools {
namespace {

// 1240-byte traces: 845 to a part of 1 MB.
constexpr int kNs = 250;

// Groups of the given lengths, cdp 1, 2, ...; every trace's samples are 2,
// 0, then 1 on odd traces and 0 on even ones, then 0. Trace `bad` (from 0)
// has dt 0, which the stream refuses with its message.
std::vector<uint8_t> Line(const std::vector<int>& groups, int bad = -1) {
  std::vector<uint8_t> bytes, one;
  std::vector<float> s(kNs, 0.0f);
  s[0] = 2;
  int tracl = 0;
  for (size_t g = 0; g < groups.size(); ++g)
    for (int i = 0; i < groups[g]; ++i) {
      SuTraceHeader h;
      h.tracl = ++tracl;
      h.cdp = static_cast<int32_t>(g + 1);
      h.offset = 25 * (i % 40);
      h.ns = kNs;
      h.dt = tracl - 1 == bad ? 0 : 1000;
      s[2] = static_cast<float>(tracl % 2);
      EncodeSuTrace(h, s.data(), kNs, one);
      bytes.insert(bytes.end(), one.begin(), one.end());
    }
  return bytes;
}

std::vector<uint8_t> Rest(std::FILE* f) {
  std::vector<uint8_t> got(static_cast<size_t>(std::ftell(f)));
  std::rewind(f);
  got.resize(std::fread(got.data(), 1, got.size(), f));
  return got;
}

std::FILE* FileOf(const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::tmpfile();
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
  }
  return f;
}

TEST(SustackFile, AGroupAsLongAsTheFileIsReadAtMostTwice) {
  for (int n : {4000, 16000}) {
    std::FILE* in = FileOf(Line({n}));
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(in && out);
    const StackFileRun run = StackRegularFile(in, *FindHeaderField("cdp"), 1, out, 4);
    const auto stacked = Rest(out);
    std::fclose(in);
    std::fclose(out);
    EXPECT_EQ(run.outcome, StackFileRun::Outcome::kDone) << n;
    // Once by the part that sums the group, once by each part it runs
    // through to learn that no group begins there.
    EXPECT_LE(run.traces_read, 2 * n) << n;
    ASSERT_EQ(run.written, 1);
    ASSERT_EQ(stacked.size(), 240u + 4 * kNs);
    const SuTraceHeader h = DecodeSuHeader(stacked.data());
    EXPECT_EQ(h.nhs, n);
    EXPECT_EQ(h.tracl, 1);
    // 2n / n, nothing, and n/2 ones over the n/2 traces where they are.
    const std::vector<float> want = {2, 0, 1, 0};
    for (size_t k = 0; k < want.size(); ++k) EXPECT_EQ(get_f32le(stacked.data() + 240 + 4 * k), want[k]) << n << " " << k;
  }
}

// Groups that begin on the last trace of a part, on the first, and run
// through whole parts: on any count of threads, the bytes, message and
// status of the stream. A bad trace after a long group leaves the stream to
// go on from the first group not written, though the part written last
// began none.
TEST(SustackFile, LongGroupsGiveTheStreamsBytesOnAnyThreadCount) {
  std::vector<int> mixed = {844, 2000, 536, 3 * 845};
  for (int i = 0; i < 400; ++i) mixed.push_back(1 + i % 7);
  mixed.push_back(4321);
  std::vector<int> tens = {3000};
  tens.insert(tens.end(), 800, 10);
  struct Case {
    std::vector<uint8_t> line;
    int64_t resume;  // where the stream takes over; -1: the threads do all
    int status;
  } cases[] = {{Line(mixed), -1, 0}, {Line(tens, 3015), 3000, 1}};
  const char* argv[] = {"sustack", "key=cdp"};
  for (auto& c : cases) {
    std::FILE* pipe = fmemopen(c.line.data(), c.line.size(), "rb");
    std::FILE* streamed = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(pipe && streamed && err);
    ASSERT_EQ(SustackMain(2, argv, pipe, streamed, err), c.status);
    const auto want = Rest(streamed), said = Rest(err);
    if (c.status) {
      EXPECT_NE(std::string(said.begin(), said.end()).find("trace 3016: dt=0"), std::string::npos);
    }
    for (std::FILE* f : {pipe, streamed}) std::fclose(f);
    for (unsigned threads : {2u, 3u, 4u, 7u}) {
      std::FILE* in = FileOf(c.line);
      std::FILE* out = std::tmpfile();
      ASSERT_TRUE(in && out);
      std::rewind(err);
      EXPECT_EQ(SustackMainThreads(2, argv, in, out, err, threads), c.status) << threads;
      EXPECT_EQ(Rest(out), want) << c.resume << " " << threads;
      EXPECT_EQ(Rest(err), said) << c.resume << " " << threads;
      std::rewind(in);
      std::rewind(out);
      const StackFileRun run = StackRegularFile(in, *FindHeaderField("cdp"), 1, out, threads);
      EXPECT_EQ(run.outcome, c.resume < 0 ? StackFileRun::Outcome::kDone : StackFileRun::Outcome::kStream);
      if (c.resume >= 0) {
        EXPECT_EQ(run.resume, c.resume) << threads;
      }
      std::fclose(in);
      std::fclose(out);
    }
    std::fclose(err);
  }
}

}  // namespace
}  // namespace keld::sutools
