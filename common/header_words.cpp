#include "common/header_words.hpp"

#include <limits>

namespace keld {

namespace {
const std::array<HeaderWord, kHeaderWordCount> kWords = {{
    {1, 0, 4, "tracl", "Trace sequence number within line.", "Trace sequence number within line."},
    {2, 4, 4, "tracr", "Trace sequence number within reel.", "Trace sequence number within reel."},
    {3, 8, 4, "fldr", "Original field record number.", "Original field record number."},
    {4, 12, 4, "tracf", "Trace sequence number within original field record.", "Trace sequence number within original field record."},
    {5, 16, 4, "ep", "Energy source point number.", "Energy source point number."},
    {6, 20, 4, "cdp", "CDP ensemble number.", "CDP ensemble number."},
    {7, 24, 4, "cdpt", "Trace sequence number within CDP ensemble.", "Trace sequence number within CDP ensemble."},
    {8, 28, 2, "trid", "Trace identification code:1=data, 2=dead...", "Trace identification code:1=data, 2=dead..."},
    {9, 30, 2, "nvs", "Number of vertically summed traces yielding this trace.", "Number of vertically summed traces"},
    {10, 32, 2, "nhs", "Number of horizontally stacked traced yielding this trace.", "Number of horizontally stacked"},
    {11, 34, 2, "duse", "Data use (1 = production, 2 = test).", "Data use (1 = production, 2 = test,1)."},
    {12, 36, 4, "offset", "Distance from source point to receiver group.", "Distance from source point to receiver group."},
    {13, 40, 4, "gelev", "Receiver group elevation.", "Receiver group elevation."},
    {14, 44, 4, "selev", "Surface elevation at source.", "Surface elevation at source."},
    {15, 48, 4, "sdepth", "Source depth below surface.", "Source depth below surface."},
    {16, 52, 4, "gdel", "Datum elevation at receiver group.", "Datum elevation at receiver group."},
    {17, 56, 4, "sdel", "Datum elevation at source.", "Datum elevation at source."},
    {18, 60, 4, "swdep", "Water depth at source.", "Water depth at source."},
    {19, 64, 4, "gwdep", "Water depth at receiver group.", "Water depth at receiver group."},
    {20, 68, 2, "scalel", "Scalar for elevations and depths (+ = multiplier,", "Scalar for elevations and depths"},
    {21, 70, 2, "scalco", "Scalar for coordinates (+ = multiplier,", "Scalar for coordinates "},
    {22, 72, 4, "sx", "X source coordinate.", "X source coordinate."},
    {23, 76, 4, "sy", "Y source coordinate.", "Y source coordinate."},
    {24, 80, 4, "gx", "X receiver group coordinate.", "X receiver group coordinate."},
    {25, 84, 4, "gy", "Y receiver group coordinate.", "Y receiver group coordinate."},
    {26, 88, 2, "counit", "Coordinate units (1 = length in meters or feet, 2 = arc seconds).", "Coordinate units (1 = length in meters or feet, 2 = arc seconds,1)."},
    {27, 90, 2, "wevel", "Weathering velocity.", "Weathering velocity."},
    {28, 92, 2, "swevel", "Subweathering velocity.", "Subweathering velocity."},
    {29, 94, 2, "sut", "Uphole time at source.", "Uphole time at source."},
    {30, 96, 2, "gut", "Uphole time at receiver group.", "Uphole time at receiver group."},
    {31, 98, 2, " sstat", "Source static correction.", "Source static correction."},
    {32, 100, 2, "gstat", "Receiver group static correction.", "Receiver group static correction."},
    {33, 102, 2, "tstat", "Total static applied.", "Total static applied."},
    {34, 104, 2, "laga", "Lag time between end of header and time break in milliseconds.", "Lag time between end of header and time break in milliseconds."},
    {35, 106, 2, "lagb", "Lag time between time break and shot in milliseconds.", "Lag time between time break and shot in milliseconds."},
    {36, 108, 2, "delrt", "Lag time beteen shot and recording start in milliseconds.", "Lag time beteen shot and recording start in milliseconds."},
    {37, 110, 2, "muts", "Start of mute time", "Start of mute time"},
    {38, 112, 2, "mute", "End of mute time.", "End of mute time."},
    {39, 114, 2, "ns", "Number of samples in this trace.", "Number of samples in this trace."},
    {40, 116, 2, "dt", "Sample interval of this trace in microseconds.", "Sample interval of this trace in microseconds."},
    {41, 118, 2, "gain", "Field instrument gain type code:3=FPT,1=fixed", "Field instrument gain type code:3=FPT,1=fixed"},
    {42, 120, 2, "igc", "Instrument gain constant.", "Instrument gain constant."},
    {43, 122, 2, "lgi", "Intrument early gain in decibels.", "Intrument early gain in decibels."},
    {44, 124, 2, "corr", "Correlated (1 = no, 2 = yes).", "Correlated (1 = no, 2 = yes)."},
    {45, 126, 2, "sfs", "Sweep frequency at start.", "Sweep frequency at start."},
    {46, 128, 2, "sfe", "Sweep fequency at end.", "Sweep fequency at end."},
    {47, 130, 2, "slen", "Sweep length in milliseconds.", "Sweep length in milliseconds."},
    {48, 132, 2, "styp", "Sweep type code:", "Sweep type code:"},
    {49, 134, 2, "stas", "Sweep taper trace length at start in milliseconds.", "Sweep taper trace length at start in milliseconds."},
    {50, 136, 2, "stae", "Sweep taper trace length at end in milliseconds.", "Sweep taper trace length at end in milliseconds."},
    {51, 138, 2, "tatyp", "Taper type code:", "Taper type code:"},
    {52, 140, 2, "afilf", "Alias filter frequency.", "Alias filter frequency."},
    {53, 142, 2, "afils", "Alias filter slope.", "Alias filter slope."},
    {54, 144, 2, "nofilf", "Notch filter frequency.", "Notch filter frequency."},
    {55, 146, 2, "nofils", "Notch filter slope.", "Notch filter slope."},
    {56, 148, 2, "lcf", "Low cut frequency.", "Low cut frequency."},
    {57, 150, 2, "hcf", "High cut frequency.", "High cut frequency."},
    {58, 152, 2, "lcs", "Low cut slope.", "Low cut slope."},
    {59, 154, 2, "hcs", "High cut slope.", "High cut slope."},
    {60, 156, 2, "Year", "Year data recorded.", "Year data recorded."},
    {61, 158, 2, "Day", "Day of year.", "Day of year."},
    {62, 160, 2, "Hour", "Hour of day (24-h clock)", "Hour of day (1,24-h clock,1)"},
    {63, 162, 2, "Minute", "Minute of hour.", "Minute of hour."},
    {64, 164, 2, "sec", "Second of minute.", "Second of minute."},
    {65, 166, 2, "timbas", "Time basis (1 = local, 2 = GMT, 3 = other).", "Time basis (1,1 = local, 2 = GMT, 3 = other,1)."},
    {66, 168, 2, "trwf", "Trace weighting factor for fixed", "Trace weighting factor for fixed"},
    {67, 170, 2, "grnors", "Geophone group number of roll switch position one.", "Geophone group number of roll switch position one."},
    {68, 172, 2, "grnofr", "Geophone group number of first trace of original field record.", "Geophone group number of first trace of original field record."},
    {69, 174, 2, "grnlof", "Geophone group number of last trace of original field record.", "Geophone group number of last trace of original field record."},
    {70, 176, 2, "gaps", "Gap size (total number of groups dropped).", "Gap size "},
    {71, 178, 2, "otrav", "Overtravel associated with taper (1 = down/behind, 2 = up/ahead).", "Overtravel associated with taper "},
    {72, 180, 4, "d1/fbp", "sample spacing for non-seismic data", "sample spacing for non-seismic data"},
    {73, 184, 4, "f1", "first sample location for non-seismic data", "First sample location for non-seismic data"},
    {74, 188, 4, "d2", "sample spacing between traces", "sample spacing between traces"},
    {75, 192, 4, "f2", "first trace location", "First trace location"},
    {76, 196, 4, "ungpow", "negative of power used for dynamic range compression", "negative of power used for dynamic range compression"},
    {77, 200, 4, "unscale", "reciprocal of scaling factor to normalize range", "reciprocal of scaling factor to normalize range"},
    {78, 204, 4, "ntr", "number of traces", "number of traces"},
    {79, 208, 2, "mark", "mark selected traces", "mark selected traces"},
    {80, 210, 2, "unmass", "unassigned--NOTE: last entry causes", "unmass"},
    {81, 212, 2, "Velocity1", "Refraction Velocity 1", "Velocity 1"},
    {82, 214, 2, "Thick1", "Thickness layer 1", "Thickness layer 1"},
    {83, 216, 2, "Velocity2", "Refraction Velocity 2", "Velocity 2"},
    {84, 218, 2, "Thick2", "Thickness layer 2", "Thickness layer 2"},
    {85, 220, 2, "Velocity3", "Refraction Velocity 3", "Velocity 3"},
    {86, 222, 2, "First breaks", "First break pick ms*10", "First break time"},
}};
}  // namespace

const std::array<HeaderWord, kHeaderWordCount>& HeaderWords() { return kWords; }

const HeaderWord* FindHeaderWord(int number) {
  if (number < 1 || number > kHeaderWordCount) return nullptr;
  return &kWords[static_cast<std::size_t>(number - 1)];
}

std::string HeaderWordListLine(const HeaderWord& w) {
  std::string n = std::to_string(w.number);
  if (n.size() < 4) n.append(4 - n.size(), ' ');
  return n + w.description;
}

int64_t HeaderWordMin(int width) {
  return width == 2 ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int32_t>::min();
}
int64_t HeaderWordMax(int width) {
  return width == 2 ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int32_t>::max();
}

bool FitsHeaderWord(const HeaderWord& w, int64_t value) {
  return value >= HeaderWordMin(w.width) && value <= HeaderWordMax(w.width);
}

int32_t GetHeaderWord(const uint8_t* h, const HeaderWord& w) {
  const uint8_t* p = h + w.byte;
  if (w.width == 2) return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

void PutHeaderWord(uint8_t* h, const HeaderWord& w, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  uint8_t* p = h + w.byte;
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  if (w.width == 4) {
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
  }
}

}  // namespace keld
