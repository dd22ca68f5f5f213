#pragma once
// The headers of a SEG-Y file: the 3200-byte text header (EBCDIC or ASCII),
// the 400-byte binary header and the 240-byte trace headers, and their
// exchange with the little-endian SU trace header. Every number sits at its
// byte position with the file's byte order given at each access.
#include <array>
#include <cstdint>
#include <string>

#include "sutools/segy/samples.hpp"

namespace keld::segy {

inline constexpr int kTextBytes = 3200;
inline constexpr int kBinaryBytes = 400;
inline constexpr int kReelBytes = kTextBytes + kBinaryBytes;
inline constexpr int kTraceHeaderBytes = 240;

// Positions in the binary header (0-based within its 400 bytes).
inline constexpr int kBinHdt = 16;        // sample interval, microseconds
inline constexpr int kBinNs = 20;         // samples per trace
inline constexpr int kBinFormat = 24;     // sample format code
inline constexpr int kBinMfeet = 54;      // 1 metres, 2 feet
inline constexpr int kBinEndianMark = 96; // 0x01020304 in the writer's byte order (rev 2)
inline constexpr int kBinRevision = 300;  // major revision in the high byte
inline constexpr int kBinFixedLength = 302;
inline constexpr int kBinExtHeaders = 304;  // extended text headers, -1 when counted by an end stanza
inline constexpr int kBinTraceExtensions = 306;  // additional 240-byte trace headers per trace (rev 2)

// Positions in the trace header.
inline constexpr int kTrNs = 114;
inline constexpr int kTrDt = 116;
inline constexpr int kTrTrwf = 168;  // trace weighting factor: samples times 2^-trwf

// The values of a binary header that the readers use.
struct BinaryHeader {
  int hdt = 0;
  int ns = 0;       // unsigned 16-bit
  int format = 0;
  int revision = 0; // the whole 16-bit word (0x0100 is revision 1.0)
  int ext_headers = 0;
  bool endian_mark = false;  // bytes 97-100 hold 0x01020304 read in this order
};
BinaryHeader ReadBinaryHeader(const uint8_t* bin400, ByteOrder order);

// The binary header with its defined words brought from one byte order to
// the other (used to keep the `binary` file big-endian).
void SwapBinaryHeader(uint8_t* bin400);

// SEG-Y trace header in `order` to the SU trace header (little-endian) and
// back: every word turned by its own width (the SU layout, with floats and
// 4-byte words at bytes 180 to 207 and 2-byte words after them).
void TraceHeaderToSu(const uint8_t* segy240, ByteOrder order, uint8_t* su240);
void SuToTraceHeader(const uint8_t* su240, ByteOrder order, uint8_t* segy240);

// 16-bit trace-header and binary-header words in `order`.
int GetI16(const uint8_t* p, ByteOrder order);
int GetU16(const uint8_t* p, ByteOrder order);
int32_t GetI32(const uint8_t* p, ByteOrder order);
void PutI16(uint8_t* p, int v, ByteOrder order);
void PutI32(uint8_t* p, int32_t v, ByteOrder order);

// True when the text header is EBCDIC rather than ASCII (by the share of
// bytes that are printable in each); a header of NUL bytes is neither and
// gives false.
bool TextHeaderIsEbcdic(const uint8_t* text3200);
// The text header as 40 lines of 80 characters (LF after each), EBCDIC
// translated; bytes that are not printable shown as blanks.
std::string TextHeaderLines(const uint8_t* text3200);
// The suite's EBCDIC text header for a file written from SU traces: 40 card
// lines "C 1 ..." to "C40 END EBCDIC".
std::array<uint8_t, kTextBytes> DefaultTextHeader();

}  // namespace keld::segy
