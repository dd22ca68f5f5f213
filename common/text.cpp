#include "common/text.hpp"

#include <algorithm>

#include <cctype>

namespace keld {

void Remplace_Chaine(std::string& s, std::string_view find, std::string_view repl) {
  if (find.empty()) return;
  size_t from = 0;  // 0-based index where the next search starts
  while (from <= s.size()) {
    size_t p = s.find(find, from);
    if (p == std::string::npos) return;
    s.replace(p, find.size(), repl);
    // One character on, as the programs always did; past the inserted text
    // when it is longer, so a replacement holding `find` cannot loop for ever.
    from = p + std::max<size_t>(1, repl.size());
  }
}

int Filtre_Touche(int key, std::string_view allowed, int allow_backspace, void (*beep)()) {
  std::string set = UCase(allowed);
  if (allow_backspace == -1) set += '\b';
  if (key > 0 && key < 256) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (set.find(c) != std::string::npos) return key;
  }
  if (beep) beep();
  return 0;
}

std::string UCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

std::string LCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(sep, start);
    if (p == std::string_view::npos) {
      out.emplace_back(s.substr(start));
      return out;
    }
    out.emplace_back(s.substr(start, p - start));
    start = p + 1;
  }
}

std::string Utf8ToLatin1(std::string_view u) {
  std::string out;
  for (size_t i = 0; i < u.size();) {
    unsigned char c = static_cast<unsigned char>(u[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < u.size()) {
      unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(u[i + 1]) & 0x3F);
      out += cp < 256 ? static_cast<char>(cp) : '?';
      i += 2;
    } else {
      out += '?';
      ++i;
      while (i < u.size() && (static_cast<unsigned char>(u[i]) & 0xC0) == 0x80) ++i;
    }
  }
  return out;
}

std::string Latin1ToUtf8(std::string_view l) {
  std::string out;
  for (unsigned char c : l) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void AppendUtf8(std::string& s, uint32_t cp) {
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace keld
