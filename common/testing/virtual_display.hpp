#pragma once
// Programs started by a test under a virtual X display of its own (Xvfb),
// with an environment the test chooses, ended when the test is done.
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace keld::testing {

// The test's environment without any display, Qt platform, home or XDG
// folder, plus `extra` ("NAME=value" each).
std::vector<std::string> CleanEnvironment(const std::vector<std::string>& extra);

// A started process, its standard output and error in `log`; asked to end
// (then made to) and reaped when the object goes.
class StartedProcess {
 public:
  StartedProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log);
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;
  bool started() const { return pid_ > 0; }
  bool running();

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// An Xvfb that takes the first free display number (so tests running at the
// same time never share one); name() is ":N", or "" when it did not start
// within a minute (its output is in `log`).
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& log);
  const std::string& name() const { return name_; }
  // True when the display has a mapped top-level window titled `title` whose
  // class is `program` (as xwininfo lists it).
  bool ShowsWindow(const std::string& program, const std::string& title) const;

 private:
  std::unique_ptr<StartedProcess> xvfb_;
  std::string name_;
};

}  // namespace keld::testing
