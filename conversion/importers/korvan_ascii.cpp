#include "conversion/importers/korvan_ascii.hpp"

#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/text.hpp"
#include "conversion/importers/su_output.hpp"
#include "conversion/shell/module1.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

std::vector<std::string> TextItems(std::string_view text, size_t max_items) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && items.size() < max_items) {
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string item;
    if (i < n && text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) close = n;
      item = std::string(text.substr(i + 1, close - i - 1));
      i = close < n ? close + 1 : n;
      while (i < n && text[i] != ',' && text[i] != '\n') ++i;  // rest up to the separator
    } else {
      size_t b = i;
      while (i < n && text[i] != ',' && text[i] != '\n') ++i;
      item = std::string(text.substr(b, i - b));
      while (!item.empty() && (item.back() == '\r' || item.back() == ' ' || item.back() == '\t')) item.pop_back();
    }
    // A line end right after a comma ends the same item, not a new empty one.
    if (i < n && text[i] == ',') {
      ++i;
      size_t j = i;
      while (j < n && (text[j] == ' ' || text[j] == '\t' || text[j] == '\r')) ++j;
      if (j < n && text[j] == '\n') i = j + 1;
    } else if (i < n) {
      ++i;  // the line feed
    }
    items.push_back(std::move(item));
  }
  return items;
}

Result<AdtInfo> ParseAdt(std::string_view text) {
  auto items = TextItems(text, 18);
  if (items.size() < 9)
    return Result<AdtInfo>::failure("The information file holds " + std::to_string(items.size()) +
                                    " items, 9 at least are needed");
  auto word = [&](int k, int16_t& out, const char* what) -> std::string {
    auto v = CInt(Val(items[static_cast<size_t>(k - 1)]));
    if (!v) return std::string(what) + " (" + items[static_cast<size_t>(k - 1)] + ") is too large";
    out = *v;
    return {};
  };
  AdtInfo info;
  for (auto e : {word(5, info.channels, "Number of channels"), word(6, info.records, "Number of records"),
                 word(8, info.recording_ms, "Recording time"), word(9, info.samples, "Samples per trace")})
    if (!e.empty()) return Result<AdtInfo>::failure(e);
  if (info.samples <= 0)
    return Result<AdtInfo>::failure("Samples per trace " + std::to_string(info.samples) + " in the information file");
  auto dt = CInt(static_cast<double>(info.recording_ms) / info.samples * 1000.0);
  if (!dt || *dt < 0)
    return Result<AdtInfo>::failure("The sample interval of " + std::to_string(info.recording_ms) + " ms over " +
                                    std::to_string(info.samples) + " samples does not fit");
  info.sample_interval = *dt;
  return info;
}

Result<AdtInfo> ReadAdt(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return Result<AdtInfo>::failure(bytes.error());
  const auto& b = bytes.value();
  auto r = ParseAdt(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  if (!r) return Result<AdtInfo>::failure(path + ": " + r.error());
  return r;
}

std::string AdtOutputName(const std::string& adt_path) {
  std::string base = adt_path.size() >= 3 ? adt_path.substr(0, adt_path.size() - 3) : std::string();
  return base + "SU";
}

std::optional<std::string> FindFileAnyCase(const std::string& path) {
  if (Existe_file(path)) return path;
  fs::path p(path);
  std::error_code ec;
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  const std::string name = p.filename().string();
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (IEquals(it->path().filename().string(), name) && Existe_file(it->path().string()))
      return p.has_parent_path() ? it->path().string() : it->path().filename().string();
  }
  return std::nullopt;
}

std::optional<std::string> CompanionAdt(const std::string& channel_file) {
  fs::path p(channel_file);
  p.replace_extension(".adt");
  return FindBeside(p.string());
}

ChannelSelection SelectChannelFiles(const std::vector<std::string>& paths) {
  ChannelSelection sel;
  for (const auto& path : BoundSelection(paths, 99)) {
    const char last = path.back();
    if (last >= '0' && last <= '9') sel.files.push_back(path);
  }
  if (!paths.empty()) sel.output = FolderOf(paths.front()) + "korvan.su";
  return sel;
}

int ParseChannelSamples(std::string_view text, int ns, float* out) {
  auto items = TextItems(text, static_cast<size_t>(std::max(ns, 0)));
  int k = 0;
  for (const auto& item : items) out[k++] = static_cast<float>(Val(item));
  return k;
}

std::optional<DateWords> FileDateWords(const std::string& path) {
  struct stat sb;
  if (::stat(path.c_str(), &sb) != 0) return std::nullopt;
  std::tm tm{};
  time_t t = sb.st_mtime;
  if (!localtime_r(&t, &tm)) return std::nullopt;
  return DateWords{(tm.tm_year + 1900) % 100, tm.tm_yday + 1, tm.tm_hour, tm.tm_min};
}

KorvanResult ConvertKorvan(const KorvanImport& job, const std::function<void(int, const std::string&)>& progress) {
  KorvanResult res;
  if (job.channels < 1 || job.records < 1) {
    res.error = "Number of channels and number of records must be 1 or more";
    return res;
  }
  auto last = TraceNumber(job.records, job.channels, job.channels);
  if (!last) {
    res.error = std::to_string(job.records) + " records of " + std::to_string(job.channels) +
                " channels make more than 32767 traces";
    return res;
  }
  if (static_cast<size_t>(*last) > job.files.size()) {
    res.error = std::to_string(job.records) + " records of " + std::to_string(job.channels) + " channels need " +
                std::to_string(*last) + " channel files, the list holds " + std::to_string(job.files.size());
    return res;
  }
  FullShape w;
  w.trid = 1;
  w.ns = job.ns;
  w.dt = job.dt;
  w.year = job.date.year;
  w.day = job.date.day;
  w.hour = job.date.hour;
  w.minute = job.date.minute;
  if (auto h = MakeFullHeader(w); !h) {
    res.error = h.error();
    return res;
  }
  ImportWriter out(job.output, job.files);
  if (!out.ok()) {
    res.error = out.error();
    return res;
  }
  std::vector<float> samples(static_cast<size_t>(job.ns));
  for (int r = 1; r <= job.records; ++r) {
    for (int c = 1; c <= job.channels; ++c) {
      const int t = (r - 1) * job.channels + c;
      const std::string& file = job.files[static_cast<size_t>(t - 1)];
      if (progress) progress(t, file);
      if (job.stopped && job.stopped()) {
        res.error = "Conversion stopped: nothing written";
        return res;
      }
      std::fill(samples.begin(), samples.end(), 0.0f);
      auto bytes = ReadWholeFile(file);
      if (!bytes) {
        res.problems.push_back(bytes.error() + ": trace " + std::to_string(t) + " written with zeros");
      } else {
        const auto& b = bytes.value();
        int got = ParseChannelSamples(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), job.ns,
                                      samples.data());
        if (got < job.ns)
          res.problems.push_back(file + " holds " + std::to_string(got) + " of " + std::to_string(job.ns) +
                                 " samples: the rest written as zeros");
      }
      w.fldr = r;
      w.tracf = c;
      auto h = MakeFullHeader(w);
      if (!out.add(*h, samples)) {
        res.error = out.error();
        return res;
      }
    }
  }
  if (!out.commit()) {
    res.error = out.error();
    return res;
  }
  res.ok = true;
  res.traces = out.traces();
  return res;
}

}  // namespace keld::conversion
