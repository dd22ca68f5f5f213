// Every program of the suite started without arguments under a virtual X
// display of its own (Xvfb, which picks a free display number) shows its
// window: found by its title and its program's class with xwininfo, and
// mapped. Without any display, the programs that also run on the command
// line say why on standard error instead of showing nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/testing/testsupport.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;

// A started process, its output in `log`; asked to end (then made to) and
// reaped when the object goes.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log) {
    std::vector<char*> a, e;
    for (const auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    for (const auto& s : env) e.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    e.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    if (posix_spawn(&pid_, a[0], &fa, nullptr, a.data(), e.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Process() {
    if (pid_ <= 0 || !running()) return;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (running() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool started() const { return pid_ > 0; }
  bool running() {
    if (!exited_ && waitpid(pid_, nullptr, WNOHANG) == pid_) exited_ = true;
    return !exited_;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// Our environment without any display, Qt platform, home or XDG folder,
// plus `extra`.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string s = *e;
    bool drop = false;
    for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "HOME=", "XDG_"})
      drop = drop || s.rfind(name, 0) == 0;
    if (!drop) env.push_back(s);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

// An Xvfb of our own: it takes the first free display number and writes it
// to a pipe once it is ready for clients; no other test uses that display.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& log) {
    int fds[2];
    if (pipe(fds) != 0) return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);  // Xvfb keeps only the end it writes
    xvfb_ = std::make_unique<Process>(
        std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp",
                                 "-screen", "0", "1280x1024x24"},
        Environment({}), log);
    close(fds[1]);
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 500) <= 0) continue;
      char c[16];
      const ssize_t n = read(fds[0], c, sizeof c);
      if (n <= 0) break;
      number.append(c, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') != std::string::npos) name_ = ":" + number.substr(0, number.find('\n'));
  }
  const std::string& name() const { return name_; }

 private:
  std::unique_ptr<Process> xvfb_;
  std::string name_;
};

struct Expected {
  const char* program;
  const char* title;  // the window's title; its class is the program's name
};

// True when `display` has a mapped top-level window titled `title` of the
// class `program`. xwininfo lists each as: 0x2a00006 "title": ("program" ...
bool ShowsWindow(const std::string& display, const Expected& e) {
  std::string tree;
  if (RunCommand("xwininfo -display " + display + " -root -tree", &tree, false) != 0) return false;
  const size_t at = tree.find("\"" + std::string(e.title) + "\": (\"" + e.program + "\" ");
  if (at == std::string::npos) return false;
  const size_t from = tree.find("0x", tree.rfind('\n', at) + 1);
  const std::string id = tree.substr(from, tree.find(' ', from) - from);
  std::string info;
  return RunCommand("xwininfo -display " + display + " -id " + id, &info, false) == 0 &&
         info.find("Map State: IsViewable") != std::string::npos;
}

}  // namespace

TEST(ProgramWindows, EveryProgramShowsItsWindowWithoutArguments) {
  keld::testing::TempDir d;
  const VirtualDisplay display(d / "xvfb.log");
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start: " << keld::testing::ReadText(d / "xvfb.log");
  // dropconv has no window: with no argument it shows its message box.
  const Expected expected[] = {
      {"korvan", "QMR650B "},
      {"dropconv", "dropconv"},
      {"conversion", "Velquist Seismic file conversion "},
      {"keysheet", "Header value  display"},
      {"velscan", "Visual_KELD velscan 1.01"},
      {"ombrix", "OMBRIX Drawing parameters"},
      {"boardtest", "QMR650 Blackfin  Test"},
      {"seg2su", "SEG-2 to Seismic Unix"},
      {"rtoaw", "DZT to ASCII"},
  };
  // Each program keeps its files in its own folder, never the user's.
  std::vector<std::unique_ptr<Process>> programs;
  for (const Expected& e : expected) {
    const std::string home = d / e.program;
    std::filesystem::create_directories(home + "/run");
    std::filesystem::permissions(home + "/run", std::filesystem::perms::owner_all);
    programs.push_back(std::make_unique<Process>(
        std::vector<std::string>{keld::testing::BinDir() + "/" + e.program},
        Environment({"DISPLAY=" + display.name(), "HOME=" + home, "KELD_HOME=" + home, "KELD_WINDIR=" + home,
                     "XDG_RUNTIME_DIR=" + home + "/run"}),
        d / (std::string(e.program) + ".log")));
    ASSERT_TRUE(programs.back()->started()) << e.program;
  }
  // Generous: a loaded machine and a sanitizer build start slowly. A program
  // that ends without its window is not waited for.
  const auto deadline = Clock::now() + std::chrono::seconds(240);
  std::vector<bool> found(std::size(expected), false), ended(std::size(expected), false);
  while (Clock::now() < deadline) {
    bool waiting = false;
    for (size_t i = 0; i < std::size(expected); ++i) {
      if (found[i] || ended[i]) continue;
      found[i] = ShowsWindow(display.name(), expected[i]);
      ended[i] = !found[i] && !programs[i]->running();
      waiting = waiting || (!found[i] && !ended[i]);
    }
    if (!waiting) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_TRUE(found[i]) << expected[i].program << " showed no window \"" << expected[i].title << "\"; it said: "
                          << keld::testing::ReadText(d / (std::string(expected[i].program) + ".log"));
}

TEST(ProgramWindows, WithoutADisplayTheCommandLineProgramsSaySo) {
  for (const char* program : {"seg2su", "rtoaw"}) {
    SCOPED_TRACE(program);
    std::string said;
    const int status = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                      ShellQuote(keld::testing::BinDir() + "/" + program) + " </dev/null",
                                  &said);
    EXPECT_NE(status, 0);
    EXPECT_NE(said.find(std::string(program) + ": no display to show the window on"), std::string::npos) << said;
  }
}
