#include "velscan/engine/scan.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/numtext.hpp"

namespace keld::velscan {

KeyIndex::KeyIndex(const std::vector<int32_t>& keys) {
  order_.resize(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) order_[i] = static_cast<int64_t>(i);
  std::stable_sort(order_.begin(), order_.end(),
                   [&](int64_t a, int64_t b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
  for (size_t i = 0; i < order_.size();) {
    const int32_t k = keys[static_cast<size_t>(order_[i])];
    size_t j = i + 1;
    while (j < order_.size() && keys[static_cast<size_t>(order_[j])] == k) ++j;
    keys_.push_back({k, i, j - i});
    i = j;
  }
}

std::optional<KeyIndex::Span> KeyIndex::find(int32_t wanted) const {
  if (keys_.empty() || wanted < keys_.front().key) return std::nullopt;
  auto it = std::lower_bound(keys_.begin(), keys_.end(), wanted, [](const Entry& e, int32_t k) { return e.key < k; });
  if (it == keys_.end()) return std::nullopt;
  Span s;
  s.key = it->key;
  s.traces.assign(order_.begin() + static_cast<std::ptrdiff_t>(it->begin),
                  order_.begin() + static_cast<std::ptrdiff_t>(it->begin + it->count));
  return s;
}

int32_t KeyIndex::min_key() const { return keys_.empty() ? 0 : keys_.front().key; }
int32_t KeyIndex::max_key() const { return keys_.empty() ? 0 : keys_.back().key; }

Result<ScanInfo> ScanSuFile(const std::string& path) {
  SuReader r;
  if (Status s = r.open(path); !s) return Result<ScanInfo>::failure(s.error);
  ScanInfo info;
  info.layout = r.layout();
  const int64_t n = r.traces();
  info.cdp.resize(static_cast<size_t>(n));
  info.fldr.resize(static_cast<size_t>(n));
  int previous = 0;
  bool dropped = false;
  SuTraceHeader h;
  for (int64_t i = 0; i < n; ++i) {
    if (!r.read_header(i, h)) return Result<ScanInfo>::failure(r.error());
    info.cdp[static_cast<size_t>(i)] = h.cdp;
    info.fldr[static_cast<size_t>(i)] = h.fldr;
    if (i == 0) {
      info.scalco = h.scalco;
      info.offset = h.offset;
      int32_t w;
      std::memcpy(&w, &h.d2, 4);
      info.spacing_word = w;
    }
    if (i < 3) info.tracf[i] = h.tracf;
    if (i == 11) info.nhs12 = h.nhs;
    if (i <= 200 && !dropped) {
      if (previous > h.tracf) {
        info.detected_per_record = static_cast<int>(i);
        dropped = true;
      } else {
        previous = h.tracf;
      }
    }
  }
  info.first_fldr = info.fldr.front();
  info.last_fldr = info.fldr.back();
  info.first_cdp = info.cdp.front();
  info.last_cdp = info.cdp.back();
  info.cdp_index = KeyIndex(info.cdp);
  info.fldr_index = KeyIndex(info.fldr);
  return info;
}

double ApplyScalco(double v, int16_t scalco) {
  if (scalco > 0) return v * scalco;
  if (scalco < 0) return v / -static_cast<double>(scalco);
  return v;
}

double ReceiverSpacing(int32_t word, int16_t scalco) {
  // From 1 cm (as a float holds 0.01, a hair below it) to 10 km: a word
  // outside that is an integer read as a float or the reverse, never a
  // spacing (16777216 as a float is 2.35e-38).
  auto plausible = [](double s) { return s >= 0.0099999 && s <= 10000; };
  const double whole = ApplyScalco(word, scalco);
  if (plausible(whole)) return whole;
  // A small integer read as a float is a denormal: never a spacing.
  float f;
  std::memcpy(&f, &word, 4);
  const double real = ApplyScalco(f, scalco);
  if (std::isnormal(f) && plausible(real)) return real;
  return 0;
}

int32_t MiddleKey(int32_t first, int32_t last) {
  return static_cast<int32_t>(RoundHalfEven((static_cast<double>(first) + static_cast<double>(last)) / 2));
}

}  // namespace keld::velscan
