#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "common/bytes.hpp"
#include "sutools/args.hpp"
#include "sutools/spool_file.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/su_output.hpp"
#include "sutools/su_stream.hpp"
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
    "The output's tracl and tracr number its traces 1, 2, 3, ...\n"
    "Example: susort <line.su cdp offset >cdp_sorted.su\n"
    "\n"
    "The input is a file or a pipe; a pipe is first copied to a temporary file\n"
    "in $TMPDIR (else /tmp), which goes when susort ends.\n";

// Output goes out in blocks of about this size.
constexpr size_t kOutBlock = 1 << 20;

// The traces read back in sorted order into blocks of output, each numbered
// in its header as it goes (tracl, then tracr). Traces that lie one after
// another in the input are read as one.
class SortedBlocks {
 public:
  // `bytes`: the traces' length in all, which a short stream's one block
  // need not pass. The block is not cleared: reads fill it.
  SortedBlocks(int source, SuOutput& out, uint64_t bytes)
      : source_(source), out_(out), block_(new uint8_t[std::min<uint64_t>(bytes, kOutBlock + kMaxTraceBytes)]) {}
  bool add(const TraceSpan& s) {
    if (run_bytes_ == 0 || s.start != run_start_ + run_bytes_) {
      if (!readRun()) return false;
      run_start_ = s.start;
      run_at_ = fill_;
    }
    run_bytes_ += s.bytes;
    heads_.push_back(fill_);
    fill_ += s.bytes;
    return fill_ < kOutBlock || flush();
  }
  // Writes out what the block holds; false when reading or writing failed,
  // or when a trace read back is not the one whose keys were taken.
  bool flush() {
    if (!readRun()) return false;
    for (size_t i = 0; i < heads_.size(); ++i) {
      const size_t at = heads_[i], end = i + 1 < heads_.size() ? heads_[i + 1] : fill_;
      if (240 + 4 * static_cast<size_t>(get_i16le(block_.get() + at + 114)) != end - at) return false;
    }
    for (size_t at : heads_) {
      ++number_;
      put_i32le(block_.get() + at, static_cast<int32_t>(number_));
      put_i32le(block_.get() + at + 4, static_cast<int32_t>(number_));
    }
    written_ = out_.write(block_.get(), fill_);
    heads_.clear();
    fill_ = 0;
    return written_;
  }
  bool written() const { return written_; }

 private:
  bool readRun() {
    const bool ok = run_bytes_ == 0 || ReadFullyAt(source_, run_start_, block_.get() + run_at_, run_bytes_);
    run_bytes_ = 0;
    return ok;
  }
  int source_;
  SuOutput& out_;
  std::unique_ptr<uint8_t[]> block_;
  std::vector<size_t> heads_;  // where the traces in the block begin
  size_t fill_ = 0, run_at_ = 0, run_bytes_ = 0;
  uint64_t run_start_ = 0;
  uint32_t number_ = 0;
  bool written_ = true;
};

struct Gathered {
  int source = -1;     // the file the traces are read back from
  uint64_t bytes = 0;  // the traces' length in all
  std::string why;     // empty when every trace was taken
};

// The keys of the input's traces, read through once as a stream (a file
// mapped instead costs a page fault or a TLB miss for every header). A
// regular file is read back from itself; anything else is copied to the
// spool file as it is read, each trace straight into the spool's buffer.
Gathered Gather(std::FILE* in, SpoolFile& spool, TraceOrder& order) {
  struct stat st;
  const int fd = fileno(in);
  const off_t base = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ftello(in) : -1;
  const bool spooled = base < 0;
  Gathered g;
  if (spooled && !spool.open(g.why)) return g;
  g.source = spooled ? spool.fd() : fd;
  std::unique_ptr<uint8_t[]> trace(spooled ? nullptr : new uint8_t[kMaxTraceBytes]);
  SuStreamReader reader(in, /*need_dt=*/false);
  uint64_t start = spooled ? 0 : static_cast<uint64_t>(base);
  int ns = 0, dt = 0;
  for (;;) {
    uint8_t* room = spooled ? spool.reserve(kMaxTraceBytes) : trace.get();
    if (!room) return {-1, 0, spool.error()};
    if (!reader.readRaw(room, ns, dt)) break;
    const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
    if (spooled) spool.advance(bytes);
    if (!order.add(room, start, ns)) return {-1, 0, order.error()};
    start += bytes;
    g.bytes += bytes;
  }
  if (!reader.error().empty()) return {-1, 0, reader.error()};
  if (spooled && !spool.flush()) return {-1, 0, spool.error()};
  return g;
}

}  // namespace

int SusortMainMemory(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                     size_t memory) {
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
  TraceOrder order(keys, memory);
  SpoolFile spool;
  Gathered g = Gather(in, spool, order);
  if (g.why.empty() && order.count() == 0) g.why = "no trace on standard input";
  if (!g.why.empty()) {
    std::fprintf(err, "susort: %s\n", g.why.c_str());
    return 1;
  }
  SuOutput output(out);
  SortedBlocks blocks(g.source, output, g.bytes);
  if (!order.forEach([&](const TraceSpan& s) { return blocks.add(s); }) || !blocks.flush()) {
    if (!blocks.written()) {
      std::fprintf(err, "susort: %s\n", output.error().c_str());
      return 1;
    }
    // A scratch file of keys that cannot be read back, or an input file cut
    // short by someone else since its keys were taken.
    const std::string why =
        !order.error().empty() ? order.error() : "the input changed while it was sorted: it cannot be read again";
    std::fprintf(err, "susort: %s\n", why.c_str());
    return 1;
  }
  if (!output.flush()) {
    std::fprintf(err, "susort: %s\n", output.error().c_str());
    return 1;
  }
  return 0;
}

int SusortMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return SusortMainMemory(argc, argv, in, out, err, kDefaultSortMemory);
}

}  // namespace keld::sutools
