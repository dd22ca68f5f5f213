#pragma once
// The boardsim program as a child process of a test or benchmark: started
// with its options, its one line of standard output read to learn the
// pseudo-terminal, and stopped (SIGTERM, then waited for) when the object goes.
#include <sys/types.h>

#include <string>
#include <vector>

namespace keld::sim {

class SimProcess {
 public:
  // `program` is the path of boardsim; the line is awaited for `wait_ms`.
  SimProcess(const std::string& program, const std::vector<std::string>& args, int wait_ms = 30000);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool started() const { return !pty_.empty(); }
  const std::string& pty() const { return pty_; }    // e.g. /dev/pts/7
  const std::string& line() const { return line_; }  // what it printed
  const std::string& error() const { return error_; }
  pid_t pid() const { return pid_; }
  bool signal(int sig) const;
  // Stops the program; returns its exit status (-1 when it did not end).
  int stop();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pty_, line_, error_;
};

}  // namespace keld::sim
