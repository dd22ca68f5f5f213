// Reading of the acquisition text record: each line is tested against the
// keywords in a fixed order; a keyword whose value stands on the next line
// takes that line, and the keywords after it are tested on the new line.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/sample_interval.hpp"
#include "dropconv/record_lines.hpp"
#include "dropconv/record_numbers.hpp"
#include "dropconv/seg2_export.hpp"

namespace keld {

namespace {

bool Has(std::string_view line, std::string_view key) {
  return line.find(key) != std::string_view::npos;
}

// The second of the pieces between single blanks ("Ditta ACME Srl" gives ACME,
// "A  B" an empty word), or nullopt when the line holds no blank.
std::optional<std::string> SecondWord(std::string_view line) {
  size_t first = line.find(' ');
  if (first == std::string_view::npos) return std::nullopt;
  size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos) second = line.size();
  return std::string(line.substr(first + 1, second - first - 1));
}

// The interval line: a number of microseconds above 0, "usec" after it or
// not ("250 usec"). An interval of the recorder's table stands for its
// frequency: the nominal 1024 us is the 1000 us the units sampled at.
std::optional<double> IntervalSeconds(std::string_view line) {
  size_t unit = line.rfind("usec");
  if (unit != std::string_view::npos && line.find_first_not_of(" \t", unit + 4) == std::string_view::npos)
    line = line.substr(0, unit);
  auto us = WholeNumber(line);
  if (!us || !(*us > 0)) return std::nullopt;
  if (*us == std::floor(*us) && *us <= 32767)
    if (auto hz = SamplingFrequency(static_cast<int>(*us))) return 1.0 / *hz;
  return *us / 1000 / 1000;
}

// A sample line: one number, with "." or "," as the decimal separator.
std::optional<float> SampleValue(const std::string& line) {
  auto v = WholeNumber(WithPoint(line));
  if (!v) return std::nullopt;
  return ToSingle(*v);
}

bool Blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

class RecordReader {
 public:
  RecordReader(const std::string& path, std::string_view text) : path_(path), lines_(text) {}

  Status Fail(const std::string& why) const {
    return Status::failure(path_ + ", line " + std::to_string(lines_.LineNumber()) + ": " + why);
  }
  bool Next(std::string& line) {
    std::string_view v;
    if (!lines_.Next(v)) return false;
    line.assign(v);
    return true;
  }
  // The line that holds the value of `key`.
  Status NextValue(std::string& line, const char* key) {
    if (!Next(line)) return Fail(std::string("the end of the file follows \"") + key + "\"");
    return Status::good();
  }
  int64_t Remaining() const { return lines_.Remaining(); }

 private:
  std::string path_;
  RecordLines lines_;
};

}  // namespace

Status ClassSEG2Export::Read(const std::string& Path) {
  // Nothing of an earlier record carries over into this one.
  *this = ClassSEG2Export{};
  int k = 1;
  float spacing = 0, source = 0;
  std::string date, time;

  auto data = ReadWholeFile(Path);
  if (!data) return Status::failure(data.error());
  // No line at all: nothing to name a line of.
  if (data->empty()) return Status::failure(Path + ": the file is empty");
  std::string_view text(reinterpret_cast<const char*>(data->data()), data->size());
  RecordReader in(Path, text);

  bool has_interval = false;
  bool after_block = false;  // the last line read ended a channel block
  std::string L;
  while (in.Next(L)) {
    // After a block only the next block, a keyword line or a blank line may
    // follow: anything else is a value the sample count did not count.
    if (after_block && !Blank(L) && !Has(L, "Canale") && !Has(L, "Numero di campioni"))
      return in.Fail("channel " + std::to_string(k - 1) + " has more values than the sample count " +
                     std::to_string(ns_) + ": expected \"Canale numero " + std::to_string(k) +
                     "\" or the end of the file, found " + QuotedLine(L));
    after_block = after_block && Blank(L);
    if (Has(L, "Ditta")) {
      auto w = SecondWord(L);
      if (!w) return in.Fail("no company after \"Ditta\"");
      company_ = *w;
    }
    if (Has(L, "Strumento")) {
      auto w = SecondWord(L);
      if (!w) return in.Fail("no instrument after \"Strumento\"");
      instrument_ = *w;
    }
    if (Has(L, "DATA")) {
      auto w = SecondWord(L);
      if (!w) return in.Fail("no date after \"DATA\"");
      date = *w;
    }
    if (Has(L, "ORA")) {
      auto w = SecondWord(L);
      if (!w) return in.Fail("no time after \"ORA\"");
      time = *w;
    }
    if (Has(L, "Numero di canali")) {
      if (Status s = in.NextValue(L, "Numero di canali"); !s) return s;
      auto v = WholeNumber(L);
      if (!v) return in.Fail("the channel count " + QuotedLine(L) + " is not a number");
      auto n = CInt(*v);
      if (!n || *n < 0) return in.Fail("the channel count " + ShownLine(L) + " is out of range");
      if (*n > kMaxChannels)
        return in.Fail("the channel count " + ShownLine(L) + " is more than a SEG-2 file can hold (" +
                       std::to_string(kMaxChannels) + ")");
      channels_.assign(static_cast<size_t>(*n), Seg2Channel{});
      has_channel_list_ = true;
      sample_arrays_ = false;
      filled_.clear();
    }
    if (Has(L, "Intervallo di campionamento")) {
      if (Status s = in.NextValue(L, "Intervallo di campionamento"); !s) return s;
      auto seconds = IntervalSeconds(L);
      if (!seconds)
        return in.Fail("expected the sample interval in microseconds (\"250 usec\"), found " + QuotedLine(L));
      sample_interval_ = *seconds;
      has_interval = true;
    }
    if (Has(L, "Distanza tra geofoni")) {
      if (Status s = in.NextValue(L, "Distanza tra geofoni"); !s) return s;
      auto v = ToSingle(ParseNumber(L));
      if (!v) return in.Fail("the geophone spacing " + ShownLine(L) + " is out of range");
      spacing = *v;
    }
    if (Has(L, "Posizione source")) {
      if (Status s = in.NextValue(L, "Posizione source"); !s) return s;
      auto v = ToSingle(ParseNumber(L));
      if (!v) return in.Fail("the source position " + ShownLine(L) + " is out of range");
      source = *v;
    }
    if (Has(L, "Numero di campioni")) {
      if (Status s = in.NextValue(L, "Numero di campioni"); !s) return s;
      auto v = WholeNumber(L);
      if (!v) return in.Fail("the sample count " + QuotedLine(L) + " is not a number");
      auto n = CLng(*v);
      if (!n || *n < 0) return in.Fail("the sample count " + ShownLine(L) + " is out of range");
      // Every sample stands on a line of its own: a count the rest of the file
      // cannot hold is refused before anything is made for it.
      if (*n > in.Remaining())
        return in.Fail("the sample count " + ShownLine(L) + " is more than the " +
                       std::to_string(in.Remaining()) + " lines left in the file");
      ns_ = *n;
      // The arrays are made anew: only the channels filled since hold anything.
      for (int c : filled_) channels_[static_cast<size_t>(c - 1)] = Seg2Channel{};
      filled_.clear();
      sample_arrays_ = has_channel_list_;
    }
    if (Has(L, "Canale")) {
      if (!has_channel_list_) return in.Fail("a channel block before the channel count");
      if (k > ChannelCount())
        return in.Fail("channel block " + std::to_string(k) + " of " +
                       std::to_string(ChannelCount()) + " channels");
      if (!sample_arrays_) return in.Fail("a channel block before the sample count");
      Seg2Channel& ch = channels_[static_cast<size_t>(k - 1)];
      filled_.push_back(k);
      if (ns_ > in.Remaining())
        return in.Fail("the file ends inside the block of channel " + std::to_string(k) + " (" +
                       std::to_string(in.Remaining()) + " of " + std::to_string(ns_) +
                       " samples)");
      ch.samples.assign(static_cast<size_t>(ns_), 0.0f);
      for (int32_t i = 0; i < ns_; ++i) {
        in.Next(L);
        if (Has(L, "Canale"))
          return in.Fail("channel " + std::to_string(k) + " has " + std::to_string(i) +
                         " values where the sample count is " + std::to_string(ns_));
        auto v = SampleValue(L);
        if (!v)
          return in.Fail("expected value " + std::to_string(i + 1) + " of " + std::to_string(ns_) +
                         " of channel " + std::to_string(k) + ", a number, found " + QuotedLine(L));
        ch.samples[static_cast<size_t>(i)] = *v;
      }
      after_block = true;
      ch.strings.push_back("CHANNEL_NUMBER " + std::to_string(k));
      ch.strings.push_back("DELAY 0");
      ch.strings.push_back("DESCALING_FACTOR 1");
      ch.strings.push_back("RECEIVER_LOCATION " + SingleText(static_cast<float>(k - 1) * spacing));
      ch.strings.push_back("SAMPLE_INTERVAL " + NumberText(sample_interval_));
      // The record holds the source position relative to geophone 1 already
      // (the negated offset box), the frame RECEIVER_LOCATION is given in.
      ch.strings.push_back("SOURCE_LOCATION " + SingleText(source));
      ++k;
    }
  }

  // Every count must be matched by what the record holds: a SEG-2 file made
  // from less would describe traces that were never recorded.
  if (!has_channel_list_) return in.Fail("the end of the file, and no channel count (\"Numero di canali=\")");
  if (!has_interval)
    return in.Fail("the end of the file, and no sample interval (\"Intervallo di campionamento=\")");
  if (ChannelCount() > 0 && !sample_arrays_)
    return in.Fail("the end of the file, and no sample count (\"Numero di campioni=\")");
  // A channel without a block keeps its zero samples and no strings: the
  // record of a shot whose last units did not answer is still converted, and
  // the caller says which channels are missing.
  for (int c = 1; c <= ChannelCount(); ++c)
    if (channels_[static_cast<size_t>(c - 1)].strings.empty()) missing_.push_back(c);

  AddFileString("ACQUISITION_DATE " + date);
  AddFileString("ACQUISITION_TIME " + time);
  AddFileString("COMPANY " + company_);
  AddFileString("INSTRUMENT " + instrument_);
  AddFileString("TRACE_SORT AS_ACQUIRED");
  AddFileString("UNITS METERS");
  return Status::good();
}

void ClassSEG2Export::AddFileString(const std::string& Text) { file_strings_.push_back(Text); }

bool ClassSEG2Export::AddTraceString(const std::string& Text, int Channel) {
  if (Channel < 1 || Channel > ChannelCount()) return false;
  channels_[static_cast<size_t>(Channel - 1)].strings.push_back(Text);
  filled_.push_back(Channel);
  return true;
}

double ClassSEG2Export::ParseNumber(std::string& Text) {
  if (Text.empty()) return 0;
  Text = WithPoint(Text);
  return LeadingNumber(Text);
}

float ClassSEG2Export::Sample(int k, int32_t i) const {
  const Seg2Channel& ch = Channel(k);
  if (i < 1 || static_cast<size_t>(i) > ch.samples.size()) return 0;
  return ch.samples[static_cast<size_t>(i - 1)];
}

}  // namespace keld
