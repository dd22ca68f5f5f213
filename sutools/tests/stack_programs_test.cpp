// susort, sunmo and sustack as the batch runs them: processes on files and
// pipes, with their messages and exit statuses.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"

namespace keld {
namespace {

using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using keld::testing::TempDir;

std::string Prog(const char* name) { return ShellQuote(keld::testing::BinDir() + "/" + name); }

SuTrace Trace(int tracl, int cdp, int offset, std::vector<float> s) {
  SuTrace t;
  t.header.tracl = tracl;
  t.header.fldr = tracl;  // names the trace after a sort, which numbers tracl anew
  t.header.cdp = cdp;
  t.header.offset = offset;
  t.header.ns = static_cast<int16_t>(s.size());
  t.header.dt = 4000;
  t.samples = std::move(s);
  return t;
}

TEST(StackPrograms, SortFromAPipeThenStackByCdp) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "in.su", {Trace(1, 7, 300, {1, 0, 4}), Trace(2, 5, 100, {2, 2, 0}),
                                        Trace(3, 7, -100, {3, 0, 0}), Trace(4, 5, -200, {0, 4, 0})})
                  .ok());
  std::string out;
  ASSERT_EQ(RunCommand("cat " + ShellQuote(d / "in.su") + " | " + Prog("SUSORT") + " cdp offset >" +
                           ShellQuote(d / "sorted.su"),
                       &out),
            0)
      << out;
  auto sorted = ReadSuFile(d / "sorted.su");
  ASSERT_TRUE(sorted.ok());
  std::vector<int> fldr, tracl, tracr;
  for (const auto& t : sorted.value()) {
    fldr.push_back(t.header.fldr);
    tracl.push_back(t.header.tracl);
    tracr.push_back(t.header.tracr);
  }
  EXPECT_EQ(fldr, (std::vector<int>{4, 2, 3, 1}));
  // tracl and tracr number the traces in their new order.
  EXPECT_EQ(tracl, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(tracr, (std::vector<int>{1, 2, 3, 4}));
  // From a file into a pipe: the same bytes.
  ASSERT_EQ(RunCommand(Prog("susort") + " <" + ShellQuote(d / "in.su") + " cdp offset | cat >" + ShellQuote(d / "piped.su"), &out), 0)
      << out;
  EXPECT_EQ(keld::testing::ReadBytes(d / "piped.su"), keld::testing::ReadBytes(d / "sorted.su"));
  ASSERT_EQ(RunCommand(Prog("SUSTACK") + " <" + ShellQuote(d / "sorted.su") + " key=cdp >" + ShellQuote(d / "st.su"), &out), 0)
      << out;
  // A pipe (read as a stream) stacks to the same bytes as the file (read in place).
  ASSERT_EQ(RunCommand("cat " + ShellQuote(d / "sorted.su") + " | " + Prog("SUSTACK") + " key=cdp >" + ShellQuote(d / "st2.su"), &out), 0)
      << out;
  EXPECT_EQ(keld::testing::ReadBytes(d / "st2.su"), keld::testing::ReadBytes(d / "st.su"));
  auto st = ReadSuFile(d / "st.su");
  ASSERT_TRUE(st.ok());
  ASSERT_EQ(st->size(), 2u);
  // Each sample divided by the number of non-zero values stacked there.
  EXPECT_EQ((*st)[0].samples, (std::vector<float>{2, 3, 0}));
  EXPECT_EQ((*st)[1].samples, (std::vector<float>{2, 0, 4}));
  EXPECT_EQ((*st)[0].header.nhs, 2);
  EXPECT_EQ((*st)[0].header.offset, 0);
  // The header of the group's first trace, numbered in output order.
  EXPECT_EQ((*st)[0].header.cdp, 5);
  EXPECT_EQ((*st)[0].header.tracl, 1);
  EXPECT_EQ((*st)[1].header.tracl, 2);
  // A stream cut in the last trace: the whole group before it written, the
  // cut group not, from a file and from a pipe alike.
  const std::string cut = "head -c 1000 " + ShellQuote(d / "sorted.su");
  ASSERT_EQ(RunCommand(cut + " >" + ShellQuote(d / "cut.su")), 0);
  for (const std::string& run : {Prog("sustack") + " <" + ShellQuote(d / "cut.su"), cut + " | " + Prog("sustack")}) {
    ASSERT_EQ(RunCommand("(" + run + " >" + ShellQuote(d / "part.su") + ")", &out), 1) << run;
    EXPECT_NE(out.find("sustack: trace 4: truncated (4 of 12 sample bytes)"), std::string::npos) << out;
    auto part = ReadSuFile(d / "part.su");
    ASSERT_TRUE(part.ok()) << run;
    ASSERT_EQ(part->size(), 1u);
    EXPECT_EQ((*part)[0].samples, (*st)[0].samples);
  }
}

// segyio's small file has dt 0, crossline in cdp (20-24) and inline in tracr
// (1-5), and its first samples read inline + crossline / 100. A sort needs no
// sample interval.
TEST(StackPrograms, SusortSortsAFileWhoseDtIsZero) {
  const auto su = keld::testing::TestData("su");
  if (!su) GTEST_SKIP() << "no test data folder";
  const std::string data = *su + "/segyio_small-lsb.su";
  TempDir d;
  const std::vector<int> expected = {520, 420, 320, 220, 120, 521, 421, 321, 221, 121, 522, 422, 322,
                                     222, 122, 523, 423, 323, 223, 123, 524, 424, 324, 224, 124};
  for (const std::string& run : {Prog("susort") + " cdp -tracr <" + ShellQuote(data),
                                 "cat " + ShellQuote(data) + " | " + Prog("susort") + " cdp -tracr"}) {
    std::string out;
    ASSERT_EQ(RunCommand(run + " >" + ShellQuote(d / "s.su"), &out), 0) << run << "\n" << out;
    auto sorted = ReadSuFile(d / "s.su");
    ASSERT_TRUE(sorted.ok()) << sorted.error();
    std::vector<int> first;
    for (const auto& t : sorted.value()) {
      first.push_back(static_cast<int>(std::lround(t.samples[0] * 100)));
      EXPECT_EQ(t.header.dt, 0);
      EXPECT_EQ(t.header.tracl, static_cast<int>(first.size()));
      EXPECT_EQ(t.header.tracr, static_cast<int>(first.size()));
    }
    EXPECT_EQ(first, expected) << run;
  }
}

// A file of 6000 traces is stacked on several threads, each taking the
// groups that begin in its part: groups of 1 to 600 traces (longer than a
// part), and groups that begin where a part does, must give the bytes of the stream read from a pipe; a trace of
// another length, or a cut file, leaves the file to the stream and its
// message.
TEST(StackPrograms, SustackOnThreadsGivesThePipesBytes) {
  TempDir d;
  std::vector<SuTrace> traces;
  int cdp = 1, left = 1;
  for (int i = 0; i < 6000; ++i) {
    // Traces 1000 to 2999 alone in their groups: a part begins among them.
    if (--left == 0) {
      ++cdp;
      left = i >= 1000 && i < 3000 ? 1 : (cdp * 37) % 600 + 1;
    }
    traces.push_back(Trace(i + 1, cdp, i % 50, {float(i % 7) - 3, float(i % 3), 0.25f * float(i % 11), 1, 0, -2}));
  }
  ASSERT_TRUE(WriteSuFile(d / "line.su", traces).ok());
  auto same = [&](const std::string& file, int status) {
    std::string out1, out2;
    EXPECT_EQ(RunCommand("(" + Prog("sustack") + " <" + ShellQuote(file) + " >" + ShellQuote(d / "f.su") + ")", &out1), status);
    EXPECT_EQ(RunCommand("(cat " + ShellQuote(file) + " | " + Prog("sustack") + " >" + ShellQuote(d / "p.su") + ")", &out2), status);
    EXPECT_EQ(out1, out2);
    EXPECT_EQ(keld::testing::ReadBytes(d / "f.su"), keld::testing::ReadBytes(d / "p.su")) << file;
    return out1;
  };
  same(d / "line.su", 0);
  auto stacked = ReadSuFile(d / "f.su");
  ASSERT_EQ(stacked->size(), static_cast<size_t>(cdp - 1));  // cdp 2, 3, ...
  for (size_t i = 0; i < stacked->size(); ++i) ASSERT_EQ((*stacked)[i].header.tracl, static_cast<int>(i + 1));
  ASSERT_EQ(traces[3999].header.cdp, traces[4000].header.cdp);
  traces[4000].samples.push_back(9);
  traces[4000].header.ns = 7;
  ASSERT_TRUE(WriteSuFile(d / "odd.su", traces).ok());
  EXPECT_NE(same(d / "odd.su", 1).find("not an SU stream of fixed trace length (trace 4001 has 7 samples, the first trace 6)"),
            std::string::npos);
  ASSERT_EQ(RunCommand("head -c 100000 " + ShellQuote(d / "line.su") + " >" + ShellQuote(d / "cut.su")), 0);
  EXPECT_NE(same(d / "cut.su", 1).find("truncated"), std::string::npos);
}

// The largest resident size of a command's processes, in kB.
long PeakKilobytes(const std::string& cmd) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ru.ru_maxrss;
}

// Shot-ordered traces, each a group of its own, so the output is as long as
// the input: sustack's memory must not grow with it. A file four times as
// long takes less than 16 MB more. The threads are held to 4 (what the short
// file allows) for both: the parts in flight grow with the threads, which
// differ from machine to machine, not with the file.
TEST(StackPrograms, SustackMemoryDoesNotGrowWithTheFile) {
  TempDir d;
  std::vector<SuTrace> traces;
  for (int i = 0; i < 4000; ++i) traces.push_back(Trace(i + 1, i + 1, 10, std::vector<float>(1000, float(i % 13))));
  ASSERT_TRUE(WriteSuFile(d / "small.su", traces).ok());
  traces.clear();
  const std::string small = ShellQuote(d / "small.su"), big = ShellQuote(d / "big.su");
  ASSERT_EQ(RunCommand("cat " + small + " " + small + " " + small + " " + small + " >" + big), 0);
  const std::string sustack = "KELD_SUSTACK_THREADS=4 " + Prog("sustack");
  const long a = PeakKilobytes(sustack + " <" + small + " >/dev/null");
  const long b = PeakKilobytes(sustack + " <" + big + " >/dev/null");
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_LT(b - a, 16 * 1024) << a << " kB for 17 MB of traces, " << b << " kB for 68 MB";
}

// susort keeps keys and offsets, not traces: from a file and from a pipe
// (spooled to its TMPDIR), a line four times as long takes less than 16 MB
// more. A small budget makes it merge sorted runs of keys (here 7 runs for
// the long line), to the bytes of the sort in memory.
TEST(StackPrograms, SusortMemoryDoesNotGrowWithTheInput) {
  TempDir d;
  std::vector<SuTrace> traces;
  for (int i = 0; i < 4000; ++i)  // 100 shots of 40 channels, shot-ordered
    traces.push_back(Trace(i + 1, 2 * (i / 40) + i % 40 + 1, (i % 40 - 20) * 10 + 5, std::vector<float>(1000, float(i % 13))));
  ASSERT_TRUE(WriteSuFile(d / "small.su", traces).ok());
  traces.clear();
  const std::string small = ShellQuote(d / "small.su"), big = ShellQuote(d / "big.su");
  ASSERT_EQ(RunCommand("cat " + small + " " + small + " " + small + " " + small + " >" + big), 0);
  const std::string env = "TMPDIR=" + ShellQuote(d.path()) + " KELD_SUSORT_MEMORY=65536 ";
  for (const std::string& from : {std::string(" <"), std::string(" | ")}) {
    auto run = [&](const std::string& input, const std::string& to) {
      const std::string sort = env + Prog("susort") + " cdp offset >" + ShellQuote(d / to);
      return PeakKilobytes(from == " <" ? sort + " <" + input : "cat " + input + " | " + sort);
    };
    const long a = run(small, "a.su"), b = run(big, "b.su");
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_LT(b - a, 16 * 1024) << from << ": " << a << " kB for 17 MB of traces, " << b << " kB for 68 MB";
    ASSERT_EQ(RunCommand(Prog("susort") + " cdp offset <" + big + " | cmp - " + ShellQuote(d / "b.su")), 0) << from;
  }
  SuReader r;
  ASSERT_TRUE(r.open(d / "b.su").ok());
  ASSERT_EQ(r.traces(), 16000);
  SuTraceHeader h, last;
  for (int64_t i = 0; i < r.traces(); ++i) {
    ASSERT_TRUE(r.read_header(i, h));
    ASSERT_EQ(h.tracl, i + 1);
    ASSERT_EQ(h.tracr, i + 1);
    if (i > 0) {
      ASSERT_LE(std::pair(last.cdp, last.offset), std::pair(h.cdp, h.offset)) << "trace " << i + 1;
    }
    last = h;
  }
}

// susort ended by SIGTERM while it reads a pipe into its spool file: nothing
// is left in its TMPDIR.
TEST(StackPrograms, SusortEndedMidPipeLeavesNoSpoolFile) {
  TempDir d;
  const std::string tmp = d / "tmp";
  ASSERT_EQ(::mkdir(tmp.c_str(), 0700), 0);
  std::signal(SIGPIPE, SIG_IGN);
  int feed = -1;
  const pid_t pid = keld::testing::StartFedByPipe({keld::testing::BinDir() + "/susort", "cdp"}, &feed, "", tmp);
  ASSERT_GT(pid, 0);
  std::string trace(240 + 4000, '\0');
  trace[114] = '\xE8', trace[115] = '\x03';  // ns 1000
  for (int i = 0; i < 50; ++i) ASSERT_EQ(::write(feed, trace.data(), trace.size()), (ssize_t)trace.size());
  // The spool is open once one of susort's descriptors leads into TMPDIR;
  // it is susort's alone, never readable by others in a shared /tmp.
  mode_t spool_mode = 0;
  auto spooling = [&] {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
      struct stat st {};
      if (std::filesystem::read_symlink(e.path(), ec).string().rfind(tmp + "/", 0) == 0 &&
          ::stat(e.path().c_str(), &st) == 0) {
        spool_mode = st.st_mode & 07777;
        return true;
      }
    }
    return false;
  };
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool spooled = false;  // the file may be closed and opened again between two looks
  while (!(spooled = spooling()) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ::close(feed);
  ASSERT_TRUE(spooled) << "susort spooled its pipe elsewhere than its TMPDIR";
  EXPECT_EQ(spool_mode, 0600u);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "a spool file is left in TMPDIR";
}

TEST(StackPrograms, SunmoTakesOneVelocityAloneAsAConstant) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "in.su", {Trace(1, 7, 300, {1, 0, 4, 2, 5, 3}), Trace(2, 7, 600, {2, 2, 0, 1, 3, 1})}).ok());
  const std::string in = " <" + ShellQuote(d / "in.su") + " >" + ShellQuote(d.path()) + "/";
  std::string out;
  ASSERT_EQ(RunCommand(Prog("sunmo") + " vnmo=1800" + in + "a.su", &out), 0) << out;
  ASSERT_EQ(RunCommand(Prog("sunmo") + " tnmo=0 vnmo=1800" + in + "b.su", &out), 0) << out;
  EXPECT_EQ(keld::testing::ReadBytes(d / "a.su"), keld::testing::ReadBytes(d / "b.su"));
}

TEST(StackPrograms, BadArgumentsAndStreamsExitOneWithAMessage) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "in.su", {Trace(1, 7, 300, {1, 0, 4})}).ok());
  const std::string in = " <" + ShellQuote(d / "in.su") + " >/dev/null";
  struct Case {
    std::string cmd, says;
  } cases[] = {
      {Prog("sunmo") + " cdp=1,2 tnmo=.1 vnmo=1500" + in, "number of cdp values (2)"},
      {Prog("sunmo") + " tnmo=.2,.1 vnmo=1500,1600" + in, "tnmo values must increase"},
      {Prog("sunmo") + " tnmo=.1 vnmo=-5" + in, "vnmo values must be positive"},
      {Prog("sunmo") + " 'smute=1.5;x'" + in, "smute="},
      {Prog("susort") + " nokey" + in, "\"nokey\" is not a trace header key"},
      {Prog("susort") + in, "give at least one key"},
      {Prog("sustack") + " key=nokey" + in, "not a trace header key"},
      {"head -c 250 " + ShellQuote(d / "in.su") + " | " + Prog("sustack") + " >/dev/null", "truncated"},
      {"head -c 250 " + ShellQuote(d / "in.su") + " | " + Prog("susort") + " cdp >/dev/null", "truncated"},
      {"cat " + ShellQuote(d / "in.su") + " | TMPDIR=/nonexistent " + Prog("susort") + " cdp >/dev/null",
       "cannot make a temporary file in /nonexistent"},
      {"head -c 250 " + ShellQuote(d / "in.su") + " >" + ShellQuote(d / "cut.su") + "; " + Prog("sustack") + " <" +
           ShellQuote(d / "cut.su") + " >/dev/null",
       "trace 1: truncated (10 of 12 sample bytes)"},
      {Prog("sunmo") + " </dev/null >/dev/null", "no trace on standard input"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(RunCommand("(" + c.cmd + ")", &out), 1) << c.cmd;
    EXPECT_NE(out.find(c.says), std::string::npos) << c.cmd << "\n" << out;
  }
}

// Every program that reads an SU stream checks each trace as it reads it,
// from a file as from a pipe: a trace of another length stops it there, and
// a big-endian stream is called one. segywrite's old output stays.
TEST(StackPrograms, EveryStreamReaderChecksEachTrace) {
  const std::pair<const char*, std::string> programs[] = {
      {"sufilter", " f=10,20,60,80"}, {"sugain", " agc=1"}, {"sunmo", " vnmo=1500"},    {"sustack", ""},
      {"susort", " cdp"},             {"segyclean", ""},    {"segywrite", " tape=old.sgy"}};
  TempDir d;
  keld::testing::WriteText(d / "header", std::string(3200, ' '));
  keld::testing::WriteText(d / "binary", std::string(400, '\0'));
  std::vector<std::pair<std::string, std::string>> inputs;  // the file, what is said of it
  for (const auto& f : keld::testing::WriteLengthChangeFiles(d.path())) inputs.push_back({f, keld::testing::kThirdTraceInStream});
  if (auto su = keld::testing::TestData("su"))
    inputs.push_back({*su + "/segyio_small.su",
                      "not a little-endian SU stream (it reads as a big-endian stream of 25 traces of 50 samples; "
                      "only little-endian SU streams are read)"});
  for (const auto& [program, args] : programs)
    for (const auto& [file, says] : inputs)
      for (bool pipe : {false, true}) {
        keld::testing::WriteText(d / "old.sgy", "old");
        const std::string run = Prog(program) + args;
        const std::string cmd = pipe ? "cat " + ShellQuote(file) + " | " + run : run + " <" + ShellQuote(file);
        std::string out;
        EXPECT_EQ(RunCommand("cd " + ShellQuote(d.path()) + " && (" + cmd + " >/dev/null)", &out), 1) << cmd;
        EXPECT_NE(out.find(says), std::string::npos) << cmd << "\n" << out;
        EXPECT_EQ(keld::testing::ReadText(d / "old.sgy"), "old");
      }
}

// A write that fails names the first output trace that did not reach the
// output whole, and why, whatever block the trace went out in: a file-size
// limit (`ulimit -f`, in blocks of 512 bytes as POSIX shells count them;
// every tool ignores SIGXFSZ, so the limit is a write error) and a full
// device. The SU input: 3,000 traces of 10 samples, 280 bytes each; each tool
// gives one output trace for each input trace. segyread's traces of 501
// samples are 2,244 bytes.
TEST(StackPrograms, AWriteThatFailsNamesItsTraceAndTheReason) {
  KELD_REQUIRE_TESTDATA(segy, "segy");
  TempDir d;
  keld::testing::WriteText(d / "in.su", keld::testing::SuOfLengths(std::vector<int>(3000, 10)));
  const std::string su = " <" + ShellQuote(d / "in.su"), piped = "cat " + ShellQuote(d / "in.su") + " | ";
  const std::string sgy = " tape=" + ShellQuote(segy + "/sedaman_ieee_single.sgy");
  // The trace that fails under 7, 35 and 101 blocks and on /dev/full:
  // 3,584 bytes hold 12 traces of 280 (3,360) and 1 of 2,244; 17,920 hold 64
  // of 280 exactly, and 7 of 2,244 (15,708); 51,712 hold 184 of 280 (51,520)
  // and 23 of 2,244 (51,612); /dev/full takes nothing.
  struct Row {
    const char* tool;
    std::string run;
    int fails[4];
  } rows[] = {
      {"sufilter", Prog("sufilter") + " f=10,20,60,80" + su, {13, 65, 185, 1}},
      {"sugain", Prog("sugain") + " agc=1" + su, {13, 65, 185, 1}},
      {"sunmo", Prog("sunmo") + " vnmo=1500" + su, {13, 65, 185, 1}},
      {"susort", Prog("susort") + " tracl" + su, {13, 65, 185, 1}},
      {"sustack", Prog("sustack") + " key=tracl" + su, {13, 65, 185, 1}},
      {"sustack", piped + Prog("sustack") + " key=tracl", {13, 65, 185, 1}},
      {"segyclean", Prog("segyclean") + su, {13, 65, 185, 1}},
      {"segyread", Prog("segyread") + sgy, {2, 8, 24, 1}},
  };
  const char* limits[] = {"ulimit -f 7 && (", "ulimit -f 35 && (", "ulimit -f 101 && (", "("};
  for (const Row& r : rows)
    for (size_t k = 0; k < 4; ++k) {
      const std::string cmd = "cd " + ShellQuote(d.path()) + " && " + limits[k] + r.run + (k < 3 ? " >out.su)" : " >/dev/full)");
      const std::string why = std::strerror(k < 3 ? EFBIG : ENOSPC);
      std::string out;
      EXPECT_EQ(RunCommand(cmd, &out), 1) << cmd;
      EXPECT_NE(out.find(std::string(r.tool) + ": cannot write trace " + std::to_string(r.fails[k]) +
                         " to standard output (" + why + ")"),
                std::string::npos)
          << cmd << "\n" << out;
    }
}

}  // namespace
}  // namespace keld
