#include "korvan/display/su_info.hpp"

#include "common/bytes.hpp"
#include "common/numtext.hpp"

namespace keld::korvan {

int FrequencyForDt(int dt, int* dt_used) {
  struct Row {
    int nominal, exact, hz;
  };
  // The nominal intervals the recorder writes and the exact ones.
  static constexpr Row kTable[] = {{32, 31, 32000},   {64, 62, 16000},   {128, 125, 8000},
                                   {256, 250, 4000},  {512, 500, 2000},  {1024, 1000, 1000},
                                   {2048, 2000, 500}, {4096, 4000, 250}};
  for (const Row& r : kTable)
    if (dt == r.nominal || dt == r.exact) {
      if (dt_used) *dt_used = dt;
      return r.hz;
    }
  if (dt_used) *dt_used = 512;
  return 2000;
}

Result<SuLayout> CheckDisplayFile(const std::string& path) {
  using R = Result<SuLayout>;
  auto L = ReadSuLayout(path);
  if (!L) return R::failure(L.error());
  SuReader rd;
  if (Status st = rd.open(path); !st) return R::failure(st.error);
  SuTraceHeader h;
  for (int64_t i = 0; i < L->traces; ++i) {
    if (!rd.read_header(i, h)) return R::failure(rd.error());
    if (h.ns != L->ns)
      return R::failure(path + ": not an SU file of fixed trace length (trace " + std::to_string(i + 1) +
                        " has " + std::to_string(h.ns) + " samples, the first trace " +
                        std::to_string(L->ns) + ")");
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
  info.rec_time = info.ns * (info.dt_used / 1000000.0);
  info.Rec_time = CStr(info.rec_time);
  return info;
}

}  // namespace keld::korvan
