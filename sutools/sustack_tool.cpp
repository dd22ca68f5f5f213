#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/bytes.hpp"
#include "common/su_header.hpp"
#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/whole_input.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUSTACK - stack adjacent SU traces with the same header key\n"
    "\n"
    "  sustack <stdin >stdout [key=cdp] [normpow=1]\n"
    "\n"
    "Parameters:\n"
    "  key=      header word whose value groups the traces (cdp)\n"
    "  normpow=  each sample of the sum is divided by N^normpow, N the number\n"
    "            of non-zero values stacked at that sample (1)\n"
    "\n"
    "Traces are grouped while the key keeps its value, so sort the input by\n"
    "the key first (susort). Each output trace takes the header of its group's\n"
    "first trace, with offset 0 and nhs the number of traces stacked.\n";

int Fail(std::FILE* err, const std::string& why) {
  std::fprintf(err, "sustack: %s\n", why.c_str());
  return 1;
}

double Key(const uint8_t* h, const HeaderField& f) {
  switch (f.kind) {
    case FieldKind::I16: return get_i16le(h + f.offset);
    case FieldKind::I32: return get_i32le(h + f.offset);
    case FieldKind::F32: return get_f32le(h + f.offset);
  }
  return 0;
}

// The samples of a trace as floats, and back.
void ReadSamples(const uint8_t* raw, std::vector<float>& x) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(x.data(), raw, 4 * x.size());
  } else {
    for (size_t i = 0; i < x.size(); ++i) x[i] = get_f32le(raw + 4 * i);
  }
}

void WriteSamples(const std::vector<float>& y, uint8_t* raw) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(raw, y.data(), 4 * y.size());
  } else {
    for (size_t i = 0; i < y.size(); ++i) put_f32le(raw + 4 * i, y[i]);
  }
}

// Adds one trace to the sums and counts the non-zero values.
void Accumulate(const float* x, double* acc, int* n, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    acc[i] += x[i];
    n[i] += x[i] != 0;
  }
}

// Stacks a regular input file mapped in memory: the groups are found first
// (only the headers are read), then stacked on several threads, each with its
// own sums, into one output buffer written at once. The sums run in the same
// order as in the stream, so the output is the same to the bit. As in the
// stream, a fault leaves the group it falls in unwritten, after every group
// before it.
int StackMapped(const uint8_t* data, size_t size, const HeaderField& field, double normpow, std::FILE* out,
                std::FILE* err) {
  SuStreamReader reader(data, size);
  struct Group {
    size_t first = 0, count = 0, at = 0;  // traces[first..first+count), output byte offset
    int ns = 0;
  };
  std::vector<const uint8_t*> traces;
  std::vector<Group> groups;
  std::string fault;
  const uint8_t* raw = nullptr;
  int ns = 0, dt = 0;
  double key = 0;
  size_t bytes = 0;
  while (reader.nextRaw(raw, ns, dt)) {
    const double k = Key(raw, field);
    if (groups.empty() || k != key) {
      groups.push_back({traces.size(), 0, bytes, ns});
      bytes += 240 + 4 * static_cast<size_t>(ns);
      key = k;
    } else if (ns != groups.back().ns) {
      fault = "trace " + std::to_string(reader.count()) + ": ns=" + std::to_string(ns) + " differs from the " +
              std::to_string(groups.back().ns) + " of its group";
      break;
    }
    traces.push_back(raw);
    ++groups.back().count;
  }
  if (fault.empty()) fault = reader.error();
  if (!fault.empty() && !groups.empty()) {
    bytes = groups.back().at;
    groups.pop_back();
  }
  if (fault.empty() && reader.count() == 0) fault = "no trace on standard input";
  size_t most = 0;
  for (const Group& g : groups) most = std::max(most, g.count);
  std::vector<double> norm(most + 1);  // norm[n] = n^normpow
  for (size_t n = 0; n <= most; ++n) norm[n] = std::pow(static_cast<double>(n), normpow);
  std::vector<uint8_t> output(bytes);
  auto stack = [&](size_t lo, size_t hi) {
    std::vector<double> sum;
    std::vector<int> live;
    std::vector<float> x, y;
    for (size_t gi = lo; gi < hi; ++gi) {
      const Group& g = groups[gi];
      const size_t n = static_cast<size_t>(g.ns);
      sum.assign(n, 0.0);
      live.assign(n, 0);
      x.resize(n);
      y.resize(n);
      for (size_t t = g.first; t < g.first + g.count; ++t) {
        ReadSamples(traces[t] + 240, x);
        Accumulate(x.data(), sum.data(), live.data(), n);
      }
      for (size_t i = 0; i < n; ++i)
        y[i] = live[i] > 0 ? static_cast<float>(sum[i] / norm[static_cast<size_t>(live[i])]) : 0.0f;
      uint8_t* o = output.data() + g.at;
      std::memcpy(o, traces[g.first], 240);
      put_i32le(o + 36, 0);
      put_i16le(o + 32, static_cast<int16_t>(std::min<size_t>(g.count, 32767)));
      WriteSamples(y, o + 240);
    }
  };
  const size_t threads = std::min<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u), groups.size() / 8 + 1);
  std::vector<std::thread> pool;
  for (size_t j = 1; j < threads; ++j)
    pool.emplace_back(stack, groups.size() * j / threads, groups.size() * (j + 1) / threads);
  stack(0, groups.size() / threads);
  for (auto& t : pool) t.join();
  if ((!output.empty() && std::fwrite(output.data(), 1, output.size(), out) != output.size()) || std::fflush(out) != 0)
    return Fail(err, "cannot write to standard output");
  return fault.empty() ? 0 : Fail(err, fault);
}

}  // namespace

int SustackMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"key", "normpow"});
  if (!kv) return Fail(err, kv.error());
  HeaderField field = *FindHeaderField("cdp");
  if (auto it = kv->find("key"); it != kv->end()) {
    auto f = FindHeaderField(it->second);
    if (!f) return Fail(err, "key=" + it->second + ": not a trace header key");
    field = *f;
  }
  double normpow = 1;
  if (auto it = kv->find("normpow"); it != kv->end()) {
    auto v = ParseNumber(it->second);
    if (!v) return Fail(err, "normpow=: " + v.error());
    normpow = *v;
  }

  // A regular file is read in place; a pipe as a stream.
  if (WholeInput mapped; mapped.mapFile(in)) return StackMapped(mapped.data(), mapped.size(), field, normpow, out, err);
  SuStreamReader reader(in);
  StreamTrace group;
  std::vector<double> sum;
  std::vector<int> live;
  std::vector<float> x;
  int traces = 0;
  double key = 0;
  std::vector<double> norm;  // norm[n] = n^normpow, made as far as needed
  auto flush = [&]() -> bool {
    if (traces == 0) return true;
    while (norm.size() <= static_cast<size_t>(traces)) norm.push_back(std::pow(static_cast<double>(norm.size()), normpow));
    for (size_t i = 0; i < sum.size(); ++i)
      group.samples[i] = live[i] > 0 ? static_cast<float>(sum[i] / norm[static_cast<size_t>(live[i])]) : 0.0f;
    put_i32le(group.header + 36, 0);
    put_i16le(group.header + 32, static_cast<int16_t>(std::min(traces, 32767)));
    return WriteStreamTrace(out, group);
  };
  const uint8_t* raw = nullptr;
  int ns = 0, dt = 0;
  while (reader.nextRaw(raw, ns, dt)) {
    const double k = Key(raw, field);
    if (traces == 0 || k != key) {
      if (!flush()) return Fail(err, "cannot write to standard output");
      std::memcpy(group.header, raw, 240);
      group.ns = ns;
      group.dt_us = dt;
      group.samples.resize(static_cast<size_t>(ns));
      sum.assign(static_cast<size_t>(ns), 0.0);
      live.assign(static_cast<size_t>(ns), 0);
      traces = 0;
      key = k;
    } else if (ns != group.ns) {
      return Fail(err, "trace " + std::to_string(reader.count()) + ": ns=" + std::to_string(ns) +
                           " differs from the " + std::to_string(group.ns) + " of its group");
    }
    x.resize(static_cast<size_t>(ns));
    ReadSamples(raw + 240, x);
    Accumulate(x.data(), sum.data(), live.data(), x.size());
    ++traces;
  }
  if (!reader.error().empty()) return Fail(err, reader.error());
  if (reader.count() == 0) return Fail(err, "no trace on standard input");
  if (!flush() || std::fflush(out) != 0) return Fail(err, "cannot write to standard output");
  return 0;
}

}  // namespace keld::sutools
