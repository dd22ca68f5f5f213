#include "sutools/segy/layout.hpp"

#include <cstring>

#include "common/ebcdic.hpp"

namespace keld::segy {

namespace {

constexpr int kMaxExtHeaders = 10000;

// ns of the binary header, else of the first trace header (0 when neither).
int HeaderNs(const BinaryHeader& b, const uint8_t* trace_header, ByteOrder order) {
  if (b.ns > 0) return b.ns;
  return trace_header ? GetU16(trace_header + kTrNs, order) : 0;
}

bool Fits(const uint8_t* reel, int64_t size, const uint8_t* trace_header, ByteOrder order, bool* known) {
  const BinaryHeader b = ReadBinaryHeader(reel + kTextBytes, order);
  const SampleFormat* f = FindSampleFormat(b.format);
  *known = f != nullptr;
  if (!f) return false;
  const int ns = HeaderNs(b, trace_header, order);
  if (ns <= 0) return false;
  const int64_t data = size - kReelBytes;
  const int64_t trace = kTraceHeaderBytes + static_cast<int64_t>(ns) * f->bytes;
  return data >= trace && data % trace == 0;
}

// Extended text headers counted by their end stanza: the number of 3200-byte
// blocks up to and including the one that holds it, or -1 when none does.
int CountStanzaHeaders(const ReadAt& read_at, int64_t file_size) {
  static const char* kEnd = "((SEG: EndText))";
  for (int k = 0; k < kMaxExtHeaders; ++k) {
    const int64_t at = kReelBytes + static_cast<int64_t>(k) * kTextBytes;
    if (at + kTextBytes > file_size) return -1;
    auto block = read_at(at, kTextBytes);
    if (static_cast<int64_t>(block.size()) < kTextBytes) return -1;
    std::string ascii(block.begin(), block.end());
    if (TextHeaderIsEbcdic(block.data())) ascii = Ebcdic_Ascii(ascii);
    if (ascii.find(kEnd) != std::string::npos) return k + 1;
  }
  return -1;
}

}  // namespace

std::optional<ByteOrder> DetectByteOrder(const uint8_t* reel, int64_t size, const uint8_t* th) {
  if (size < kReelBytes) return std::nullopt;
  // A writer that sets the byte-order mark says which it used.
  if (ReadBinaryHeader(reel + kTextBytes, ByteOrder::Big).endian_mark) return ByteOrder::Big;
  if (ReadBinaryHeader(reel + kTextBytes, ByteOrder::Little).endian_mark) return ByteOrder::Little;
  bool big_known = false, little_known = false;
  const bool big = Fits(reel, size, th, ByteOrder::Big, &big_known);
  const bool little = Fits(reel, size, th, ByteOrder::Little, &little_known);
  if (big != little) return big ? ByteOrder::Big : ByteOrder::Little;
  if (big_known != little_known) return big_known ? ByteOrder::Big : ByteOrder::Little;
  return ByteOrder::Big;
}

Result<SegyLayout> ReadSegyLayout(const ReadAt& read_at, int64_t file_size, const LayoutOptions& o) {
  using R = Result<SegyLayout>;
  if (file_size < kReelBytes)
    return R::failure("the file holds " + std::to_string(file_size) +
                      " bytes, fewer than the 3600 of a SEG-Y reel header: not a SEG-Y file");
  const std::vector<uint8_t> reel = read_at(0, kReelBytes);
  if (static_cast<int64_t>(reel.size()) < kReelBytes) return R::failure("cannot read the 3600-byte reel header");
  std::vector<uint8_t> first = read_at(kReelBytes, kTraceHeaderBytes);
  const bool has_first = first.size() == kTraceHeaderBytes;

  SegyLayout L;
  L.order = o.order ? *o.order : *DetectByteOrder(reel.data(), file_size, has_first ? first.data() : nullptr);
  L.binary = ReadBinaryHeader(reel.data() + kTextBytes, L.order);
  L.format = FindSampleFormat(L.binary.format);
  if (!L.format) {
    if (!o.over)
      return R::failure("unknown sample format code " + std::to_string(L.binary.format) +
                        " in the binary header (bytes 3225-3226" +
                        (o.order ? std::string(", read with the endian= given") : std::string()) +
                        "); give over=1 to read the samples as IBM floats anyway");
    L.format = FindSampleFormat(1);
    L.format_overridden = true;
    L.warnings.push_back("format code " + std::to_string(L.binary.format) +
                         " is not known: samples read as 4-byte IBM floats (over=1)");
  }

  // Extended text headers come after the reel header in revision 1 and later.
  if (L.binary.revision != 0 && L.binary.ext_headers != 0) {
    int n = L.binary.ext_headers;
    if (n < 0) n = CountStanzaHeaders(read_at, file_size);
    if (n > 0 && n <= kMaxExtHeaders && kReelBytes + static_cast<int64_t>(n) * kTextBytes <= file_size) {
      L.data_offset = kReelBytes + static_cast<int64_t>(n) * kTextBytes;
      if (L.data_offset != kReelBytes) first = read_at(L.data_offset, kTraceHeaderBytes);
    } else {
      L.warnings.push_back("the binary header's count of extended text headers (" +
                           std::to_string(L.binary.ext_headers) + ") does not fit the file: none skipped");
    }
  }
  const bool first_ok = first.size() == kTraceHeaderBytes;
  const int trace_ns = first_ok ? GetU16(first.data() + kTrNs, L.order) : 0;

  if (o.ns > 0) {
    L.ns = o.ns;
  } else if (L.binary.ns > 0) {
    L.ns = L.binary.ns;
    if (trace_ns > 0 && trace_ns != L.ns)
      L.warnings.push_back("the first trace header says ns=" + std::to_string(trace_ns) +
                           " but the binary header ns=" + std::to_string(L.ns) + ": the binary header's is used");
  } else {
    L.ns = trace_ns;
  }
  if (L.ns <= 0)
    return R::failure("no sample count: the binary header and the first trace header both say ns=0 (give ns=)");
  if (L.ns > kMaxNs)
    return R::failure("ns=" + std::to_string(L.ns) + " samples per trace is more than an SU trace holds (" +
                      std::to_string(kMaxNs) + ")");

  L.dt = L.binary.hdt > 0 ? L.binary.hdt : (first_ok ? GetU16(first.data() + kTrDt, L.order) : 0);
  L.trace_bytes = kTraceHeaderBytes + static_cast<int64_t>(L.ns) * L.format->bytes;
  const int64_t data = file_size - L.data_offset;
  L.traces = data / L.trace_bytes;
  L.trailing_bytes = data % L.trace_bytes;
  if (L.traces == 0)
    return R::failure("no whole trace: " + std::to_string(data) + " bytes after the headers, one trace of ns=" +
                      std::to_string(L.ns) + " takes " + std::to_string(L.trace_bytes));
  if (L.trailing_bytes != 0)
    L.warnings.push_back(std::to_string(L.trailing_bytes) + " bytes after the last of " + std::to_string(L.traces) +
                         " whole traces are not a trace and are left out");
  return L;
}

}  // namespace keld::segy
