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
#include <functional>
#include <string>
#include <vector>

#include <pthread.h>
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

// What a killed process does with a registered name: nothing (a name that
// has no file of ours yet, or whose file is to stay), remove the file, move
// it back over the name it was set aside from, or remove the folder.
enum class Leftover : unsigned char { Nothing, Remove, PutBack, RemoveFolder };

// The general registration: `path` with what a killed process does with it
// (`original` is where PutBack moves it). RegisterTemporary, RegisterSetAside
// and RegisterTempFolder are this with Remove, PutBack and RemoveFolder.
bool Register(const std::string& path, Leftover what, const std::string& original = {});

// A change on the disc that the registry must follow at once (a file made,
// linked or renamed over another): `call`, a few system calls and nothing
// that allocates or takes a lock, runs with the clean-up's signals held off
// this thread, and a clean-up that starts on another thread meanwhile waits
// for its end however long the disc takes. When `call` returns true, each of
// `changes` (registered names) takes its new Leftover in that same step, so
// a killed process finds the registry as the disc is, never half of several
// changes. Not begun once a clean-up has started: the thread stops there.
// What `call` returned, with errno as it left it.
struct LeftoverChange {
  std::string path;
  Leftover now;
};
bool DiscStep(const std::vector<LeftoverChange>& changes, const std::function<bool()>& call);

// A new name made from `pattern` (a path ending in "XXXXXX", which becomes a
// unique ending) by `make(name)` (open with O_EXCL, mkdir, link: a call that
// fails with EEXIST for a name that is taken). The name is registered, with
// nothing to do, before `make` runs in a DiscStep that turns it into `then`
// (with `original` for PutBack) as it succeeds: so whenever a killed process
// ends, a file made is known and one not made, or someone else's, is left
// alone. Another ending is tried on EEXIST. The name in the form of
// `pattern`, or "" with errno (ENOBUFS: too many names registered at once).
std::string MakeRegistered(const std::string& pattern, Leftover then, const std::function<bool(const char*)>& make,
                           const std::string& original = {});

// A batch started in a process group of its own and waited for: its group
// is sent SIGTERM if this process is ended by one of those signals. A group
// registered already is not registered twice.
void RegisterChildGroup(pid_t group);
void ForgetChildGroup(pid_t group);

// A step of registry calls the clean-up must not cut in two: a batch
// started and its group registered. While a step lives, the clean-up's
// signals are held off its thread, and a clean-up that starts on another
// thread waits for the step to end (a second at most, since a registry call
// may wait for what the interrupted thread holds) before it reads the
// registry. A step begun after a clean-up started stops its thread there, as
// the registry's calls do. What must not be split whatever the wait (a file
// made and its registration, several registrations changed together) is a
// DiscStep.
class RegistryStep {
 public:
  RegistryStep();
  ~RegistryStep();
  RegistryStep(const RegistryStep&) = delete;
  RegistryStep& operator=(const RegistryStep&) = delete;

 private:
  sigset_t old_;
};

// Test seam: at the `k`-th call into the registry from now on (counting from
// 1: each registration, forget, RegistryStep or DiscStep, as it begins),
// SIGTERM is sent to thread `to` and the calling thread is held there for
// good, as a thread the scheduler or a slow disc holds up when the signal
// comes: the clean-up on `to` finds the registry and the disc as they are at
// that point, and ends the process. 0 for none.
void SetSignalPointForTests(int k, pthread_t to);

}  // namespace keld
