#include "sutools/segy/segywrite.hpp"

#include <cstring>
#include <memory>
#include <vector>

#include "common/files.hpp"
#include "sutools/segy/headers.hpp"
#include "sutools/su_stream.hpp"

namespace keld::segy {

namespace {

void Say(std::FILE* err, const std::string& s) { std::fprintf(err, "segywrite: %s\n", s.c_str()); }

Result<std::vector<uint8_t>> ReadExactly(const std::string& path, size_t n, const char* what) {
  using R = Result<std::vector<uint8_t>>;
  auto b = ReadWholeFile(path);
  if (!b) return R::failure("cannot read the " + std::string(what) + " file " + path + " (run segyhdrs first): " + b.error());
  if (b->size() != n)
    return R::failure("the " + std::string(what) + " file " + path + " holds " + std::to_string(b->size()) +
                      " bytes instead of " + std::to_string(n));
  return b;
}

}  // namespace

int RunSegywrite(sutools::SuStreamReader& reader, const SegywriteParams& p, std::FILE* err) {
  auto text = ReadExactly(p.hfile, kTextBytes, "text header");
  if (!text) {
    Say(err, text.error());
    return 1;
  }
  auto bin = ReadExactly(p.bfile, kBinaryBytes, "binary header");
  if (!bin) {
    Say(err, bin.error());
    return 1;
  }
  if (p.trmax < p.trmin) {
    Say(err, "trmax=" + std::to_string(p.trmax) + " is before trmin=" + std::to_string(p.trmin));
    return 1;
  }
  const ByteOrder order = p.little ? ByteOrder::Little : ByteOrder::Big;
  AtomicFile file(p.tape);
  if (!file.is_open()) {
    Say(err, "cannot write " + file.error());
    return 1;
  }
  file.useLargeBuffer();

  const uint8_t* trace = nullptr;
  int ns = 0, dt_us = 0;
  int64_t written = 0;
  // Traces gather in one block written at once: few system calls, and no
  // copy through the stdio buffer.
  constexpr size_t kBlock = 4 << 20;
  const auto out = std::make_unique_for_overwrite<uint8_t[]>(kBlock + sutools::kMaxTraceBytes + kReelBytes);
  size_t used = 0;
  auto flush = [&] {
    const bool ok = file.write(out.get(), used);
    used = 0;
    return ok;
  };
  // The stream is read no further than trmax: what lies after it (a cut
  // last trace, say) is not this run's business.
  while (reader.count() < p.trmax && reader.nextRaw(trace, ns, dt_us)) {
    if (reader.count() < p.trmin) continue;
    if (written == 0) {
      std::vector<uint8_t> b = *bin;
      PutI16(b.data() + kBinHdt, dt_us, ByteOrder::Big);
      PutI16(b.data() + kBinNs, ns, ByteOrder::Big);
      PutI16(b.data() + kBinFormat, p.ibm ? 1 : 5, ByteOrder::Big);
      // The file written has no extended text headers and no additional trace
      // headers, whatever the header it was made from had.
      PutI16(b.data() + kBinExtHeaders, 0, ByteOrder::Big);
      PutI32(b.data() + kBinTraceExtensions, 0, ByteOrder::Big);
      if (p.little) SwapBinaryHeader(b.data());
      std::memcpy(out.get(), text->data(), kTextBytes);
      std::memcpy(out.get() + kTextBytes, b.data(), kBinaryBytes);
      used = kReelBytes;
    }
    SuToTraceHeader(trace, order, out.get() + used);
    EncodeSuSamples(trace + kTraceHeaderBytes, static_cast<size_t>(ns), p.ibm, order,
                    out.get() + used + kTraceHeaderBytes);
    used += kTraceHeaderBytes + 4 * static_cast<size_t>(ns);
    ++written;
    if (used >= kBlock && !flush()) break;
  }
  if (used > 0) flush();
  if (!file.error().empty()) {
    Say(err, "cannot write " + file.error());
    return 1;
  }
  if (!reader.error().empty()) {
    Say(err, reader.error() + "; " + p.tape + " not written");
    return 1;
  }
  if (written == 0) {
    Say(err, reader.count() == 0 ? "no trace on standard input; " + p.tape + " not written"
                                 : "no trace from trmin=" + std::to_string(p.trmin) + " on (the stream holds " +
                                       std::to_string(reader.count()) + "); " + p.tape + " not written");
    return 1;
  }
  if (!file.commit()) {
    Say(err, "cannot write " + file.error());
    return 1;
  }
  return 0;
}

}  // namespace keld::segy
