#include "platform/process.hpp"

#include "platform/group_run.hpp"
#include "platform/temporaries.hpp"
#include "platform/signals.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace keld {

namespace {

std::vector<char*> Argv(const StartRequest& r, std::vector<std::string>& keep) {
  keep.clear();
  keep.push_back(r.program);
  for (const auto& a : r.args) keep.push_back(a);
  std::vector<char*> argv;
  for (auto& s : keep) argv.push_back(s.data());
  argv.push_back(nullptr);
  return argv;
}

// This program's environment with `extra` ("NAME=value") set on top.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    if (std::none_of(extra.begin(), extra.end(), [&](const std::string& x) { return x.rfind(name, 0) == 0; }))
      env.push_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

// Reads what is waiting on the non-blocking `fd`, keeping the first 4 KiB.
void DrainInto(int fd, std::string& kept) {
  char buf[512];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    if (kept.size() < 4096) kept.append(buf, std::min(static_cast<size_t>(n), 4096 - kept.size()));
  }
}

// Forks a child that runs the program; the exec's failure reaches the parent
// through a close-on-exec pipe. With `detach`, the program runs in a grandchild
// so that it is never left as a zombie of ours; without, it leads a process
// group of its own, so that it can be ended with whatever it started.
// `err_fd`, when given, becomes the program's standard error.
std::optional<pid_t> Spawn(const StartRequest& r, bool detach, int err_fd = -1) {
  std::vector<std::string> keep;
  std::vector<char*> argv = Argv(r, keep);
  // Made before the fork: the child only execs.
  std::vector<std::string> env = r.environment.empty() ? std::vector<std::string>{} : Environment(r.environment);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  int pidpipe[2] = {-1, -1};
  if (detach && pipe2(pidpipe, O_CLOEXEC) != 0) {
    close(fds[0]);
    close(fds[1]);
    return std::nullopt;
  }
  pid_t pid = ForkChild(detach ? ChildGroup::Ours : ChildGroup::Own);
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    if (detach) {
      close(pidpipe[0]);
      close(pidpipe[1]);
    }
    return std::nullopt;
  }
  if (pid == 0) {
    auto run = [&]() {
      if (!r.workdir.empty() && chdir(r.workdir.c_str()) != 0) {
        int e = errno;
        (void)!write(fds[1], &e, sizeof e);
        _exit(127);
      }
      InheritAs(err_fd, 2);  // a pipe that came out as 2 must not close on exec
      if (env.empty()) execv(r.program.c_str(), argv.data());
      else execve(r.program.c_str(), argv.data(), envp.data());
      int e = errno;
      (void)!write(fds[1], &e, sizeof e);
      _exit(127);
    };
    if (!detach) run();
    setsid();
    pid_t g = ForkChild();
    if (g == 0) run();
    (void)!write(pidpipe[1], &g, sizeof g);
    _exit(g < 0 ? 1 : 0);
  }
  close(fds[1]);
  pid_t real = pid;
  if (detach) {
    close(pidpipe[1]);
    pid_t g = -1;
    if (read(pidpipe[0], &g, sizeof g) != sizeof g) g = -1;
    close(pidpipe[0]);
    int st;
    waitpid(pid, &st, 0);
    real = g;
  }
  int err = 0;
  ssize_t n = read(fds[0], &err, sizeof err);
  close(fds[0]);
  if (n == sizeof err || real < 0) {
    if (!detach) {
      waitpid(pid, nullptr, 0);
      ForgetChildGroup(pid);
    }
    return std::nullopt;
  }
  return real;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
  const char* env = std::getenv("PATH");
  const std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";  // the shell's own when unset
  for (size_t start = 0; start < dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    start = end + 1;
    if (dir.empty()) continue;
    const std::string p = dir + "/" + name;
    struct stat s {};
    if (stat(p.c_str(), &s) == 0 && S_ISREG(s.st_mode) && access(p.c_str(), X_OK) == 0) return p;
  }
  return {};
}

void InheritAs(int fd, int target) {
  if (fd < 0) return;
  if (fd == target)
    fcntl(fd, F_SETFD, 0);  // dup2 onto itself would leave it to close on exec
  else
    dup2(fd, target);
}

std::optional<ProgramOutput> ReadProgramOutput(const std::string& program, const std::vector<std::string>& args,
                                               size_t keep, std::chrono::milliseconds bound) {
  std::vector<std::string> words;
  std::vector<char*> argv = Argv({program, args, WindowStyle::Hidden, {}}, words);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  // A group of its own, so that a program that hangs goes with whatever it
  // started (and with this program, if it is killed meanwhile).
  const pid_t pid = ForkChild(ChildGroup::Own);
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return std::nullopt;
  }
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    InheritAs(null, 0);
    InheritAs(null, 2);
    InheritAs(fds[1], 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  ProgramOutput r;
  char buf[512];
  // Read to the end, so the program never blocks on a full pipe.
  const auto deadline = MonoClock::now() + bound;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - MonoClock::now());
    struct pollfd p {fds[0], POLLIN, 0};
    const int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      kill(-pid, SIGKILL);
      break;
    }
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (r.text.size() < keep) r.text.append(buf, std::min(static_cast<size_t>(n), keep - r.text.size()));
  }
  close(fds[0]);
  // A program that closed its output may still hang: the bound holds for
  // its end too.
  int st = 0;
  pid_t got;
  for (;;) {
    got = waitpid(pid, &st, WNOHANG);
    if (got != 0 && !(got < 0 && errno == EINTR)) break;
    if (MonoClock::now() >= deadline) {
      kill(-pid, SIGKILL);
      do got = waitpid(pid, &st, 0);
      while (got < 0 && errno == EINTR);
      break;
    }
    const struct timespec pause {0, 5'000'000};
    nanosleep(&pause, nullptr);
  }
  ForgetChildGroup(pid);
  if (got < 0) return std::nullopt;
  r.status = ExitStatusOf(st);
  return r;
}

std::optional<long> PosixLauncher::start(const StartRequest& req) {
  if (access(req.program.c_str(), X_OK) != 0) return std::nullopt;
  auto pid = Spawn(req, true);
  if (!pid) return std::nullopt;
  return static_cast<long>(*pid);
}

bool PosixLauncher::open_document(const std::string& path) {
  for (const char* opener : {"/usr/bin/xdg-open", "/usr/local/bin/xdg-open"}) {
    if (access(opener, X_OK) == 0) return start({opener, {path}, WindowStyle::Maximized, {}}).has_value();
  }
  return false;
}

std::optional<int> PosixLauncher::run_and_wait(const StartRequest& req, EventPump& pump,
                                               const std::function<bool()>& cancelled) {
  if (access(req.program.c_str(), X_OK) != 0) return std::nullopt;
  int errs[2] = {-1, -1};
  if (req.error_output && pipe2(errs, O_CLOEXEC) != 0) return std::nullopt;
  auto pid = Spawn(req, false, errs[1]);
  if (errs[1] >= 0) close(errs[1]);
  if (!pid) {
    if (errs[0] >= 0) close(errs[0]);
    return std::nullopt;
  }
  GroupWait w;
  w.stop = cancelled;
  w.kill_leftovers = true;
  if (errs[0] >= 0) {
    fcntl(errs[0], F_SETFL, O_NONBLOCK);  // our end only: the program writes as to any pipe
    req.error_output->clear();
    w.each_turn = [&] { DrainInto(errs[0], *req.error_output); };  // the program never blocks on a full pipe
  }
  const std::optional<int> status = WaitForGroup(*pid, pump, w).status;
  if (errs[0] >= 0) {
    DrainInto(errs[0], *req.error_output);
    close(errs[0]);
  }
  return status;
}

std::optional<long> ProcessRecorder::start(const StartRequest& req) {
  started.push_back(req);
  if (real) return real->start(req);
  return succeed ? std::optional<long>(4242) : std::nullopt;
}

bool ProcessRecorder::open_document(const std::string& path) {
  opened.push_back(path);
  if (real) return real->open_document(path);
  return succeed;
}

std::optional<int> ProcessRecorder::run_and_wait(const StartRequest& req, EventPump& pump,
                                                 const std::function<bool()>& cancelled) {
  started.push_back(req);
  if (real) return real->run_and_wait(req, pump, cancelled);
  if (!succeed) return std::nullopt;
  if (req.error_output) *req.error_output = error_text;
  return exit_status;
}

}  // namespace keld
