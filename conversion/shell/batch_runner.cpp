#include "conversion/shell/batch_runner.hpp"

#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include "platform/group_run.hpp"
#include "platform/signals.hpp"
#include "platform/temporaries.hpp"

extern char** environ;

namespace keld::conversion {

namespace {

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
  DefaultSignalsOnSpawn(attr);  // never this program's handlers, nor its ignore of SIGXFSZ
  // The batch runs in `workdir`: a relative name would be looked for there.
  std::error_code ec;
  const auto whole = std::filesystem::absolute(batch, ec);
  const std::string script = ec || batch.empty() ? batch : whole.string();
  const char* argv[] = {"sh", script.c_str(), nullptr};
  pid_t pid = 0;
  int rc = 0;
  {
    const RegistryStep step;  // the batch's group registered before any signal comes through
    rc = posix_spawn(&pid, "/bin/sh", &fa, &attr, const_cast<char**>(argv), environ);
    if (rc == 0) RegisterChildGroup(pid);
  }
  posix_spawn_file_actions_destroy(&fa);
  posix_spawnattr_destroy(&attr);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    r.output = std::strerror(rc);
    return r;
  }
  ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
  const auto deadline = MonoClock::now() + w.time_limit;
  GroupWait gw;
  gw.each_turn = [&] { Drain(fds[0], r, w); };
  gw.stop = [&] {
    if (w.cancelled && w.cancelled()) {
      r.kind = BatchOutcome::Kind::Cancelled;
    } else if (MonoClock::now() >= deadline) {
      r.kind = BatchOutcome::Kind::TimedOut;
    } else {
      return false;
    }
    return true;
  };
  gw.poll = std::chrono::milliseconds(5);
  const GroupEnd end = WaitForGroup(pid, pump, gw);
  Drain(fds[0], r, w);
  ::close(fds[0]);
  if (!end.stopped) {
    r.exit_status = end.status.value_or(-1);
    r.kind = r.exit_status == 0 ? BatchOutcome::Kind::Done : BatchOutcome::Kind::Failed;
  }
  return r;
}

}  // namespace keld::conversion
