#include "korvan/engine/noise_monitor.hpp"

#include <vector>

#include "boardlink/board_link.hpp"
#include "common/numtext.hpp"

namespace keld::korvan {

float NoiseDeflection(float Gain_Affichage, float filtered) {
  float v = Gain_Affichage * filtered / 500.0f;
  if (v > 1.0f) return 1.0f;
  if (v < -1.0f) return -1.0f;
  return v;  // a NaN gain or value stays NaN and draws nothing useful, as it came
}

NoiseMonitor::NoiseMonitor(board::BoardLink& link, EventPump& pump, int16_t& Stop_Attesa,
                           const FilterState& filter)
    : link_(link), pump_(pump), stop_(Stop_Attesa), filter_(filter) {}

NoiseCounts NoiseMonitor::run(int Freq_Campionamento, NoiseView& view) {
  NoiseCounts counts;
  std::vector<float> filtered(static_cast<size_t>(kNoiseSamples));
  std::vector<float> deflections(filtered.size());
  // The master unit answers the arm for all; without one, channel 1's.
  auto fail = [&] {
    const std::string unit =
        link_.Indirizzo_Unita > 0 ? std::to_string(link_.Indirizzo_Unita) : view.unit_text(1);
    counts.failure = "ERROR ! " + unit + " module: " + link_.error() + ". The noise monitor is ended.";
  };
  while (stop_ != 1 && counts.failure.empty()) {
    // Every pass re-arms the units, free-running: they start at once.
    if (!link_.Invia_Setup(kNoiseSamples, Freq_Campionamento, 0, 0, 0, 0, 0, 0, link_.Indirizzo_Unita)) {
      fail();
      break;
    }
    // Their notice is due within the status time-out, unless the link is lost.
    const bool started = link_.Attendi_Trigger(board::TriggerWait::FreeRunning) != 0;
    pump_.pump();
    if (stop_ == 1) break;
    if (!started) {
      fail();
      break;
    }
    ++counts.passes;
    const int32_t n = view.channels();
    view.begin_pass(n);
    for (int c = 1; c <= n; ++c) {
      pump_.pump();
      if (stop_ == 1) break;
      // A unit that does not answer fails its read after the block time-out
      // of the link; nothing is drawn for that channel.
      int unit = CInt(Val(view.unit_text(c))).value_or(-1);
      if (link_.Leggi_Unita(kNoiseSamples, unit) != 1) {
        if (stop_ == 1) break;
        // A link that went fails every read after it: nobody's unit failed,
        // and nothing more can be drawn.
        if (link_.read_link_lost) {
          counts.failure = "ERROR ! The link was lost during the noise monitor: " + link_.error() +
                           ". The noise monitor is ended.";
          break;
        }
        ++counts.failed_reads;
        view.channel_failed(c);
        continue;
      }
      std::span<const float> received(link_.Campioni.data(), static_cast<size_t>(kNoiseSamples));
      FiltraTrace(filter_, received, filtered);
      const float gain = view.gain();
      for (size_t k = 0; k < filtered.size(); ++k) deflections[k] = NoiseDeflection(gain, filtered[k]);
      view.draw_channel(c, deflections);
      ++counts.reads;
      ++counts.drawn[c];
    }
  }
  stop_ = 0;
  return counts;
}

}  // namespace keld::korvan
