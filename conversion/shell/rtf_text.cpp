#include "conversion/shell/rtf_text.hpp"

#include <cctype>
#include <vector>

namespace keld::conversion {

namespace {

void AppendLatin1(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string RtfPlainText(std::string_view rtf) {
  std::string out;
  std::vector<bool> skip{false};  // per group: its text is not shown
  for (size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') {
      skip.push_back(skip.back());
    } else if (c == '}') {
      if (skip.size() > 1) skip.pop_back();
    } else if (c == '\\' && i + 1 == rtf.size()) {
      break;  // a lone backslash at the very end
    } else if (c == '\\') {
      const char n = rtf[i + 1];
      if (n == '\'' && i + 3 < rtf.size() && Hex(rtf[i + 2]) >= 0 && Hex(rtf[i + 3]) >= 0) {
        if (!skip.back()) AppendLatin1(out, static_cast<unsigned char>(Hex(rtf[i + 2]) * 16 + Hex(rtf[i + 3])));
        i += 3;
      } else if (std::isalpha(static_cast<unsigned char>(n))) {
        size_t j = i + 1;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        const std::string_view word = rtf.substr(i + 1, j - i - 1);
        if (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
          ++j;
          while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
        }
        if (j < rtf.size() && rtf[j] == ' ') ++j;
        if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") skip.back() = true;
        if (!skip.back() && (word == "par" || word == "line")) out.push_back('\n');
        if (!skip.back() && word == "tab") out.push_back('\t');
        i = j - 1;
      } else {
        if (!skip.back() && n != '*' && n != '\r' && n != '\n') out.push_back(n);
        if (n == '*') skip.back() = true;
        ++i;
      }
    } else if (c != '\r' && c != '\n' && !skip.back()) {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace keld::conversion
