#include "dropconv/record_lines.hpp"

#include <algorithm>

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

}  // namespace keld
