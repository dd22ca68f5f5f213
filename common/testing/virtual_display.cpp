#include "common/testing/virtual_display.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/testing/testsupport.hpp"

extern char** environ;

namespace keld::testing {

namespace {
using Clock = std::chrono::steady_clock;
}

std::vector<std::string> CleanEnvironment(const std::vector<std::string>& extra) {
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

StartedProcess::StartedProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                               const std::string& log) {
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

StartedProcess::~StartedProcess() {
  if (pid_ <= 0 || !running()) return;
  kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (running() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool StartedProcess::running() {
  if (!exited_ && waitpid(pid_, nullptr, WNOHANG) == pid_) exited_ = true;
  return !exited_;
}

VirtualDisplay::VirtualDisplay(const std::string& log) {
  // Xvfb writes the number it took to the pipe once clients can connect.
  // -noreset: by default the server resets each time its last client leaves,
  // and a program that connects during that reset is refused; the window
  // checks below come and go while the programs start.
  int fds[2];
  if (pipe(fds) != 0) return;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  xvfb_ = std::make_unique<StartedProcess>(
      std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset", "-screen",
                               "0", "1280x1024x24"},
      CleanEnvironment({}), log);
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

bool VirtualDisplay::ShowsWindow(const std::string& program, const std::string& title) const {
  // xwininfo lists each window as: 0x2a00006 "title": ("program" "Program") ...
  std::string tree, info;
  if (RunCommand("xwininfo -display " + name_ + " -root -tree", &tree, false) != 0) return false;
  const size_t at = tree.find("\"" + title + "\": (\"" + program + "\" ");
  if (at == std::string::npos) return false;
  const size_t from = tree.find("0x", tree.rfind('\n', at) + 1);
  const std::string id = tree.substr(from, tree.find(' ', from) - from);
  return RunCommand("xwininfo -display " + name_ + " -id " + id, &info, false) == 0 &&
         info.find("Map State: IsViewable") != std::string::npos;
}

}  // namespace keld::testing
