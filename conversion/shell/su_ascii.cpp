#include "conversion/shell/su_ascii.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "platform/temporaries.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/move_together.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoFileWritten = "; no file written";

}  // namespace

std::string FormatSample(float v) {
  // Words that strtod, Python and spreadsheets read back.
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  if (v == 0.0f) v = 0.0f;  // no "-0"
  // The shortest digits that read back as the same float (9 at most), padded
  // to eight decimals: -0.003f gives -3.00000000E-03, not -3.00000003E-03.
  char buf[48];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  std::string s(buf, r.ptr);
  const size_t e = s.find('e');
  std::string mantissa = s.substr(0, e), exponent = s.substr(e + 1);
  if (mantissa.find('.') == std::string::npos) mantissa += '.';
  const size_t decimals = mantissa.size() - mantissa.find('.') - 1;
  if (decimals < 8) mantissa.append(8 - decimals, '0');
  return mantissa + "E" + exponent;
}

bool Calcul_Channel(ConversionState& st, const std::string& file, int32_t& traces, int16_t& channels,
                    int16_t& stacked) {
  traces = 0;
  channels = 0;
  stacked = 0;
  auto L = ReadSuLayout(file);
  if (!L) return false;
  st.Ns = L->ns;
  st.Dt = L->dt;
  traces = static_cast<int32_t>(std::min<int64_t>(L->traces, INT32_MAX));
  Nb_Channel(file, st.Ns, traces, channels, stacked);
  return true;
}

std::string ChannelFileName(const std::string& su_file, int n) {
  std::string base = su_file.size() >= 2 ? su_file.substr(0, su_file.size() - 2) : std::string();
  std::string num = std::to_string(n);
  if (n < 100) num = std::to_string(1000 + n).substr(2);
  return base + num;
}

Result<std::vector<std::string>> ExportChannels(const std::string& su_file, int first, int last,
                                                const ExportProgress& progress) {
  using R = Result<std::vector<std::string>>;
  SuReader in;
  if (auto s = in.open(su_file); !s) return R::failure(s.error);
  if (first < 1 || first > last)
    return R::failure("First channel " + std::to_string(first) + " and last channel " + std::to_string(last) +
                      ": nothing to write");
  // Every trace up to the last one asked is checked: one of another length
  // before them would put other bytes where they seem to be.
  if (!in.check_through(std::min<int64_t>(last, in.traces()) - 1)) return R::failure(in.error());
  if (last > in.traces())
    return R::failure("Last channel " + std::to_string(last) + " is beyond the " + std::to_string(in.traces()) +
                      " traces of " + su_file);
  // Every name is checked before the first file is written: none may be the
  // SU file itself (rec.01 gives rec.01 for the first channel) nor another
  // file of this export.
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (int c = first; c <= last; ++c) {
    const std::string name = ChannelFileName(su_file, c - first + 1);
    if (SameFile(name, su_file))
      return R::failure(std::string(kSameInputOutput) + ": channel " + std::to_string(c) + " would be written over " +
                        su_file + "; nothing written");
    if (!seen.insert(name).second) return R::failure(name + " would be written twice; nothing written");
    // Only a file is replaced: a pipe or a device behind the name stays.
    std::error_code ec;
    if (const auto kind = fs::status(name, ec); fs::exists(kind) && !fs::is_regular_file(kind))
      return R::failure(CannotWrite(name, "not a regular file") + kNoFileWritten);
    names.push_back(name);
  }
  // Each channel goes to a new file beside its name; all take their names
  // only when every one is complete, so a stopped or failed export leaves
  // the older files as they were.
  std::vector<std::string> temps;
  auto drop = [&](const std::string& why) {
    for (const auto& t : temps) RemoveTemporary(t);
    return R::failure(why);
  };
  auto cannot = [&](const std::string& name, const std::string& error) {
    return drop(CannotWrite(name, error) + kNoFileWritten);
  };
  std::vector<float> s(static_cast<size_t>(in.ns()));
  const int64_t total = last - first + 1;
  for (int c = first; c <= last; ++c) {
    const int n = c - first + 1;
    if (progress && !progress(n, total)) return drop(kExportStopped);
    if (!in.read_samples(c - 1, s.data())) return drop(in.error());
    std::string text;
    text.reserve(s.size() * 17);
    for (float v : s) text += FormatSample(v) + "\r\n";
    const std::string& name = names[static_cast<size_t>(n - 1)];
    auto temp = CreateFileBeside(name);
    if (!temp) return cannot(name, temp.error());
    temps.push_back(*temp);
    std::FILE* f = std::fopen(temp->c_str(), "wb");
    bool written = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    int error = errno;
    if (f && std::fclose(f) != 0 && written) written = false, error = errno;
    if (!written) return cannot(name, std::strerror(error));
  }
  // All take their names together: a failure on one puts every earlier
  // one back as it was. The error begins with the name that failed.
  std::vector<Move> moves;
  for (size_t i = 0; i < names.size(); ++i) moves.push_back({temps[i], names[i]});
  if (auto st = MoveTogether(moves); !st) return drop("Cannot write " + st.error + kNoFileWritten);
  return names;
}

std::string ColumnsFileName(const std::string& su_file) {
  return (su_file.size() >= 3 ? su_file.substr(0, su_file.size() - 3) : std::string()) + ".txt";
}

void ClampTraceRange(int64_t& first, int64_t& last, int64_t traces) {
  if (first > last) std::swap(first, last);
  if (first < 1) first = 1;
  if (last > traces) last = traces;
}

Status ExportColumns(const std::string& su_file, const std::string& output, int64_t first, int64_t last,
                     const ExportProgress& progress) {
  SuReader in;
  if (auto s = in.open(su_file); !s) return s;
  ClampTraceRange(first, last, in.traces());
  if (first > last) return Status::failure("No trace to export from " + su_file);
  if (!in.check_through(last - 1)) return Status::failure(in.error());
  if (SameFile(su_file, output)) return Status::failure(kSameInputOutput);
  const size_t ns = static_cast<size_t>(in.ns());
  const size_t count = static_cast<size_t>(last - first + 1);
  // The block of traces is read once; the values are then written by sample.
  std::vector<float> block;
  block.resize(ns * count);
  // Progress runs over the traces read, then the lines written.
  const int64_t steps = static_cast<int64_t>(count + ns);
  for (size_t t = 0; t < count; ++t) {
    if (progress && !progress(static_cast<int64_t>(t + 1), steps)) return Status::failure(kExportStopped);
    if (!in.read_samples(first - 1 + static_cast<int64_t>(t), block.data() + t * ns)) return Status::failure(in.error());
  }
  AtomicFile out(output);
  if (!out.is_open()) return Status::failure(CannotWrite(output, out.error()));
  std::string line;
  for (size_t i = 0; i < ns; ++i) {
    if (progress && !progress(static_cast<int64_t>(count + i + 1), steps)) return Status::failure(kExportStopped);
    line.clear();
    for (size_t t = 0; t < count; ++t) line += FormatSample(block[t * ns + i]) + ",";
    line += "\r\n";
    if (!out.write(line)) return Status::failure(CannotWrite(output, out.error()));
  }
  if (!out.commit()) return Status::failure(CannotWrite(output, out.error()));
  return Status::good();
}

}  // namespace keld::conversion
