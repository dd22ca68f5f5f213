#include "korvan/engine/screen_tools.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/numtext.hpp"

namespace keld::korvan {

namespace {

// A 16-bit rounding of a display coordinate; far outside the picture (a drag
// that left the window) it is held at the 16-bit limits.
int32_t Round16(double v) {
  double r = RoundHalfEven(v);
  if (!(r >= -32768)) return -32768;
  if (r > 32767) return 32767;
  return static_cast<int32_t>(r);
}

int32_t Floor32(double v) {
  double f = std::floor(v);
  if (!(f >= -2147483648.0)) return INT32_MIN;
  if (f > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(f);
}

}  // namespace

int32_t TraceAt(double x) { return Floor32((x - 1000) / 1000) + 1; }

std::string PointerTime(double y, int frequency) {
  if (frequency <= 0) return {};
  return Format0_h(y / frequency * 1000);
}

std::string PointerTip(double x, double y, int frequency) {
  std::string t = PointerTime(y, frequency);
  if (t.empty() || t[0] != '-') t = " " + t;
  return t + "ms,Trace:" + Str(TraceAt(x));
}

ApparentVelocity VelocityOfLine(double x1, double y1, double x2, double y2, double Intertrace,
                                int Freq_Campionamento) {
  ApparentVelocity v;
  // The distance is counted in receiver spacings between the two traces: a
  // line from trace 2 to trace 4 spans two spacings.
  v.spacings = std::abs(TraceAt(x1) - TraceAt(x2));
  if (v.spacings == 0) {
    v.refusal = kSameTrace;
    return v;
  }
  if (Freq_Campionamento <= 0 || std::abs(y1 - y2) == 0) {
    v.refusal = kSameTime;
    return v;
  }
  v.D = v.spacings * Intertrace;
  v.T = std::abs(y1 - y2) / Freq_Campionamento;
  double q = std::floor(v.D / v.T);
  v.V = q > 2147483647.0 ? INT32_MAX : q < -2147483648.0 ? INT32_MIN : static_cast<int32_t>(q);
  v.M = 1000 * v.T / v.spacings;
  v.message = Str(v.V) + " ms " + Str(v.M).substr(0, 6) + " ms/trace Intertrace:" + Str(Intertrace);
  return v;
}

ZoomWindow ZoomFromBox(double Depart_X, double Depart_Y, double Arrivee_X, double Arrivee_Y,
                       int32_t Nb_Campioni) {
  ZoomWindow z;
  if (Arrivee_X < Depart_X) std::swap(Arrivee_X, Depart_X);
  if (Arrivee_Y > Depart_Y) std::swap(Arrivee_Y, Depart_Y);
  // Column i's centre is at 1000 i + 500: rounding an edge over the column
  // width gives the first trace whose centre lies right of it.
  z.first_trace = Round16(Depart_X / kColumnWidth);
  z.last_trace = Round16(Arrivee_X / kColumnWidth) - 1;
  if (z.first_trace == z.last_trace) {
    z.refusal = kOneTrace;
    return z;
  }
  if (z.first_trace > z.last_trace) {
    z.refusal = kNoTrace;
    return z;
  }
  int32_t first = Round16(Depart_Y), last = Round16(Arrivee_Y);
  if (first > last) std::swap(first, last);
  if (first < 0) first = 0;
  if (last > Nb_Campioni) last = Nb_Campioni;
  if (first >= last) {
    z.refusal = kNoHeight;
    return z;
  }
  z.first_sample = first;
  z.last_sample = last;
  return z;
}

SpectrumBox SpectrumFromBox(double Depart_X, double Depart_Y, double Arrivee_X, double Arrivee_Y) {
  SpectrumBox b;
  if (Depart_Y > Arrivee_Y) std::swap(Depart_Y, Arrivee_Y);
  if (Depart_X > Arrivee_X) std::swap(Depart_X, Arrivee_X);
  b.first_trace = TraceAt(Depart_X);
  b.last_trace = TraceAt(Arrivee_X);
  if (b.last_trace - b.first_trace > 15) {
    b.capped = true;
    b.last_trace = b.first_trace + 15;
  }
  // A box dragged above the record starts at sample 0.
  b.fp = std::to_string(std::max<int32_t>(0, Round16(Depart_Y)));
  b.lp = std::to_string(std::max<int32_t>(0, Round16(Arrivee_Y)));
  b.same_point = b.fp == b.lp;
  return b;
}

std::vector<std::string> FreqlookArgs(const std::string& file, const SpectrumBox& box) {
  return {"f=" + file, "ftr=" + std::to_string(box.first_trace - 1),
          "ltr=" + std::to_string(box.last_trace - 1), "fpt=" + box.fp, "lpt=" + box.lp};
}

}  // namespace keld::korvan
