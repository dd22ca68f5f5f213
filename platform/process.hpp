#pragma once
// Starting other programs and documents. A start never waits unless asked to
// (run_and_wait); a program that cannot be started is reported as a failure.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/pump.hpp"

namespace keld {

// The window styles the programs pass; on Linux they are kept for the record.
enum class WindowStyle { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3, NormalNoFocus = 4 };

struct StartRequest {
  std::string program;
  std::vector<std::string> args;
  WindowStyle style = WindowStyle::Normal;
  std::string workdir;  // empty: the caller's
  // Set for the program on top of this program's environment ("NAME=value").
  std::vector<std::string> environment = {};
  // run_and_wait only: the program's standard error is kept here (its first
  // 4 KiB) in place of going to ours, so that the caller can tell its reason.
  std::string* error_output = nullptr;
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts and forgets; returns the process id (the task number), or nullopt
  // when the program is missing or could not be run.
  virtual std::optional<long> start(const StartRequest& req) = 0;
  // Opens a document with the desktop's program for it (xdg-open).
  virtual bool open_document(const std::string& path) = 0;
  // Starts and waits for the end while pumping events; the exit status, or
  // nullopt when the program could not be run. When `cancelled` says so, the
  // program and every process it started are ended and waited for (the status
  // is then 128 + the signal that ended them).
  virtual std::optional<int> run_and_wait(const StartRequest& req, EventPump& pump,
                                          const std::function<bool()>& cancelled = {}) = 0;
};

class PosixLauncher : public ProcessLauncher {
 public:
  std::optional<long> start(const StartRequest& req) override;
  bool open_document(const std::string& path) override;
  std::optional<int> run_and_wait(const StartRequest& req, EventPump& pump,
                                  const std::function<bool()>& cancelled = {}) override;
};

// The first executable file named `name` in the folders of $PATH (the usual
// ones when it is unset), or "".
std::string FindOnPath(const std::string& name);

// What a short query (xdg-mime, say) printed, as popen gives it: `program`
// (a path) run with `args`, its input /dev/null, its error output dropped,
// its standard output read to the end (the first `keep` bytes kept) and its
// end waited for. A query that has not ended within `bound` (a desktop
// service that does not answer) is killed with every process it started:
// the windows wait no longer for it. nullopt when it could not be started.
struct ProgramOutput {
  int status = -1;  // ExitStatusOf the program
  std::string text;
};
std::optional<ProgramOutput> ReadProgramOutput(const std::string& program, const std::vector<std::string>& args,
                                               size_t keep = 4096,
                                               std::chrono::milliseconds bound = std::chrono::seconds(10));

// In a child between fork and exec: `fd` (open with O_CLOEXEC, as every
// descriptor of the suite is) becomes descriptor `target` of the program
// that child runs, and only under that number; nothing for a negative `fd`.
void InheritAs(int fd, int target);

// Keeps every request; starts nothing, or, with `real` set, also runs them.
class ProcessRecorder : public ProcessLauncher {
 public:
  std::optional<long> start(const StartRequest& req) override;
  bool open_document(const std::string& path) override;
  std::optional<int> run_and_wait(const StartRequest& req, EventPump& pump,
                                  const std::function<bool()>& cancelled = {}) override;

  std::vector<StartRequest> started;
  std::vector<std::string> opened;
  bool succeed = true;          // what start() reports when not running for real
  int exit_status = 0;          // what run_and_wait() reports when not running for real
  std::string error_text;       // and the error output it gives then
  ProcessLauncher* real = nullptr;
};

}  // namespace keld
