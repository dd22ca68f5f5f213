// Traces shared out among threads: the same bytes and messages as processing
// one trace at a time, from a file read in place or from a stream, with every
// trace before a fault written.
#include "sutools/trace_pool.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/su_file.hpp"

namespace keld::sutools {
namespace {

constexpr int kNs = 300;

std::vector<uint8_t> Traces(int count) {
  std::vector<uint8_t> bytes;
  std::vector<float> s(kNs);
  for (int i = 0; i < count; ++i) {
    SuTraceHeader h;
    h.tracl = i + 1;
    h.ns = kNs;
    h.dt = 1000;
    for (int k = 0; k < kNs; ++k) s[static_cast<size_t>(k)] = static_cast<float>(i * 1000 + k);
    std::vector<uint8_t> one;
    EncodeSuTrace(h, s.data(), kNs, one);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

struct Outcome {
  int status = -1;
  std::vector<uint8_t> out;
  std::string err;
};

// Doubles every sample; fails at the trace numbered `fail_at` (tracl).
Outcome Shared(const std::vector<uint8_t>& in, bool file, unsigned threads, size_t group, int fail_at) {
  std::vector<uint8_t> copy = in;
  std::FILE* i = nullptr;
  if (file) {
    i = std::tmpfile();
    if (!in.empty()) std::fwrite(in.data(), 1, in.size(), i);
    std::rewind(i);
  } else {
    copy.push_back(0);  // fmemopen wants room; the stream ends at the size given
    i = fmemopen(copy.data(), in.size(), "rb");
  }
  char *obuf = nullptr, *ebuf = nullptr;
  size_t olen = 0, elen = 0;
  std::FILE* o = open_memstream(&obuf, &olen);
  std::FILE* e = open_memstream(&ebuf, &elen);
  auto make = [fail_at]() -> SharedProcess {
    return [fail_at](StreamTrace& t, std::string& why) {
      if (static_cast<int>(t.header[0]) == fail_at) {
        why = "refused";
        return false;
      }
      for (float& x : t.samples) x *= 2;
      return true;
    };
  };
  Outcome r;
  r.status = RunTraceStreamShared("tool", i, o, e, threads, make, group);
  std::fclose(o);
  std::fclose(e);
  std::fclose(i);
  r.out.assign(obuf, obuf + olen);
  r.err.assign(ebuf, elen);
  std::free(obuf);
  std::free(ebuf);
  return r;
}

TEST(TracePool, SameBytesAndFaultsOnAnyThreadCountFromFilesAndStreams) {
  const auto good = Traces(48);
  std::vector<uint8_t> doubled = good;
  constexpr size_t kBytes = 240 + 4 * kNs;
  for (size_t at = 0; at < doubled.size(); at += kBytes)
    for (int k = 0; k < kNs; ++k) {
      float v;
      std::memcpy(&v, &good[at + 240 + 4 * k], 4);
      v *= 2;
      std::memcpy(&doubled[at + 240 + 4 * k], &v, 4);
    }
  const auto cut = std::vector<uint8_t>(good.begin(), good.begin() + 39 * kBytes + 500);
  struct Case {
    const char* name;
    std::vector<uint8_t> in;
    int fail_at;
    int status;
    size_t whole;  // traces written
    const char* message;
  };
  const std::vector<Case> cases = {
      {"good", good, 0, 0, 48, ""},
      {"a trace refused in a later share", good, 40, 1, 39, "tool: trace 40: refused\n"},
      {"a trace refused in the first share", good, 3, 1, 2, "tool: trace 3: refused\n"},
      {"cut in trace 40", cut, 0, 1, 39, "tool: trace 40: truncated (260 of 1200 sample bytes)\n"},
      {"empty", {}, 0, 1, 0, "tool: no trace on standard input\n"},
  };
  for (const auto& c : cases)
    for (bool file : {true, false})
      for (unsigned threads : {1u, 3u, 8u})
        for (size_t group : {size_t{1} << 30, 20 * kBytes}) {  // the whole file at once, or 20 traces
          const Outcome r = Shared(c.in, file, threads, group, c.fail_at);
          const std::string where = std::string(c.name) + (file ? ", file, " : ", stream, ") + std::to_string(threads) +
                                    " threads, groups of " + std::to_string(group);
          EXPECT_EQ(r.status, c.status) << where;
          EXPECT_EQ(r.err, c.message) << where;
          EXPECT_TRUE(r.out == std::vector<uint8_t>(doubled.begin(), doubled.begin() + c.whole * kBytes)) << where;
        }
}

}  // namespace
}  // namespace keld::sutools
