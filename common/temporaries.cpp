#include "common/temporaries.hpp"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>

#include <unistd.h>

namespace keld {

namespace {

constexpr int kSlots = 512;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Fixed slots, not a container: the signal handler may only read plain memory.
struct Slot {
  volatile sig_atomic_t used = 0;
  char path[PATH_MAX];
  char restore_to[PATH_MAX];  // empty for a temporary
};
Slot g_slots[kSlots];
std::mutex g_mutex;
bool g_installed = false;

void OnSignal(int sig) {
  RemoveTemporariesNow();
  // The handler was installed for one delivery: the signal's default action
  // is back, and raising it again ends the process as it would have ended.
  ::raise(sig);
}

void InstallHandlers() {
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

}  // namespace

namespace {
void Register(const std::string& path, const std::string& restore_to) {
  const std::string abs = Absolute(path), to = restore_to.empty() ? "" : Absolute(restore_to);
  if (abs.empty() || abs.size() >= PATH_MAX || to.size() >= PATH_MAX) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_installed) {
    InstallHandlers();
    g_installed = true;
  }
  for (Slot& s : g_slots)
    if (!s.used) {
      std::memcpy(s.path, abs.c_str(), abs.size() + 1);
      std::memcpy(s.restore_to, to.c_str(), to.size() + 1);
      std::atomic_signal_fence(std::memory_order_release);
      s.used = 1;
      return;
    }
}
}  // namespace

void RegisterTemporary(const std::string& path) { Register(path, ""); }

void RegisterSetAside(const std::string& kept, const std::string& original) {
  if (original.empty()) return;
  ForgetTemporary(kept);  // made as a temporary beside the output: no longer one
  Register(kept, original);
}

void ForgetTemporary(const std::string& path) {
  if (path.empty()) return;
  const std::string abs = Absolute(path);
  std::lock_guard<std::mutex> lock(g_mutex);
  for (Slot& s : g_slots)
    if (s.used && abs == s.path) s.used = 0;
}

void RemoveTemporariesNow() {
  for (Slot& s : g_slots)
    if (s.used && !s.restore_to[0]) {
      ::unlink(s.path);
      s.used = 0;
    }
  // Then the old outputs, over whatever a run left under their names.
  for (Slot& s : g_slots)
    if (s.used) {
      ::rename(s.path, s.restore_to);
      s.used = 0;
    }
}

}  // namespace keld
