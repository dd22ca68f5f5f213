#include "conversion/importers/su_output.hpp"

#include <limits>

#include "common/files.hpp"
#include "conversion/shell/state.hpp"

namespace keld::conversion {

namespace {

// Collects the first word that does not fit, so the message names it.
struct Fitter {
  std::string bad;
  int16_t i16(const char* name, int32_t v) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
      if (bad.empty()) bad = std::string(name) + " = " + std::to_string(v);
      return 0;
    }
    return static_cast<int16_t>(v);
  }
};

Result<SuTraceHeader> Finish(SuTraceHeader h, Fitter& f, const ShortShape& w, const HeaderAdditions& add) {
  if (w.ns < 1 || w.ns > 32767)
    return Result<SuTraceHeader>::failure("Samples per trace " + std::to_string(w.ns) +
                                          " out of range (1 to 32767)");
  if (w.dt < 0 || w.dt > 32767)
    return Result<SuTraceHeader>::failure("Sample interval " + std::to_string(w.dt) +
                                          " microseconds out of range (0 to 32767)");
  h.ns = static_cast<int16_t>(w.ns);
  h.dt = static_cast<int16_t>(w.dt);
  if (add.sx) h.sx = *add.sx;
  if (add.year) h.year = f.i16("year", *add.year);
  if (add.day) h.day = f.i16("day", *add.day);
  if (add.hour) h.hour = f.i16("hour", *add.hour);
  if (add.minute) h.minute = f.i16("minute", *add.minute);
  if (add.d1) h.d1 = *add.d1;
  if (add.d2) h.d2 = *add.d2;
  if (!f.bad.empty())
    return Result<SuTraceHeader>::failure("Header value " + f.bad + " does not fit its 16-bit word");
  return h;
}

SuTraceHeader ShortWords(const ShortShape& w, Fitter& f) {
  SuTraceHeader h;
  h.tracl = w.tracl;
  h.tracr = w.tracr;
  h.fldr = w.fldr;
  h.tracf = w.tracf;
  h.cdp = w.cdp;
  h.cdpt = w.cdpt;
  h.trid = f.i16("trid", w.trid);
  h.nvs = f.i16("nvs", w.nvs);
  h.nhs = f.i16("nhs", w.nhs);
  h.duse = f.i16("duse", w.duse);
  return h;
}

}  // namespace

Result<SuTraceHeader> MakeShortHeader(const ShortShape& w, const HeaderAdditions& add) {
  Fitter f;
  return Finish(ShortWords(w, f), f, w, add);
}

Result<SuTraceHeader> MakeFullHeader(const FullShape& w, const HeaderAdditions& add) {
  Fitter f;
  SuTraceHeader h = ShortWords(w, f);
  h.ep = w.ep;
  h.offset = w.offset;
  h.gelev = w.gelev;
  h.selev = w.selev;
  h.sdepth = w.sdepth;
  h.gdel = w.gdel;
  h.sdel = w.sdel;
  h.swdep = w.swdep;
  h.gwdep = w.gwdep;
  h.scalel = f.i16("scalel", w.scalel);
  h.scalco = f.i16("scalco", w.scalco);
  h.sx = w.sx;
  h.sy = w.sy;
  h.gx = w.gx;
  h.gy = w.gy;
  h.year = f.i16("year", w.year);
  h.day = f.i16("day", w.day);
  h.hour = f.i16("hour", w.hour);
  h.minute = f.i16("minute", w.minute);
  return Finish(h, f, w, add);
}

std::optional<int32_t> TraceNumber(int64_t record, int64_t channels, int64_t channel) {
  if (record < 1 || channels < 1 || channel < 1) return std::nullopt;
  int64_t t = (record - 1) * channels + channel;
  if (t > kMaxTraceNumber) return std::nullopt;
  return static_cast<int32_t>(t);
}

bool LimitRecords(int& records) {
  if (records <= kMaxRecords) return false;
  records = kMaxRecords;
  return true;
}

ImportWriter::ImportWriter(const std::string& output, const std::vector<std::string>& inputs) : output_(output) {
  if (output.empty()) {
    error_ = kFileNameMissing;
    return;
  }
  for (const auto& in : inputs) {
    if (SameFile(in, output)) {
      error_ = kSameInputOutput;
      return;
    }
  }
  writer_.emplace(output);
  if (!writer_->is_open()) error_ = CannotWrite(output, writer_->error());
}

bool ImportWriter::add(const SuTraceHeader& h, const float* samples, int ns) {
  if (!ok() || done_) return false;
  if (ns < 1 || h.ns != ns || (ns_ != 0 && ns != ns_)) {
    error_ = "Every trace of " + output_ + " must have the same number of samples";
    return false;
  }
  if (traces_ >= kMaxTraceNumber) {
    error_ = "More than " + std::to_string(kMaxTraceNumber) + " traces in " + output_;
    return false;
  }
  if (!writer_->write(h, samples, ns)) {
    error_ = CannotWrite(output_, writer_->error());
    return false;
  }
  ns_ = ns;
  ++traces_;
  return true;
}

bool ImportWriter::commit() {
  if (!ok() || done_) return false;
  if (traces_ == 0) {
    error_ = "No trace to write into " + output_;
    return false;
  }
  done_ = true;
  if (!writer_->commit()) {
    error_ = CannotWrite(output_, writer_->error());
    return false;
  }
  return true;
}

}  // namespace keld::conversion
