#pragma once
// Small string helpers shared by every program of the suite.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keld {

// Replaces `find` by `repl` in `s`, in place. Each search starts one character
// after the start of the previous replacement, so replacing " " by "" removes
// single blanks but leaves one of two adjacent blanks ("A  B" gives "A B");
// after a longer replacement it starts past the inserted text, so it always
// ends, also when `repl` holds `find`.
void Remplace_Chaine(std::string& s, std::string_view find, std::string_view repl);

// The key filter of the numeric boxes: returns `key` when its character (upper-
// cased) is in `allowed`, or is backspace (8) and `allow_backspace` is exactly
// -1 (true); otherwise calls `beep` (when given) and returns 0.
int Filtre_Touche(int key, std::string_view allowed, int allow_backspace,
                  void (*beep)() = nullptr);

std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
bool IEquals(std::string_view a, std::string_view b);  // ASCII, case-insensitive
std::string Trim(std::string_view s);                  // blanks and tabs, both ends

// Splits at every occurrence of `sep` (empty pieces kept).
std::vector<std::string> Split(std::string_view s, char sep);

// The text as it stands in a Windows-1252 file, from our UTF-8 text (characters
// outside Latin-1 become '?'), and back.
std::string Utf8ToLatin1(std::string_view utf8);
std::string Latin1ToUtf8(std::string_view latin1);

// Appends the UTF-8 bytes of a code point (at most 0x10FFFF).
void AppendUtf8(std::string& s, uint32_t cp);

}  // namespace keld
