// boardsim: simulated acquisition units on a pseudo-terminal, for running
// korvan and boardtest (and their tests) without hardware.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "boardsim/options.hpp"
#include "boardsim/pty_server.hpp"

namespace {

int g_wake = -1;  // write end of the self-pipe; the signal handlers' only state

void OnSignal(int sig) {
  const char c = sig == SIGUSR1 ? 'T' : 'Q';
  if (g_wake >= 0) (void)!::write(g_wake, &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = keld::sim::ParseOptions(args, &error);
  if (!options) {
    std::fprintf(stderr, "boardsim: %s\n%s", error.c_str(), keld::sim::kUsage);
    return 2;
  }
  if (options->help) {
    std::fputs(keld::sim::kUsage, stdout);
    return 0;
  }
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("boardsim: pipe");
    return 1;
  }
  g_wake = pipe_fds[1];
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGUSR1, SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);

  keld::sim::PtyServer server(*options);
  if (!server.start(&error)) {
    std::fprintf(stderr, "boardsim: %s\n", error.c_str());
    return 1;
  }
  std::printf("boardsim: units on %s\n", server.slave().c_str());
  std::fflush(stdout);
  server.run(pipe_fds[0]);
  return 0;
}
