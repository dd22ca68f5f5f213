#include "sutools/segy/layout.hpp"

#include <cstring>

#include "common/ebcdic.hpp"

namespace keld::segy {

namespace {

constexpr int kMaxExtHeaders = 10000;

// The major revision of the binary header's revision word when it is one
// this reader knows: 1 or 2, in the high byte as the standard puts it or as
// the whole word as some writers do. 0 for revision 0 and for a word that is
// no revision at all (the bytes are unused before revision 1).
int MajorRevision(int word) {
  const int major = word >= 0x100 ? word >> 8 : word;
  return major == 1 || major == 2 ? major : 0;
}

// The readings of the additional trace headers per trace of a revision-2
// binary header: the standard's 32-bit count at bytes 3507-3510, then the
// 16-bit count some writers put in 3507-3508 when the two differ.
std::vector<int64_t> TraceExtensionCounts(const uint8_t* bin, ByteOrder order) {
  if (MajorRevision(GetU16(bin + kBinRevision, order)) < 2) return {0};
  const int64_t wide = static_cast<uint32_t>(GetI32(bin + kBinTraceExtensions, order));
  const int64_t narrow = GetU16(bin + kBinTraceExtensions, order);
  if (wide == narrow) return {wide};
  return {wide, narrow};
}

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
  int64_t offset = kReelBytes;
  if (MajorRevision(b.revision) > 0 && b.ext_headers > 0) offset += static_cast<int64_t>(b.ext_headers) * kTextBytes;
  const int64_t data = size - offset;
  for (int64_t k : TraceExtensionCounts(reel + kTextBytes, order)) {
    const int64_t trace = kTraceHeaderBytes * (1 + k) + static_cast<int64_t>(ns) * f->bytes;
    if (data >= trace && data % trace == 0) return true;
  }
  return false;
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

// The extended text headers to skip: for revision 1 and later the binary
// header's count, refused when the file cannot hold it; for revision 0 the
// candidates 0 and, when the file holds them, the count it gives.
Result<std::vector<int>> ExtendedTextHeaders(const BinaryHeader& b, const ReadAt& read_at, int64_t file_size) {
  using R = Result<std::vector<int>>;
  const int n = b.ext_headers;
  auto fits = [&](int64_t count) { return kReelBytes + count * kTextBytes <= file_size; };
  if (MajorRevision(b.revision) == 0) {
    if (n > 0 && fits(n)) return std::vector<int>{0, n};
    return std::vector<int>{0};
  }
  if (n == 0) return std::vector<int>{0};
  if (n == -1) {
    const int counted = CountStanzaHeaders(read_at, file_size);
    if (counted < 0)
      return R::failure("the binary header says an end stanza closes the extended text headers (-1 at bytes "
                        "3505-3506), but no ((SEG: EndText)) is found in the file");
    return std::vector<int>{counted};
  }
  if (n < 0) return R::failure(std::to_string(n) + " extended text headers (bytes 3505-3506) is not a count");
  if (!fits(n))
    return R::failure("the binary header announces " + std::to_string(n) +
                      " extended text headers of 3200 bytes (bytes 3505-3506): they end at byte " +
                      std::to_string(kReelBytes + static_cast<int64_t>(n) * kTextBytes) + ", but the file holds " +
                      std::to_string(file_size) + " bytes");
  return std::vector<int>{n};
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
  const std::vector<uint8_t> first = read_at(kReelBytes, kTraceHeaderBytes);
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

  auto ext_counts = ExtendedTextHeaders(L.binary, read_at, file_size);
  if (!ext_counts) return R::failure(ext_counts.error());
  const std::vector<int64_t> extensions = TraceExtensionCounts(reel.data() + kTextBytes, L.order);

  // Each reading of the counts frames the traces; the first whose traces
  // fill the file exactly is taken, else the standard reading when it holds
  // a whole trace (the others are guesses that only an exact fit confirms).
  struct Frame {
    int ext = 0;
    int64_t extensions = 0, offset = kReelBytes;
    int ns = 0, trace_ns = 0, dt = 0;
    int64_t header_bytes = 0, trace_bytes = 0, traces = 0, trailing = 0;
    std::string why;  // why it holds no trace
  };
  auto frame = [&](int ext, int64_t k) {
    Frame f;
    f.ext = ext;
    f.extensions = k;
    f.offset = kReelBytes + static_cast<int64_t>(ext) * kTextBytes;
    const std::vector<uint8_t> th = f.offset == kReelBytes ? first : read_at(f.offset, kTraceHeaderBytes);
    const bool th_ok = th.size() == kTraceHeaderBytes;
    f.trace_ns = th_ok ? GetU16(th.data() + kTrNs, L.order) : 0;
    f.ns = o.ns > 0 ? o.ns : L.binary.ns > 0 ? L.binary.ns : f.trace_ns;
    f.dt = L.binary.hdt > 0 ? L.binary.hdt : (th_ok ? GetU16(th.data() + kTrDt, L.order) : 0);
    if (f.ns <= 0) {
      f.why = "no sample count: the binary header and the first trace header both say ns=0 (give ns=)";
      return f;
    }
    if (f.ns > kMaxNs) {
      f.why = "ns=" + std::to_string(f.ns) + " samples per trace is more than an SU trace holds (" +
              std::to_string(kMaxNs) + ": SU keeps ns in a signed 16-bit word)";
      return f;
    }
    f.header_bytes = kTraceHeaderBytes * (1 + k);
    f.trace_bytes = f.header_bytes + static_cast<int64_t>(f.ns) * L.format->bytes;
    const int64_t data = file_size - f.offset;
    f.traces = data / f.trace_bytes;
    f.trailing = data % f.trace_bytes;
    if (f.traces == 0)
      f.why = "no whole trace: " + std::to_string(data) + " bytes after the headers, one trace of ns=" +
              std::to_string(f.ns) + (k > 0 ? " with " + std::to_string(k) + " additional trace headers" : "") +
              " takes " + std::to_string(f.trace_bytes);
    return f;
  };
  std::vector<Frame> frames;
  for (int ext : *ext_counts)
    for (int64_t k : extensions) frames.push_back(frame(ext, k));
  const Frame* chosen = nullptr;
  for (const Frame& f : frames)
    if (f.traces > 0 && f.trailing == 0) {
      chosen = &f;
      break;
    }
  // A revision-0 count that the file can hold but that neither reading
  // bears out leaves no way to tell text from traces: reading on without the
  // headers would turn their text into traces.
  if (!chosen && ext_counts->size() > 1) {
    auto reading = [](const Frame& f) {
      if (f.trace_bytes == 0) return f.why;
      return std::to_string(f.traces) + " whole traces of " + std::to_string(f.trace_bytes) + " bytes and " +
             std::to_string(f.trailing) + " bytes left";
    };
    const int n = frames.back().ext;
    return R::failure(std::string(kDamagedFile) + "its revision-0 binary header counts " + std::to_string(n) +
                      (n == 1 ? " extended text header" : " extended text headers") +
                      " (bytes 3505-3506), and its traces fill the file neither with the extended text headers (" +
                      reading(frames.back()) + ") nor without them (" + reading(frames.front()) + ")");
  }
  if (!chosen && frames.front().traces > 0) chosen = &frames.front();
  if (!chosen) return R::failure(frames.front().why);
  const Frame& f = *chosen;

  L.ext_text_headers = f.ext;
  L.data_offset = f.offset;
  L.trace_extensions = f.extensions;
  L.header_bytes = f.header_bytes;
  L.trace_bytes = f.trace_bytes;
  L.ns = f.ns;
  L.dt = f.dt;
  L.traces = f.traces;
  L.trailing_bytes = f.trailing;
  if (f.ext > 0 && MajorRevision(L.binary.revision) == 0)
    L.warnings.push_back("the binary header of a revision-0 file counts " + std::to_string(f.ext) +
                         " extended text headers (bytes 3505-3506), and the traces fill the file only after "
                         "them: they are skipped");
  if (f.extensions > 0 && f.extensions != extensions.front())
    L.warnings.push_back("the additional trace headers are read as a 16-bit count (" + std::to_string(f.extensions) +
                         ", bytes 3507-3508): the 32-bit count of bytes 3507-3510 does not fit the file");
  if (o.ns <= 0 && L.binary.ns > 0 && f.trace_ns > 0 && f.trace_ns != L.ns)
    L.warnings.push_back("the first trace header says ns=" + std::to_string(f.trace_ns) +
                         " but the binary header ns=" + std::to_string(L.ns) + ": the binary header's is used");
  if (L.trailing_bytes != 0)
    L.warnings.push_back(std::to_string(L.trailing_bytes) + " bytes after the last of " + std::to_string(L.traces) +
                         " whole traces are not a trace and are left out");
  return L;
}

}  // namespace keld::segy
