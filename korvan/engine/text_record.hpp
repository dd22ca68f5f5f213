#pragma once
// The acquisition text record (dati.txt): keyword lines describing the shot,
// then per channel a "Canale numero" line and one value per sample. Written
// line by line while the channels arrive; read back by the SEG-2 export.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/files.hpp"
#include "common/result.hpp"

namespace keld::korvan {

// Box texts read by the window when the shot is armed (UTF-8; the record is
// written in Latin-1, the code page the record has always used).
struct TextRecordInputs {
  std::string date;           // today's date, short form
  std::string time;           // the time now
  std::string Total_Channel;  // channel count box
  std::string Sample_rate;    // the text chosen (nominal); written as its exact interval
  std::string Nb_Sample;      // samples per channel text chosen
  std::string Text15;         // receiver spacing box
  std::string offset;         // shot-to-first-receiver distance box
};

inline constexpr std::string_view kRecordLineEnd = "\r\n";

// The header lines, without line ends, as bytes of the file: 16 lines, or 15
// when the offset box does not hold a number (its line is left out).
std::vector<std::string> TextRecordHeaderLines(const TextRecordInputs& in);

// "Canale numero c" within double quotes.
std::string ChannelLine(int channel);

// A sample as a value line: full stop as decimal separator, no leading blank
// and no zero before the point, exponent form when too large or too small for
// plain form (0, -1.5, .25, 1.234568E+07).
std::string SampleText(float v);

// Streams one record to a file beside its name, which takes the name only
// when Close succeeds: a record cut short (a stopped shot, a full disk) never
// stands under the name. Every call after a failure is skipped; the first
// failure is kept and given back by Close.
class TextRecordWriter {
 public:
  TextRecordWriter() = default;
  ~TextRecordWriter();
  TextRecordWriter(const TextRecordWriter&) = delete;
  TextRecordWriter& operator=(const TextRecordWriter&) = delete;

  // Starts the file beside `path` and writes the header lines.
  Status Open(const std::string& path, const TextRecordInputs& in);
  bool is_open() const { return file_ != nullptr; }

  void BeginChannel(int channel);  // the "Canale numero" line
  void Sample(float v);            // one value line
  // A whole channel: its line, then its samples.
  void Channel(int channel, std::span<const float> samples);
  // A channel whose unit did not answer: its line and `samples` zeros, so
  // that every later channel keeps its number in the record.
  void DeadChannel(int channel, int32_t samples);

  // Completes the file and gives it its name; the first failure of any step
  // (the file is then removed), or good. Without an Open, the Open's failure.
  Status Close();
  // Drops the file: nothing of it is left under the name or beside it.
  void Discard();

 private:
  void Line(std::string_view text);
  std::unique_ptr<AtomicFile> file_;
  std::string path_, error_;
};

}  // namespace keld::korvan
