// sufilter on one korvan shot (48 traces of 10,922 samples at 125 us), the
// whole program from its start, beside a plain copy of the same file: korvan
// filters one shot at a time, so the program's fixed start-up cost is paid on
// every shot. The goal is a whole run under 7 ms.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/su_file.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Shot {
  std::string dir, input, bin;
  Shot() {
    std::string tmpl = (fs::temp_directory_path() / "keld-bench-shot-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : "";
    input = dir + "/shot.su";
    keld::SuWriter w(input);
    keld::SuTraceHeader h;
    h.ns = 10922;
    h.dt = 125;
    std::vector<float> x(10922);
    for (int t = 0; t < 48; ++t) {
      h.tracf = t + 1;
      for (int k = 0; k < 10922; ++k)
        x[static_cast<size_t>(k)] = static_cast<float>(1e5 * std::sin(0.01 * k * (t + 1)) * std::exp(-2e-4 * k));
      w.write(h, x.data(), 10922);
    }
    w.commit();
    std::error_code ec;
    bin = (fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "bin").string();
    if (const char* b = std::getenv("KELD_BIN")) bin = b;
  }
  ~Shot() {
    std::error_code ec;
    if (!dir.empty()) fs::remove_all(dir, ec);
  }
};

Shot& TheShot() {
  static Shot s;
  return s;
}

// Runs argv with the shot on standard input and standard output to /dev/null,
// without a shell in between; true when it ends with status 0.
bool Run(const std::vector<std::string>& args) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, TheShot().input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Program(benchmark::State& st, const std::vector<std::string>& args) {
  if (TheShot().dir.empty() || access(args[0].c_str(), X_OK) != 0) {
    st.SkipWithError((args[0] + " is not there").c_str());
    return;
  }
  for (auto _ : st)
    if (!Run(args)) st.SkipWithError(("failed: " + args[0]).c_str());
}

void SufilterOneShot(benchmark::State& st) { Program(st, {TheShot().bin + "/sufilter", "f=10,20,200,400"}); }
void PlainCopyOneShot(benchmark::State& st) { Program(st, {"/bin/cat"}); }

}  // namespace

BENCHMARK(SufilterOneShot)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(PlainCopyOneShot)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

BENCHMARK_MAIN();
