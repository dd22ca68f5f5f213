#include "boardsim/testing/sim_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace keld::sim {

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& args, int wait_ms) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], STDOUT_FILENO);
  std::vector<std::string> argv_s{program};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argv_s) argv.push_back(s.data());
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, program.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  ::close(fds[1]);
  out_ = fds[0];
  if (rc != 0) {
    pid_ = -1;
    error_ = "cannot start " + program + ": " + std::strerror(rc);
    return;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (line_.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      error_ = program + " printed no line within " + std::to_string(wait_ms) + " ms";
      return;
    }
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[256];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) {
      error_ = program + " ended before printing where it is";
      return;
    }
    line_.append(buf, static_cast<size_t>(n));
  }
  line_.resize(line_.find('\n'));
  const std::string prefix = "boardsim: units on ";
  if (line_.rfind(prefix, 0) != 0) {
    error_ = "unexpected line from " + program + ": " + line_;
    return;
  }
  pty_ = line_.substr(prefix.size());
}

SimProcess::~SimProcess() {
  stop();
  if (out_ >= 0) ::close(out_);
}

bool SimProcess::signal(int sig) const { return pid_ > 0 && ::kill(pid_, sig) == 0; }

int SimProcess::stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < 3000; ++i) {  // 30 s: a busy machine may be slow to end it
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return -1;
}

}  // namespace keld::sim
