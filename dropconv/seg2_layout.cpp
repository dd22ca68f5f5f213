#include "dropconv/seg2_layout.hpp"

#include "common/bytes.hpp"

namespace keld::seg2 {

namespace {
void AppendU16(std::vector<uint8_t>& out, uint16_t v) {
  uint8_t b[2];
  put_u16le(b, v);
  out.insert(out.end(), b, b + 2);
}
}  // namespace

void AppendI32(std::vector<uint8_t>& out, int32_t v) {
  uint8_t b[4];
  put_i32le(b, v);
  out.insert(out.end(), b, b + 4);
}

void AppendF32(std::vector<uint8_t>& out, float v) {
  uint8_t b[4];
  put_f32le(b, v);
  out.insert(out.end(), b, b + 4);
}

void AppendFileDescriptor(std::vector<uint8_t>& out, int16_t traces) {
  size_t start = out.size();
  AppendU16(out, kFileBlockId);
  AppendU16(out, static_cast<uint16_t>(kRevision));
  AppendU16(out, static_cast<uint16_t>(4 * traces));  // size of the trace pointer sub-block
  AppendU16(out, static_cast<uint16_t>(traces));
  out.push_back(1);     // string terminator size
  out.push_back(0x00);  // string terminator, and its unused second byte
  out.push_back(0x00);
  out.push_back(1);     // line terminator size
  out.push_back(0x0A);  // line terminator, and its unused second byte
  out.push_back(0x00);
  out.resize(start + kFixedSize, 0x00);  // reserved
}

void AppendTraceDescriptor(std::vector<uint8_t>& out, int16_t descriptor_size, int32_t ns) {
  size_t start = out.size();
  AppendU16(out, kTraceBlockId);
  AppendU16(out, static_cast<uint16_t>(descriptor_size));
  AppendI32(out, static_cast<int32_t>(4 * static_cast<int64_t>(ns)));  // data block size
  AppendI32(out, ns);
  out.push_back(kFloat32Format);
  out.resize(start + kFixedSize, 0x00);  // reserved
}

void AppendStringList(std::vector<uint8_t>& out, const std::vector<std::string>& list) {
  for (const std::string& s : list) {
    AppendU16(out, static_cast<uint16_t>(s.size() + 3));
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0x00);
  }
  AppendU16(out, 0);
}

}  // namespace keld::seg2
