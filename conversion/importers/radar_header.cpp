#include "conversion/importers/radar_header.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace keld::conversion {

std::optional<double> RadarKeyValue(std::string_view text, std::string_view key, bool negative) {
  if (key.empty() || key.size() > text.size()) return std::nullopt;
  size_t at = std::string_view::npos;
  for (size_t i = 0; i + key.size() <= text.size() && at == std::string_view::npos; ++i) {
    bool same = true;
    for (size_t k = 0; k < key.size() && same; ++k)
      same = std::toupper(static_cast<unsigned char>(text[i + k])) == std::toupper(static_cast<unsigned char>(key[k]));
    if (same) at = i;
  }
  if (at == std::string_view::npos) return std::nullopt;
  std::string digits;
  bool minus = false;
  const size_t end = std::min(text.size(), at + key.size() + 60);
  for (size_t i = at + key.size(); i < end; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') break;
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') digits += c;
    else if (c == '-' && negative && digits.empty()) minus = true;
  }
  if (digits.empty() || digits == ".") return std::nullopt;
  const double v = std::strtod(digits.c_str(), nullptr);
  return minus ? -v : v;
}

RamacHeader ReadRadHeader(std::string_view text) {
  RamacHeader h;
  h.samples = RadarKeyValue(text, "SAMPLES:");
  h.traces = RadarKeyValue(text, "LAST TRACE:");
  h.window_ns = RadarKeyValue(text, "TIMEWINDOW:");
  h.spacing = RadarKeyValue(text, "DISTANCE INTERVAL:");
  if (h.samples && h.window_ns && *h.samples > 0) h.interval_ns = *h.window_ns / *h.samples;
  return h;
}

Dt1Header ReadHdHeader(std::string_view text) {
  Dt1Header h;
  h.samples = RadarKeyValue(text, "NUMBER OF PTS/TRC  = ");
  h.time_zero = RadarKeyValue(text, "TIMEZERO AT POINT  = ", true);
  h.traces = RadarKeyValue(text, "NUMBER OF TRACES   = ");
  h.window_ns = RadarKeyValue(text, "TOTAL TIME WINDOW  = ");
  h.start = RadarKeyValue(text, "STARTING POSITION  = ", true);
  h.final_position = RadarKeyValue(text, "FINAL POSITION     = ", true);
  if (h.samples && h.window_ns && *h.samples > 0) h.interval_ns = *h.window_ns / *h.samples;
  if (h.traces && *h.traces > 0 && h.start && h.final_position)
    h.spacing = std::nearbyint((*h.final_position - *h.start) / *h.traces * 100) / 100;
  return h;
}

}  // namespace keld::conversion
