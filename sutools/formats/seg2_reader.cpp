#include "sutools/formats/seg2_reader.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "common/bytes.hpp"
#include "common/numtext.hpp"
#include "sutools/formats/sample_codes.hpp"

namespace keld::formats {

namespace {

class Bytes {
 public:
  Bytes(std::span<const uint8_t> b, bool be) : b_(b), be_(be) {}
  int64_t size() const { return static_cast<int64_t>(b_.size()); }
  bool has(int64_t at, int64_t n) const { return at >= 0 && n >= 0 && at <= size() && n <= size() - at; }
  uint16_t u16(int64_t at) const { return be_ ? get_u16be(&b_[at]) : get_u16le(&b_[at]); }
  uint32_t u32(int64_t at) const { return be_ ? get_u32be(&b_[at]) : get_u32le(&b_[at]); }
  const uint8_t* ptr(int64_t at) const { return b_.data() + at; }

 private:
  std::span<const uint8_t> b_;
  bool be_;
};

std::string Trim(std::string_view s) {
  size_t a = 0, e = s.size();
  while (a < e && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (e > a && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(a, e - a));
}

// A string list from `at` to at most `end`: each entry is its 16-bit offset to
// the next entry, then the text up to the terminator. An offset of 0 (or one
// too small to hold itself) ends the list, as does the end of the region.
std::vector<std::string> StringList(const Bytes& b, int64_t at, int64_t end, uint8_t terminator) {
  std::vector<std::string> out;
  end = std::min(end, b.size());
  while (at + 2 <= end) {
    const int64_t step = b.u16(at);
    if (step < 3) break;
    const int64_t stop = std::min(at + step, end);
    std::string text(reinterpret_cast<const char*>(b.ptr(at + 2)), static_cast<size_t>(stop - at - 2));
    size_t cut = text.find('\0');
    if (terminator != 0) cut = std::min(cut, text.find(static_cast<char>(terminator)));
    if (cut != std::string::npos) text.resize(cut);
    text = Trim(text);
    if (!text.empty()) out.push_back(std::move(text));
    at += step;
  }
  return out;
}

int BytesPerSample(int format) {
  switch (format) {
    case 1: return 2;
    case 2: case 4: return 4;
    case 5: return 8;
    default: return 0;
  }
}

void DecodeSamples(const Bytes& b, int64_t at, int format, bool be, int64_t ns, float* out) {
  const uint8_t* p = b.ptr(at);
  switch (format) {
    case 1:
      for (int64_t i = 0; i < ns; ++i) out[i] = static_cast<int16_t>(b.u16(at + 2 * i));
      return;
    case 2:
      for (int64_t i = 0; i < ns; ++i) out[i] = static_cast<float>(static_cast<int32_t>(b.u32(at + 4 * i)));
      return;
    case 3:
      for (int64_t i = 0; i < ns; i += 4, p += 10) {
        float g[4];
        DecodeSeg2Float20Group(p, be, g);
        for (int64_t k = 0; k < 4 && i + k < ns; ++k) out[i + k] = g[k];
      }
      return;
    case 4:
      for (int64_t i = 0; i < ns; ++i) out[i] = std::bit_cast<float>(b.u32(at + 4 * i));
      return;
    case 5:
      for (int64_t i = 0; i < ns; ++i) {
        const uint64_t hi = b.u32(at + 8 * i + (be ? 0 : 4)), lo = b.u32(at + 8 * i + (be ? 4 : 0));
        out[i] = static_cast<float>(std::bit_cast<double>((hi << 32) | lo));
      }
      return;
  }
}

}  // namespace

Result<Seg2File> ReadSeg2(std::span<const uint8_t> bytes, const std::string& name) {
  using R = Result<Seg2File>;
  auto fail = [&](const std::string& why) { return R::failure(name + ": " + why); };
  if (bytes.size() < 32) return fail("too short for a SEG-2 file (" + std::to_string(bytes.size()) + " bytes)");
  Seg2File f;
  if (bytes[0] == 0x55 && bytes[1] == 0x3A) f.big_endian = false;
  else if (bytes[0] == 0x3A && bytes[1] == 0x55) f.big_endian = true;
  else return fail("not a SEG-2 file (no file descriptor block at its start)");
  const Bytes b(bytes, f.big_endian);
  f.revision = b.u16(2);
  const int64_t pointer_bytes = b.u16(4), n = b.u16(6);
  const uint8_t terminator = (bytes[8] == 1) ? bytes[9] : 0;
  if (n == 0) return fail("the file descriptor announces no trace");
  if (pointer_bytes < 4 * n)
    return fail(std::to_string(n) + " traces do not fit a pointer block of " + std::to_string(pointer_bytes) + " bytes");
  if (!b.has(32, 4 * n)) return fail("the file ends inside the trace pointers");
  std::vector<int64_t> pointers(static_cast<size_t>(n));
  for (int64_t k = 0; k < n; ++k) pointers[static_cast<size_t>(k)] = b.u32(32 + 4 * k);
  const int64_t first_trace = *std::min_element(pointers.begin(), pointers.end());
  f.strings = StringList(b, 32 + pointer_bytes, first_trace, terminator);

  f.traces.reserve(static_cast<size_t>(n));
  for (int64_t k = 0; k < n; ++k) {
    const int64_t at = pointers[static_cast<size_t>(k)];
    const std::string which = "trace " + std::to_string(k + 1) + ": ";
    if (at < 32 || !b.has(at, 32))
      return fail(which + "its pointer " + std::to_string(at) + " is outside the file (" + std::to_string(b.size()) +
                  " bytes)");
    if (b.u16(at) != 0x4422) return fail(which + "no trace descriptor block at byte " + std::to_string(at));
    const int64_t descriptor = b.u16(at + 2), ns = b.u32(at + 8);
    Seg2Trace t;
    t.format = bytes[static_cast<size_t>(at + 12)];
    if (descriptor < 32 || !b.has(at, descriptor))
      return fail(which + "its descriptor block of " + std::to_string(descriptor) + " bytes does not fit the file");
    int64_t data_bytes = 0;
    if (t.format == 3) data_bytes = (ns + 3) / 4 * 10;
    else if (int size = BytesPerSample(t.format)) data_bytes = ns * size;
    else return fail(which + "data format code " + std::to_string(t.format) + " is not one of 1 to 5");
    if (ns == 0) return fail(which + "it holds no sample");
    if (ns > 32767) return fail(which + std::to_string(ns) + " samples (an SU trace holds at most 32767)");
    if (!b.has(at + descriptor, data_bytes))
      return fail(which + "the file ends inside its " + std::to_string(ns) + " samples");
    t.strings = StringList(b, at + 32, at + descriptor, terminator);
    t.samples.resize(static_cast<size_t>(ns));
    DecodeSamples(b, at + descriptor, t.format, f.big_endian, ns, t.samples.data());
    f.traces.push_back(std::move(t));
  }
  return f;
}

std::optional<std::string> Seg2Value(const std::vector<std::string>& strings, std::string_view keyword) {
  for (const std::string& s : strings) {
    size_t end = 0;
    while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
    if (end != keyword.size()) continue;
    bool same = true;
    for (size_t i = 0; i < end && same; ++i)
      same = std::toupper(static_cast<unsigned char>(s[i])) == keyword[i];
    if (same) return Trim(std::string_view(s).substr(end));
  }
  return std::nullopt;
}

std::optional<double> LeadingNumber(std::string_view text) {
  std::string s = Trim(text);
  std::replace(s.begin(), s.end(), ',', '.');
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(v)) return std::nullopt;
  return v;
}

namespace {

bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int MonthNumber(std::string_view m) {
  static const char* const kNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  if (m.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    bool same = true;
    for (int c = 0; c < 3; ++c) same = same && std::toupper(static_cast<unsigned char>(m[c])) == kNames[i][c];
    if (same) return i + 1;
  }
  return 0;
}

std::vector<std::string> Fields(std::string_view text, std::string_view separators) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : Trim(text)) {
    if (separators.find(c) != std::string_view::npos) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::optional<int> WholeNumber(const std::string& s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::atoi(s.c_str());
}

}  // namespace

std::optional<Seg2Date> ParseSeg2Date(std::string_view text) {
  auto f = Fields(text, "/-. ");
  if (f.size() != 3) return std::nullopt;
  int y = 0, m = 0, d = 0;
  if (f[0].size() == 4) {  // year first
    auto yy = WholeNumber(f[0]), dd = WholeNumber(f[2]);
    auto mm = WholeNumber(f[1]);
    if (!yy || !dd) return std::nullopt;
    y = *yy, d = *dd, m = mm ? *mm : MonthNumber(f[1]);
  } else {
    auto dd = WholeNumber(f[0]), yy = WholeNumber(f[2]);
    auto mm = WholeNumber(f[1]);
    if (!dd || !yy) return std::nullopt;
    d = *dd, y = *yy, m = mm ? *mm : MonthNumber(f[1]);
    if (f[2].size() <= 2) y += y < 70 ? 2000 : 1900;
  }
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1 || y < 1 || y > 9999) return std::nullopt;
  const int month_days = kDays[m - 1] + (m == 2 && Leap(y) ? 1 : 0);
  if (d > month_days) return std::nullopt;
  int doy = d;
  for (int i = 0; i < m - 1; ++i) doy += kDays[i] + (i == 1 && Leap(y) ? 1 : 0);
  return Seg2Date{y, doy};
}

std::optional<Seg2Time> ParseSeg2Time(std::string_view text) {
  auto f = Fields(text, ":");
  if (f.size() < 2 || f.size() > 3) return std::nullopt;
  auto h = WholeNumber(f[0]), m = WholeNumber(f[1]);
  std::optional<int> s = 0;
  if (f.size() == 3) s = WholeNumber(f[2].substr(0, f[2].find('.')));
  if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60) return std::nullopt;
  return Seg2Time{*h, *m, *s};
}

Result<std::vector<SuTrace>> Seg2ToSu(const Seg2File& file, const std::string& name, int first_tracl,
                                      std::vector<std::string>* notes) {
  using R = Result<std::vector<SuTrace>>;
  auto value = [&](const Seg2Trace& t, std::string_view key) -> std::optional<double> {
    auto v = Seg2Value(t.strings, key);
    if (!v) v = Seg2Value(file.strings, key);
    return v ? LeadingNumber(*v) : std::nullopt;
  };
  // One coordinate scale for the whole file: the smallest power of ten that
  // makes every receiver and source position whole (to a thousandth).
  int scale = 1;
  for (const Seg2Trace& t : file.traces)
    for (auto key : {"RECEIVER_LOCATION", "SOURCE_LOCATION"})
      if (auto v = value(t, key))
        while (scale < 1000 && std::fabs(*v * scale - std::round(*v * scale)) > 1e-6 * std::max(1.0, std::fabs(*v * scale)))
          scale *= 10;

  std::optional<Seg2Date> date;
  std::optional<Seg2Time> time;
  if (auto d = Seg2Value(file.strings, "ACQUISITION_DATE")) date = ParseSeg2Date(*d);
  if (auto t = Seg2Value(file.strings, "ACQUISITION_TIME")) time = ParseSeg2Time(*t);
  std::optional<double> file_number;
  if (auto r = Seg2Value(file.strings, "RAW_RECORD")) {
    size_t d = r->find_first_of("0123456789");
    if (d != std::string::npos) file_number = std::atof(r->substr(d, r->find_first_not_of("0123456789", d) - d).c_str());
  }

  std::vector<SuTrace> out;
  out.reserve(file.traces.size());
  bool rounding_said = false;
  for (size_t k = 0; k < file.traces.size(); ++k) {
    const Seg2Trace& t = file.traces[k];
    const std::string which = name + ": trace " + std::to_string(k + 1) + ": ";
    auto interval = value(t, "SAMPLE_INTERVAL");
    if (!interval) return R::failure(which + "no SAMPLE_INTERVAL");
    const double dt = std::round(*interval * 1e6);
    if (!(dt >= 1 && dt <= 32767))
      return R::failure(which + "SAMPLE_INTERVAL " + std::to_string(*interval) + " s cannot be written as an SU dt");
    if (notes && !rounding_said && std::fabs(*interval * 1e6 - dt) > 1e-6 * dt) {
      notes->push_back(name + ": sample interval " + CStr(*interval * 1e6) + " us written as " + CStr(dt) +
                       " us: SU holds whole microseconds");
      rounding_said = true;
    }
    SuTrace s;
    SuTraceHeader& h = s.header;
    h.tracl = h.tracr = first_tracl + static_cast<int32_t>(k);
    h.tracf = static_cast<int32_t>(k + 1);
    if (auto c = value(t, "CHANNEL_NUMBER"); c && std::fabs(*c) < 2e9) h.tracf = static_cast<int32_t>(std::lround(*c));
    if (auto shot = value(t, "SHOT_SEQUENCE_NUMBER"); shot && std::fabs(*shot) < 2e9) h.fldr = static_cast<int32_t>(std::lround(*shot));
    else if (file_number && *file_number < 2e9) h.fldr = static_cast<int32_t>(*file_number);
    h.trid = 1;
    h.ns = static_cast<int16_t>(t.samples.size());
    h.dt = static_cast<int16_t>(dt);
    if (auto d = value(t, "DELAY")) h.delrt = static_cast<int16_t>(std::clamp(std::round(*d * 1000), -32768.0, 32767.0));
    auto rec = value(t, "RECEIVER_LOCATION"), src = value(t, "SOURCE_LOCATION");
    auto word = [&](double v) { return static_cast<int32_t>(std::clamp(std::round(v * scale), -2147483648.0, 2147483647.0)); };
    h.scalco = static_cast<int16_t>(scale == 1 ? 1 : -scale);
    if (rec) h.gx = word(*rec);
    if (src) h.sx = word(*src);
    if (rec && src) h.offset = static_cast<int32_t>(std::clamp(std::round(*rec - *src), -2147483648.0, 2147483647.0));
    if (date) {
      h.year = static_cast<int16_t>(date->year);
      h.day = static_cast<int16_t>(date->day_of_year);
    }
    if (time) {
      h.hour = static_cast<int16_t>(time->hour);
      h.minute = static_cast<int16_t>(time->minute);
      h.sec = static_cast<int16_t>(time->second);
    }
    h.timbas = 1;
    s.samples = t.samples;
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace keld::formats
