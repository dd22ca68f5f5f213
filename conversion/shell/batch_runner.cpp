#include "conversion/shell/batch_runner.hpp"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/temporaries.hpp"

extern char** environ;

namespace keld::conversion {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kGrace = std::chrono::seconds(2);

// Reads what is waiting in the pipe without blocking.
void Drain(int fd, BatchOutcome& r, const BatchWait& w) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) return;
    std::string piece(buf, static_cast<size_t>(n));
    r.output += piece;
    if (w.on_output) w.on_output(piece);
  }
}

// Ends the batch's process group: a request first, then by force.
int Stop(pid_t pid) {
  ::kill(-pid, SIGTERM);
  const auto until = MonoClock::now() + kGrace;
  int st = 0;
  while (MonoClock::now() < until) {
    if (::waitpid(pid, &st, WNOHANG) == pid) return st;
    std::this_thread::sleep_for(kPoll);
  }
  ::kill(-pid, SIGKILL);
  ::waitpid(pid, &st, 0);
  return st;
}

}  // namespace

std::string BatchOutcome::reason() const {
  // The last few lines the programs printed (in a pipeline the first
  // program's complaint comes before the next one's).
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string l = output.substr(start, end - start);
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
    if (!l.empty()) lines.push_back(l);
    start = end + 1;
  }
  std::string last;
  for (size_t i = lines.size() > 4 ? lines.size() - 4 : 0; i < lines.size(); ++i)
    last += (last.empty() ? "" : "\n") + lines[i];
  switch (kind) {
    case Kind::Done: return "";
    case Kind::NotStarted: return "the batch could not be started" + (last.empty() ? "" : ": " + last);
    case Kind::Cancelled: return "cancelled";
    case Kind::TimedOut: return "stopped after its time limit";
    case Kind::Failed:
      return last.empty() ? "the batch ended with status " + std::to_string(exit_status) : last;
  }
  return "";
}

BatchOutcome RunBatch(const std::string& batch, const std::string& workdir, EventPump& pump, const BatchWait& w) {
  BatchOutcome r;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return r;
  posix_spawn_file_actions_t fa;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&fa);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 2);
  if (!workdir.empty()) posix_spawn_file_actions_addchdir_np(&fa, workdir.c_str());
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  // The batch runs in `workdir`: a relative name would be looked for there.
  std::error_code ec;
  const auto whole = std::filesystem::absolute(batch, ec);
  const std::string script = ec || batch.empty() ? batch : whole.string();
  const char* argv[] = {"sh", script.c_str(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, "/bin/sh", &fa, &attr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&fa);
  posix_spawnattr_destroy(&attr);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    r.output = std::strerror(rc);
    return r;
  }
  RegisterChildGroup(pid);  // ended with this program if it is killed
  ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
  const auto deadline = MonoClock::now() + w.time_limit;
  int st = 0;
  for (;;) {
    Drain(fds[0], r, w);
    const pid_t done = ::waitpid(pid, &st, WNOHANG);
    if (done == pid) break;
    if (w.cancelled && w.cancelled()) {
      Stop(pid);
      r.kind = BatchOutcome::Kind::Cancelled;
      break;
    }
    if (MonoClock::now() >= deadline) {
      Stop(pid);
      r.kind = BatchOutcome::Kind::TimedOut;
      break;
    }
    pump.pump();
    std::this_thread::sleep_for(kPoll);
  }
  ForgetChildGroup(pid);
  Drain(fds[0], r, w);
  ::close(fds[0]);
  if (r.kind == BatchOutcome::Kind::NotStarted) {
    r.exit_status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
    r.kind = r.exit_status == 0 ? BatchOutcome::Kind::Done : BatchOutcome::Kind::Failed;
  }
  return r;
}

}  // namespace keld::conversion
