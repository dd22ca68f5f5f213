// Runs a fuzz harness without libFuzzer: every file named on the command line,
// or found in a folder named there, is handed to the harness whole and cut
// short at a few lengths (half, a third, the first 241 and 3601 bytes, one
// byte less), so the ordinary test run exercises truncated input too. A
// missing folder is skipped with a note: the shared test data may be absent.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Run(const std::vector<uint8_t>& bytes) {
  std::set<std::size_t> cuts = {bytes.size(), bytes.size() / 2, bytes.size() / 3, 241, 3601};
  if (!bytes.empty()) cuts.insert(bytes.size() - 1);
  for (std::size_t n : cuts) {
    if (n > bytes.size()) continue;
    // A copy of exactly n bytes, so a read past the end is caught.
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    LLVMFuzzerTestOneInput(part.data(), part.size());
  }
}

int RunFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", p.c_str());
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Run(bytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0, failures = 0;
  const std::vector<uint8_t> empty;
  LLVMFuzzerTestOneInput(empty.data(), 0);
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p = argv[i];
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(p, ec)) {
        if (!e.is_regular_file()) continue;
        failures += RunFile(e.path());
        ++files;
      }
    } else if (std::filesystem::is_regular_file(p, ec)) {
      failures += RunFile(p);
      ++files;
    } else {
      std::fprintf(stderr, "skipped %s: not there\n", p.c_str());
    }
  }
  std::printf("replayed %d files\n", files);
  return failures == 0 ? 0 : 1;
}
