#include "conversion/shell/kgs.hpp"

#include <cstring>
#include <vector>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/su_file.hpp"

namespace keld::conversion {

namespace {

int16_t W(const uint8_t* h, int offset) { return get_i16le(h + offset); }

}  // namespace

Result<KgsLayout> KgsLayoutOf(const uint8_t* first240, int64_t file_bytes, KgsKind kind) {
  KgsLayout L;
  L.ns = W(first240, 114);
  L.dt = W(first240, 116);
  if (L.ns <= 0) return Result<KgsLayout>::failure("Samples per trace " + std::to_string(L.ns) + " in the KGS header");
  L.trace_bytes = 240 + (kind == KgsKind::Integer ? 2 : 4) * static_cast<int64_t>(L.ns);
  L.traces = file_bytes / L.trace_bytes;
  if (L.traces < 1)
    return Result<KgsLayout>::failure("The file is shorter than one trace of " + std::to_string(L.ns) + " samples");
  return L;
}

SuTraceHeader KgsToSuHeader(const uint8_t* k, KgsKind kind, int32_t sdepth) {
  const bool integer = kind == KgsKind::Integer;
  SuTraceHeader h;
  h.tracl = W(k, integer ? 170 : 172);
  h.tracr = W(k, integer ? 182 : 184);
  h.fldr = W(k, 12);
  h.tracf = W(k, integer ? 16 : 26);
  h.ep = W(k, 172);
  h.cdp = W(k, 22);
  h.cdpt = W(k, 26);
  h.trid = W(k, 28);
  h.nvs = W(k, 30);
  h.nhs = W(k, 32);
  h.duse = 1;
  h.offset = W(k, 36);
  h.gelev = W(k, 40);
  h.selev = W(k, 44);
  h.sdepth = sdepth;
  h.gdel = W(k, 52);
  h.sdel = W(k, 56);
  h.scalel = 1;
  h.scalco = W(k, 70);
  h.sx = W(k, 76);
  h.sy = W(k, 78);
  h.gx = W(k, 70);
  h.gy = W(k, 72);
  h.counit = 1;
  h.sstat = W(k, 98);
  h.gstat = W(k, 100);
  h.tstat = W(k, 102);
  h.delrt = W(k, 108);
  h.ns = W(k, 114);
  h.dt = W(k, 116);
  h.gain = 3;
  h.lcf = W(k, 148);
  h.hcf = W(k, 150);
  return h;
}

Result<std::array<uint8_t, 240>> SuToKgsHeader(const SuTraceHeader& su, int64_t index, const KgsWriteParams& p) {
  std::array<uint8_t, 240> k{};
  std::string bad;
  auto put = [&](int offset, int64_t v, const char* name) {
    if (v < -32768 || v > 32767) {
      if (bad.empty()) bad = std::string(name) + " = " + std::to_string(v);
      return;
    }
    put_i16le(k.data() + offset, static_cast<int16_t>(v));
  };
  put(0, p.data_type, "data type");
  put(2, p.channels, "channels");
  put(4, p.record_key, "record key");
  put(6, p.trace_key, "trace key");
  put(8, p.direction, "direction");
  put(10, su.fldr, "fldr");
  put(22, index, "trace number");
  put(26, su.tracf, "tracf");
  put(28, su.trid, "trid");
  put(30, su.nvs, "nvs");
  put(32, su.nhs, "nhs");
  put(36, su.offset, "offset");
  put(40, su.gelev, "gelev");
  put(44, su.selev, "selev");
  put(52, su.gdel, "gdel");
  put(56, su.sdel, "sdel");
  put(70, su.gx, "gx");
  put(72, su.gy, "gy");
  put(76, su.sx, "sx");
  put(78, su.sy, "sy");
  put(98, su.sstat, "sstat");
  put(100, su.gstat, "gstat");
  put(102, su.tstat, "tstat");
  put(108, su.delrt, "delrt");
  put(114, su.ns, "ns");
  put(116, su.dt, "dt");
  put_u16le(k.data() + 118, kKgsMark);
  put(148, su.lcf, "lcf");
  put(150, su.hcf, "hcf");
  put(172, su.ep, "ep");
  put(174, su.tracl, "tracl");
  put(182, su.tracr, "tracr");
  if (!bad.empty())
    return Result<std::array<uint8_t, 240>>::failure("Trace " + std::to_string(index) + ": " + bad +
                                                     " does not fit a 16-bit KGS word");
  return k;
}

Status ConvertKgsToSu(const std::string& input, const std::string& output, KgsKind kind, int32_t sdepth,
                      const Progress& progress) {
  auto len = FileLength(input);
  std::FILE* in = std::fopen(input.c_str(), "rb");
  if (!len || !in) {
    if (in) std::fclose(in);
    return Status::failure("Cannot read " + input);
  }
  struct Closer {
    std::FILE* f;
    ~Closer() { std::fclose(f); }
  } closer{in};
  std::vector<uint8_t> trace(240);
  if (std::fread(trace.data(), 1, 240, in) != 240) return Status::failure(input + " is shorter than a KGS header");
  auto L = KgsLayoutOf(trace.data(), *len, kind);
  if (!L) return Status::failure(input + ": " + L.error());
  SuWriter out(output);
  if (!out.is_open()) return Status::failure(CannotWrite(output, out.error()));
  trace.resize(static_cast<size_t>(L->trace_bytes));
  std::vector<float> samples(static_cast<size_t>(L->ns));
  std::fseek(in, 0, SEEK_SET);
  for (int64_t i = 1; i <= L->traces; ++i) {
    if (progress && !progress(i, L->traces)) return Status::failure(kConversionStopped);
    if (std::fread(trace.data(), 1, trace.size(), in) != trace.size())
      return Status::failure("Cannot read trace " + std::to_string(i) + " of " + input);
    SuTraceHeader h = KgsToSuHeader(trace.data(), kind, sdepth);
    if (h.ns != L->ns)
      return Status::failure("Trace " + std::to_string(i) + " of " + input + " has " + std::to_string(h.ns) +
                             " samples, the first has " + std::to_string(L->ns));
    const uint8_t* s = trace.data() + 240;
    for (int k = 0; k < L->ns; ++k)
      samples[static_cast<size_t>(k)] =
          kind == KgsKind::Integer ? static_cast<float>(get_i16le(s + 2 * k)) : get_f32le(s + 4 * k);
    if (!out.write(h, samples.data(), L->ns)) return Status::failure(CannotWrite(output, out.error()));
  }
  if (!out.commit()) return Status::failure(CannotWrite(output, out.error()));
  return Status::good();
}

Status ConvertSuToKgs(const std::string& input, const std::string& output, const KgsWriteParams& p,
                      const Progress& progress) {
  SuReader in;
  if (auto s = in.open(input); !s) return s;
  AtomicFile out(output);
  if (!out.is_open()) return Status::failure(CannotWrite(output, out.error()));
  SuTrace t;
  std::vector<uint8_t> bytes;
  for (int64_t i = 1; i <= in.traces(); ++i) {
    if (progress && !progress(i, in.traces())) return Status::failure(kConversionStopped);
    if (!in.read(i - 1, t)) return Status::failure(in.error());
    auto k = SuToKgsHeader(t.header, i, p);
    if (!k) return Status::failure(k.error());
    // The samples pass as they are: the same bytes as in the SU file.
    EncodeSuTrace(t.header, t.samples.data(), in.ns(), bytes);
    std::memcpy(bytes.data(), k->data(), 240);
    if (!out.write(bytes)) return Status::failure(CannotWrite(output, out.error()));
  }
  if (!out.commit()) return Status::failure(CannotWrite(output, out.error()));
  return Status::good();
}

}  // namespace keld::conversion
