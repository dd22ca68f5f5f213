#include "conversion/importers/records/record_import.hpp"

#include <cstring>

#include "common/numtext.hpp"

namespace keld::conversion {

std::string ImportError::message() const {
  if (number == 0) return what;
  return "File conversion error N\xC2\xB0 " + std::to_string(number) + (what.empty() ? "" : "\r\n" + what);
}

Imported<SuTraceHeader> RecordHeader(const std::string& file, int ns, int dt, int fldr, int tracf, int duse,
                                     const HeaderAdditions& add) {
  ShortShape w;
  w.fldr = fldr;
  w.tracf = tracf;
  w.trid = w.nvs = w.nhs = 1;
  w.duse = duse;
  w.ns = ns;
  w.dt = dt;
  auto h = MakeShortHeader(w, add);
  if (!h) return ImportError{kOverflow, file + ": " + h.error()};
  return *h;
}

ImportError Unreadable(const std::string& name) { return ImportError{kReadFailed, name + " could not be read"}; }

ReadEnd ReadSamples(RecordSource& file, const std::string& name, int64_t offset, int64_t n, int width,
                    std::vector<float>& out, bool is_float) {
  const int64_t size = file.size();
  if (offset < 0 || n < 0 || offset > size || n > (size - offset) / width)
    return ImportError{kPastEndOfFile, name + " holds " + std::to_string(size) + " bytes: its samples at byte " +
                                           std::to_string(offset) + " need " + std::to_string(n * width) +
                                           " bytes more than it has"};
  std::vector<uint8_t> raw(static_cast<std::size_t>(n * width));
  if (!file.read(offset, raw.size(), raw.data())) return Unreadable(name);
  out.resize(static_cast<std::size_t>(n));
  const uint8_t* p = raw.data();
  for (int64_t i = 0; i < n; ++i, p += width) {
    if (width == 2) {
      out[i] = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    } else {
      const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
      if (is_float) {
        float f;
        std::memcpy(&f, &u, 4);
        out[i] = f;
      } else {
        out[i] = static_cast<float>(static_cast<int32_t>(u));
      }
    }
  }
  return std::nullopt;
}

ReadEnd GiveChannels(RecordSource& file, const std::string& name, SuTraceHeader header, const ChannelBlocks& blocks,
                     const TraceSink& give,
                     const std::function<std::vector<float>(const std::vector<float>&)>& decode) {
  std::vector<float> samples;
  for (int c = 1; c <= blocks.channels; ++c) {
    if (auto e = ReadSamples(file, name, blocks.first + (c - 1) * blocks.stride, blocks.n, blocks.width, samples,
                             blocks.is_float))
      return e;
    header.tracf = c;
    if (auto e = decode ? give(header, decode(samples)) : give(header, samples)) return e;
  }
  return std::nullopt;
}

std::optional<ImportError> ChannelsFit(int64_t size, const std::string& name, int64_t channels, int64_t first,
                                       int64_t block_bytes) {
  const int64_t room = first <= size ? size - first : -1;
  if (room >= 0 && block_bytes > 0 && channels <= room / block_bytes) return std::nullopt;
  return ImportError{kPastEndOfFile, name + " holds " + std::to_string(size) + " bytes: " + std::to_string(channels) +
                                         " channels of " + std::to_string(block_bytes) + " bytes from byte " +
                                         std::to_string(first) + " do not fit in it"};
}

std::vector<std::string> TextLines(Bytes file, std::size_t max_lines) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < file.size() && lines.size() < max_lines) {
    std::size_t end = start;
    while (end < file.size() && file[end] != '\n') ++end;
    std::size_t stop = end;
    if (stop > start && file[stop - 1] == '\r') --stop;
    lines.emplace_back(reinterpret_cast<const char*>(file.data() + start), stop - start);
    start = end + 1;
  }
  return lines;
}

std::optional<int32_t> WholeNumber(std::string_view text) { return CLng(Val(text)); }

}  // namespace keld::conversion
