#pragma once
// What the record importers share: the error that ends a conversion ("File
// conversion error N° " with its number and what failed), the way a reader
// hands over a record trace after trace, bounded reading of little-endian
// samples from a record, the text lines of a record, and the trace header
// every record importer starts from.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/su_file.hpp"
#include "conversion/importers/records/record_source.hpp"
#include "conversion/importers/su_output.hpp"

namespace keld::conversion {

// Error numbers shown after "File conversion error N° ".
enum ImportErrorNumber : int {
  kOverflow = 6,           // a value too large for its header word or count
  kDivisionByZero = 11,    // a typed or read count of zero used as a divisor
  kFileNotFound = 53,      // a record that cannot be opened
  kPastEndOfFile = 62,     // a record shorter than its layout
  kBadParameters = 5,      // a layout or value that cannot be used
  kReadFailed = 57,        // a record that could not be read
};

struct ImportError {
  int number = 0;    // 0 for a failure with a message of its own
  std::string what;  // names the file and what failed
  bool critical = false;  // shown with the critical-error icon and the program's title
  // "File conversion error N° " & number, then on the next line what failed;
  // a failure with a message of its own shows just that.
  std::string message() const;
};

// A value or the error that ends the conversion.
template <typename T>
class Imported {
 public:
  Imported(T v) : value_(std::move(v)) {}
  Imported(ImportError e) : error_(std::move(e)) {}
  explicit operator bool() const { return value_.has_value(); }
  const T& operator*() const { return *value_; }
  T& operator*() { return *value_; }
  const T* operator->() const { return &*value_; }
  const ImportError& error() const { return error_; }

 private:
  std::optional<T> value_;
  ImportError error_;
};

using Bytes = std::span<const uint8_t>;

// How a reader ends: nullopt when every trace of the record was handed over.
using ReadEnd = std::optional<ImportError>;
// Takes the traces of a record one at a time, as the reader makes them; an
// error (the output failed) ends the reading, and the reader returns it.
using TraceSink = std::function<ReadEnd(const SuTraceHeader& header, const std::vector<float>& samples)>;

// A record whose bytes could not be read (a failed read, or a stopped run's).
ImportError Unreadable(const std::string& name);

// The `Short header shape` of a record importer's trace: fldr, tracf, trid,
// nvs and nhs 1, duse, ns and dt, with the words the format adds; refused,
// naming the file, when ns or dt does not fit its word (or ns is not 1 or more).
Imported<SuTraceHeader> RecordHeader(const std::string& file, int ns, int dt, int fldr, int tracf, int duse,
                                     const HeaderAdditions& add = {});

// Reads n little-endian samples of `width` bytes (2 or 4, integers; or 4 as
// IEEE floats when `is_float`) from `offset` into `out`; an error naming the
// file and its length when any byte lies outside it. n is one trace's count.
ReadEnd ReadSamples(RecordSource& file, const std::string& name, int64_t offset, int64_t n, int width,
                    std::vector<float>& out, bool is_float = false);

// The channels of a binary record, one block of samples each at a fixed
// stride: channel c (from 1) holds `n` values of `width` bytes (as for
// ReadSamples) from byte first + (c - 1) x stride.
struct ChannelBlocks {
  int channels = 0;
  int64_t first = 0;
  int64_t stride = 0;
  int64_t n = 0;
  int width = 2;
  bool is_float = false;
};
// Reads the channels one after the other and hands each to `give` as a trace
// with `header` and tracf c, its values passed through `decode` when given;
// ends at the first read that fails or the first error of `give`.
ReadEnd GiveChannels(RecordSource& file, const std::string& name, SuTraceHeader header, const ChannelBlocks& blocks,
                     const TraceSink& give,
                     const std::function<std::vector<float>(const std::vector<float>&)>& decode = {});

// Refuses, naming the count and the file's size, `channels` blocks of
// `block_bytes` bytes each from byte `first` on that a file of `size` bytes
// cannot hold; a typed or read count is checked so before anything is read.
std::optional<ImportError> ChannelsFit(int64_t size, const std::string& name, int64_t channels, int64_t first,
                                       int64_t block_bytes);

// Adds a character to an item of a text record, up to its first 4096: far
// more than any number a recorder writes, and the bound that keeps a record
// with no separator in it from filling the memory.
inline void KeepItemChar(std::string& item, int c) {
  if (item.size() < 4096) item.push_back(static_cast<char>(c));
}

// The file's text lines, split at LF with a CR before it dropped.
std::vector<std::string> TextLines(Bytes file, std::size_t max_lines = SIZE_MAX);

// A text item read the leading-number way and rounded half to even into 32
// bits; nullopt when it does not fit.
std::optional<int32_t> WholeNumber(std::string_view text);

}  // namespace keld::conversion
