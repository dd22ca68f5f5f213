#include "conversion/rtoaw/dzt.hpp"

#include <charconv>
#include <cstdio>

#include "common/bytes.hpp"
#include "common/files.hpp"

namespace keld::rtoaw {

Result<DztHeader> ReadDztHeader(std::span<const uint8_t> b) {
  using R = Result<DztHeader>;
  if (b.size() < 1024) return R::failure("too short for a DZT file (" + std::to_string(b.size()) + " bytes, the header alone is 1024)");
  DztHeader h;
  const int data = get_u16le(&b[2]);
  h.samples = get_u16le(&b[4]);
  h.bits = get_u16le(&b[6]);
  h.scans_per_second = get_f32le(&b[10]);
  h.scans_per_meter = get_f32le(&b[14]);
  h.range_ns = get_f32le(&b[26]);
  h.channels = get_u16le(&b[52]);
  for (int i = 98; i < 98 + 14 && b[static_cast<size_t>(i)] != 0; ++i) h.antenna += static_cast<char>(b[static_cast<size_t>(i)]);
  if (h.bits != 8 && h.bits != 16 && h.bits != 32)
    return R::failure("not a DZT file this converter reads: " + std::to_string(h.bits) + " bits per sample");
  if (h.samples < 1) return R::failure("the DZT header gives no sample per scan");
  if (h.channels < 1 || h.channels > 16)
    return R::failure("the DZT header gives " + std::to_string(h.channels) + " channels");
  h.data_offset = data < 1024 ? static_cast<int64_t>(data) * 1024 : static_cast<int64_t>(data) * h.channels;
  if (h.data_offset < 128 || h.data_offset > static_cast<int64_t>(b.size()))
    return R::failure("the DZT header puts the data at byte " + std::to_string(h.data_offset) +
                      ", outside the file of " + std::to_string(b.size()) + " bytes");
  const int64_t scan_bytes = static_cast<int64_t>(h.samples) * (h.bits / 8) * h.channels;
  h.scans = (static_cast<int64_t>(b.size()) - h.data_offset) / scan_bytes;
  if (h.scans < 1) return R::failure("the DZT file holds no whole scan");
  return h;
}

int64_t DztSample(std::span<const uint8_t> b, const DztHeader& h, int channel, int64_t scan, int i) {
  const int width = h.bits / 8;
  const int64_t at = h.data_offset + ((scan * h.channels + channel) * h.samples + i) * width;
  const uint8_t* p = b.data() + at;
  switch (h.bits) {
    // 8- and 16-bit samples are unsigned with zero at the middle of their
    // range; 32-bit samples are stored signed.
    case 8: return static_cast<int64_t>(p[0]) - 128;
    case 16: return static_cast<int64_t>(get_u16le(p)) - 32768;
    default: return get_i32le(p);
  }
}

std::string DztColumnsText(std::span<const uint8_t> b, const DztHeader& h, int channel) {
  std::string out;
  out.reserve(static_cast<size_t>(h.scans * h.samples * 7));
  char num[24];
  for (int i = 0; i < h.samples; ++i) {
    for (int64_t s = 0; s < h.scans; ++s) {
      if (s) out += ',';
      auto r = std::to_chars(num, num + sizeof num, DztSample(b, h, channel, s, i));
      out.append(num, r.ptr);
    }
    out += '\n';
  }
  return out;
}

std::string ChannelFileName(const std::string& name, int channel, int channels) {
  if (channels <= 1) return name;
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  return name.substr(0, dot) + "_ch" + std::to_string(channel + 1) + name.substr(dot);
}

std::string DescribeDzt(const DztHeader& h) {
  char text[400];
  std::snprintf(text, sizeof text,
                "%lld traces of %d samples per trace (%d bits), %d channel(s)\n"
                "Range %.6g ns, sample interval %.6g ns\n"
                "%.6g scans per second, %.6g scans per metre, antenna %s",
                static_cast<long long>(h.scans), h.samples, h.bits, h.channels, h.range_ns, h.interval_ns(),
                h.scans_per_second, h.scans_per_meter, h.antenna.c_str());
  return text;
}

Result<std::vector<std::string>> ConvertDzt(const std::string& in, const std::string& out, DztHeader* header) {
  using R = Result<std::vector<std::string>>;
  if (SameFile(in, out)) return R::failure("Same Input / Output");
  auto bytes = ReadWholeFile(in);
  if (!bytes) return R::failure(bytes.error());
  auto h = ReadDztHeader(*bytes);
  if (!h) return R::failure(in + ": " + h.error());
  if (header) *header = *h;
  std::vector<std::string> names;
  for (int c = 0; c < h->channels; ++c) {
    const std::string name = ChannelFileName(out, c, h->channels);
    if (Status s = WriteFileAtomic(name, DztColumnsText(*bytes, *h, c)); !s) return R::failure(s.error);
    names.push_back(name);
  }
  return names;
}

}  // namespace keld::rtoaw
