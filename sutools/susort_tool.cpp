#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>


#include "sutools/args.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_sort.hpp"
#include "sutools/whole_input.hpp"

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

// Hands the sorted traces to standard output straight from the mapped input,
// many at a time, without copying them through a buffer of ours. A pipe
// takes them by reference (vmsplice: the pipe refers to the pages and the
// reader copies out of them; the mapping is read-only, so the pages stay as
// they are until read); anything else by a gathering write.
bool WriteSpans(std::FILE* out, const uint8_t* data, const std::vector<TraceSpan>& spans) {
  const int fd = fileno(out);
  if (fd < 0 || std::fflush(out) != 0) return false;
  struct stat s;
  bool splice = fstat(fd, &s) == 0 && S_ISFIFO(s.st_mode);
  std::vector<iovec> iov;
  size_t next = 0;
  while (next < spans.size() || !iov.empty()) {
    while (iov.size() < 512 && next < spans.size()) {
      const TraceSpan& t = spans[next++];
      iov.push_back({const_cast<uint8_t*>(data + t.start), t.bytes});
    }
    const int count = static_cast<int>(iov.size());
    const ssize_t n = splice ? vmsplice(fd, iov.data(), iov.size(), 0) : writev(fd, iov.data(), count);
    if (n < 0) {
      if (errno == EINTR) continue;
      // A pipe that takes no pages by reference still takes a write.
      if (splice && (errno == EINVAL || errno == ENOSYS)) {
        splice = false;
        continue;
      }
      return false;
    }
    // Drops what went through, keeping the rest of a partly taken span.
    size_t done = static_cast<size_t>(n), k = 0;
    while (k < iov.size() && done >= iov[k].iov_len) done -= iov[k++].iov_len;
    if (k < iov.size()) {
      iov[k].iov_base = static_cast<uint8_t*>(iov[k].iov_base) + done;
      iov[k].iov_len -= done;
    }
    iov.erase(iov.begin(), iov.begin() + static_cast<std::ptrdiff_t>(k));
  }
  return true;
}

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
  if (!WriteSpans(out, input.data(), order.value()) || std::fflush(out) != 0) {
    std::fprintf(err, "susort: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

}  // namespace keld::sutools
