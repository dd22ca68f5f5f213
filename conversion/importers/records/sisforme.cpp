#include "conversion/importers/records/sisforme.hpp"

namespace keld::conversion {

int LayoutWidth(LayoutType t) {
  switch (t) {
    case LayoutType::Integer2: return 2;
    case LayoutType::Integer4:
    case LayoutType::Floating4: return 4;
    case LayoutType::Ascii: return 0;
  }
  return 0;
}

LayoutCheck Calcul_gd_file(const LayoutParams& p, int64_t file_length) {
  const int64_t per_channel = p.trace_header + static_cast<int64_t>(LayoutWidth(p.type)) * p.ns;
  const int64_t channels_bytes = static_cast<int64_t>(p.channels) * per_channel;
  return {p.header + channels_bytes, file_length - channels_bytes};
}

ReadEnd ReadLayoutRecord(RecordSource& file, const std::string& name, const LayoutParams& p, int record,
                         const TraceSink& give) {
  if (p.type == LayoutType::Ascii)
    return ImportError{kBadParameters, "The ASCII data type cannot be converted: choose the samples' binary type"};
  auto head = RecordHeader(name, p.ns, p.dt, record, 1, 1);
  if (!head) return head.error();
  if (p.channels <= 0) return ImportError{kBadParameters, "The trace number per record must be 1 or more"};
  if (p.trace_header < 0) return ImportError{0, "Verify your parameters...", true};
  const int w = LayoutWidth(p.type);
  // Positions grow with the channel: the first one tells whether any lies
  // before the file's start, the whole layout whether the file holds it.
  if (p.header + p.trace_header < 0) return ImportError{0, "Verify your parameters...", true};
  if (auto e =
          ChannelsFit(file.size(), name, p.channels, p.header, p.trace_header + static_cast<int64_t>(w) * p.ns))
    return *e;
  // Channel c's samples follow its trace header: H + c x T + (c - 1) x w x ns.
  return GiveChannels(file, name, *head,
                      {.channels = p.channels, .first = p.header + p.trace_header,
                       .stride = p.trace_header + static_cast<int64_t>(w) * p.ns, .n = p.ns, .width = w,
                       .is_float = p.type == LayoutType::Floating4},
                      give);
}

}  // namespace keld::conversion
