#include "korvan/engine/geometry.hpp"

#include <cmath>

#include "common/numtext.hpp"
#include "common/numtext.hpp"

namespace keld::korvan {

int ChannelCount(std::string_view Total_Channel) {
  auto c = CInt(Val(Total_Channel));
  return c && *c > 0 ? *c : 0;
}

std::optional<std::string> LastReceiverText(std::string_view fr, std::string_view Text15,
                                            int channels) {
  auto first = CDbl(fr);
  if (!first) return std::nullopt;
  double lr = *first + (channels - 1) * Val(Text15);
  return CStr(Val(CStr(lr)));
}

std::string OffsetText(std::string_view fr, std::string_view sx) { return CStr(Val(fr) - Val(sx)); }

std::optional<std::string> StationText(std::string_view position, std::string_view Text15) {
  double spacing = Val(Text15);
  if (spacing == 0) return std::nullopt;
  auto station = CInt(Val(position) / spacing);
  if (!station) return std::nullopt;
  return std::to_string(*station);
}

GeoGridTexts GeoGridRows(std::string_view fr, std::string_view Text15, std::string_view sx,
                         int channels) {
  GeoGridTexts g;
  const double first = Val(fr), spacing = Val(Text15), shot = Val(sx);
  for (int i = 1; i <= channels; ++i) {
    double p = first + (i - 1) * spacing;
    g.row0.push_back(std::to_string(i));
    g.row1.push_back(CStr(p));
    g.row2.push_back(CStr(p - shot));
  }
  return g;
}

PlanExtents PlanExtentsFor(std::string_view fr, std::string_view Text15, std::string_view sx,
                           int channels) {
  const double first = Val(fr), spacing = Val(Text15), shot = Val(sx);
  double maximum = 0, minimum = 99999;
  for (int i = 1; i <= channels; ++i) {
    double p = first + (i - 1) * spacing;
    if (p > maximum) maximum = p;
    if (p < minimum) minimum = p;
  }
  if (shot > maximum) maximum = shot;
  if (shot < minimum) minimum = shot;
  minimum -= std::fabs(minimum) / 10;
  if (minimum == 0) minimum = -10;
  maximum += maximum / 20;
  return PlanExtents{minimum, maximum, (maximum - minimum) / 450};
}

std::vector<double> PlanGeophones(const GeoGridTexts& grid) {
  std::vector<double> p;
  p.reserve(grid.row1.size());
  for (const auto& t : grid.row1) p.push_back(Val(t));
  return p;
}

std::string PlanTooltip(double x) { return " " + Str(std::floor(10 * x) / 10) + " m "; }

}  // namespace keld::korvan
