#include "sutools/su_stream.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/bytes.hpp"

namespace keld::sutools {

size_t SuStreamReader::fetch(uint8_t* dst, size_t n) {
  if (in_) return std::fread(dst, 1, n, in_);
  const size_t got = std::min(n, size_ - pos_);
  if (got > 0) std::memcpy(dst, data_ + pos_, got);
  pos_ += got;
  return got;
}

std::string CheckTraceHeader(const uint8_t* h, int64_t number, bool need_dt, int& ns, int& dt_us) {
  ns = get_i16le(h + 114);
  dt_us = get_i16le(h + 116);
  if (ns <= 0)
    return "trace " + std::to_string(number) + ": ns=" + std::to_string(ns) +
           " in the header (samples per trace must be positive; not an SU stream?)";
  if (need_dt && dt_us <= 0)
    return "trace " + std::to_string(number) + ": dt=" + std::to_string(dt_us) +
           " in the header (the sample interval must be positive)";
  return {};
}

std::string TruncatedHeader(int64_t number, size_t got) {
  return "trace " + std::to_string(number) + ": truncated header (" + std::to_string(got) + " of 240 bytes)";
}

std::string TruncatedSamples(int64_t number, size_t got, size_t want) {
  return "trace " + std::to_string(number) + ": truncated (" + std::to_string(got) + " of " + std::to_string(want) +
         " sample bytes)";
}

bool SuStreamReader::check(const uint8_t* h, size_t got, int& ns, int& dt_us) {
  const int64_t number = count_ + 1;
  if (got == 0) {
    if (in_ && std::ferror(in_)) error_ = "read error on standard input at trace " + std::to_string(number);
    return false;
  }
  if (got < 240) {
    error_ = TruncatedHeader(number, got);
    return false;
  }
  error_ = CheckTraceHeader(h, number, need_dt_, ns, dt_us);
  return error_.empty();
}

bool SuStreamReader::truncated(size_t got, size_t want) {
  error_ = TruncatedSamples(count_ + 1, got, want);
  return false;
}

bool SuStreamReader::readRaw(uint8_t* dst, int& ns, int& dt_us) {
  if (!error_.empty() || !check(dst, fetch(dst, 240), ns, dt_us)) return false;
  const size_t want = 4 * static_cast<size_t>(ns);
  const size_t got = fetch(dst + 240, want);
  if (got < want) return truncated(got, want);
  ++count_;
  return true;
}

bool SuStreamReader::nextRaw(const uint8_t*& trace, int& ns, int& dt_us) {
  if (in_) {
    buf_.resize(kMaxTraceBytes);
    trace = buf_.data();
    return readRaw(buf_.data(), ns, dt_us);
  }
  if (!error_.empty()) return false;
  const uint8_t* h = data_ + pos_;
  const size_t left = size_ - pos_;
  if (!check(h, std::min<size_t>(left, 240), ns, dt_us)) return false;
  const size_t want = 4 * static_cast<size_t>(ns);
  if (left - 240 < want) return truncated(left - 240, want);
  trace = h;
  pos_ += 240 + want;
  ++count_;
  return true;
}

bool SuStreamReader::next(StreamTrace& t) {
  if (!error_.empty() || !check(t.header, fetch(t.header, 240), t.ns, t.dt_us)) return false;
  size_t got = 0;
  const size_t bytes = 4 * static_cast<size_t>(t.ns);
  t.samples.resize(static_cast<size_t>(t.ns));
  if constexpr (std::endian::native == std::endian::little) {
    got = fetch(reinterpret_cast<uint8_t*>(t.samples.data()), bytes);
  } else {
    buf_.resize(bytes);
    got = fetch(buf_.data(), bytes);
    for (int k = 0; k < t.ns; ++k) t.samples[static_cast<size_t>(k)] = get_f32le(buf_.data() + 4 * k);
  }
  if (got < bytes) return truncated(got, bytes);
  ++count_;
  return true;
}

int EndOfStream(const char* prog, const std::string& reader_error, int64_t traces, std::FILE* out, std::FILE* err) {
  std::string why = reader_error;
  if (why.empty() && traces == 0) why = "no trace on standard input";
  if (why.empty() && (std::fflush(out) != 0 || std::ferror(out))) why = "cannot write to standard output";
  if (why.empty()) return 0;
  std::fprintf(err, "%s: %s\n", prog, why.c_str());
  return 1;
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
