#include "conversion/importers/records/abem.hpp"

#include "common/numtext.hpp"

namespace keld::conversion {

AbemHeader ReadAbemHeader(Bytes front, int64_t file_size) {
  AbemHeader h;
  const auto lines = TextLines(front.first(std::min<std::size_t>(front.size(), kAbemHeaderBytes)), 113);
  if (lines.size() >= 7) {
    if (auto dt = WholeNumber(lines[6])) h.dt = *dt == 0 ? 100 : *dt;
  }
  if (lines.size() >= 113) {
    if (auto ch = WholeNumber(lines[112])) h.channels = *ch;
  }
  if (h.channels && *h.channels > 0 && file_size > kAbemHeaderBytes) {
    const double ns = static_cast<double>(file_size - kAbemHeaderBytes) / *h.channels / 2.0;
    if (auto n = CLng(ns)) h.ns = *n;
  }
  return h;
}

ReadEnd ReadAbemRecord(RecordSource& file, const std::string& name, const AbemParams& p, int record,
                       const TraceSink& give) {
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 0);
  if (!head) return head.error();
  if (p.channels <= 0) return ImportError{kBadParameters, "The trace number must be 1 or more"};
  if (auto e = ChannelsFit(file.size(), name, p.channels, kAbemHeaderBytes, 2 * static_cast<int64_t>(p.ns)))
    return *e;
  return GiveChannels(file, name, *head,
                      {.channels = p.channels, .first = kAbemHeaderBytes, .stride = 2 * static_cast<int64_t>(p.ns),
                       .n = p.ns, .width = 2},
                      give);
}

}  // namespace keld::conversion
