#include "korvan/display/su_info.hpp"

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

Result<SuLayout> CheckDisplayFile(const std::string& path) {
  using R = Result<SuLayout>;
  auto L = ReadSuLayout(path);
  if (!L) return R::failure(L.error());
  SuReader rd;
  if (Status st = rd.open(path); !st) return R::failure(st.error);
  // Every header is read before anything is drawn: the reader refuses a
  // trace whose ns is not the first trace's.
  SuTraceHeader h;
  for (int64_t i = 0; i < L->traces; ++i)
    if (!rd.read_header(i, h)) return R::failure(rd.error());
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
