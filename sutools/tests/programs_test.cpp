// The programs run as processes, with their streams through pipes and files,
// the way the suite's batch lines run them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/bytes.hpp"
#include "common/su_header.hpp"
#include "common/testing/testsupport.hpp"

namespace keld {
namespace {

using keld::testing::ReadBytes;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using keld::testing::TempDir;

using Bytes = std::vector<unsigned char>;

std::string Prog(const char* name) { return keld::testing::BinDir() + "/" + name; }

// A trace header with every byte set to something, so a header that is not
// passed through byte for byte shows.
SuTraceHeader FullHeader(int i, int ns, int dt) {
  std::array<uint8_t, 240> raw{};
  for (int k = 0; k < 240; ++k) raw[static_cast<size_t>(k)] = static_cast<uint8_t>(k * 7 + i * 13 + 1);
  SuTraceHeader h = DecodeSuHeader(raw.data());
  h.ns = static_cast<int16_t>(ns);
  h.dt = static_cast<int16_t>(dt);
  h.tracf = i + 1;
  return h;
}

void Append(Bytes& b, const SuTraceHeader& h, const std::vector<float>& s) {
  auto hb = EncodeSuHeader(h);
  b.insert(b.end(), hb.begin(), hb.end());
  for (float v : s) {
    uint8_t q[4];
    put_f32le(q, v);
    b.insert(b.end(), q, q + 4);
  }
}

void Write(const std::string& path, const Bytes& b) {
  keld::testing::WriteText(path, std::string(b.begin(), b.end()));
}

std::vector<float> Samples(const Bytes& b, size_t trace_start, int ns) {
  std::vector<float> s(static_cast<size_t>(ns));
  for (int k = 0; k < ns; ++k) s[static_cast<size_t>(k)] = get_f32le(b.data() + trace_start + 240 + 4 * k);
  return s;
}

double Amplitude(const std::vector<float>& x, double dt, double f, int from, int to) {
  double a = 0, c = 0;
  for (int i = from; i < to; ++i) {
    a += x[static_cast<size_t>(i)] * std::sin(2 * std::numbers::pi * f * i * dt);
    c += x[static_cast<size_t>(i)] * std::cos(2 * std::numbers::pi * f * i * dt);
  }
  return std::hypot(a, c) * 2 / (to - from);
}

Bytes ThreeTones(int traces, int ns, int dt_us) {
  Bytes b;
  const double dt = dt_us * 1e-6;
  for (int i = 0; i < traces; ++i) {
    std::vector<float> s(static_cast<size_t>(ns));
    for (int k = 0; k < ns; ++k) {
      double t = k * dt;
      s[static_cast<size_t>(k)] = static_cast<float>((i + 1) * (std::sin(2 * std::numbers::pi * 5 * t) +
                                                                std::sin(2 * std::numbers::pi * 30 * t) +
                                                                std::sin(2 * std::numbers::pi * 200 * t)));
    }
    Append(b, FullHeader(i, ns, dt_us), s);
  }
  return b;
}

class Programs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(Prog("sufilter").c_str(), X_OK) != 0 || access(Prog("sugain").c_str(), X_OK) != 0)
      GTEST_SKIP() << "sufilter and sugain are not built in " << keld::testing::BinDir();
  }
  int Run(const std::string& cmd, std::string* out = nullptr) { return RunCommand(cmd, out); }
  TempDir dir;
};

TEST_F(Programs, FilterPassesTheBandThroughAPipe) {
  const int ns = 4000, traces = 3;
  Bytes in = ThreeTones(traces, ns, 1000);
  Write(dir / "in.su", in);
  std::string msg;
  ASSERT_EQ(Run("cat " + ShellQuote(dir / "in.su") + " | " + Prog("sufilter") + " f=10,20,60,80 | cat >" +
                    ShellQuote(dir / "out.su"),
                &msg),
            0)
      << msg;
  Bytes out = ReadBytes(dir / "out.su");
  ASSERT_EQ(out.size(), in.size());
  const size_t tb = 240 + 4 * ns;
  for (int i = 0; i < traces; ++i) {
    size_t at = i * tb;
    EXPECT_EQ(0, std::memcmp(in.data() + at, out.data() + at, 240)) << "header " << i;
    auto y = Samples(out, at, ns);
    EXPECT_NEAR(Amplitude(y, 0.001, 30, 1000, 3000), i + 1, 0.01 * (i + 1));
    EXPECT_LT(Amplitude(y, 0.001, 5, 1000, 3000), 0.01 * (i + 1));
    EXPECT_LT(Amplitude(y, 0.001, 200, 1000, 3000), 0.01 * (i + 1));
  }
}

// A file on standard input is shared among threads, a pipe goes one trace at
// a time: the same bytes.
TEST_F(Programs, FileAndPipeGiveTheSameBytes) {
  Write(dir / "in.su", ThreeTones(40, 2000, 1000));
  const std::string in = ShellQuote(dir / "in.su");
  for (const std::string& tool : {Prog("sufilter") + " f=10,20,60,80", Prog("sugain") + " agc=1 wagc=.2"}) {
    ASSERT_EQ(Run(tool + " <" + in + " >" + ShellQuote(dir / "file.su")), 0) << tool;
    ASSERT_EQ(Run("cat " + in + " | " + tool + " >" + ShellQuote(dir / "pipe.su")), 0) << tool;
    const Bytes file = ReadBytes(dir / "file.su");
    EXPECT_EQ(file.size(), 40u * (240 + 4 * 2000)) << tool;
    EXPECT_TRUE(file == ReadBytes(dir / "pipe.su")) << tool;
  }
}

TEST_F(Programs, FilterAmplitudesAtTheCorners) {
  const int ns = 2000;
  Bytes in;
  std::vector<float> s(ns);
  for (int k = 0; k < ns; ++k) s[static_cast<size_t>(k)] = static_cast<float>(std::sin(2 * std::numbers::pi * 100 * k * 0.001));
  Append(in, FullHeader(0, ns, 1000), s);
  Write(dir / "in.su", in);
  // amps 0.5 at 80 Hz and above: the 100 Hz tone comes out at half.
  std::string msg;
  ASSERT_EQ(Run(Prog("sufilter") + " f=10,20,60,80 amps=0,1,1,0.5 <" + ShellQuote(dir / "in.su") + " >" +
                    ShellQuote(dir / "out.su"),
                &msg),
            0)
      << msg;
  auto y = Samples(ReadBytes(dir / "out.su"), 0, ns);
  EXPECT_NEAR(Amplitude(y, 0.001, 100, 500, 1500), 0.5, 0.005);
}

TEST_F(Programs, GainBringsEveryTraceToUnitLevel) {
  const int ns = 1000;
  Bytes in;
  for (int i = 0; i < 4; ++i) {
    std::vector<float> s(ns);
    for (int k = 0; k < ns; ++k) s[static_cast<size_t>(k)] = (k % 2 ? 1.0f : -1.0f) * 1000.0f * float(i + 1);
    Append(in, FullHeader(i, ns, 4000), s);
  }
  Write(dir / "in.su", in);
  std::string msg;
  ASSERT_EQ(Run("cat " + ShellQuote(dir / "in.su") + " | " + Prog("sugain") + " agc=1 wagc=.5 >" +
                    ShellQuote(dir / "out.su"),
                &msg),
            0)
      << msg;
  Bytes out = ReadBytes(dir / "out.su");
  ASSERT_EQ(out.size(), in.size());
  for (int i = 0; i < 4; ++i) {
    size_t at = i * (240 + 4 * ns);
    EXPECT_EQ(0, std::memcmp(in.data() + at, out.data() + at, 240)) << "header " << i;
    for (float v : Samples(out, at, ns)) ASSERT_NEAR(std::fabs(v), 1.0, 1e-5);
  }
}

TEST_F(Programs, FilterThenGainInOnePipeline) {
  Bytes in = ThreeTones(5, 1000, 2000);
  Write(dir / "in.su", in);
  std::string msg;
  ASSERT_EQ(Run(Prog("sufilter") + " <" + ShellQuote(dir / "in.su") + " f=10,20,60,80 | " + Prog("sugain") +
                    " >" + ShellQuote(dir / "out.su") + " agc=1 wagc=.5",
                &msg),
            0)
      << msg;
  Bytes out = ReadBytes(dir / "out.su");
  ASSERT_EQ(out.size(), in.size());
  // The 30 Hz tone alone remains, at unit RMS: amplitude sqrt(2) for every trace.
  for (int i = 0; i < 5; ++i) {
    auto y = Samples(out, i * (240 + 4000), 1000);
    EXPECT_NEAR(Amplitude(y, 0.002, 30, 200, 800), std::sqrt(2.0), 0.03) << i;
  }
}

TEST_F(Programs, GainWithoutAgcPassesTheStreamUnchanged) {
  Bytes in = ThreeTones(2, 300, 1000);
  Write(dir / "in.su", in);
  ASSERT_EQ(Run(Prog("sugain") + " <" + ShellQuote(dir / "in.su") + " >" + ShellQuote(dir / "out.su")), 0);
  EXPECT_EQ(ReadBytes(dir / "out.su"), in);
}

struct BadCase {
  const char* what;
  std::string args;
  const char* expect;
};

// Runs a command whose standard output goes elsewhere, and expects it to fail
// with `expect` among its messages.
void ExpectFailure(const std::string& cmd, const char* expect) {
  std::string msg;
  int rc = RunCommand("{ " + cmd + "; }", &msg);
  EXPECT_NE(rc, 0) << cmd;
  EXPECT_LT(rc, 128) << "the program must fail, not crash: " << cmd << "\n" << msg;
  EXPECT_NE(msg.find(expect), std::string::npos) << cmd << "\n" << msg;
}

TEST_F(Programs, BadParametersAreRefused) {
  Bytes in = ThreeTones(1, 100, 1000);
  Write(dir / "in.su", in);
  const std::string redir = " <" + ShellQuote(dir / "in.su") + " >/dev/null";
  ExpectFailure(Prog("sufilter") + redir, "f=f1,f2,f3,f4 is required");
  ExpectFailure(Prog("sufilter") + " f=10,20,60" + redir, "four corner frequencies");
  ExpectFailure(Prog("sufilter") + " f=10,x,60,80" + redir, "\"x\" is not a number");
  ExpectFailure(Prog("sufilter") + " f=80,60,20,10" + redir, "must not decrease");
  ExpectFailure(Prog("sufilter") + " f=10,20,60,80 amps=1,1" + redir, "four amplitudes");
  ExpectFailure(Prog("sufilter") + " f=10,20,60,80 nyq=5" + redir, "unknown parameter nyq=");
  ExpectFailure(Prog("sufilter") + " 10,20,60,80" + redir, "key=value");
  ExpectFailure(Prog("sugain") + " agc=1 wagc=0" + redir, "longer than 0 s");
  ExpectFailure(Prog("sugain") + " agc=1 wagc=-.5" + redir, "longer than 0 s");
  ExpectFailure(Prog("sugain") + " agc=2" + redir, "agc=1 or agc=0");
  ExpectFailure(Prog("sugain") + " agc=1 tpow=2" + redir, "unknown parameter tpow=");
}

TEST_F(Programs, BadStreamsAreRefused) {
  const std::string f = " f=10,20,60,80";
  Bytes good = ThreeTones(3, 100, 1000);
  // The last trace cut short: the complete traces come through, then an error.
  Bytes cut(good.begin(), good.end() - 10);
  Write(dir / "cut.su", cut);
  for (std::string p : {Prog("sufilter") + f, Prog("sugain") + " agc=1 wagc=.05"}) {
    std::string msg;
    int rc = RunCommand("{ " + p + " <" + ShellQuote(dir / "cut.su") + " >" + ShellQuote(dir / "out.su") + "; }", &msg);
    EXPECT_EQ(rc, 1) << p;
    EXPECT_NE(msg.find("trace 3: truncated (390 of 400 sample bytes)"), std::string::npos) << msg;
    EXPECT_EQ(ReadBytes(dir / "out.su").size(), 2u * 640);
  }
  // A header cut short.
  Write(dir / "head.su", Bytes(good.begin(), good.begin() + 640 + 100));
  ExpectFailure(Prog("sufilter") + f + " <" + ShellQuote(dir / "head.su") + " >/dev/null",
                "trace 2: truncated header (100 of 240 bytes)");
  // ns and dt that cannot be.
  Bytes ns0 = good;
  put_i16le(ns0.data() + 114, 0);
  Write(dir / "ns0.su", ns0);
  ExpectFailure(Prog("sufilter") + f + " <" + ShellQuote(dir / "ns0.su") + " >/dev/null", "ns=0");
  ExpectFailure(Prog("sugain") + " agc=1 <" + ShellQuote(dir / "ns0.su") + " >/dev/null", "ns=0");
  Bytes nsneg = good;
  put_i16le(nsneg.data() + 114, -5);
  Write(dir / "nsneg.su", nsneg);
  ExpectFailure(Prog("sugain") + " agc=1 <" + ShellQuote(dir / "nsneg.su") + " >/dev/null", "ns=-5");
  Bytes dt0 = good;
  put_i16le(dt0.data() + 640 + 116, 0);  // the second trace
  Write(dir / "dt0.su", dt0);
  ExpectFailure(Prog("sufilter") + f + " <" + ShellQuote(dir / "dt0.su") + " >/dev/null", "trace 2: dt=0");
  ExpectFailure(Prog("sugain") + " agc=1 <" + ShellQuote(dir / "dt0.su") + " >/dev/null", "trace 2: dt=0");
  // Nothing at all, as when the program before it in a pipeline failed.
  ExpectFailure(Prog("sufilter") + f + " </dev/null >/dev/null", "no trace on standard input");
  ExpectFailure(Prog("sugain") + " agc=1 </dev/null >/dev/null", "no trace on standard input");
  // Random bytes.
  Bytes junk(5000);
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
  Write(dir / "junk.su", junk);
  std::string msg;
  int rc = RunCommand(Prog("sufilter") + f + " <" + ShellQuote(dir / "junk.su") + " >/dev/null", &msg);
  EXPECT_EQ(rc, 1) << msg;
}

// Runs `prog` with no argument and a pseudo-terminal on its standard input.
int RunOnTerminal(const std::string& prog, std::string& out) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  std::string slave = ptsname(master);
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    setsid();
    int s = open(slave.c_str(), O_RDWR);
    dup2(s, 0);
    dup2(pipefd[1], 1);
    dup2(pipefd[1], 2);
    close(pipefd[0]);
    execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipefd[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(pipefd[0]);
  int st = 0;
  waitpid(pid, &st, 0);
  close(master);
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST_F(Programs, SelfDocumentationOnATerminal) {
  std::string doc;
  EXPECT_EQ(RunOnTerminal(Prog("sufilter"), doc), 1);
  EXPECT_NE(doc.find("SUFILTER - zero-phase band-pass filter"), std::string::npos) << doc;
  EXPECT_NE(doc.find("f=f1,f2,f3,f4"), std::string::npos);
  EXPECT_NE(doc.find("amps="), std::string::npos);
  doc.clear();
  EXPECT_EQ(RunOnTerminal(Prog("sugain"), doc), 1);
  EXPECT_NE(doc.find("SUGAIN - automatic gain control"), std::string::npos) << doc;
  EXPECT_NE(doc.find("wagc="), std::string::npos);
}

}  // namespace
}  // namespace keld
