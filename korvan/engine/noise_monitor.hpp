#pragma once
// The noise monitor: the units are armed free-running with 256 samples, every
// channel's unit is read in turn, its block low-pass filtered and handed to
// the view as deflections, over and over until the abort flag is set. Values
// the user may change while it runs (channel count, unit boxes, gain, "No
// Filter") are read at every pass, channel or sample, as the window shows them.
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "korvan/engine/low_pass.hpp"
#include "platform/pump.hpp"

namespace keld::board {
class BoardLink;
}

namespace keld::korvan {

inline constexpr int32_t kNoiseSamples = 256;

// Where a filtered noise sample is drawn across its channel's band: display
// gain x value / 500 as a 32-bit float, held to -1 .. +1.
float NoiseDeflection(float Gain_Affichage, float filtered);

class NoiseView {
 public:
  virtual ~NoiseView() = default;
  virtual int32_t channels() = 0;                 // Total_Channel, read at each pass
  virtual std::string unit_text(int channel) = 0; // the channel's Units box
  virtual float gain() = 0;                       // Gain_Affichage
  virtual void begin_pass(int32_t channels) = 0;  // a new picture for the pass
  // The deflections of samples 1..256 of a channel that was read.
  virtual void draw_channel(int channel, std::span<const float> deflections) = 0;
  // A channel whose unit did not answer within the link's block time-out.
  virtual void channel_failed(int channel) { (void)channel; }
};

struct NoiseCounts {
  int passes = 0;        // arms answered by the trigger notice
  int reads = 0;         // channels read and drawn
  int failed_reads = 0;  // channels whose unit did not answer (a link error for it)
  std::map<int, int> drawn;  // per channel, the passes it was drawn in
  // Why the monitor ended by itself (an arm that could not be sent, the link
  // lost or the units not started in time), naming the unit that answers the
  // arm; empty when it was stopped.
  std::string failure;
};

class NoiseMonitor {
 public:
  NoiseMonitor(board::BoardLink& link, EventPump& pump, int16_t& Stop_Attesa, const FilterState& filter);

  // Monitor_Rumore: returns when Stop_Attesa is 1, and leaves it 0; or at
  // once when an arm cannot be sent, the link is lost or the units do not
  // start within the status time-out, with counts.failure saying so (the
  // wait for them would be endless).
  NoiseCounts run(int Freq_Campionamento, NoiseView& view);

 private:
  board::BoardLink& link_;
  EventPump& pump_;
  int16_t& stop_;
  const FilterState& filter_;
};

}  // namespace keld::korvan
