#include "korvan/engine/trace_header.hpp"

#include "common/numtext.hpp"
#include "korvan/engine/acquisition_values.hpp"

namespace keld::korvan {

namespace {

// Entry c - 1 of a grid row, when the column exists.
const std::string* Cell(const std::vector<std::string>& row, int channel) {
  if (channel < 1 || static_cast<size_t>(channel) > row.size()) return nullptr;
  return &row[static_cast<size_t>(channel) - 1];
}

}  // namespace

std::optional<int32_t> SamplesFromText(std::string_view Nb_Sample) { return CLng(Val(Nb_Sample)); }

int64_t TracePosition(int channel, int32_t samples_per_channel) {
  return static_cast<int64_t>(channel - 1) * (240 + 4 * static_cast<int64_t>(samples_per_channel));
}

SuTraceHeader Ecrit_Entete_Trace(const ShotHeaderInputs& in, int channel, bool dead) {
  SuTraceHeader h;
  h.fldr = CLng(Val(in.Text3)).value_or(0);
  h.tracf = CInt(channel).value_or(0);
  h.trid = dead ? 2 : 1;
  h.nvs = 1;
  h.nhs = 1;
  h.duse = 1;
  h.scalel = 1;
  h.scalco = 1;
  h.sx = CLng(Val(in.sx)).value_or(0);
  if (const std::string* g = Cell(in.GeoRow1, channel)) h.gx = CLng(Val(*g)).value_or(0);
  if (const std::string* d = Cell(in.GeoRow2, channel)) {
    h.offset = CLng(Val(*d)).value_or(0);
    // The station number and the rounded distance are added as a decimal
    // number, which goes through its text form before the halving.
    if (auto dist = CInt(Val(*d))) {
      double sum = Val(in.Text17) + *dist;
      h.cdp = CLng(Val(CStr(sum)) / 2).value_or(0);
    }
  }
  h.delrt = CInt(Val(in.Text14)).value_or(0);
  const int32_t samples = SamplesFromText(in.Nb_Sample).value_or(0);
  h.ns = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(samples) & 0xFFFF));
  h.Nb_Samples = samples;
  h.dt = CInt(Val(ExactIntervalText(in.Sample_rate))).value_or(0);
  h.corr = 2;
  h.nofilf = in.Notch_50 == 1 ? 50 : in.Notch_60 == 1 ? 60 : 0;
  h.year = static_cast<int16_t>(in.clock.year);
  h.day = static_cast<int16_t>(DayOfYear(in.clock.year, in.clock.month, in.clock.day));
  h.hour = static_cast<int16_t>(in.clock.hour);
  h.minute = static_cast<int16_t>(in.clock.minute);
  return h;
}

}  // namespace keld::korvan
