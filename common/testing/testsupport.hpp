#pragma once
// Helpers for the suite's tests.
#include <optional>
#include <string>
#include <vector>

namespace keld::testing {

// ../shared/testdata/<sub>, or nullopt when the folder is missing (tests then
// skip with a message naming it).
std::optional<std::string> TestData(const std::string& sub = "");
#define KELD_REQUIRE_TESTDATA(var, sub)                                                   \
  auto var##_opt = ::keld::testing::TestData(sub);                                       \
  if (!var##_opt) GTEST_SKIP() << "test data folder " << (sub) << " is missing beside the checkout"; \
  const std::string var = *var##_opt

// Folder of the built programs (the program folder of the suite in the build).
std::string BinDir();
std::string SourceDir();

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string name_;
  std::optional<std::string> old_;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadBytes(const std::string& path);

// Runs a command through /bin/sh; returns its exit status, and its standard
// output (and error, when `merge_stderr`) in `out`.
int RunCommand(const std::string& command, std::string* out = nullptr, bool merge_stderr = true);

// Starts `argv` (argv[0] the program's path) with its standard input the
// read end of a pipe, its output and error to /dev/null, in `dir` when one is
// given and with TMPDIR=`tmpdir` when one is given. Returns the child's pid
// and sets `feed` to the pipe's write end; -1 when the pipe or fork fails.
int StartFedByPipe(const std::vector<std::string>& argv, int* feed, const std::string& dir = "",
                   const std::string& tmpdir = "");

// Quotes a path for /bin/sh.
std::string ShellQuote(const std::string& s);

// Little-endian SU bytes laid out by hand: one trace for each count of
// `ns`, tracl 1, 2, ..., dt 1000 us, samples 1, 2, 3, ...
std::string SuOfLengths(const std::vector<int>& ns);
// Two files in `dir` whose third trace is shorter than the first two:
// "len_cut.su" of 100, 100, 50, 100, 100 samples (four traces and a cut one
// to a reader that looks no further than trace 2), and "len_3200.su" of
// 100, 100, 50, 150, 100 (3,200 bytes: five whole traces of 640 to such a
// reader). Their paths.
std::vector<std::string> WriteLengthChangeFiles(const std::string& dir);
// What every reader says of either, after "<file>: ".
inline constexpr const char* kThirdTraceInFile =
    "not an SU file of fixed trace length (trace 3 has 50 samples, the first trace 100)";
inline constexpr const char* kThirdTraceInStream =
    "not an SU stream of fixed trace length (trace 3 has 50 samples, the first trace 100)";

}  // namespace keld::testing
