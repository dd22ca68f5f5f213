#include <bit>
#include <cmath>
#include <cstring>
#include <string>
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

  // A regular file is read in place; a pipe through the stream reader.
  WholeInput mapped;
  SuStreamReader reader = mapped.mapFile(in) ? SuStreamReader(mapped.data(), mapped.size()) : SuStreamReader(in);
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
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(x.data(), raw + 240, 4 * x.size());
    } else {
      for (size_t i = 0; i < x.size(); ++i) x[i] = get_f32le(raw + 240 + 4 * i);
    }
    const float* xs = x.data();
    double* acc = sum.data();
    int* n = live.data();
    for (size_t i = 0, e = sum.size(); i < e; ++i) {
      acc[i] += xs[i];
      n[i] += xs[i] != 0;
    }
    ++traces;
  }
  if (!reader.error().empty()) return Fail(err, reader.error());
  if (reader.count() == 0) return Fail(err, "no trace on standard input");
  if (!flush() || std::fflush(out) != 0) return Fail(err, "cannot write to standard output");
  return 0;
}

}  // namespace keld::sutools
