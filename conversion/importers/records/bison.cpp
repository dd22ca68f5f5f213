#include "conversion/importers/records/bison.hpp"

#include "common/numtext.hpp"

namespace keld::conversion {

std::string BisonHeader::interval_us() const { return CStr(Val(field(17)) * 1000.0); }

BisonHeader ReadBisonHeader(Bytes file) {
  BisonHeader h;
  const std::size_t pairs = (file.size() + 1) / 2;
  std::vector<std::size_t> line_ends;  // 0-based offset of the character after each CR LF
  bool ended = false;
  for (std::size_t k = 0; k < pairs; ++k) {
    const std::size_t at = 2 * k;
    const bool whole = at + 1 < file.size();
    if (whole && line_ends.size() < 1000 && file[at] == '\r' && file[at + 1] == '\n') line_ends.push_back(at + 2);
    if (!ended && whole && file[at] == 3 && file[at + 1] == 3) {
      h.header_size = static_cast<int64_t>(at + 2);
      ended = true;
    }
  }
  if (!ended) h.header_size = static_cast<int64_t>(pairs * 2);
  h.fields.emplace_back();
  for (std::size_t i = 1; i < line_ends.size() && h.fields.size() <= 200; ++i) {
    const std::size_t start = line_ends[i - 1], stop = line_ends[i] - 2;
    h.fields.emplace_back(reinterpret_cast<const char*>(file.data() + start), stop - start);
  }
  return h;
}

int64_t BisonBlockWords(int ns) { return static_cast<int64_t>(RoundHalfEven(ns * 1.25)); }

std::vector<float> DecodeBisonBlock(const std::vector<int16_t>& words, int ns) {
  std::vector<float> out(static_cast<std::size_t>(std::max(ns, 0)), 0.0f);
  int m = 1;
  std::size_t k = 0;
  for (std::size_t i = 1; i <= words.size() && k < out.size(); ++i) {
    const int16_t w = words[i - 1];
    if (i % 5 == 0)
      m = w < -1 ? 2 : 1;
    else
      out[k++] = static_cast<float>(w * m);
  }
  return out;
}

ReadEnd ReadBisonRecord(RecordSource& file, const std::string& name, const BisonParams& p, const TraceSink& give) {
  auto head = RecordHeader(name, p.ns, p.dt, 0, 1, 1);
  if (!head) return head.error();
  if (p.channels <= 0) return ImportError{kBadParameters, "The trace number per record must be 1 or more"};
  if (p.header_size < 0) return ImportError{kBadParameters, "The file header size cannot be negative"};
  const int64_t words = BisonBlockWords(p.ns);
  if (auto e = ChannelsFit(file.size(), name, p.channels, p.header_size, 2 * words)) return *e;
  return GiveChannels(file, name, *head,
                      {.channels = p.channels, .first = p.header_size, .stride = 2 * words, .n = words, .width = 2},
                      give, [&](const std::vector<float>& raw) {
                        return DecodeBisonBlock(std::vector<int16_t>(raw.begin(), raw.end()), p.ns);
                      });
}

}  // namespace keld::conversion
