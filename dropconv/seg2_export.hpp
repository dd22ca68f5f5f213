#pragma once
// One shot of the acquisition program, read from its text record (dati.txt)
// and written as a SEG-2 revision 1 file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld {

// One channel of the shot. Its samples are kept only once its block has been
// read: a channel that has no block in the record is ns zero samples.
struct Seg2Channel {
  std::vector<float> samples;        // empty, or the ns samples of its block
  std::vector<std::string> strings;  // the trace strings, in order
};

class ClassSEG2Export {
 public:
  // The most traces a SEG-2 file can point to: 4 x N must fit its 16-bit field.
  static constexpr int kMaxChannels = 8191;
  // The largest 16-bit size, and the largest trace string list the writer takes.
  static constexpr int kMaxBlock = 32767;
  static constexpr int kMaxTraceStrings = 32735;

  // Reads the record file `Path`. Fails (with the line, and what was expected
  // there) when the file cannot be read or is empty, a keyword line lacks its
  // value, a count or the interval is not a number or is out of range, a
  // sample is not a number, a channel block is misplaced or holds fewer or
  // more values than the sample count, or the record gives no channel count,
  // sample count or interval. Fewer blocks than channels is no failure: the
  // channels without one keep ns zero samples and no strings, and
  // MissingChannels() names them. A record of a nominal interval of the
  // recorder (1024 us) gets the exact one (1000 us).
  Status Read(const std::string& Path);
  // The channels (1-based, ascending) the last Read found no block for.
  const std::vector<int>& MissingChannels() const { return missing_; }

  void AddFileString(const std::string& Text);
  // False when `Channel` (1-based) is not in the channel list.
  bool AddTraceString(const std::string& Text, int Channel);

  // 0 for an empty text; else every "," of `Text` becomes "." (in `Text`
  // itself) and the leading number of the result is the value ("2,5 m" is 2.5).
  static double ParseNumber(std::string& Text);

  // Writes the SEG-2 file `Path`: beside it first, then renamed over it, so a
  // failure leaves no partial file and an older file of that name as it was.
  // `Ok` is true only when the whole file was written; `why` gets the reason,
  // which names `Path`.
  void SaveAs(const std::string& Path, bool& Ok, std::string* why = nullptr) const;

  // The sizes of the 16- and 32-bit fields; nullopt when one overflows its
  // field or when there is no channel list (or no such channel).
  std::optional<int16_t> FileBlockSize() const;
  std::optional<int32_t> TraceBlockSize(int Channel) const;
  std::optional<int16_t> TraceDescriptorSize(int Channel) const;

  // The shot.
  bool HasChannelList() const { return has_channel_list_; }
  // True once a sample count has been read for the present channel list.
  bool HasSampleArrays() const { return sample_arrays_; }
  int ChannelCount() const { return static_cast<int>(channels_.size()); }
  int32_t SampleCount() const { return ns_; }
  double SampleInterval() const { return sample_interval_; }
  const std::string& Company() const { return company_; }
  const std::string& Instrument() const { return instrument_; }
  const std::vector<std::string>& FileStrings() const { return file_strings_; }
  // Channels are 1-based; Channel(k) must be in 1 .. ChannelCount().
  const Seg2Channel& Channel(int k) const { return channels_.at(static_cast<size_t>(k - 1)); }
  // Sample i (1-based) of channel k: 0 when the channel had no block.
  float Sample(int k, int32_t i) const;

 private:
  std::vector<std::string> file_strings_;
  std::vector<Seg2Channel> channels_;
  bool has_channel_list_ = false;
  bool sample_arrays_ = false;
  std::vector<int> filled_;  // channels holding samples or strings since the sample count
  std::vector<int> missing_;
  int32_t ns_ = 0;
  double sample_interval_ = 0;
  std::string company_, instrument_;
};

// S of a string list: for each string its length + 3, then 2.
int64_t StringListSize(const std::vector<std::string>& list);

}  // namespace keld
