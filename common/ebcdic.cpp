#include "common/ebcdic.hpp"

#include <array>

namespace keld {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// Codes 0x00-0x1F, 0x20-0x3F, ... 0xE0-0xFF, one row each.
constexpr std::array<std::string_view, 8> kRows = {
    "00010203372D2E2F1605250B0C0D0E0F101112133C3D322618193F271C1D1E1F",
    "405A7F7B5B6C507D4D5D5C4E6B604B61F0F1F2F3F4F5F6F7F8F97A5E4C7E6E6F",
    "7CC1C2C3C4C5C6C7C8C9D1D2D3D4D5D6D7D8D9E2E3E4E5E6E7E8E9ADE0BD5F6D",
    "79818283848586878889919293949596979899A2A3A4A5A6A7A8A9C04FD0A107",
    "202122232415061728292A2B2C090A1B30311A333435360838393A3B04143EE1",
    "4142434445464748495152535455565758596263646566676869707172737475",
    "767778808A8B8C8D8E8F909A9B9C9D9E9FA0AAABAC4AAEAFB0B1B2B3B4B5B6B7",
    "B8B9BABBBC6ABEBFCACBCCCDCECFDADBDCDDDEDFEAEBECEDEEEFFAFBFCFDFEFF",
};

}  // namespace

std::string Hex_Octet(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1])));
  return out;
}

std::string Table_Ebcdic() {
  std::string hex;
  for (auto row : kRows) hex += row;
  return Hex_Octet(hex);
}

std::string Ascii_Ebcdic(std::string_view text, std::string_view table) {
  std::string out(text);
  for (char& c : out) {
    auto code = static_cast<unsigned char>(c);
    if (code < table.size()) c = table[code];
  }
  return out;
}

std::string Table_Ebcdic_Inverse() {
  const std::string t = Table_Ebcdic();
  std::string inv(256, '\0');
  for (int c = 0; c < 256; ++c) inv[static_cast<unsigned char>(t[static_cast<size_t>(c)])] = static_cast<char>(c);
  return inv;
}

std::string Ebcdic_Ascii(std::string_view ebcdic) {
  static const std::string inv = Table_Ebcdic_Inverse();
  return Ascii_Ebcdic(ebcdic, inv);
}

int Inverse_Octets(int value) { return (value % 256) * 256 + value / 256; }

}  // namespace keld
