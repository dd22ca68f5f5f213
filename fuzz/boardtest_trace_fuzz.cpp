// Arbitrary bytes taken as the blocks of a unit, as boardtest treats them:
// decoded, de-meaned, filtered by the set the first byte picks, measured and
// drawn with and without Autorange. Nothing may be read outside the samples,
// and the drawing stays finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "boardlink/board_link.hpp"
#include "boardtest/engine/console_state.hpp"
#include "boardtest/engine/filter_sets.hpp"
#include "boardtest/engine/trace_measures.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::boardtest;
  if (size < 1) return 0;
  const int rates[] = {250, 500, 1000, 2000, 4000, 8000, 16000, 3000};
  BoardtestState s;
  s.Frequenza = rates[data[0] % 8];
  s.Scelta_Filtro = (data[0] >> 3) & 1 ? 1 : 2;
  s.Senza_Filtro = (data[0] >> 4) & 1;
  s.Autoscala = (data[0] >> 5) & 1;
  s.Salta_Campioni = static_cast<int16_t>(1 + ((data[0] >> 6) & 3));
  Scegli_Filtro(s.filter, s.Frequenza, s.Scelta_Filtro);
  const size_t n = (size - 1) / 3;
  std::vector<double> x(n), y(n);
  for (size_t i = 0; i < n; ++i) x[i] = keld::board::DecodeSample(data + 1 + 3 * i);
  if (n > 1) {
    double sum = 0;
    for (size_t i = 1; i < n; ++i) sum += x[i];
    for (double& v : x) v -= sum / static_cast<double>(n - 1);
  }
  FiltraTrace(s.filter, s.Senza_Filtro, x, y);
  (void)Calcola_RMS(y);
  s.picture_height = 1000;
  s.Centro_Y = 500;
  s.Scala = 1000.0 / 16780000;
  s.Passo_X = n ? 1000.0 / static_cast<double>(n) : 0;
  for (const TracePoint& p : Disegna_Traccia(s, y))
    if (!std::isfinite(p.x)) std::abort();
  return 0;
}
