#pragma once
// Reading and changing single words of an existing file in place: the file is
// opened for reading, or for update without being created or truncated, and
// every access is checked to lie wholly inside the file, so a write never
// extends it and a read never takes bytes from beyond its end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/header_words.hpp"
#include "common/result.hpp"

namespace keld {

class InPlaceFile {
 public:
  InPlaceFile() = default;
  ~InPlaceFile();
  InPlaceFile(InPlaceFile&& o) noexcept;
  InPlaceFile& operator=(InPlaceFile&& o) noexcept;
  InPlaceFile(const InPlaceFile&) = delete;
  InPlaceFile& operator=(const InPlaceFile&) = delete;

  // Opens an existing regular file; `update` asks for writing as well. A file
  // that is missing, a folder, or (for update) read-only fails with a message
  // naming it.
  Status open(const std::string& path, bool update);
  void close();
  bool is_open() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  int64_t size() const { return size_; }

  // Exactly n bytes at `offset`; fails when any of them lies outside the file.
  Status read_at(int64_t offset, void* buf, std::size_t n) const;
  Status write_at(int64_t offset, const void* buf, std::size_t n);

 private:
  int fd_ = -1;
  int64_t size_ = 0;
  std::string path_;
};

// File offset of word `w` of SU trace `trace` (from 1) with `ns` samples.
int64_t SuWordOffset(int64_t trace, int ns, const HeaderWord& w);

// The sample count of the first trace header (bytes 114-115), once the file
// has passed the SU layout check (little-endian, fixed trace length).
Result<int> ReadSuNs(const InPlaceFile& f);

// Every trace from the first to `last` (no further than the file's last
// whole trace for `ns`) holds `ns` samples; else the first that does not is
// named. A trace of another length moves every trace after it, so no word
// after it is where `ns` says.
Status CheckSuTracesUpTo(const InPlaceFile& f, int ns, int64_t last);

// Reads word `w` of trace `trace`; fails when the trace is not a whole trace
// of the file for `ns`, or a trace up to it holds another ns.
Result<int32_t> ReadSuWord(const InPlaceFile& f, int ns, int64_t trace, const HeaderWord& w);

// Writes `value` into word `w` of trace `trace`, changing exactly its 2 or 4
// bytes. Refused, with the file unchanged, when the value does not fit the
// word, when the file's first header no longer holds `ns` (the file changed
// since its layout was read), when the trace is not a whole trace of it, or
// when a trace up to it holds another ns.
Status WriteSuWord(InPlaceFile& f, int ns, int64_t trace, const HeaderWord& w, int64_t value);

}  // namespace keld
