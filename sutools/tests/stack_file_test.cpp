// sustack's stack of a regular file on several threads: a group longer than
// a part is read by the part where it begins and by the parts it runs
// through, no more, and the bytes are those of the stream.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/su_file.hpp"
#include "sutools/stack_file.hpp"
#include "sutools/stack_tools.hpp"

namespace keld::sutools {
namespace {

// Groups of the given lengths (cdp 1, 2, ...) of 1240-byte traces, 845 to a
// part of 1 MB. Trace `bad` (from 0) has dt 0, which the stream refuses.
std::vector<uint8_t> Line(const std::vector<int>& groups, int bad = -1) {
  std::vector<uint8_t> bytes, one;
  std::vector<float> s(250, 0.0f);
  int tracl = 0;
  for (size_t g = 0; g < groups.size(); ++g)
    for (int i = 0; i < groups[g]; ++i) {
      SuTraceHeader h;
      h.cdp = static_cast<int32_t>(g + 1);
      h.offset = 25 * (i % 40);
      h.ns = 250;
      h.dt = tracl == bad ? 0 : 1000;
      s[0] = static_cast<float>(tracl % 3);
      h.tracl = ++tracl;
      EncodeSuTrace(h, s.data(), 250, one);
      bytes.insert(bytes.end(), one.begin(), one.end());
    }
  return bytes;
}

// What was written to `f`, which is then closed.
std::vector<uint8_t> Written(std::FILE* f) {
  std::vector<uint8_t> got(static_cast<size_t>(std::ftell(f)));
  std::rewind(f);
  got.resize(std::fread(got.data(), 1, got.size(), f));
  std::fclose(f);
  return got;
}

std::FILE* FileOf(const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

// Once by the part that sums the group, once by each part it runs through
// to learn that no group begins there: linear in the file.
TEST(SustackFile, AGroupAsLongAsTheFileIsReadAtMostTwice) {
  for (int n : {4000, 16000}) {
    std::FILE* in = FileOf(Line({n}));
    std::FILE* out = std::tmpfile();
    StackFileRun run;
    {
      SuOutput output(out);
      run = StackRegularFile(in, *FindHeaderField("cdp"), 1, output, 4);
    }
    std::fclose(in);
    EXPECT_EQ(run.outcome, StackFileRun::Outcome::kDone) << n;
    EXPECT_EQ(Written(out).size(), 1240u) << n;
    EXPECT_LE(run.traces_read, 2 * n) << n;
  }
}

// Groups that begin on the last trace of a part, on the first, and run
// through whole parts: on any count of threads, the bytes, message and
// status of the stream. A bad trace after a long group leaves the stream to
// go on from the first group not written (trace 3000), though the part
// written last began none.
TEST(SustackFile, LongGroupsGiveTheStreamsBytesOnAnyThreadCount) {
  std::vector<int> mixed = {844, 2000, 536, 3 * 845}, tens = {3000};
  for (int i = 0; i < 400; ++i) mixed.push_back(1 + i % 7);
  mixed.push_back(4321);
  tens.insert(tens.end(), 800, 10);
  struct Case {
    std::vector<uint8_t> line;
    int status;
    int64_t resume;  // where the stream takes over; -1: the threads do all
  } cases[] = {{Line(mixed), 0, -1}, {Line(tens, 3015), 1, 3000}};
  const char* argv[] = {"sustack", "key=cdp"};
  for (auto& c : cases) {
    std::FILE *out = std::tmpfile(), *err = std::tmpfile();
    std::FILE* pipe = fmemopen(c.line.data(), c.line.size(), "rb");
    ASSERT_EQ(SustackMain(2, argv, pipe, out, err), c.status);
    std::fclose(pipe);
    const auto want = Written(out), said = Written(err);
    EXPECT_EQ(std::string(said.begin(), said.end()).find("trace 3016: dt=0") != std::string::npos, c.status == 1);
    for (unsigned threads : {2u, 3u, 4u, 7u}) {
      std::FILE* in = FileOf(c.line);
      out = std::tmpfile();
      err = std::tmpfile();
      EXPECT_EQ(SustackMainThreads(2, argv, in, out, err, threads), c.status) << threads;
      EXPECT_EQ(Written(out), want) << threads;
      EXPECT_EQ(Written(err), said) << threads;
      std::rewind(in);
      out = std::tmpfile();
      StackFileRun run;
      {
        SuOutput output(out);
        run = StackRegularFile(in, *FindHeaderField("cdp"), 1, output, threads);
      }
      std::fclose(in);
      std::fclose(out);
      EXPECT_EQ(run.outcome, c.resume < 0 ? StackFileRun::Outcome::kDone : StackFileRun::Outcome::kStream);
      EXPECT_EQ(c.resume < 0 ? -1 : run.resume, c.resume) << threads;
    }
  }
}

}  // namespace
}  // namespace keld::sutools
