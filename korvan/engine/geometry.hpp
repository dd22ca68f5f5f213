#pragma once
// The shooting geometry as numbers: the derived boxes, the contents of the
// geometry grid, and the extents of the plan of the line. The window shows
// these; the shot takes the grid rows for its trace headers.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keld::korvan {

// Channel count C: the whole number of Total_Channel's text, 0 when it holds
// none or a negative one.
int ChannelCount(std::string_view Total_Channel);

// Last receiver lr = fr + (C - 1) x spacing, as text. nullopt (lr keeps its
// text) when fr is not a number as a whole.
std::optional<std::string> LastReceiverText(std::string_view fr, std::string_view Text15,
                                            int channels);

// Shot-to-first-receiver distance: fr - sx, as text.
std::string OffsetText(std::string_view fr, std::string_view sx);

// Station number of a position: value / spacing rounded half-even to 16 bits,
// as plain digits. nullopt (the box keeps its old text) when the spacing is 0
// or the quotient does not fit.
std::optional<std::string> StationText(std::string_view position, std::string_view Text15);

inline constexpr std::string_view kGeoRow1Label = "Distance along the line (m)";
inline constexpr std::string_view kGeoRow2Label = "Shot geophone distance (m)";

// GeoGrid columns 1..C: entry i - 1 of each row is column i.
struct GeoGridTexts {
  std::vector<std::string> row0;  // channel numbers "1", "2", ...
  std::vector<std::string> row1;  // receiver position fr + (i - 1) x spacing
  std::vector<std::string> row2;  // receiver position - sx, signed
};
GeoGridTexts GeoGridRows(std::string_view fr, std::string_view Text15, std::string_view sx,
                         int channels);

// The plan's horizontal user scale, metres along the line, and the symbol unit.
struct PlanExtents {
  double left = 0;   // minimum, 10 % further out; -10 when that is exactly 0
  double right = 0;  // maximum (starting at 0), 5 % further out
  double D = 0;      // (right - left) / 450
};
PlanExtents PlanExtentsFor(std::string_view fr, std::string_view Text15, std::string_view sx,
                           int channels);

// Geophone positions as the plan draws them: the grid's row 1, read back.
std::vector<double> PlanGeophones(const GeoGridTexts& grid);

// The plan's tooltip at user x: a blank, x cut down to the tenth below in the
// blank-prefixed form, then " m " (12.34 gives "  12.3 m ", -3.04 " -3.1 m ").
std::string PlanTooltip(double x);

}  // namespace keld::korvan
