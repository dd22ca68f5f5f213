// Every program of the suite and every sutool ignores SIGXFSZ from the start
// of its main, so that a file-size limit is a write error and not the end of
// the program. Each is started with the default action, held where it waits
// (its window, a pipe or a fifo that nobody writes), and seen in /proc.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/testing/testsupport.hpp"
#include "common/testing/virtual_display.hpp"

using namespace keld::testing;

namespace {

// Whether SIGXFSZ is in the SigIgn mask of /proc/PID/status.
bool IgnoresFileSizeSignal(pid_t pid) {
  const std::string status = ReadText("/proc/" + std::to_string(pid) + "/status");
  const auto at = status.find("SigIgn:\t");
  return at != std::string::npos && ((std::strtoull(status.c_str() + at + 8, nullptr, 16) >> (SIGXFSZ - 1)) & 1);
}

}  // namespace

TEST(EveryProgram, IgnoresTheFileSizeSignal) {
  TempDir d;
  const std::string fifo = d / "input";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int hold[2];  // everyone's standard input, held open and never written
  ASSERT_EQ(::pipe2(hold, O_CLOEXEC), 0);
  // An ignore this test was started with would be passed on to each.
  struct sigaction was {}, dfl {};
  dfl.sa_handler = SIG_DFL;
  ::sigaction(SIGXFSZ, &dfl, &was);
  const std::vector<std::vector<std::string>> programs = {
      {"korvan"}, {"dropconv"}, {"conversion"}, {"keysheet"}, {"velscan"}, {"ombrix"}, {"boardtest"},
      {"rtoaw", fifo, "out.txt"}, {"seg2su", fifo}, {"sufilter", "f=1,2,3,4"}, {"sugain", "agc=1"},
      {"segyread", "tape=" + fifo}, {"segyclean"}, {"segyhdrs"}, {"segywrite", "tape=out.sgy", "hfile=" + fifo},
      {"segdread", "tape=" + fifo}, {"susort", "cdp"}, {"sunmo", "vnmo=1500"}, {"sustack"}};
  std::vector<pid_t> pids;
  for (const auto& p : programs) {
    const std::string home = d / p[0];
    std::filesystem::create_directories(home + "/run");
    std::filesystem::permissions(home + "/run", std::filesystem::perms::owner_all);
    const std::string prog = BinDir() + "/" + p[0];
    const std::vector<std::string> env = CleanEnvironment({"QT_QPA_PLATFORM=offscreen", "HOME=" + home,
                                                           "KELD_HOME=" + home, "KELD_WINDIR=" + home,
                                                           "XDG_RUNTIME_DIR=" + home + "/run"});
    std::vector<char*> argv, envp;
    for (const auto& a : p) argv.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const int log = ::open((home + ".log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(hold[0], 0);
      ::dup2(log, 1);
      ::dup2(log, 2);
      if (::chdir(home.c_str()) == 0) ::execve(prog.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(log);
    pids.push_back(pid);
  }
  ::sigaction(SIGXFSZ, &was, nullptr);
  // Generous for a loaded machine and a sanitizer build: only a program that
  // lost its ignore waits this long.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(180);
  std::vector<int> seen(pids.size(), 0);  // 1 ignoring, -1 ended first
  for (bool waiting = true; waiting && std::chrono::steady_clock::now() < deadline;) {
    waiting = false;
    for (size_t i = 0; i < pids.size(); ++i) {
      if (seen[i] == 0 && IgnoresFileSizeSignal(pids[i])) seen[i] = 1;
      if (seen[i] == 0 && ::waitpid(pids[i], nullptr, WNOHANG) == pids[i]) seen[i] = -1;
      waiting = waiting || seen[i] == 0;
    }
    if (waiting) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (size_t i = 0; i < pids.size(); ++i) {
    EXPECT_EQ(seen[i], 1) << programs[i][0] << (seen[i] < 0 ? " ended" : " ran on") << " without ignoring SIGXFSZ; it said: "
                          << ReadText(d / (programs[i][0] + ".log"));
    if (seen[i] >= 0) {
      ::kill(pids[i], SIGKILL);
      ::waitpid(pids[i], nullptr, 0);
    }
  }
  ::close(hold[0]);
  ::close(hold[1]);
}
