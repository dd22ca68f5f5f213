#pragma once
// What a process leaves behind if it is ended by SIGTERM, SIGINT or SIGHUP:
// temporary files beside outputs, old outputs moved aside while a batch
// writes their replacements, folders of a run's own, and batches running in
// process groups of their own. Registered here, they are dealt with before
// the process ends: the batches are sent SIGTERM (so they stop writing and
// remove their own temporaries), the temporaries are removed, the old outputs
// are moved back, and the folders are emptied and removed. A killed run then
// leaves the old output and nothing beside it.
//
// The handlers are installed with the first registration, for each of those
// signals whose action is still the default one (a signal the program ignores
// or handles itself is left alone). The clean-up runs once, on the first
// thread a signal reaches, and to its end: a further signal, on that thread
// or any other, waits for it, and a thread that calls in here meanwhile stops
// there. The process then ends by the first signal.
#include <csignal>
#include <string>

#include <sys/types.h>

namespace keld {

// `path` is taken as an absolute path now, so a later change of the working
// folder does not change which file is meant. False when the file cannot be
// registered (too many at once: 4096); the caller then does without it.
bool RegisterTemporary(const std::string& path);
// An old output moved aside to `kept` (or given that second name) while a
// run writes `original`: moved back over `original` if the process is ended
// by one of those signals. A registration of `kept` as a temporary becomes
// this one in a single step, so no signal finds it removable meanwhile.
bool RegisterSetAside(const std::string& kept, const std::string& original);
// A folder made by this process for a run: emptied (of its files and empty
// folders) and removed after the temporaries, which may lie in it.
bool RegisterTempFolder(const std::string& path);
// The file took its final name or was removed (a temporary), or was put back
// or is no longer wanted (a file set aside), or the folder was removed:
// nothing more to do with it.
void ForgetTemporary(const std::string& path);

// A batch started in a process group of its own and waited for: its group
// is sent SIGTERM if this process is ended by one of those signals. A group
// registered already is not registered twice.
void RegisterChildGroup(pid_t group);
void ForgetChildGroup(pid_t group);

// A step the clean-up must not cut in two: a file made and then registered,
// a batch started and its group registered, several files forgotten
// together. While a step lives, the clean-up's signals are held off its
// thread, and a clean-up that starts on another thread waits for the step
// to end (a second at most) before it reads the registry. A step begun after
// a clean-up started stops its thread there, as the registry's calls do.
class RegistryStep {
 public:
  RegistryStep();
  ~RegistryStep();
  RegistryStep(const RegistryStep&) = delete;
  RegistryStep& operator=(const RegistryStep&) = delete;

 private:
  sigset_t old_;
};

}  // namespace keld
