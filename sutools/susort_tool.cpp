#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sutools/args.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_sort.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUSORT - sort SU traces by header keys\n"
    "\n"
    "  susort <stdin >stdout [[+-]key1 [+-]key2 ...]\n"
    "\n"
    "Each key is a trace header word (cdp, offset, fldr, tracf, ...); a key\n"
    "with '-' sorts descending, '+' or nothing ascending. Keys compare as the\n"
    "numbers their words hold; traces with equal keys keep their order.\n"
    "Example: susort <line.su cdp offset >cdp_sorted.su\n"
    "\n"
    "The input is a file or a pipe; a pipe is first copied to a temporary file.\n";

// The whole input in memory: the file itself mapped when standard input is
// one, else a temporary copy of the pipe.
class WholeInput {
 public:
  ~WholeInput() {
    if (map_ && map_ != MAP_FAILED) munmap(map_, size_);
    if (spool_) std::fclose(spool_);
  }
  bool load(std::FILE* in, std::string& why) {
    int fd = fileno(in);
    struct stat s;
    if (fd < 0 || fstat(fd, &s) != 0 || !S_ISREG(s.st_mode) || lseek(fd, 0, SEEK_CUR) != 0) {
      spool_ = std::tmpfile();
      if (!spool_) return fail(why, "cannot make a temporary file for the input");
      std::vector<char> buf(1 << 20);
      size_t n;
      while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
        if (std::fwrite(buf.data(), 1, n, spool_) != n) return fail(why, "cannot write the temporary copy of the input");
      if (std::ferror(in)) return fail(why, "read error on standard input");
      if (std::fflush(spool_) != 0) return fail(why, "cannot write the temporary copy of the input");
      fd = fileno(spool_);
      if (fstat(fd, &s) != 0) return fail(why, "cannot read the temporary copy of the input");
    }
    size_ = static_cast<size_t>(s.st_size);
    if (size_ == 0) return true;
    map_ = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map_ == MAP_FAILED) return fail(why, "cannot map the input into memory");
    return true;
  }
  const uint8_t* data() const { return static_cast<const uint8_t*>(map_ == MAP_FAILED ? nullptr : map_); }
  size_t size() const { return size_; }

 private:
  static bool fail(std::string& why, const char* what) {
    why = what;
    return false;
  }
  std::FILE* spool_ = nullptr;
  void* map_ = nullptr;
  size_t size_ = 0;
};

}  // namespace

int SusortMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  std::vector<SortKey> keys;
  for (int i = 1; i < argc; ++i) {
    auto k = ParseSortKey(argv[i]);
    if (!k) {
      std::fprintf(err, "susort: %s\n", k.error().c_str());
      return 1;
    }
    keys.push_back(*k);
  }
  if (keys.empty()) {
    std::fprintf(err, "susort: give at least one key (for example: susort <in.su cdp offset)\n");
    return 1;
  }
  WholeInput input;
  std::string why;
  if (!input.load(in, why)) {
    std::fprintf(err, "susort: %s\n", why.c_str());
    return 1;
  }
  auto order = SortTraces(input.data(), input.size(), keys);
  if (!order) {
    std::fprintf(err, "susort: %s\n", order.error().c_str());
    return 1;
  }
  for (const TraceSpan& t : order.value())
    if (std::fwrite(input.data() + t.start, 1, t.bytes, out) != t.bytes) {
      std::fprintf(err, "susort: cannot write to standard output\n");
      return 1;
    }
  if (std::fflush(out) != 0) {
    std::fprintf(err, "susort: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

}  // namespace keld::sutools
