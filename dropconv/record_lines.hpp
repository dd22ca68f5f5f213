#pragma once
// The lines of a text file held in memory: each ends with LF or CR LF (the
// last may end with neither); the bytes of a line are kept as they are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace keld {

class RecordLines {
 public:
  explicit RecordLines(std::string_view text);

  // The next line without its end, or false at the end of the text.
  bool Next(std::string_view& line);
  // Lines not yet taken.
  int64_t Remaining() const { return total_ - taken_; }
  // 1-based number of the last line taken (0 before the first).
  int64_t LineNumber() const { return taken_; }
  int64_t Total() const { return total_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int64_t total_ = 0;
  int64_t taken_ = 0;
};

// A line of the record as a message shows it: its Latin-1 characters as
// UTF-8, and every control byte as \xNN (a NUL would end the message where
// it stands, a CR or a tab would hide itself); a line longer than
// kShownLine bytes is cut there and "..." follows. QuotedLine puts it in
// double quotes.
inline constexpr size_t kShownLine = 80;
std::string ShownLine(std::string_view line);
std::string QuotedLine(std::string_view line);

}  // namespace keld
