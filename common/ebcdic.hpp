#pragma once
// The character table of SEG-Y text headers: each character of the system's
// single-byte code page to its EBCDIC byte, built from eight rows of
// hexadecimal digits, its inverse for reading text headers back, and the byte
// exchange used to write 16-bit values high byte first.
#include <string>
#include <string_view>

namespace keld {

// One character per pair of hexadecimal digits ("C1C2" gives "\xC1\xC2").
// Digits may be upper or lower case; a character that is not a hexadecimal
// digit counts as 0, and a last unpaired digit is ignored.
std::string Hex_Octet(std::string_view hex);

// The 256-character table: entry c is the EBCDIC byte for character code c.
std::string Table_Ebcdic();

// The text with each character c replaced by table entry c (same length).
std::string Ascii_Ebcdic(std::string_view text, std::string_view table);

// The inverse table (entry e is the character whose EBCDIC byte is e) and the
// text read back through it: Ebcdic_Ascii(Ascii_Ebcdic(s)) == s.
std::string Table_Ebcdic_Inverse();
std::string Ebcdic_Ascii(std::string_view ebcdic);

// The two bytes of a 16-bit value exchanged: (v mod 256) * 256 + (v div 256),
// for 0 <= v <= 65535.
int Inverse_Octets(int value);

}  // namespace keld
