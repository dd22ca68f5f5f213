#include "korvan/display/su_info.hpp"

#include <cstdio>

#include "common/bytes.hpp"
#include "common/numtext.hpp"
#include "common/sample_interval.hpp"

namespace keld::korvan {

int FrequencyForDt(int dt, int* dt_used) {
  // Nominal and exact intervals both stand for their frequency; times are
  // always taken at the exact interval of that frequency.
  // An interval outside the table counts as 2000 Hz, every 500 us.
  const std::optional<int> hz = SamplingFrequency(dt);
  if (dt_used) *dt_used = hz ? ExactInterval(dt) : 500;
  return hz.value_or(2000);
}

namespace {

// A refused file that reads as a whole number of traces in big-endian order is
// most likely a big-endian SU file; say so rather than only "not an SU file".
std::string ByteOrderHint(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  uint8_t h[240];
  size_t got = std::fread(h, 1, sizeof h, f);
  long len = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) len = std::ftell(f);
  std::fclose(f);
  if (got < sizeof h || len <= 0) return {};
  int ns_be = get_i16be(h + 114);
  if (ns_be <= 0) return {};
  long trace = 240 + 4L * ns_be;
  if (len < trace || len % trace != 0) return {};
  return " (it reads as a big-endian file of " + std::to_string(len / trace) + " traces of " +
         std::to_string(ns_be) + " samples; only little-endian SU files are read)";
}

}  // namespace

Result<SuLayout> CheckDisplayFile(const std::string& path) {
  using R = Result<SuLayout>;
  auto L = ReadSuLayout(path);
  if (!L) return R::failure(L.error() + ByteOrderHint(path));
  SuReader rd;
  if (Status st = rd.open(path); !st) return R::failure(st.error);
  SuTraceHeader h;
  for (int64_t i = 0; i < L->traces; ++i) {
    if (!rd.read_header(i, h)) return R::failure(rd.error());
    if (h.ns != L->ns)
      return R::failure(path + ": not an SU file of fixed trace length (trace " + std::to_string(i + 1) +
                        " has " + std::to_string(h.ns) + " samples, the first trace " +
                        std::to_string(L->ns) + ")" + ByteOrderHint(path));
  }
  return L;
}

Result<SuInfo> ReadSuInfo(const std::string& path) {
  using R = Result<SuInfo>;
  if (path.size() < 5) return R::failure("file name \"" + path + "\" too short");
  auto L = CheckDisplayFile(path);
  if (!L) return R::failure(L.error());
  SuInfo info;
  info.ns = L->ns;
  info.dt = L->dt;
  info.delrt = L->delrt;
  info.traces = L->traces;
  info.Freq_Campionamento = FrequencyForDt(info.dt, &info.dt_used);
  info.rec_time = static_cast<double>(info.ns) / info.Freq_Campionamento;
  info.Rec_time = CStr(info.rec_time);
  return info;
}

}  // namespace keld::korvan
