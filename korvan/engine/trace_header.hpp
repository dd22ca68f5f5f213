#pragma once
// The 240-byte trace header that a shot writes before each channel's samples.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/su_header.hpp"
#include "korvan/engine/clock.hpp"

namespace keld::korvan {

// What the shot takes from the main window for its trace headers, read at arm
// time: box texts as they stand, and the clock read once.
struct ShotHeaderInputs {
  std::string Text3;        // record number
  std::string Sample_rate;  // the text chosen (nominal); dt is its exact interval
  std::string Nb_Sample;    // samples per channel (the text chosen)
  std::string Text14;       // recording delay, ms
  std::string Text17;       // station number of the shot
  std::string sx;           // shot position
  // GeoGrid rows 1 and 2: entry c - 1 is column c (receiver position along the
  // line, shot-to-receiver distance). A channel beyond them leaves its fields 0.
  std::vector<std::string> GeoRow1, GeoRow2;
  int Notch_50 = 0, Notch_60 = 0;  // 1 when set
  ClockReading clock;
};

// Samples per channel as the shot counts them: the whole number of Nb_Sample's
// text (nullopt when it does not fit 32 bits).
std::optional<int32_t> SamplesFromText(std::string_view Nb_Sample);

// Byte offset of channel c's trace (c from 1) in the shot file.
int64_t TracePosition(int channel, int32_t samples_per_channel);

// The header of channel `channel` (from 1). A field whose box holds no usable
// number is 0. `dead` marks a channel whose unit did not answer: trid 2
// instead of 1, everything else the same.
SuTraceHeader Ecrit_Entete_Trace(const ShotHeaderInputs& in, int channel, bool dead = false);

}  // namespace keld::korvan
