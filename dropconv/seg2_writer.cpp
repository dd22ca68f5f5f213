// Writing of the shot as a SEG-2 file. Every size and pointer is computed and
// checked against its field before the first byte is written, and the file is
// written beside its target and renamed over it only when complete.
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "common/files.hpp"
#include "dropconv/seg2_export.hpp"
#include "dropconv/seg2_layout.hpp"

namespace keld {

int64_t StringListSize(const std::vector<std::string>& list) {
  int64_t s = 2;
  for (const std::string& t : list) s += static_cast<int64_t>(t.size()) + 3;
  return s;
}

std::optional<int16_t> ClassSEG2Export::FileBlockSize() const {
  if (!has_channel_list_) return std::nullopt;
  int64_t size = seg2::kFixedSize + 4 * static_cast<int64_t>(ChannelCount()) +
                 StringListSize(file_strings_);
  if (size > kMaxBlock) return std::nullopt;
  return static_cast<int16_t>(size);
}

std::optional<int16_t> ClassSEG2Export::TraceDescriptorSize(int Channel) const {
  if (Channel < 1 || Channel > ChannelCount()) return std::nullopt;
  int64_t s = StringListSize(channels_[static_cast<size_t>(Channel - 1)].strings);
  if (s > kMaxTraceStrings) return std::nullopt;
  return static_cast<int16_t>(seg2::kFixedSize + s);
}

std::optional<int32_t> ClassSEG2Export::TraceBlockSize(int Channel) const {
  auto descriptor = TraceDescriptorSize(Channel);
  if (!descriptor) return std::nullopt;
  int64_t size = *descriptor + 4 * static_cast<int64_t>(ns_);
  if (size > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(size);
}

namespace {

// Checks every field and gives the trace pointers, or the reason the shot
// cannot be written.
Result<std::vector<int32_t>> TracePointers(const ClassSEG2Export& shot) {
  using R = Result<std::vector<int32_t>>;
  if (!shot.HasChannelList()) return R::failure("the record gives no channel count");
  int n = shot.ChannelCount();
  if (n > ClassSEG2Export::kMaxChannels)
    return R::failure(std::to_string(n) + " channels are more than a SEG-2 file can hold");
  auto file_block = shot.FileBlockSize();
  if (!file_block)
    return R::failure("the file strings (" + std::to_string(StringListSize(shot.FileStrings())) +
                      " bytes) overflow the file descriptor block");
  if (4 * static_cast<int64_t>(shot.SampleCount()) > std::numeric_limits<int32_t>::max())
    return R::failure(std::to_string(shot.SampleCount()) + " samples overflow a trace");
  if (n > 0 && !shot.HasSampleArrays())
    return R::failure("the channels have no sample count");
  std::vector<int32_t> pointers;
  pointers.reserve(static_cast<size_t>(n));
  int64_t at = *file_block;
  for (int k = 1; k <= n; ++k) {
    auto block = shot.TraceBlockSize(k);
    if (!block)
      return R::failure("the strings of channel " + std::to_string(k) +
                        " overflow its trace descriptor block");
    pointers.push_back(static_cast<int32_t>(at));
    at += *block;
    // Every block must start and end within the reach of the 32-bit pointers.
    if (at > std::numeric_limits<int32_t>::max())
      return R::failure("the file would pass 2 GiB at channel " + std::to_string(k));
  }
  return pointers;
}

bool WriteTrace(AtomicFile& out, const ClassSEG2Export& shot, int k) {
  const Seg2Channel& ch = shot.Channel(k);
  int32_t ns = shot.SampleCount();
  std::vector<uint8_t> buf;
  seg2::AppendTraceDescriptor(buf, *shot.TraceDescriptorSize(k), ns);
  seg2::AppendStringList(buf, ch.strings);
  constexpr int32_t kChunk = 16384;
  for (int32_t first = 0; first < ns; first += kChunk) {
    int32_t last = std::min(ns, first + kChunk);
    buf.reserve(buf.size() + 4 * static_cast<size_t>(last - first));
    for (int32_t i = first; i < last; ++i)
      seg2::AppendF32(buf, ch.samples.empty() ? 0.0f : ch.samples[static_cast<size_t>(i)]);
    if (!out.write(buf)) return false;
    buf.clear();
  }
  return buf.empty() || out.write(buf);
}

}  // namespace

void ClassSEG2Export::SaveAs(const std::string& Path, bool& Ok, std::string* why) const {
  Ok = false;
  auto fail = [&](const std::string& reason) {
    if (why) *why = reason;
  };
  auto pointers = TracePointers(*this);
  if (!pointers) return fail(Path + ": " + pointers.error());

  AtomicFile out(Path);
  if (!out.is_open()) return fail(out.error());
  std::vector<uint8_t> head;
  seg2::AppendFileDescriptor(head, static_cast<int16_t>(ChannelCount()));
  for (int32_t p : *pointers) seg2::AppendI32(head, p);
  seg2::AppendStringList(head, file_strings_);
  if (!out.write(head)) return fail(out.error());
  for (int k = 1; k <= ChannelCount(); ++k)
    if (!WriteTrace(out, *this, k)) return fail(out.error());
  if (!out.commit()) return fail(out.error());
  Ok = true;
}

}  // namespace keld
