#include "platform/signals.hpp"

#include <atomic>
#include <optional>

#include <pthread.h>
#include <unistd.h>

#include "platform/temporaries.hpp"

namespace keld {

namespace {

std::atomic<bool> g_file_size_ignored{false};  // by IgnoreFileSizeSignal, not inherited
std::atomic<void (*)()> g_child_hook{nullptr};

sigset_t SuiteSignals() {
  sigset_t s;
  sigemptyset(&s);
  for (int sig : kCleanUpSignals) sigaddset(&s, sig);
  sigaddset(&s, SIGXFSZ);
  return s;
}

// Whether `sig` goes back to its default in a child: every handler does (it
// is this program's, and exec would drop it anyway), and so does the ignore
// of SIGXFSZ that the suite set; an ignore the program inherited (nohup's
// SIGHUP, say) is passed on as exec passes it on.
bool ToDefault(int sig) {
  struct sigaction now {};
  if (::sigaction(sig, nullptr, &now) != 0) return false;
  if ((now.sa_flags & SA_SIGINFO) || now.sa_handler != SIG_IGN) return now.sa_handler != SIG_DFL;
  return sig == SIGXFSZ && g_file_size_ignored.load();
}

sigset_t ToDefaultSet() {
  sigset_t s;
  sigemptyset(&s);
  for (int sig : kCleanUpSignals)
    if (ToDefault(sig)) sigaddset(&s, sig);
  if (ToDefault(SIGXFSZ)) sigaddset(&s, SIGXFSZ);
  return s;
}

}  // namespace

bool SignalIsDefault(int sig) {
  struct sigaction now {};
  return ::sigaction(sig, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) && now.sa_handler == SIG_DFL;
}

void IgnoreFileSizeSignal() {
  if (!SignalIsDefault(SIGXFSZ)) return;
  struct sigaction ign {};
  ign.sa_handler = SIG_IGN;
  sigemptyset(&ign.sa_mask);
  if (::sigaction(SIGXFSZ, &ign, nullptr) == 0) g_file_size_ignored = true;
}

pid_t ForkChild(ChildGroup group) {
  std::optional<RegistryStep> step;  // the group registered before any signal comes through
  if (group == ChildGroup::Own) step.emplace();
  const sigset_t suite = SuiteSignals();
  sigset_t old;
  ::pthread_sigmask(SIG_BLOCK, &suite, &old);
  const pid_t pid = ::fork();
  if (pid > 0 && group == ChildGroup::Own) {
    ::setpgid(pid, pid);  // fails once the child has exec'd, when it has made it itself
    RegisterChildGroup(pid);
  }
  if (pid == 0) {
    // Only what is safe between fork and exec from here on.
    if (group == ChildGroup::Own) ::setpgid(0, 0);
    if (auto hook = g_child_hook.load()) hook();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig : kCleanUpSignals)
      if (ToDefault(sig)) ::sigaction(sig, &dfl, nullptr);
    if (ToDefault(SIGXFSZ)) ::sigaction(SIGXFSZ, &dfl, nullptr);
    for (int sig : kCleanUpSignals) sigdelset(&old, sig);
    sigdelset(&old, SIGXFSZ);
    // The step ends first: it puts back the mask it found, the caller's,
    // which may hold SIGTERM; the child's own mask comes last.
    step.reset();
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return pid;
}

void DefaultSignalsOnSpawn(posix_spawnattr_t& attr) {
  short flags = 0;
  posix_spawnattr_getflags(&attr, &flags);
  const sigset_t to_default = ToDefaultSet();
  sigset_t mask;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  for (int sig : kCleanUpSignals) sigdelset(&mask, sig);
  sigdelset(&mask, SIGXFSZ);
  posix_spawnattr_setsigdefault(&attr, &to_default);
  posix_spawnattr_setsigmask(&attr, &mask);
  posix_spawnattr_setflags(&attr, static_cast<short>(flags | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK));
}

void SetChildStartHookForTests(void (*hook)()) { g_child_hook = hook; }

}  // namespace keld
