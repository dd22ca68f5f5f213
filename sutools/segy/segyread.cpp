#include "sutools/segy/segyread.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <sys/stat.h>

#include "common/files.hpp"
#include "sutools/su_output.hpp"

namespace keld::segy {

namespace {

constexpr int kMaxWeightExponent = 60;

void Say(std::FILE* err, const std::string& s) { std::fprintf(err, "segyread: %s\n", s.c_str()); }

bool ReadFully(std::FILE* f, int64_t offset, uint8_t* dst, size_t n) {
  if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(dst, 1, n, f) == n;
}

void SaveHeaders(const SegyLayout& L, std::FILE* tape, const SegyreadParams& p, std::FILE* err) {
  std::vector<uint8_t> reel(kReelBytes);
  if (!ReadFully(tape, 0, reel.data(), reel.size())) return;
  if (!p.hfile.empty()) {
    auto s = WriteFileAtomic(p.hfile, std::vector<uint8_t>(reel.begin(), reel.begin() + kTextBytes));
    if (!s) Say(err, "warning: the text header was not saved: " + s.error);
  }
  if (!p.bfile.empty()) {
    std::vector<uint8_t> bin(reel.begin() + kTextBytes, reel.end());
    if (L.order == ByteOrder::Little) SwapBinaryHeader(bin.data());
    auto s = WriteFileAtomic(p.bfile, bin);
    if (!s) Say(err, "warning: the binary header was not saved: " + s.error);
  }
}

// The whole file mapped for reading when it is a regular file of the
// expected size; data stays null otherwise (a memory stream, a pipe).
struct Mapping {
  Mapping(std::FILE* f, int64_t size) {
    struct stat st {};
    const int fd = fileno(f);
    if (fd < 0 || size <= 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size) return;
    void* m = mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (m == MAP_FAILED) return;
    madvise(m, static_cast<size_t>(size), MADV_SEQUENTIAL);
    data = static_cast<const uint8_t*>(m);
    bytes = static_cast<size_t>(size);
  }
  ~Mapping() {
    if (data) munmap(const_cast<uint8_t*>(data), bytes);
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  const uint8_t* data = nullptr;
  size_t bytes = 0;
};

}  // namespace

int RunSegyread(std::FILE* tape, int64_t size, const SegyreadParams& p, std::FILE* out, std::FILE* err) {
  auto read_at = [tape, size](int64_t offset, int64_t length) {
    std::vector<uint8_t> b;
    if (offset < 0 || offset >= size) return b;
    b.resize(static_cast<size_t>(std::min(length, size - offset)));
    if (!ReadFully(tape, offset, b.data(), b.size())) b.clear();
    return b;
  };
  auto layout = ReadSegyLayout(read_at, size, p.layout);
  if (!layout) {
    Say(err, layout.error());
    return 1;
  }
  const SegyLayout& L = *layout;
  for (const auto& w : L.warnings) Say(err, "warning: " + w);
  if (p.trmin > L.traces) {
    Say(err, "trmin=" + std::to_string(p.trmin) + " is past the last of the file's " + std::to_string(L.traces) +
                 " traces");
    return 1;
  }
  if (p.trmax < p.trmin) {
    Say(err, "trmax=" + std::to_string(p.trmax) + " is before trmin=" + std::to_string(p.trmin));
    return 1;
  }
  SaveHeaders(L, tape, p, err);

  const int64_t first = p.trmin - 1;
  const int64_t last = std::min(p.trmax, L.traces);  // 1-based, inclusive
  const size_t ns = static_cast<size_t>(L.ns);
  const size_t in_bytes = static_cast<size_t>(L.trace_bytes), out_bytes = kTraceHeaderBytes + 4 * ns;
  // Many traces per read and write: few system calls, no copy through the
  // stdio buffers (requests this large go straight to the file). About a
  // widened pipe's worth: larger writes move the stream no faster, and each
  // page of a larger buffer is a fault the first time it is filled.
  // No more of them than are asked for: a short file does not pay for the
  // buffers of a long one.
  const int64_t chunk = std::clamp<int64_t>((int64_t{1} << 20) / L.trace_bytes, 1, last - first);
  std::vector<uint8_t> in, su(static_cast<size_t>(chunk) * out_bytes);
  const bool integer = L.format->integer && !L.format_overridden;
  int64_t ns_disagree = 0, weight_ignored = 0;
  int first_other_ns = 0;

  auto convert = [&](const uint8_t* tr, uint8_t* o) {
    TraceHeaderToSu(tr, L.order, o);
    const int own_ns = GetU16(tr + kTrNs, L.order);
    if (own_ns != L.ns) {
      // A trace header without its count (0) is common and says nothing.
      if (own_ns != 0 && ns_disagree++ == 0) first_other_ns = own_ns;
      PutI16(o + kTrNs, L.ns, ByteOrder::Little);
    }
    if (GetU16(tr + kTrDt, L.order) == 0) PutI16(o + kTrDt, L.dt, ByteOrder::Little);
    double scale = 1;
    if (integer && p.trcwt) {
      const int trwf = GetI16(tr + kTrTrwf, L.order);
      if (std::abs(trwf) <= kMaxWeightExponent)
        scale = std::ldexp(1.0, -trwf);
      else
        ++weight_ignored;
    }
    float* samples = reinterpret_cast<float*>(o + kTraceHeaderBytes);
    DecodeSamples(tr + L.header_bytes, ns, *L.format, L.order, !p.conv, scale, samples);
    if constexpr (std::endian::native != std::endian::little) {
      for (size_t j = 0; j < ns; ++j) {
        uint32_t w;
        std::memcpy(&w, samples + j, 4);
        w = __builtin_bswap32(w);
        std::memcpy(samples + j, &w, 4);
      }
    }
  };

  // The traces come straight from the file's pages where it can be mapped,
  // else through reads of many traces at a time.
  const Mapping mapped(tape, size);
  if (!mapped.data) in.resize(static_cast<size_t>(chunk) * in_bytes);
  if (!mapped.data && fseeko(tape, static_cast<off_t>(L.data_offset + first * L.trace_bytes), SEEK_SET) != 0) {
    Say(err, "cannot seek to trace " + std::to_string(p.trmin));
    return 1;
  }
  sutools::SuOutput output(out);
  for (int64_t t0 = first; t0 < last; t0 += chunk) {
    const int64_t n = std::min(chunk, last - t0);
    const uint8_t* src = mapped.data ? mapped.data + L.data_offset + t0 * L.trace_bytes : in.data();
    if (!mapped.data && std::fread(in.data(), in_bytes, static_cast<size_t>(n), tape) != static_cast<size_t>(n)) {
      Say(err, "cannot read traces " + std::to_string(t0 + 1) + " to " + std::to_string(t0 + n) + " of the file");
      return 1;
    }
    for (int64_t k = 0; k < n; ++k)
      convert(src + static_cast<size_t>(k) * in_bytes, su.data() + static_cast<size_t>(k) * out_bytes);
    if (!output.write(su.data(), out_bytes * static_cast<size_t>(n))) {
      Say(err, output.error());
      return 1;
    }
  }
  if (ns_disagree > 0)
    Say(err, "warning: " + std::to_string(ns_disagree) + " trace headers say ns=" + std::to_string(first_other_ns) +
                 " (or another value other than 0) against ns=" + std::to_string(L.ns) + " used for every trace");
  if (weight_ignored > 0)
    Say(err, "warning: " + std::to_string(weight_ignored) + " traces have an absurd weighting factor, left unapplied");
  if (!output.flush()) {
    Say(err, output.error());
    return 1;
  }
  return 0;
}

}  // namespace keld::segy
