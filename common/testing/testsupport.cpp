#include "common/testing/testsupport.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace keld::testing {

namespace {
std::string EnvOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}
}  // namespace

std::optional<std::string> TestData(const std::string& sub) {
  std::string root = EnvOr("KELD_TESTDATA", "");
  if (root.empty()) return std::nullopt;
  std::string p = sub.empty() ? root : root + "/" + sub;
  if (!fs::is_directory(p)) return std::nullopt;
  return p;
}

std::string BinDir() { return EnvOr("KELD_BIN", "."); }
std::string SourceDir() { return EnvOr("KELD_SOURCE", "."); }

TempDir::TempDir() {
  std::string base = (fs::temp_directory_path() / "keld-test-XXXXXX").string();
  std::vector<char> buf(base.begin(), base.end());
  buf.push_back('\0');
  char* d = mkdtemp(buf.data());
  path_ = d ? d : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (path_ != "/tmp") fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* v = std::getenv(name)) old_ = v;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    setenv(name_.c_str(), old_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::string s = ReadText(path);
  return std::vector<unsigned char>(s.begin(), s.end());
}

int RunCommand(const std::string& command, std::string* out, bool merge_stderr) {
  std::string cmd = command + (merge_stderr ? " 2>&1" : "");
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  size_t n;
  std::string text;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int st = pclose(p);
  if (out) *out = text;
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

int StartFedByPipe(const std::vector<std::string>& argv, int* feed, const std::string& dir, const std::string& tmpdir) {
  int in[2];
  if (argv.empty() || ::pipe(in) != 0) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::close(in[0]);
    ::close(in[1]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(127);
    if (!tmpdir.empty()) ::setenv("TMPDIR", tmpdir.c_str(), 1);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(in[0]);
  if (pid < 0) {
    ::close(in[1]);
    return -1;
  }
  *feed = in[1];
  return pid;
}

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string SuOfLengths(const std::vector<int>& ns) {
  std::string out;
  auto put16 = [](std::string& h, size_t at, int v) {
    h[at] = static_cast<char>(v & 0xFF);
    h[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  for (size_t t = 0; t < ns.size(); ++t) {
    std::string h(240, '\0');
    put16(h, 0, static_cast<int>(t + 1));  // tracl
    put16(h, 114, ns[t]);
    put16(h, 116, 1000);
    out += h;
    for (int k = 1; k <= ns[t]; ++k) {
      const float v = static_cast<float>(k);
      char b[4];
      std::memcpy(b, &v, 4);
      out.append(b, 4);
    }
  }
  return out;
}

std::vector<std::string> WriteLengthChangeFiles(const std::string& dir) {
  const std::string cut = dir + "/len_cut.su", whole = dir + "/len_3200.su";
  WriteText(cut, SuOfLengths({100, 100, 50, 100, 100}));
  WriteText(whole, SuOfLengths({100, 100, 50, 150, 100}));
  return {cut, whole};
}

}  // namespace keld::testing
