#include "conversion/shell/su_ascii.hpp"

#include <charconv>
#include <cstdio>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/module1.hpp"

namespace keld::conversion {

std::string FormatSample(float v) {
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
                                                const std::function<void(int, int)>& progress) {
  using R = Result<std::vector<std::string>>;
  SuReader in;
  if (auto s = in.open(su_file); !s) return R::failure(s.error);
  if (first < 1 || first > last)
    return R::failure("First channel " + std::to_string(first) + " and last channel " + std::to_string(last) +
                      ": nothing to write");
  if (last > in.traces())
    return R::failure("Last channel " + std::to_string(last) + " is beyond the " + std::to_string(in.traces()) +
                      " traces of " + su_file);
  std::vector<std::string> written;
  std::vector<float> s(static_cast<size_t>(in.ns()));
  for (int c = first; c <= last; ++c) {
    const int n = c - first + 1;
    if (progress) progress(n, last - first + 1);
    if (!in.read_samples(c - 1, s.data())) return R::failure(in.error());
    std::string text;
    text.reserve(s.size() * 17);
    for (float v : s) text += FormatSample(v) + "\r\n";
    const std::string name = ChannelFileName(su_file, n);
    if (auto st = WriteFileAtomic(name, text); !st) return R::failure(st.error);
    written.push_back(name);
  }
  return written;
}

std::string ColumnsFileName(const std::string& su_file) {
  return (su_file.size() >= 3 ? su_file.substr(0, su_file.size() - 3) : std::string()) + ".txt";
}

void ClampTraceRange(int64_t& first, int64_t& last, int64_t traces) {
  if (first > last) std::swap(first, last);
  if (first < 1) first = 1;
  if (last > traces) last = traces;
}

Status ExportColumns(const std::string& su_file, const std::string& output, int64_t first, int64_t last) {
  SuReader in;
  if (auto s = in.open(su_file); !s) return s;
  ClampTraceRange(first, last, in.traces());
  if (first > last) return Status::failure("No trace to export from " + su_file);
  if (SameFile(su_file, output)) return Status::failure(kSameInputOutput);
  const size_t ns = static_cast<size_t>(in.ns());
  const size_t count = static_cast<size_t>(last - first + 1);
  // The block of traces is read once; the values are then written by sample.
  std::vector<float> block;
  block.resize(ns * count);
  for (size_t t = 0; t < count; ++t)
    if (!in.read_samples(first - 1 + static_cast<int64_t>(t), block.data() + t * ns)) return Status::failure(in.error());
  AtomicFile out(output);
  if (!out.is_open()) return Status::failure("Cannot write " + output + ": " + out.error());
  std::string line;
  for (size_t i = 0; i < ns; ++i) {
    line.clear();
    for (size_t t = 0; t < count; ++t) line += FormatSample(block[t * ns + i]) + ",";
    line += "\r\n";
    if (!out.write(line)) return Status::failure("Cannot write " + output + ": " + out.error());
  }
  if (!out.commit()) return Status::failure("Cannot write " + output + ": " + out.error());
  return Status::good();
}

}  // namespace keld::conversion
