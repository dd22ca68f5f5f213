#include "platform/temporaries.hpp"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/signals.hpp"

namespace keld {

namespace {

constexpr int kSlots = 4096;
constexpr int kGroups = 64;

// An entry is made whole before it is published in a slot, and a slot only
// ever changes from one whole entry to another, so the signal handler, which
// only reads, never sees half of one. An entry taken out of its slot is
// freed only once it is certain that no clean-up can be reading it: the
// clean-up marks itself started (g_cleaning) before it reads a slot, and a
// thread that takes an entry out reads that mark afterwards (both in the one
// sequentially consistent order): either it sees no clean-up, which then
// cannot find the entry any more, or it sees one and frees nothing.
// What is done with an entry may change while it is published (a name
// registered before its file is made, old copies that become removable
// together): only in a DiscStep, which a clean-up waits for before it reads.
struct Entry {
  std::string path;
  std::string restore_to;  // for a file set aside
  std::atomic<Leftover> what;
};
std::atomic<Entry*> g_slots[kSlots];
std::atomic<pid_t> g_groups[kGroups];
std::atomic<bool> g_cleaning{false};
// Registry steps under way (RegistryStep), all threads together, and this
// thread's own: a step that stops its thread for a clean-up takes itself
// out of the count first, so the clean-up does not wait for it.
std::atomic<int> g_steps{0};
thread_local int t_steps = 0;
// DiscSteps under way: waited for without a bound, as each is only system
// calls that end on their own.
std::atomic<int> g_disc_steps{0};
thread_local int t_disc_steps = 0;
std::atomic<int> g_signal_point{0};
pthread_t g_signal_to;
std::mutex g_mutex;
bool g_installed = false;

// True when both names are one file (a hard link of it beside it).
bool SameInode(const char* a, const char* b) {
  struct stat x {}, y {};
  return ::lstat(a, &x) == 0 && ::lstat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// An old output back under its name. A second name of a file that is still
// under its name (a rename of a file over itself does nothing) only goes.
void PutBack(const Entry& e) {
  ::rename(e.path.c_str(), e.restore_to.c_str());
  if (SameInode(e.path.c_str(), e.restore_to.c_str())) ::unlink(e.path.c_str());
}

// The files and empty folders in `path`, then the folder itself: with system
// calls only, as this runs in a signal handler. Entries removed while the
// folder is read may hide others from that read, hence a few passes.
void RemoveFolder(const char* path) {
  for (int pass = 0; pass < 4; ++pass) {
    if (::rmdir(path) == 0 || (errno != ENOTEMPTY && errno != EEXIST)) return;
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    alignas(8) char buf[4096];
    ssize_t n;
    while ((n = ::getdents64(fd, buf, sizeof buf)) > 0)
      for (ssize_t at = 0; at < n;) {
        const auto* d = reinterpret_cast<const struct dirent64*>(buf + at);
        at += d->d_reclen;
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        if (::unlinkat(fd, d->d_name, 0) != 0 && errno == EISDIR) ::unlinkat(fd, d->d_name, AT_REMOVEDIR);
      }
    ::close(fd);
  }
}

void Act(const Entry& e) {
  switch (e.what.load()) {
    case Leftover::Nothing: break;
    case Leftover::Remove: ::unlink(e.path.c_str()); break;
    case Leftover::PutBack: PutBack(e); break;
    case Leftover::RemoveFolder: RemoveFolder(e.path.c_str()); break;
  }
}

// The clean-up: the batches first, so they stop writing beside the outputs
// (and remove what they wrote there themselves); then the temporaries; then
// the old outputs, over whatever a run left under their names; then the
// folders, emptied of what is left in them. Nothing is freed or changed in
// the registry: this runs in a signal handler, and the process ends after.
void CleanUp() {
  // Steps under way on other threads end first (their signals are held):
  // a batch being started is then registered, a file being made or renamed
  // is where the registry says. A RegistryStep is waited for a second at
  // most, since one may need what the interrupted thread holds (a lock, the
  // allocator); a DiscStep needs nothing and is waited for to its end.
  for (int waited = 0; g_disc_steps.load() > 0 || (g_steps.load() > 0 && waited < 1000); ++waited) {
    const struct timespec ms {0, 1000 * 1000};
    ::nanosleep(&ms, nullptr);
  }
  for (auto& g : g_groups)
    if (pid_t p = g.load(); p > 0) ::kill(-p, SIGTERM);
  for (Leftover k : {Leftover::Remove, Leftover::PutBack, Leftover::RemoveFolder})
    for (auto& s : g_slots)
      if (const Entry* e = s.load(); e && e->what.load() == k) Act(*e);
}

void OnSignal(int sig) {
  // The handler stays installed: a second signal, on whichever thread, comes
  // here and waits while the first one's clean-up runs to its end.
  if (g_cleaning.exchange(true)) {
    for (;;) ::pause();
  }
  CleanUp();
  // Ended by the same signal, as it would have ended the process: its
  // default action back, and the signal let through on this thread.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(sig);
  ::_exit(128 + sig);
}

void InstallHandlers() {
  if (g_installed) return;
  g_installed = true;
  for (int sig : kCleanUpSignals) {
    if (!SignalIsDefault(sig)) continue;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int other : kCleanUpSignals) sigaddset(&sa.sa_mask, other);
    ::sigaction(sig, &sa, nullptr);
  }
}

sigset_t CleanUpSet() {
  sigset_t all;
  sigemptyset(&all);
  for (int sig : kCleanUpSignals) sigaddset(&all, sig);
  return all;
}

// A thread that finds the clean-up started goes no further: the process ends
// as soon as the clean-up is done, and until then nothing of this thread's
// may change a file or free an entry the clean-up reads.
[[noreturn]] void StopHere() {
  g_steps.fetch_sub(t_steps);
  t_steps = 0;
  g_disc_steps.fetch_sub(t_disc_steps);
  t_disc_steps = 0;
  const sigset_t all = CleanUpSet();
  ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
  for (;;) ::pause();
}

// The test seam of SetSignalPointForTests, at the start of each call in.
void SignalPoint() {
  if (g_signal_point.load() <= 0 || g_signal_point.fetch_sub(1) != 1) return;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    InstallHandlers();  // for a point before the first registration
  }
  const sigset_t all = CleanUpSet();
  ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
  ::pthread_kill(g_signal_to, SIGTERM);
  for (;;) ::pause();
}

// The DiscStep's hold: signals off this thread, counted before looking, so
// that a clean-up either is seen here or sees the step and waits for it.
class DiscHold {
 public:
  DiscHold() {
    const sigset_t all = CleanUpSet();
    ::pthread_sigmask(SIG_BLOCK, &all, &old_);
    ++t_disc_steps;
    g_disc_steps.fetch_add(1);
    if (g_cleaning.load()) StopHere();
  }
  ~DiscHold() {
    g_disc_steps.fetch_sub(1);
    --t_disc_steps;
    ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  DiscHold(const DiscHold&) = delete;
  DiscHold& operator=(const DiscHold&) = delete;

 private:
  sigset_t old_;
};

// Six characters of [A-Za-z0-9] for a new name: from the kernel's random
// source, else from a count, the process and the clock.
void FillEnding(std::string& a, std::string& b) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> count{0};
  uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = ((count.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ULL) ^ (static_cast<uint64_t>(::getpid()) << 32) ^
           static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 20);
  }
  for (size_t i = 0; i < 6; ++i, bits /= 62) a[a.size() - 6 + i] = b[b.size() - 6 + i] = kChars[bits % 62];
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(path, ec);
  return ec ? path : p.string();
}

// With g_mutex held: the slot holding `path`, or null.
std::atomic<Entry*>* SlotOf(const std::string& path) {
  for (auto& s : g_slots)
    if (Entry* e = s.load(); e && e->path == path) return &s;
  return nullptr;
}

bool Publish(Entry* entry) {
  SignalPoint();
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallHandlers();
  Entry* replaced = nullptr;
  bool placed = false;
  if (entry->what.load() == Leftover::PutBack)
    if (auto* s = SlotOf(entry->path)) {
      replaced = s->exchange(entry);
      placed = true;
    }
  for (int i = 0; !placed && i < kSlots; ++i) {
    Entry* none = nullptr;
    placed = g_slots[i].compare_exchange_strong(none, entry);
  }
  if (g_cleaning.load()) {
    // The clean-up may have passed that slot already: what it would have
    // done with the entry is done here.
    Act(*entry);
    StopHere();
  }
  delete replaced;
  if (!placed) delete entry;
  return placed;
}

}  // namespace

bool Register(const std::string& path, Leftover what, const std::string& original) {
  if (path.empty() || (what == Leftover::PutBack && original.empty())) return false;
  return Publish(new Entry{Absolute(path), original.empty() ? std::string() : Absolute(original), what});
}

bool RegisterTemporary(const std::string& path) { return Register(path, Leftover::Remove); }

bool RegisterSetAside(const std::string& kept, const std::string& original) {
  return !original.empty() && Register(kept, Leftover::PutBack, original);
}

bool RegisterTempFolder(const std::string& path) { return Register(path, Leftover::RemoveFolder); }

bool DiscStep(const std::vector<LeftoverChange>& changes, const std::function<bool()>& call) {
  SignalPoint();
  // The entries are found first: the step itself takes no lock.
  std::vector<Entry*> entries;
  entries.reserve(changes.size());
  std::vector<std::string> paths;
  for (const auto& c : changes) paths.push_back(Absolute(c.path));
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& p : paths) {
      auto* s = SlotOf(p);
      entries.push_back(s ? s->load() : nullptr);
    }
  }
  const DiscHold hold;
  const bool done = call();
  const int error = errno;
  if (done)
    for (size_t i = 0; i < changes.size(); ++i)
      if (entries[i]) entries[i]->what.store(changes[i].now);
  errno = error;
  return done;
}

std::string MakeRegistered(const std::string& pattern, Leftover then, const std::function<bool(const char*)>& make,
                           const std::string& original) {
  const std::string ending = "XXXXXX";
  if (pattern.size() < ending.size() || pattern.compare(pattern.size() - ending.size(), ending.size(), ending) != 0) {
    errno = EINVAL;
    return {};
  }
  std::string name = pattern, abs = Absolute(pattern);
  for (int tries = 0; tries < 1000; ++tries) {
    FillEnding(name, abs);
    // Registered under the absolute name, which `make` is given too: a
    // change of the working folder meanwhile changes neither.
    if (!Register(abs, Leftover::Nothing, original)) {
      errno = ENOBUFS;
      return {};
    }
    if (DiscStep({{abs, then}}, [&] { return make(abs.c_str()); })) return name;
    const int error = errno;
    ForgetTemporary(abs);
    errno = error;
    if (error != EEXIST) return {};
  }
  return {};
}

void ForgetTemporary(const std::string& path) {
  if (path.empty()) return;
  SignalPoint();
  const std::string abs = Absolute(path);
  std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<Entry*> gone;
  while (auto* s = SlotOf(abs)) gone.push_back(s->exchange(nullptr));
  if (g_cleaning.load()) StopHere();  // the clean-up may be reading them
  for (Entry* e : gone) delete e;
}

void RegisterChildGroup(pid_t group) {
  if (group <= 0) return;
  SignalPoint();
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallHandlers();
  bool there = false;
  for (auto& g : g_groups) there = there || g.load() == group;
  for (auto& g : g_groups) {
    pid_t none = 0;
    if (there || g.compare_exchange_strong(none, group)) break;
  }
  if (g_cleaning.load()) {
    ::kill(-group, SIGTERM);
    StopHere();
  }
}

void ForgetChildGroup(pid_t group) {
  if (group <= 0) return;
  for (auto& g : g_groups) {
    pid_t same = group;
    g.compare_exchange_strong(same, 0);
  }
}

RegistryStep::RegistryStep() {
  SignalPoint();
  const sigset_t s = CleanUpSet();
  ::pthread_sigmask(SIG_BLOCK, &s, &old_);
  ++t_steps;
  g_steps.fetch_add(1);
  // Counted before looking: a clean-up that starts after this look waits
  // for the step, one that started before it is seen here.
  if (g_cleaning.load()) StopHere();
}

RegistryStep::~RegistryStep() {
  g_steps.fetch_sub(1);
  --t_steps;
  ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

void SetSignalPointForTests(int k, pthread_t to) {
  g_signal_to = to;
  g_signal_point = k;
}

}  // namespace keld
