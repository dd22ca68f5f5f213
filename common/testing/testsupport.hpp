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

// Quotes a path for /bin/sh.
std::string ShellQuote(const std::string& s);

}  // namespace keld::testing
