#include "sutools/formats/segd_reader.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/bytes.hpp"
#include "sutools/formats/sample_codes.hpp"

namespace keld::formats {

namespace {

constexpr int64_t kBlock = 32;

// Packed decimal: two digits a byte, high nibble first. nullopt when a nibble
// is not a digit.
std::optional<int64_t> Bcd(const uint8_t* p, int digits, bool start_low = false) {
  int64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const int n = start_low ? i + 1 : i;
    const int nib = (n % 2 == 0) ? (p[n / 2] >> 4) : (p[n / 2] & 0xF);
    if (nib > 9) return std::nullopt;
    v = 10 * v + nib;
  }
  return v;
}
uint32_t U24(const uint8_t* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]; }

struct ChannelSet {
  int scan_type = 0;
  int64_t number = 0;
  int type = 0;
  int64_t channels = 0;
  double start_ms = 0, end_ms = 0;
  int64_t dt_us = 0;
  int64_t samples = 0;  // given by the descriptor itself (newest revision), else 0
};

struct Record {
  int rev_major = 0, rev_minor = 0;
  int format = 0;
  int64_t file_number = 0;
  int year = 0, day = 0, hour = 0, minute = 0, second = 0;
  int64_t base_us = 0;
  std::vector<ChannelSet> sets;
  int64_t trailer_blocks = 0;
};

class Parser {
 public:
  Parser(std::span<const uint8_t> b, std::string name) : b_(b), name_(std::move(name)) {}

  Result<SegdFile> run() {
    SegdFile out;
    int64_t at = 0;
    while (at < size()) {
      // Blank space after the last record (tape padding) ends the file.
      if (std::all_of(b_.begin() + at, b_.end(), [](uint8_t c) { return c == 0; })) break;
      Record r;
      const std::string where = out.info.records ? "record " + std::to_string(out.info.records + 1) + ": " : "";
      if (!header(at, r) || !traces(at, r, out.traces)) return Result<SegdFile>::failure(name_ + ": " + where + error_);
      if (out.info.records == 0) {
        out.info.revision_major = r.rev_major;
        out.info.revision_minor = r.rev_minor;
        out.info.format = r.format;
        out.info.file_number = r.file_number;
      }
      ++out.info.records;
    }
    if (out.traces.empty()) return Result<SegdFile>::failure(name_ + ": no trace in the file");
    return out;
  }

 private:
  int64_t size() const { return static_cast<int64_t>(b_.size()); }
  const uint8_t* at_ptr(int64_t at) const { return b_.data() + at; }
  bool fail(std::string why) {
    error_ = std::move(why);
    return false;
  }
  bool need(int64_t at, int64_t n, const std::string& what) {
    if (n < 0 || at > size() || n > size() - at)
      return fail(what + " needs " + std::to_string(n) + " bytes at byte " + std::to_string(at) +
                  " but the file ends at " + std::to_string(size()));
    return true;
  }

  bool header(int64_t& at, Record& r) {
    if (!need(at, kBlock, "the general header")) return false;
    const uint8_t* g = at_ptr(at);
    auto fmt = Bcd(g + 2, 4);
    auto year = Bcd(g + 10, 2), day_low = Bcd(g + 12, 2), hour = Bcd(g + 13, 2), minute = Bcd(g + 14, 2),
         second = Bcd(g + 15, 2), scan_types = Bcd(g + 27, 2), skew = Bcd(g + 29, 2);
    if (!fmt || !year || !day_low || !hour || !minute || !second || !scan_types)
      return fail("not a SEG-D file (the general header holds no decimal format code, date or scan type count)");
    r.format = static_cast<int>(*fmt);
    r.year = static_cast<int>(*year);
    r.day = (g[11] & 0xF) * 100 + static_cast<int>(*day_low);
    r.hour = static_cast<int>(*hour);
    r.minute = static_cast<int>(*minute);
    r.second = static_cast<int>(*second);
    r.base_us = g[22] * 1000 / 16;
    const bool ext_file = g[0] == 0xFF && g[1] == 0xFF;
    auto file = Bcd(g, 4);
    r.file_number = file.value_or(0);
    int64_t more_blocks = g[11] >> 4;
    const bool ext_sets = g[28] == 0xFF, ext_ext = g[30] == 0xFF, ext_external = g[31] == 0xFF;
    int64_t sets_per_type = Bcd(g + 28, 2).value_or(0);
    int64_t ext_blocks = Bcd(g + 30, 2).value_or(0), external_blocks = Bcd(g + 31, 2).value_or(0);
    if ((!ext_sets && !Bcd(g + 28, 2)) || (!ext_ext && !Bcd(g + 30, 2)) || (!ext_external && !Bcd(g + 31, 2)))
      return fail("not a SEG-D file (a block count of the general header is not decimal)");

    if (more_blocks > 0) {
      if (!need(at + kBlock, kBlock, "the second general header block")) return false;
      const uint8_t* g2 = at_ptr(at + kBlock);
      r.rev_major = g2[10];
      r.rev_minor = g2[11];
      if (r.rev_major >= 3) {
        if (ext_file) r.file_number = get_u32be(g2);
        if (ext_sets) sets_per_type = get_u16be(g2 + 4);
        if (ext_ext) ext_blocks = U24(g2 + 6);
        r.trailer_blocks = get_u16be(g2 + 12);
        if (more_blocks == 0xF) more_blocks = get_u16be(g2 + 19);
        if (ext_external) external_blocks = U24(g2 + 24);
        if (const uint32_t dominant = U24(g2 + 21); r.base_us == 0) r.base_us = dominant;
      } else {
        if (ext_file) r.file_number = U24(g2);
        if (ext_sets) sets_per_type = get_u16be(g2 + 3);
        if (ext_ext) ext_blocks = get_u16be(g2 + 5);
        if (ext_external) external_blocks = get_u16be(g2 + 7);
        r.trailer_blocks = get_u16be(g2 + 12);
      }
    } else if (ext_sets || ext_ext || ext_external || ext_file) {
      return fail("the general header points to a second block that the file does not have");
    }
    if (more_blocks == 0xF) return fail("the count of general header blocks is not given");
    if (!SegdDemuxCode(r.format))
      return fail("data format " + std::to_string(r.format) +
                  (SegdDemuxCode(r.format + 8000)
                       ? " is multiplexed: only demultiplexed data can be converted"
                       : " is not a format this reader knows"));
    if (*scan_types == 0 || sets_per_type == 0) return fail("the general header announces no channel set");

    at += kBlock * (1 + more_blocks);
    const int64_t descriptor = r.rev_major >= 3 ? 3 * kBlock : kBlock;
    const int64_t skew_blocks = skew.value_or(0);
    const int64_t per_type = sets_per_type * descriptor + skew_blocks * kBlock;
    if (!need(at, *scan_types * per_type, "the channel set descriptors")) return false;
    for (int64_t t = 0; t < *scan_types; ++t) {
      for (int64_t s = 0; s < sets_per_type; ++s, at += descriptor)
        if (!channel_set(at_ptr(at), r)) return false;
      at += skew_blocks * kBlock;
    }
    if (!need(at, (ext_blocks + external_blocks) * kBlock, "the extended and external headers")) return false;
    at += (ext_blocks + external_blocks) * kBlock;
    return true;
  }

  bool channel_set(const uint8_t* c, Record& r) {
    ChannelSet s;
    if (r.rev_major >= 3) {
      s.scan_type = static_cast<int>(Bcd(c, 2).value_or(0));
      s.number = get_u16be(c + 1);
      s.type = c[3] >> 4;
      s.start_ms = get_i32be(c + 4) / 1000.0;
      s.end_ms = get_i32be(c + 8) / 1000.0;
      s.samples = get_u32be(c + 12);
      s.channels = U24(c + 20);
      s.dt_us = U24(c + 23);
    } else {
      auto scan = Bcd(c, 2), number = Bcd(c + 1, 2), channels = Bcd(c + 8, 4);
      if (!scan || !channels) return fail("a channel set descriptor is not decimal where it must be");
      s.scan_type = static_cast<int>(*scan);
      s.number = number ? *number : get_u16be(c + 26);
      s.start_ms = 2.0 * get_u16be(c + 2);
      s.end_ms = 2.0 * get_u16be(c + 4);
      s.channels = *channels;
      s.type = c[10] >> 4;
      const int subscans = c[11] >> 4;
      s.dt_us = subscans > 1 ? r.base_us / subscans : r.base_us;
    }
    if (s.channels > 0) r.sets.push_back(s);
    return true;
  }

  const ChannelSet* find_set(const Record& r, int scan_type, int64_t number) const {
    for (const ChannelSet& s : r.sets)
      if (s.scan_type == scan_type && s.number == number) return &s;
    return nullptr;
  }

  bool traces(int64_t& at, Record& r, std::vector<SuTrace>& out) {
    int64_t expected = 0;
    for (const ChannelSet& s : r.sets) expected += s.channels;
    if (expected == 0) return fail("no channel set holds a channel");
    const auto code = *SegdDemuxCode(r.format);
    for (int64_t k = 1; k <= expected; ++k) {
      const std::string which = "trace " + std::to_string(out.size() + 1) + ": ";
      if (!need(at, 20, which + "its header")) return false;
      const uint8_t* h = at_ptr(at);
      const int64_t extensions = h[9];
      if (!need(at + 20, extensions * kBlock, which + "its header extensions")) return false;
      int64_t file = r.file_number;
      if (h[0] == 0xFF && h[1] == 0xFF) file = U24(h + 17);
      else if (auto f = Bcd(h, 4)) file = *f;
      auto scan = Bcd(h + 2, 2);
      auto set_number = h[3] == 0xFF ? std::optional<int64_t>(get_u16be(h + 15)) : Bcd(h + 3, 2);
      auto trace_number = Bcd(h + 4, 4);
      if (!scan || !set_number || !trace_number) return fail(which + "its header is not decimal where it must be");
      const ChannelSet* set = find_set(r, static_cast<int>(*scan), *set_number);
      if (!set)
        return fail(which + "channel set " + std::to_string(*set_number) + " of scan type " +
                    std::to_string(*scan) + " is not described in the header");
      if (set->dt_us <= 0 || set->dt_us > 32767)
        return fail(which + "sample interval of " + std::to_string(set->dt_us) + " us cannot be written");
      int64_t ns = 0;
      if (extensions >= 1) ns = U24(h + 20 + 7);
      if (ns <= 0) ns = set->samples;
      if (ns <= 0) ns = std::llround((set->end_ms - set->start_ms) * 1000.0 / static_cast<double>(set->dt_us));
      if (ns <= 0 || ns > 32767)
        return fail(which + std::to_string(ns) + " samples per trace (an SU trace holds 1 to 32767)");
      at += 20 + extensions * kBlock;
      const int64_t bytes = SegdBytesFor(code, ns);
      if (!need(at, bytes, which + "its " + std::to_string(ns) + " samples")) return false;
      SuTrace t;
      t.samples.resize(static_cast<size_t>(ns));
      DecodeSegd(code, at_ptr(at), ns, t.samples.data());
      at += bytes;
      SuTraceHeader& s = t.header;
      s.tracl = s.tracr = static_cast<int32_t>(out.size() + 1);
      s.fldr = static_cast<int32_t>(file);
      s.tracf = static_cast<int32_t>(*trace_number);
      s.trid = (h[11] == 1 || h[11] == 2) ? 2 : TraceIdForChannelType(set->type);
      s.ns = static_cast<int16_t>(ns);
      s.dt = static_cast<int16_t>(set->dt_us);
      s.delrt = static_cast<int16_t>(std::clamp<double>(std::round(set->start_ms), -32768, 32767));
      s.year = static_cast<int16_t>(r.year < 70 ? 2000 + r.year : 1900 + r.year);
      s.day = static_cast<int16_t>(r.day);
      s.hour = static_cast<int16_t>(r.hour);
      s.minute = static_cast<int16_t>(r.minute);
      s.sec = static_cast<int16_t>(r.second);
      s.timbas = 1;
      out.push_back(std::move(t));
    }
    if (!need(at, r.trailer_blocks * kBlock, "the general trailer")) return false;
    at += r.trailer_blocks * kBlock;
    return true;
  }

  std::span<const uint8_t> b_;
  std::string name_, error_;
};

}  // namespace

int16_t TraceIdForChannelType(int type) {
  switch (type) {
    case 1: return 1;
    case 2: return 4;
    case 3: return 5;
    case 4: return 8;
    case 5: return 7;
    case 8: case 0xC: return 6;
    default: return 3;
  }
}

Result<SegdFile> ReadSegd(std::span<const uint8_t> bytes, const std::string& name) {
  return Parser(bytes, name).run();
}

}  // namespace keld::formats
