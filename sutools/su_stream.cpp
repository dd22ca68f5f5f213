#include "sutools/su_stream.hpp"

#include <bit>
#include <cstring>

#include "common/bytes.hpp"

namespace keld::sutools {

bool SuStreamReader::next(StreamTrace& t) {
  if (!error_.empty()) return false;
  const long long number = count_ + 1;
  size_t got = std::fread(t.header, 1, 240, in_);
  if (got == 0) {
    if (std::ferror(in_)) error_ = "read error on standard input at trace " + std::to_string(number);
    return false;
  }
  if (got < 240) {
    error_ = "trace " + std::to_string(number) + ": truncated header (" + std::to_string(got) +
             " of 240 bytes)";
    return false;
  }
  t.ns = get_i16le(t.header + 114);
  t.dt_us = get_i16le(t.header + 116);
  if (t.ns <= 0) {
    error_ = "trace " + std::to_string(number) + ": ns=" + std::to_string(t.ns) +
             " in the header (samples per trace must be positive; not an SU stream?)";
    return false;
  }
  if (need_dt_ && t.dt_us <= 0) {
    error_ = "trace " + std::to_string(number) + ": dt=" + std::to_string(t.dt_us) +
             " in the header (the sample interval must be positive)";
    return false;
  }
  const size_t bytes = 4 * static_cast<size_t>(t.ns);
  t.samples.resize(static_cast<size_t>(t.ns));
  if constexpr (std::endian::native == std::endian::little) {
    got = std::fread(t.samples.data(), 1, bytes, in_);
  } else {
    buf_.resize(bytes);
    got = std::fread(buf_.data(), 1, bytes, in_);
    for (int k = 0; k < t.ns; ++k) t.samples[static_cast<size_t>(k)] = get_f32le(buf_.data() + 4 * k);
  }
  if (got < bytes) {
    error_ = "trace " + std::to_string(number) + ": truncated (" + std::to_string(got) + " of " +
             std::to_string(bytes) + " sample bytes)";
    return false;
  }
  ++count_;
  return true;
}

bool WriteStreamTrace(std::FILE* out, const StreamTrace& t) {
  if (std::fwrite(t.header, 1, 240, out) != 240) return false;
  const size_t n = t.samples.size();
  if constexpr (std::endian::native == std::endian::little) {
    return std::fwrite(t.samples.data(), 4, n, out) == n;
  } else {
    std::vector<uint8_t> b(4 * n);
    for (size_t k = 0; k < n; ++k) put_f32le(b.data() + 4 * k, t.samples[k]);
    return std::fwrite(b.data(), 1, b.size(), out) == b.size();
  }
}

}  // namespace keld::sutools

#include "sutools/tools.hpp"

namespace keld::sutools {

int WriteSuTraces(const char* prog, const std::vector<SuTrace>& traces, std::FILE* out, std::FILE* err) {
  std::vector<uint8_t> buf;
  for (const SuTrace& t : traces) {
    buf.clear();
    EncodeSuTrace(t.header, t.samples.data(), static_cast<int>(t.samples.size()), buf);
    if (std::fwrite(buf.data(), 1, buf.size(), out) != buf.size()) {
      std::fprintf(err, "%s: cannot write to standard output\n", prog);
      return 1;
    }
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "%s: cannot write to standard output\n", prog);
    return 1;
  }
  return 0;
}

}  // namespace keld::sutools
