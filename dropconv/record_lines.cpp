#include "dropconv/record_lines.hpp"

#include <algorithm>
#include <cstdio>

#include "common/text.hpp"

namespace keld {

RecordLines::RecordLines(std::string_view text) : text_(text) {
  total_ = std::count(text.begin(), text.end(), '\n');
  if (!text.empty() && text.back() != '\n') ++total_;
}

bool RecordLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  size_t next = end == std::string_view::npos ? text_.size() : end + 1;
  if (end == std::string_view::npos) end = text_.size();
  size_t stop = end;
  if (stop > pos_ && text_[stop - 1] == '\r') --stop;
  line = text_.substr(pos_, stop - pos_);
  pos_ = next;
  ++taken_;
  return true;
}

std::string ShownLine(std::string_view line) {
  const bool cut = line.size() > kShownLine;
  if (cut) line = line.substr(0, kShownLine);
  std::string shown;
  for (char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char code[5];
      std::snprintf(code, sizeof code, "\\x%02X", b);
      shown += code;
    } else {
      shown += c;
    }
  }
  return Latin1ToUtf8(shown) + (cut ? "..." : "");
}

std::string QuotedLine(std::string_view line) { return "\"" + ShownLine(line) + "\""; }

}  // namespace keld
