#include "platform/temporaries.hpp"

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>

#include <unistd.h>

namespace keld {

namespace {

constexpr int kSlots = 4096;
constexpr int kGroups = 64;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// An entry is made whole before it is published in a slot, and a slot only
// ever changes from one whole entry to another, so the signal handler, which
// may only read memory, never sees half of one.
struct Entry {
  std::string path;
  std::string restore_to;  // empty for a temporary
};
std::atomic<Entry*> g_slots[kSlots];
std::atomic<pid_t> g_groups[kGroups];
std::mutex g_mutex;
bool g_installed = false;

void OnSignal(int sig) {
  RemoveTemporariesNow();
  // The handler was installed for one delivery: the signal's default action
  // is back, and raising it again ends the process as it would have ended.
  ::raise(sig);
}

void InstallHandlers() {
  if (g_installed) return;
  g_installed = true;
  for (int sig : kSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int other : kSignals) sigaddset(&sa.sa_mask, other);
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(sig, &sa, nullptr);
  }
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
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallHandlers();
  if (!entry->restore_to.empty())
    if (auto* s = SlotOf(entry->path)) {
      delete s->exchange(entry);
      return true;
    }
  for (auto& s : g_slots) {
    Entry* none = nullptr;
    if (s.compare_exchange_strong(none, entry)) return true;
  }
  delete entry;
  return false;
}

}  // namespace

bool RegisterTemporary(const std::string& path) {
  if (path.empty()) return false;
  return Publish(new Entry{Absolute(path), {}});
}

bool RegisterSetAside(const std::string& kept, const std::string& original) {
  if (kept.empty() || original.empty()) return false;
  return Publish(new Entry{Absolute(kept), Absolute(original)});
}

void ForgetTemporary(const std::string& path) {
  if (path.empty()) return;
  const std::string abs = Absolute(path);
  std::lock_guard<std::mutex> lock(g_mutex);
  while (auto* s = SlotOf(abs)) delete s->exchange(nullptr);
}

void RegisterChildGroup(pid_t group) {
  if (group <= 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallHandlers();
  for (auto& g : g_groups) {
    pid_t none = 0;
    if (g.compare_exchange_strong(none, group)) return;
  }
}

void ForgetChildGroup(pid_t group) {
  if (group <= 0) return;
  for (auto& g : g_groups) {
    pid_t same = group;
    g.compare_exchange_strong(same, 0);
  }
}

void RemoveTemporariesNow() {
  // The batches first, so they stop writing beside the outputs (and remove
  // what they wrote there themselves).
  for (auto& g : g_groups)
    if (pid_t p = g.exchange(0); p > 0) ::kill(-p, SIGTERM);
  for (auto& s : g_slots)
    if (Entry* e = s.load(); e && e->restore_to.empty()) {
      ::unlink(e->path.c_str());
      s.store(nullptr);  // not freed: this may run in a signal handler
    }
  // Then the old outputs, over whatever a run left under their names.
  for (auto& s : g_slots)
    if (Entry* e = s.load()) {
      ::rename(e->path.c_str(), e->restore_to.c_str());
      s.store(nullptr);
    }
}

}  // namespace keld
