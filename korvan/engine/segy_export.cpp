#include "korvan/engine/segy_export.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/sample_interval.hpp"
#include "common/su_file.hpp"
#include "common/text.hpp"
#include "korvan/engine/ebcdic.hpp"

namespace keld::korvan {

std::string SegyOutputName(const std::string& su_path) {
  return su_path.substr(0, su_path.size() >= 2 ? su_path.size() - 2 : 0) + "SGY";
}

Result<SuLayout> SegySourceLayout(const std::string& su_path) {
  auto L = ReadSuLayout(su_path);
  if (!L) return L;
  // Every trace's length is checked before anything (header.sgy included) is
  // written: one of another length is named, whether or not the file's
  // length happens to be a whole number of the first trace's.
  SuReader in;
  if (Status opened = in.open(su_path); !opened) return Result<SuLayout>::failure(opened.error);
  if (L->traces > 0 && !in.check_through(L->traces - 1)) return Result<SuLayout>::failure(in.error());
  if (L->whole()) return L;
  const int64_t rest = L->file_bytes - L->traces * L->trace_bytes;
  return Result<SuLayout>::failure(su_path + ": not a whole number of traces (" + std::to_string(L->file_bytes) +
                                   " bytes: " + std::to_string(L->traces) + " traces of " + std::to_string(L->ns) +
                                   " samples, then " + std::to_string(rest) + " bytes of trace " +
                                   std::to_string(L->traces + 1) + ")");
}

Result<SegyChoice> ChooseSegySource(const std::string& su_path) {
  auto L = SegySourceLayout(su_path);
  if (!L) return Result<SegyChoice>::failure(L.error());
  SegyChoice c;
  c.output = SegyOutputName(su_path);
  c.ns = L->ns;
  c.traces = L->traces;
  return c;
}

std::array<uint8_t, kSegyTextBytes> SegyTextHeader(std::string_view box_text) {
  std::string crlf;
  crlf.reserve(box_text.size() + 64);
  for (size_t i = 0; i < box_text.size(); ++i) {
    char c = box_text[i];
    if (c == '\r') {
      if (i + 1 < box_text.size() && box_text[i + 1] == '\n') ++i;
      crlf += "\r\n";
    } else if (c == '\n') {
      crlf += "\r\n";
    } else {
      crlf += c;
    }
  }
  const std::string ebcdic = Ascii_Ebcdic(Utf8ToLatin1(crlf), Table_Ebcdic());
  std::array<uint8_t, kSegyTextBytes> out{};
  std::memcpy(out.data(), ebcdic.data(), std::min<size_t>(ebcdic.size(), out.size()));
  return out;
}

std::vector<uint8_t> SegyReelHeader(std::string_view box_text, const SuTraceHeader& first, int64_t traces) {
  std::vector<uint8_t> reel(kSegyReelBytes, 0);
  const auto text = SegyTextHeader(box_text);
  std::copy(text.begin(), text.end(), reel.begin());
  uint8_t* b = reel.data();
  // The field holds a signed 16-bit count; a larger file says as much as fits.
  put_i16be(b + 3212, static_cast<int16_t>(std::clamp<int64_t>(traces, 0, 32767)));
  put_i16be(b + 3216, static_cast<int16_t>(ExactInterval(first.dt)));
  put_i16be(b + 3220, first.ns);
  put_i16be(b + 3224, 5);          // 4-byte IEEE floating point
  put_u16be(b + 3500, 0x0100);     // revision 1.0
  put_i16be(b + 3502, 1);          // every trace of the same length
  return reel;
}

std::array<uint8_t, 240> SegyTraceHeader(const SuTraceHeader& own, const SuTraceHeader& first) {
  std::array<uint8_t, 240> h{};
  uint8_t* p = h.data();
  put_i32be(p + 8, own.fldr);
  put_i32be(p + 12, own.tracf);
  put_i32be(p + 20, own.cdp);
  put_i16be(p + 28, 1);  // trid
  put_i16be(p + 30, 1);  // nvs
  put_i16be(p + 32, 1);  // nhs
  put_i16be(p + 34, 1);  // duse
  put_i32be(p + 36, own.offset);
  put_i32be(p + 40, own.gelev);
  put_i32be(p + 44, own.selev);
  put_i32be(p + 48, own.sdepth);
  put_i32be(p + 52, own.gdel);
  put_i32be(p + 56, own.sdel);
  put_i32be(p + 60, own.swdep);
  put_i32be(p + 64, own.gwdep);
  put_i16be(p + 68, 1);  // scalel
  put_i16be(p + 70, 1);  // scalco
  put_i32be(p + 72, own.sx);
  put_i32be(p + 80, own.gx);
  put_i16be(p + 108, first.delrt);
  put_i16be(p + 114, first.ns);
  put_i16be(p + 116, static_cast<int16_t>(ExactInterval(first.dt)));
  put_i16be(p + 144, first.nofilf);
  put_i16be(p + 148, first.lcf);
  put_i16be(p + 150, first.hcf);
  put_i16be(p + 154, own.hcs);
  put_i16be(p + 156, first.year);
  put_i16be(p + 158, first.day);
  put_i16be(p + 160, first.hour);
  put_i16be(p + 162, first.minute);
  return h;
}

namespace {

// What the file being written holds on disk so far, all buffered bytes
// flushed; -1 when that cannot be known.
int64_t WrittenLength(AtomicFile& f) {
  std::FILE* fp = f.handle();
  struct stat st {};
  if (!fp || std::fflush(fp) != 0 || ::fstat(::fileno(fp), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

}  // namespace

Result<SegyExport> ConvertSuToSegy(const std::string& su_path, const std::string& out_path, std::string_view box_text,
                                   const std::string& header_sgy_path, const std::function<bool()>& go_on) {
  using R = Result<SegyExport>;
  if (out_path.empty()) return R::failure("File name missing");
  if (SameFile(su_path, out_path)) return R::failure("Same Input / Output");
  auto L = SegySourceLayout(su_path);
  if (!L) return R::failure(L.error() + "; " + out_path + " not written");
  const int ns = L->ns;
  const size_t trace_bytes = static_cast<size_t>(L->trace_bytes);

  std::FILE* in = std::fopen(su_path.c_str(), "rb");
  if (!in) return R::failure(su_path + ": cannot open (" + std::strerror(errno) + ")");
  std::vector<uint8_t> raw(trace_bytes);
  if (std::fread(raw.data(), 1, trace_bytes, in) != trace_bytes) {
    std::fclose(in);
    return R::failure(su_path + ": read failed at trace 1");
  }
  const SuTraceHeader first = DecodeSuHeader(raw.data());
  const std::vector<uint8_t> reel = SegyReelHeader(box_text, first, L->traces);
  if (!header_sgy_path.empty() && !WriteFileAtomic(header_sgy_path, reel)) {
    std::fclose(in);
    return R::failure(header_sgy_path + " must be in KORVAN folder !");
  }

  AtomicFile out(out_path);
  if (!out.is_open()) {
    std::fclose(in);
    return R::failure(out.error() + "; " + out_path + " not written");
  }
  out.useLargeBuffer();
  bool good = out.write(reel);
  std::vector<uint8_t> trace(trace_bytes);
  for (int64_t i = 0; good && i < L->traces; ++i) {
    if (go_on && !go_on()) {
      std::fclose(in);
      return R::failure("stopped; " + out_path + " not written");
    }
    if (i > 0 && std::fread(raw.data(), 1, trace_bytes, in) != trace_bytes) {
      std::fclose(in);
      return R::failure(su_path + ": read failed at trace " + std::to_string(i + 1) + "; " + out_path +
                        " not written");
    }
    if (std::string fault = SuLengthFault(raw.data(), i + 1, ns, SuSource::File); !fault.empty()) {
      std::fclose(in);
      return R::failure(su_path + ": " + fault + "; " + out_path + " not written");
    }
    const auto h = SegyTraceHeader(DecodeSuHeader(raw.data()), first);
    std::copy(h.begin(), h.end(), trace.begin());
    for (int k = 0; k < ns; ++k) {
      const uint8_t* s = raw.data() + 240 + 4 * k;
      uint8_t* d = trace.data() + 240 + 4 * k;
      d[0] = s[3];
      d[1] = s[2];
      d[2] = s[1];
      d[3] = s[0];
    }
    good = out.write(trace);
  }
  std::fclose(in);
  if (!good) return R::failure(out.error() + "; " + out_path + " not written");
  // The length is checked on the file written beside the output, before it
  // replaces the old one: a wrong file never takes the output's name.
  SegyExport r;
  r.ns = ns;
  r.traces = L->traces;
  r.bytes = WrittenLength(out);
  if (r.bytes != kSegyReelBytes + L->traces * L->trace_bytes) {
    out.discard();
    return R::failure(out_path + ": written file has an unexpected length; " + out_path + " not written");
  }
  if (!out.commit()) return R::failure(out.error() + "; " + out_path + " not written");
  return r;
}

std::string SegyReplaceQuestion(const std::string& out_path) {
  return out_path + " file already exists, substitute it?";
}

std::string SegyRecordedMessage(const std::string& out_path, int64_t bytes) {
  return out_path + " has been recorded OK size:" + CStr(static_cast<double>(bytes));
}

}  // namespace keld::korvan
