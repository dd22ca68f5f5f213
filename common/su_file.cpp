#include "common/su_file.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "common/bytes.hpp"
#include "common/files.hpp"

namespace keld {

int64_t SuTraceCount(int64_t file_bytes, int ns) {
  if (ns <= 0 || file_bytes <= 0) return 0;
  return file_bytes / (240 + 4 * static_cast<int64_t>(ns));
}

Result<SuLayout> CheckSuLayout(const std::string& path, const uint8_t* h, int64_t len,
                               const SuByteReader& read_at) {
  using R = Result<SuLayout>;
  const std::string big = SuBigEndianReading(h, len, true, read_at, SuSource::File);
  auto refuse = [&](std::string why) {
    return R::failure(path + ": " + why + (big.empty() ? "" : " (" + big + ")"));
  };
  SuLayout L;
  L.ns = get_i16le(h + 114);
  L.dt = get_i16le(h + 116);
  L.delrt = get_i16le(h + 108);
  L.file_bytes = len;
  if (L.ns <= 0)
    return refuse("not a little-endian SU file (samples per trace " + std::to_string(L.ns) +
                  " in the first trace header)");
  L.trace_bytes = 240 + 4 * static_cast<int64_t>(L.ns);
  L.traces = SuTraceCount(len, L.ns);
  if (L.traces < 1)
    return refuse("not a little-endian SU file (" + std::to_string(len) + " bytes, shorter than one trace of " +
                  std::to_string(L.ns) + " samples)");
  // A cut last trace is tolerated in a little-endian file, but not when the
  // big-endian reading is whole: then the little-endian "traces" are noise.
  if (!big.empty() && len % L.trace_bytes != 0) return refuse("not a little-endian SU file");
  // An ns whose two bytes are equal (257, 514, 1028, ...) reads the same both
  // ways; then the interval tells: no usable one little-endian, one big-endian.
  if (!big.empty() && h[114] == h[115] && L.dt <= 0 && get_i16be(h + 116) > 0)
    return refuse("not a little-endian SU file (sample interval " + std::to_string(L.dt) + ")");
  if (L.traces >= 2) {
    uint8_t h2[240];
    if (!read_at(L.trace_bytes, h2, sizeof h2)) return R::failure(path + ": read error");
    if (std::string fault = SuLengthFault(h2, 2, L.ns, SuSource::File); !fault.empty()) return refuse(fault);
  }
  return L;
}

Result<SuLayout> ReadSuLayout(const std::string& path) {
  using R = Result<SuLayout>;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return R::failure(path + ": cannot open (" + std::strerror(errno) + ")");
  uint8_t h[240];
  size_t got = std::fread(h, 1, sizeof h, f);
  int64_t len = -1;
  if (fseeko(f, 0, SEEK_END) == 0) len = ftello(f);
  if (got < sizeof h) {
    std::fclose(f);
    return R::failure(path + ": not an SU file (" + std::to_string(got) +
                      " bytes, shorter than one 240-byte trace header)");
  }
  auto read_at = [f](int64_t offset, void* buf, size_t n) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(buf, 1, n, f) == n;
  };
  auto L = CheckSuLayout(path, h, len, read_at);
  std::fclose(f);
  return L;
}

Result<SuLayout> ReadSuLayoutWithDt(const std::string& path) {
  auto r = ReadSuLayout(path);
  if (r && r->dt <= 0)
    return Result<SuLayout>::failure(path + ": sample interval " + std::to_string(r->dt) +
                                     " in the first trace header is not usable");
  return r;
}

SuReader::~SuReader() { close(); }

void SuReader::close() {
  if (fp_) std::fclose(fp_);
  fp_ = nullptr;
  pos_ = -1;
}

Status SuReader::open(const std::string& path) {
  close();
  auto L = ReadSuLayout(path);
  if (!L) return Status::failure(L.error());
  fp_ = std::fopen(path.c_str(), "rb");
  if (!fp_) return Status::failure(path + ": cannot open (" + std::strerror(errno) + ")");
  layout_ = *L;
  path_ = path;
  next_ = 0;
  pos_ = 0;
  checked_ = std::min<int64_t>(layout_.traces, 2);  // the layout check read both
  buf_.resize(static_cast<size_t>(layout_.trace_bytes));
  return Status::good();
}

bool SuReader::seek_trace(int64_t i) {
  if (!fp_) {
    error_ = "no file open";
    return false;
  }
  if (i < 0 || i >= layout_.traces) {
    error_ = path_ + ": trace " + std::to_string(i + 1) + " is not in the file (" +
             std::to_string(layout_.traces) + " traces)";
    return false;
  }
  if (pos_ != i) {
    if (fseeko(fp_, static_cast<off_t>(i * layout_.trace_bytes), SEEK_SET) != 0) {
      error_ = path_ + ": seek failed";
      pos_ = -1;
      return false;
    }
  }
  pos_ = i;
  return true;
}

bool SuReader::same_length(int64_t i, const uint8_t* h) {
  std::string fault = SuLengthFault(h, i + 1, layout_.ns, SuSource::File);
  if (fault.empty()) return true;
  error_ = path_ + ": " + fault;
  return false;
}

bool SuReader::read(int64_t i, SuTrace& out) {
  if (!seek_trace(i)) return false;
  if (std::fread(buf_.data(), 1, buf_.size(), fp_) != buf_.size()) {
    error_ = path_ + ": read failed at trace " + std::to_string(i + 1);
    pos_ = -1;
    return false;
  }
  pos_ = i + 1;
  if (!same_length(i, buf_.data())) return false;
  next_ = i + 1;
  out.header = DecodeSuHeader(buf_.data());
  out.samples.resize(static_cast<size_t>(layout_.ns));
  const uint8_t* s = buf_.data() + 240;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out.samples.data(), s, out.samples.size() * 4);
  } else {
    for (size_t k = 0; k < out.samples.size(); ++k) out.samples[k] = get_f32le(s + 4 * k);
  }
  return true;
}

bool SuReader::read_header(int64_t i, SuTraceHeader& out) {
  if (!seek_trace(i)) return false;
  uint8_t h[240];
  if (std::fread(h, 1, 240, fp_) != 240) {
    error_ = path_ + ": read failed at trace " + std::to_string(i + 1);
    pos_ = -1;
    return false;
  }
  pos_ = -1;
  if (!same_length(i, h)) return false;
  out = DecodeSuHeader(h);
  return true;
}

bool SuReader::read_samples(int64_t i, float* out) {
  if (!seek_trace(i)) return false;
  // The header comes along: its ns is checked.
  if (std::fread(buf_.data(), 1, buf_.size(), fp_) != buf_.size()) {
    error_ = path_ + ": read failed at trace " + std::to_string(i + 1);
    pos_ = -1;
    return false;
  }
  pos_ = i + 1;
  if (!same_length(i, buf_.data())) return false;
  const uint8_t* s = buf_.data() + 240;
  for (int k = 0; k < layout_.ns; ++k) out[k] = get_f32le(s + 4 * k);
  return true;
}

bool SuReader::next(SuTrace& out) { return read(next_, out); }

bool SuReader::check_through(int64_t last) {
  if (!seek_trace(last)) return false;
  uint8_t h[240];
  for (; checked_ <= last; ++checked_) {
    pos_ = -1;
    if (fseeko(fp_, static_cast<off_t>(checked_ * layout_.trace_bytes), SEEK_SET) != 0 ||
        std::fread(h, 1, sizeof h, fp_) != sizeof h) {
      error_ = path_ + ": read failed at trace " + std::to_string(checked_ + 1);
      return false;
    }
    if (!same_length(checked_, h)) return false;
  }
  return true;
}

void EncodeSuTrace(const SuTraceHeader& h, const float* samples, int ns, std::vector<uint8_t>& out) {
  out.resize(240 + 4 * static_cast<size_t>(ns));
  EncodeSuHeader(h, out.data());
  if constexpr (std::endian::native == std::endian::little) {
    if (ns > 0) std::memcpy(out.data() + 240, samples, 4 * static_cast<size_t>(ns));
  } else {
    for (int k = 0; k < ns; ++k) put_f32le(out.data() + 240 + 4 * k, samples[k]);
  }
}

struct SuWriter::Impl {
  explicit Impl(const std::string& p) : file(p) {}
  AtomicFile file;
  std::vector<uint8_t> buf;
};

SuWriter::SuWriter(const std::string& path) : impl_(new Impl(path)) {
  impl_->file.useLargeBuffer();
}
SuWriter::~SuWriter() { delete impl_; }
bool SuWriter::is_open() const { return impl_->file.is_open(); }
const std::string& SuWriter::error() const { return impl_->file.error(); }

bool SuWriter::write(const SuTraceHeader& h, const float* samples, int ns) {
  EncodeSuTrace(h, samples, ns, impl_->buf);
  return impl_->file.write(impl_->buf);
}

bool SuWriter::commit() { return impl_->file.commit(); }

Result<std::vector<SuTrace>> ReadSuFile(const std::string& path) {
  SuReader r;
  if (auto s = r.open(path); !s) return Result<std::vector<SuTrace>>::failure(s.error);
  std::vector<SuTrace> out(static_cast<size_t>(r.traces()));
  for (int64_t i = 0; i < r.traces(); ++i)
    if (!r.read(i, out[static_cast<size_t>(i)])) return Result<std::vector<SuTrace>>::failure(r.error());
  return out;
}

Status WriteSuFile(const std::string& path, const std::vector<SuTrace>& traces) {
  SuWriter w(path);
  if (!w.is_open()) return Status::failure(w.error());
  for (const auto& t : traces)
    if (!w.write(t)) return Status::failure(w.error());
  if (!w.commit()) return Status::failure(w.error());
  return Status::good();
}

}  // namespace keld
