#pragma once
// The numbers behind the mouse tools on the seismogram: the pointer's time
// and trace, the apparent velocity of a line, the window of a zoom box and
// the traces and samples of a spectrum box. Display coordinates are those of
// the drawing: every trace owns a column 1000 units wide (trace i from 1000 i
// to 1000 (i + 1)), and the vertical coordinate is the sample number.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::korvan {

// The width of a trace column on Ecran. The drawing always lays every trace
// out at this width, also after a zoom.
inline constexpr double kColumnWidth = 1000;

// The trace under a display point: Int((X - 1000) / 1000) + 1.
int32_t TraceAt(double x);

// Temps_Pointeur: the time of the sample under the pointer in ms (the sample
// over the sampling frequency), formatted "0.#". Empty for a frequency of 0.
std::string PointerTime(double y, int frequency);
// The tool tip of Ecran: the time with a leading blank, "ms,Trace:" and the
// trace with its leading blank (" 12.5ms,Trace: 4").
std::string PointerTip(double x, double y, int frequency);

// The apparent velocity of a line drawn from (x1, y1) to (x2, y2).
struct ApparentVelocity {
  std::string refusal;   // not empty: the line is refused with this message
  int32_t spacings = 0;  // receiver spacings between the two traces
  double D = 0;          // distance: spacings x Intertrace
  double T = 0;          // time: samples spanned / frequency, in s
  int32_t V = 0;         // Int(D / T)
  double M = 0;          // moveout per spacing, ms
  std::string message;   // what the message box shows
};
ApparentVelocity VelocityOfLine(double x1, double y1, double x2, double y2, double Intertrace,
                                int Freq_Campionamento);

inline constexpr const char* kSameTrace = "Same trace at both ends, velocity impossible";
inline constexpr const char* kSameTime = "Same time at both ends, velocity impossible";

// The window of a zoom box pressed at (Depart_X, Depart_Y) and released at
// (Arrivee_X, Arrivee_Y): the traces whose column centre lies inside the box
// and the samples it spans, limited to 0 .. Nb_Campioni.
struct ZoomWindow {
  std::string refusal;  // not empty: refused with this message
  int32_t first_trace = 0, last_trace = 0;
  int32_t first_sample = 0, last_sample = 0;
};
ZoomWindow ZoomFromBox(double Depart_X, double Depart_Y, double Arrivee_X, double Arrivee_Y,
                       int32_t Nb_Campioni);

inline constexpr const char* kOneTrace = "1 trace, display not Possible";
inline constexpr const char* kNoTrace = "No trace centre in the box, display not Possible";
inline constexpr const char* kNoHeight = "No time window in the box, display not Possible";

// The traces and samples of a spectrum box, at most 16 traces.
struct SpectrumBox {
  int32_t first_trace = 0, last_trace = 0;  // 1-based
  std::string fp, lp;                      // first and last sample as text
  bool capped = false;                     // more than 16 traces: "Maximum 16 traces"
  bool same_point = false;                 // no height: "Same point, impossible"
};
SpectrumBox SpectrumFromBox(double Depart_X, double Depart_Y, double Arrivee_X, double Arrivee_Y);

// The arguments of the spectrum program: the file, the traces counted from 0
// and the samples, "f=..", "ftr=..", "ltr=..", "fpt=..", "lpt=..".
std::vector<std::string> FreqlookArgs(const std::string& file, const SpectrumBox& box);

inline constexpr const char* kMaximum16 = "Maximum 16 traces";
inline constexpr const char* kSamePoint = "Same point, impossible";
inline constexpr const char* kFreqlookMissing = "FREQLOOK.EXE must be in KORVAN folder";

}  // namespace keld::korvan
