#include "conversion/importers/ascii_columns.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "conversion/importers/su_output.hpp"

namespace keld::conversion {

Result<std::vector<float>> ReadColumnValues(std::string_view text) {
  using R = Result<std::vector<float>>;
  std::vector<float> out;
  out.reserve(text.size() / 4);
  size_t pos = 0;
  int64_t line = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view l = text.substr(pos, end - pos);
    pos = end + 1;
    ++line;
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    if (l.find_first_not_of(" \t") == std::string_view::npos) continue;
    int field = 0;
    size_t f = 0;
    while (true) {
      size_t comma = l.find(',', f);
      std::string_view v = l.substr(f, comma == std::string_view::npos ? std::string_view::npos : comma - f);
      ++field;
      while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
      while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
      if (!v.empty() && v.front() == '+') v.remove_prefix(1);
      float x = 0;
      auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), x);
      if (v.empty() || ec != std::errc() || ptr != v.data() + v.size())
        return R::failure("Line " + std::to_string(line) + ", value " + std::to_string(field) + ": \"" +
                          std::string(v.substr(0, 40)) + "\" is not a number");
      out.push_back(x);
      if (comma == std::string_view::npos) break;
      f = comma + 1;
    }
  }
  return out;
}

int64_t ColumnTraces(int64_t values, int ns) {
  if (ns <= 0) return 0;
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(values) / ns));
}

Result<std::vector<SuTrace>> ImportColumns(const std::vector<float>& values, const ColumnParams& p) {
  using R = Result<std::vector<SuTrace>>;
  if (p.ns < 1) return R::failure("The number of samples per trace must be at least 1");
  if (p.traces < 1) return R::failure("The number of traces must be at least 1");
  const int64_t need = static_cast<int64_t>(p.ns) * p.traces;
  if (static_cast<int64_t>(values.size()) < need)
    return R::failure("The file holds " + std::to_string(values.size()) + " values, fewer than the " +
                      std::to_string(need) + " of " + std::to_string(p.traces) + " traces of " +
                      std::to_string(p.ns) + " samples");
  std::vector<SuTrace> out(static_cast<size_t>(p.traces));
  for (int t = 0; t < p.traces; ++t) {
    ShortShape w;
    w.fldr = 1;
    w.tracf = w.cdp = t + 1;
    w.trid = w.nvs = w.duse = 1;
    w.nhs = p.radar ? 95 : 1;
    w.ns = p.ns;
    w.dt = p.dt;
    auto h = MakeShortHeader(w);
    if (!h) return R::failure(h.error());
    SuTrace& tr = out[static_cast<size_t>(t)];
    tr.header = *h;
    tr.samples.resize(static_cast<size_t>(p.ns));
    for (int i = 0; i < p.ns; ++i)
      tr.samples[static_cast<size_t>(i)] = values[static_cast<size_t>(static_cast<int64_t>(i) * p.traces + t)];
  }
  return out;
}

}  // namespace keld::conversion
