#pragma once
// The byte layout of a SEG-2 revision 1 file as this suite writes it: all
// numbers little-endian, strings ended by one 0x00, lines by one 0x0A.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::seg2 {

constexpr uint16_t kFileBlockId = 0x3A55;   // bytes 0x55 0x3A
constexpr uint16_t kTraceBlockId = 0x4422;  // bytes 0x22 0x44
constexpr int16_t kRevision = 1;
constexpr uint8_t kFloat32Format = 4;
constexpr int kFixedSize = 32;  // the fixed part of either descriptor block

// The 32 fixed bytes of the file descriptor block for `traces` traces.
void AppendFileDescriptor(std::vector<uint8_t>& out, int16_t traces);
// The 32 fixed bytes of a trace descriptor block.
void AppendTraceDescriptor(std::vector<uint8_t>& out, int16_t descriptor_size, int32_t ns);
// A string list: per string its offset to the next entry (length + 3), its
// bytes and 0x00; then 0x00 0x00.
void AppendStringList(std::vector<uint8_t>& out, const std::vector<std::string>& list);
void AppendI32(std::vector<uint8_t>& out, int32_t v);
void AppendF32(std::vector<uint8_t>& out, float v);

}  // namespace keld::seg2
