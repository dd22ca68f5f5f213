#include "sutools/su_stream.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "common/bytes.hpp"
#include "common/su_check.hpp"

namespace keld::sutools {

size_t SuStreamReader::fetch(uint8_t* dst, size_t n) {
  if (in_) {
    const size_t got = std::fread(dst, 1, n, in_);
    if (count_ < 2) head_.insert(head_.end(), dst, dst + got);
    return got;
  }
  const size_t got = std::min(n, size_ - pos_);
  if (got > 0) std::memcpy(dst, data_ + pos_, got);
  pos_ += got;
  return got;
}

std::string BigEndianStreamText(std::FILE* in, std::vector<uint8_t>& head) {
  if (head.size() < 240) return {};
  if (get_i16be(head.data() + 114) <= 0) return {};
  // kSuStreamHeadBytes: two traces of any length and a byte, or a short
  // stream whole, so that the text can count its traces.
  const size_t need = kSuStreamHeadBytes;
  bool ends = false;
  uint8_t chunk[16 << 10];
  while (head.size() < need && !ends) {
    const size_t want = std::min(sizeof chunk, need - head.size());
    const size_t got = std::fread(chunk, 1, want, in);
    head.insert(head.end(), chunk, chunk + got);
    ends = got < want;
  }
  return SuBigEndianStream(head.data(), head.size(), ends);
}

bool SuStreamReader::fault(std::string why) {
  error_ = std::move(why);
  if (count_ >= 2) return false;
  const std::string big = in_ ? BigEndianStreamText(in_, head_) : SuBigEndianStream(data_, size_, true);
  if (!big.empty()) error_ = big;
  return false;
}

bool SuStreamReader::check(const uint8_t* h, size_t got, int& ns, int& dt_us) {
  const int64_t number = count_ + 1;
  if (got == 0) {
    if (in_ && std::ferror(in_)) error_ = "read error on standard input at trace " + std::to_string(number);
    return false;
  }
  if (got < 240) return fault(SuTruncatedHeader(number, got));
  if (std::string why = SuStreamTraceFault(h, number, first_ns_, need_dt_, ns, dt_us); !why.empty())
    return fault(std::move(why));
  if (count_ == 0) first_ns_ = ns;
  if (count_ == 2) std::vector<uint8_t>().swap(head_);  // past the start: no longer needed
  return true;
}

bool SuStreamReader::truncated(size_t got, size_t want) { return fault(SuTruncatedSamples(count_ + 1, got, want)); }

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

int EndOfStream(const char* prog, const std::string& reader_error, int64_t traces, SuOutput& out, std::FILE* err) {
  std::string why = reader_error;
  if (why.empty() && traces == 0) why = "no trace on standard input";
  if (why.empty() && !out.flush()) why = out.error();
  if (why.empty()) return 0;
  std::fprintf(err, "%s: %s\n", prog, why.c_str());
  return 1;
}

bool WriteStreamTrace(SuOutput& out, const StreamTrace& t) {
  if (!out.write(t.header, 240)) return false;
  const size_t n = t.samples.size();
  if constexpr (std::endian::native == std::endian::little) {
    return out.write(t.samples.data(), 4 * n);
  } else {
    std::vector<uint8_t> b(4 * n);
    for (size_t k = 0; k < n; ++k) put_f32le(b.data() + 4 * k, t.samples[k]);
    return out.write(b.data(), b.size());
  }
}

}  // namespace keld::sutools

#include "sutools/tools.hpp"

namespace keld::sutools {

int WriteSuTraces(const char* prog, const std::vector<SuTrace>& traces, std::FILE* out, std::FILE* err) {
  SuOutput output(out);
  std::vector<uint8_t> buf;
  for (const SuTrace& t : traces) {
    buf.clear();
    EncodeSuTrace(t.header, t.samples.data(), static_cast<int>(t.samples.size()), buf);
    if (!output.write(buf.data(), buf.size())) break;
  }
  if (output.flush()) return 0;
  std::fprintf(err, "%s: %s\n", prog, output.error().c_str());
  return 1;
}

}  // namespace keld::sutools
