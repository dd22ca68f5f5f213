#pragma once
// The scale factor of each trace by the selected normalisation. The factor is
// the one that gives the reference value R a deflection of 500 display units,
// half a trace column. Only the examined samples (1, 1 + step, ...) count.
namespace keld::korvan {

class Normaliser {
 public:
  Normaliser(int egali, int step) : egali_(egali), step_(step < 1 ? 1 : step) {}

  // The factor for the next trace (samples[0] is sample 1). `first_trace` is
  // true for the first trace of the drawing, on which the true amplitude is
  // measured. A reference that is not positive (a dead, all-zero or
  // all-negative trace) keeps the previous factor, 1 at the start: the trace is
  // never flipped or blown up by it.
  double Next(const float* samples, int ns, bool first_trace);
  double factor() const { return factor_; }

  // The reference values, for the tests.
  static double LargestSample(const float* samples, int upto, int step);  // -inf when none
  static double HalfRule(const float* samples, int ns, int step);

 private:
  int egali_;
  int step_;
  double factor_ = 1;
};

}  // namespace keld::korvan
