#include "conversion/importers/records/oyo.hpp"

#include <cmath>

#include "common/numtext.hpp"

namespace keld::conversion {

namespace {
std::string Field(Bytes file, std::size_t at, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(file.data() + at), n);
}

std::optional<ImportError> Fits16(double v, const char* word, const std::string& name) {
  if (!CInt(v))
    return ImportError{kOverflow, name + ": the " + std::string(word) + " value " + CStr(v) + " does not fit its word"};
  return std::nullopt;
}
}  // namespace

Imported<OyoFields> ReadOyoFields(Bytes file, const std::string& name) {
  if (file.size() < kOyoFieldsEnd)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(file.size()) +
                                           " bytes: too short for a McSeis record header"};
  OyoFields f;
  f.record = Val(Field(file, 2816, 4));
  f.channels = Val(Field(file, 2866, 4));
  f.samples = Field(file, 2870, 4);
  f.interval_ms = Field(file, 2875, 5);
  f.delay = Val(Field(file, 2881, 9));
  f.low_cut = Val(Field(file, 2891, 4));
  f.high_cut = Val(Field(file, 2896, 4));
  f.notch = Val(Field(file, 2901, 4));
  f.sx = Val(Field(file, 2906, 6));
  f.sy = Val(Field(file, 2913, 6));
  return f;
}

ReadEnd ReadOyoRecord(RecordSource& file, const std::string& name, const OyoParams& p, const TraceSink& give) {
  const double dt = RoundHalfEven(p.interval_ms * 1000.0);
  if (p.channels <= 0) return ImportError{kBadParameters, "The trace number must be 1 or more"};
  std::vector<uint8_t> front(static_cast<std::size_t>(std::min<int64_t>(file.size(), kOyoFieldsEnd)));
  if (!file.read(0, front.size(), front.data())) return Unreadable(name);
  auto fields = ReadOyoFields(Bytes(front.data(), front.size()), name);
  if (!fields) return fields.error();
  for (auto [v, word] : {std::pair{fields->delay, "delay"}, {fields->low_cut, "low-cut"},
                         {fields->high_cut, "high-cut"}, {fields->notch, "notch"}})
    if (auto e = Fits16(v, word, name)) return *e;
  const auto record = CLng(fields->record), sx = CLng(fields->sx), sy = CLng(fields->sy);
  if (!record || !sx || !sy) return ImportError{kOverflow, name + ": a header value does not fit its word"};
  if (!(dt >= 0 && dt <= 32767))
    return ImportError{kOverflow, name + ": a sample interval of " + CStr(p.interval_ms) +
                                      " ms does not fit the dt word (at most 32.767 ms)"};
  auto head = RecordHeader(name, p.ns, static_cast<int>(dt), *record, 1, 1);
  if (!head) return head.error();
  const int w = p.long_integers ? 4 : 2;
  if (auto e = ChannelsFit(file.size(), name, p.channels, kOyoSamplesOffset, static_cast<int64_t>(w) * p.ns))
    return *e;
  SuTraceHeader h = *head;
  h.sx = *sx;
  h.sy = *sy;
  h.delrt = *CInt(fields->delay);
  h.lcf = *CInt(fields->low_cut);
  h.hcf = *CInt(fields->high_cut);
  h.nofilf = *CInt(fields->notch);
  return GiveChannels(file, name, h,
                      {.channels = p.channels, .first = kOyoSamplesOffset, .stride = static_cast<int64_t>(w) * p.ns,
                       .n = p.ns, .width = w},
                      give);
}

}  // namespace keld::conversion
