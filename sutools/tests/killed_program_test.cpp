// segywrite ended by a signal while it writes (as the SU to SEG-Y window ends
// it when closed), or stopped by a file-size limit: the old output stays and
// nothing is left beside it.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "common/testing/testsupport.hpp"
#include "common/testing/wait_until.hpp"

namespace {

namespace fs = std::filesystem;
using keld::testing::ReadText;
using keld::testing::TempDir;
using keld::testing::WriteText;

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

TEST(KilledPrograms, SegywriteEndedMidWriteLeavesTheOldOutputAlone) {
  const std::string prog = keld::testing::BinDir() + "/segywrite";
  if (access(prog.c_str(), X_OK) != 0) GTEST_SKIP() << "segywrite is not built";
  std::signal(SIGPIPE, SIG_IGN);  // a segywrite that fails early fails the write, not the test
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    TempDir d;
    WriteText(d / "header", std::string(3200, ' '));
    WriteText(d / "binary", std::string(400, '\0'));
    WriteText(d / "out.sgy", "the old output");
    int feed = -1;
    const pid_t pid = keld::testing::StartFedByPipe({prog, "tape=out.sgy"}, &feed, d.path());
    ASSERT_GT(pid, 0);
    // Traces of 1000 samples (ns 03 E8, dt 1000 = 03 E8, little-endian),
    // enough for the output's temporary to exist; the pipe stays open.
    std::string trace(240 + 4000, '\0');
    trace[114] = '\xE8', trace[115] = '\x03', trace[116] = '\xE8', trace[117] = '\x03';
    for (int i = 0; i < 50; ++i) ASSERT_EQ(::write(feed, trace.data(), trace.size()), (ssize_t)trace.size());
    keld::testing::WaitUntil([&] { return EntriesIn(d.path()) >= 4; });
    ASSERT_EQ(EntriesIn(d.path()), 4u) << "segywrite made no temporary beside its output";
    ::kill(pid, sig);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(feed);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
    EXPECT_EQ(EntriesIn(d.path()), 3u) << "a temporary is left beside the output";
    EXPECT_EQ(ReadText(d / "out.sgy"), "the old output");
  }
}

// A file-size limit (`ulimit -f`; a FAT stick refuses 4 GB so too) is a
// write error like a full disc: a message, and the old output kept.
TEST(KilledPrograms, SegywritePastAFileSizeLimitSaysSoAndKeepsTheOldOutput) {
  KELD_REQUIRE_TESTDATA(su, "su");
  TempDir d;
  WriteText(d / "header", std::string(3200, ' '));
  WriteText(d / "binary", std::string(400, '\0'));
  WriteText(d / "out.sgy", "the old output");
  std::string said;
  // 100 blocks of 512 bytes: 120 traces of 1000 samples do not fit.
  const int status = keld::testing::RunCommand("cd " + keld::testing::ShellQuote(d.path()) + " && ulimit -f 100 && " +
                                                   keld::testing::ShellQuote(keld::testing::BinDir() + "/segywrite") +
                                                   " tape=out.sgy <" + su + "/su_demos_groundroll_raw_le.su",
                                               &said);
  EXPECT_EQ(status, 1) << said;
  EXPECT_NE(said.find("out.sgy: " + std::string(std::strerror(EFBIG))), std::string::npos) << said;
  EXPECT_EQ(ReadText(d / "out.sgy"), "the old output");
  EXPECT_EQ(EntriesIn(d.path()), 3u) << "a temporary is left beside the output";
}

}  // namespace
