#include "conversion/shell/editor_text.hpp"

#include <cctype>
#include <cstring>

#include "common/text.hpp"

namespace keld::conversion {

namespace {

constexpr const char* kCrStandIn = "\xEE\x80\x8D";  // U+E00D

// Every occurrence replaced in one pass (documents may be large).
std::string ReplaceAll(std::string_view s, std::string_view find, std::string_view repl) {
  std::string out;
  out.reserve(s.size());
  size_t from = 0;
  for (size_t p; (p = s.find(find, from)) != std::string_view::npos; from = p + find.size()) {
    out.append(s, from, p - from);
    out.append(repl);
  }
  out.append(s, from, std::string_view::npos);
  return out;
}

bool ValidUtf8(const std::vector<uint8_t>& b) {
  const size_t n = b.size();
  size_t i = 0;
  while (i < n) {
    const uint8_t c = b[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (extra > n - i - 1) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((b[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode would not
    // come back as the same bytes.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
      return false;
    i += extra + 1;
  }
  return true;
}

// The characters of Windows-1252 at 0x80-0x9F; elsewhere it is Latin-1.
uint32_t FromCp1252(uint8_t b) {
  static const uint16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  return b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b;
}

}  // namespace

PlainDocument DecodePlain(const std::vector<uint8_t>& bytes) {
  PlainDocument d;
  size_t lf = 0, crlf = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n') {
      ++lf;
      if (i > 0 && bytes[i - 1] == '\r') ++crlf;
    }
  d.crlf = lf > 0 && crlf == lf;
  std::string raw(bytes.begin(), bytes.end());
  if (d.crlf) raw = ReplaceAll(raw, "\r\n", "\n");
  d.bytes = !ValidUtf8(bytes);
  d.utf8 = d.bytes ? Latin1ToUtf8(raw) : raw;
  if (d.utf8.find('\r') != std::string::npos && d.utf8.find(kCrStandIn) == std::string::npos) {
    d.utf8 = ReplaceAll(d.utf8, "\r", kCrStandIn);
    d.cr_kept = true;
  }
  return d;
}

std::vector<uint8_t> EncodePlain(const std::string& utf8, bool bytes, bool crlf, bool cr_kept) {
  std::string text = utf8;
  if (cr_kept) text = ReplaceAll(text, kCrStandIn, "\r");
  std::string s = bytes ? Utf8ToLatin1(text) : text;
  if (crlf) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
      if (c == '\n') out += '\r';
      out += c;
    }
    s.swap(out);
  }
  return std::vector<uint8_t>(s.begin(), s.end());
}

bool LooksLikeRtf(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 5 && std::memcmp(bytes.data(), "{\\rtf", 5) == 0;
}

std::vector<RtfRun> ParseRtf(std::string_view r) {
  struct State {
    bool bold = false, italic = false, underline = false;
    int fs = 24;
    bool skip = false;
    int uc = 1;
  };
  std::vector<State> stack{State{}};
  std::vector<RtfRun> runs;
  int pending_skip = 0;  // characters that stand in for the last \u
  bool group_start = false;

  auto emit = [&](const std::string& text) {
    State& s = stack.back();
    if (s.skip || text.empty()) return;
    if (runs.empty() || runs.back().bold != s.bold || runs.back().italic != s.italic ||
        runs.back().underline != s.underline || runs.back().half_points != s.fs)
      runs.push_back(RtfRun{"", s.bold, s.italic, s.underline, s.fs});
    runs.back().text += text;
  };
  auto emit_cp = [&](uint32_t cp) {
    std::string t;
    AppendUtf8(t, cp);
    emit(t);
  };
  static const char* const hidden[] = {"fonttbl",  "colortbl",   "stylesheet", "info",       "pict",
                                       "header",   "footer",     "headerl",    "headerr",    "footerl",
                                       "footerr",  "listtable",  "listoverridetable", "rsidtbl", "generator",
                                       "xmlnstbl", "themedata",  "colorschememapping", "datastore",
                                       "latentstyles", "object", "fldinst",    "filetbl",    "revtbl"};
  size_t i = 0;
  const size_t n = r.size();
  while (i < n) {
    const char c = r[i];
    if (c == '{') {
      stack.push_back(stack.back());
      group_start = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (stack.size() > 1) stack.pop_back();
      group_start = false;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      group_start = false;
      if (pending_skip > 0) {
        --pending_skip;
      } else {
        emit_cp(FromCp1252(static_cast<uint8_t>(c)));
      }
      ++i;
      continue;
    }
    // A control word or symbol.
    if (i + 1 >= n) break;
    const char d = r[i + 1];
    if (!std::isalpha(static_cast<unsigned char>(d))) {
      const bool was_start = group_start;
      group_start = false;
      i += 2;
      if (d == '\\' || d == '{' || d == '}') {
        if (pending_skip > 0)
          --pending_skip;
        else
          emit(std::string(1, d));
      } else if (d == '\'') {
        if (i + 2 <= n && std::isxdigit(static_cast<unsigned char>(r[i])) &&
            std::isxdigit(static_cast<unsigned char>(r[i + 1]))) {
          const uint8_t b = static_cast<uint8_t>(std::stoi(std::string(r.substr(i, 2)), nullptr, 16));
          i += 2;
          if (pending_skip > 0)
            --pending_skip;
          else
            emit_cp(FromCp1252(b));
        }
      } else if (d == '*') {
        if (was_start) stack.back().skip = true;
      } else if (d == '~') {
        emit_cp(0xA0);
      } else if (d == '_') {
        emit("-");
      } else if (d == '\n' || d == '\r') {
        emit("\n");
      }
      continue;
    }
    size_t j = i + 1;
    while (j < n && j - i <= 32 && std::isalpha(static_cast<unsigned char>(r[j]))) ++j;
    const std::string word(r.substr(i + 1, j - i - 1));
    bool has_param = false;
    long param = 0;
    bool neg = false;
    if (j < n && r[j] == '-') {
      neg = true;
      ++j;
    }
    size_t digits = 0;
    while (j < n && std::isdigit(static_cast<unsigned char>(r[j])) && digits < 10) {
      param = param * 10 + (r[j] - '0');
      ++j;
      ++digits;
      has_param = true;
    }
    if (neg) param = -param;
    if (j < n && r[j] == ' ') ++j;  // the delimiter belongs to the word
    i = j;
    const bool was_start = group_start;
    group_start = false;
    State& s = stack.back();
    if (was_start)
      for (const char* h : hidden)
        if (word == h) s.skip = true;
    if (word == "par" || word == "line" || word == "sect" || word == "page") emit("\n");
    else if (word == "tab") emit("\t");
    else if (word == "b") s.bold = !has_param || param != 0;
    else if (word == "i") s.italic = !has_param || param != 0;
    else if (word == "ul") s.underline = !has_param || param != 0;
    else if (word == "ulnone") s.underline = false;
    else if (word == "fs" && has_param && param > 0 && param < 2000) s.fs = static_cast<int>(param);
    else if (word == "plain") {
      s.bold = s.italic = s.underline = false;
      s.fs = 24;
    } else if (word == "uc" && has_param && param >= 0 && param < 10) s.uc = static_cast<int>(param);
    else if (word == "u" && has_param) {
      long cp = param < 0 ? param + 65536 : param;
      if (cp > 0 && cp < 0x110000 && !(cp >= 0xD800 && cp < 0xE000)) emit_cp(static_cast<uint32_t>(cp));
      pending_skip = s.uc;
    } else if (word == "emdash") emit_cp(0x2014);
    else if (word == "endash") emit_cp(0x2013);
    else if (word == "bullet") emit_cp(0x2022);
    else if (word == "lquote") emit_cp(0x2018);
    else if (word == "rquote") emit_cp(0x2019);
    else if (word == "ldblquote") emit_cp(0x201C);
    else if (word == "rdblquote") emit_cp(0x201D);
  }
  return runs;
}

}  // namespace keld::conversion
