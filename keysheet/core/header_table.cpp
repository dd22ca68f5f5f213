#include "keysheet/core/header_table.hpp"

#include <cmath>
#include <cstdlib>

#include "common/header_io.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld::keysheet {

Result<std::vector<std::optional<WordValues>>> ReadWordRange(const std::string& path, int ns, int64_t first,
                                                              int64_t count) {
  using R = Result<std::vector<std::optional<WordValues>>>;
  InPlaceFile f;
  if (Status s = f.open(path, false); !s) return R::failure(s.error);
  std::vector<std::optional<WordValues>> out;
  if (count <= 0) return out;
  out.resize(static_cast<size_t>(count));
  if (ns <= 0) return out;
  const int64_t traces = SuTraceCount(f.size(), ns);
  const int64_t stride = 240 + 4 * static_cast<int64_t>(ns);
  // The traces before the range place it: each is checked as those in it are.
  if (Status s = CheckSuTracesUpTo(f, ns, first - 1); !s) return R::failure(s.error);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t t = first + i;
    if (t < 1 || t > traces) continue;
    uint8_t h[240];
    if (!f.read_at((t - 1) * stride, h, sizeof h)) continue;
    // A trace of another length puts every word after it out of place.
    if (std::string fault = SuLengthFault(h, t, ns, SuSource::File); !fault.empty())
      return R::failure(path + ": " + fault);
    WordValues v{};
    for (const HeaderWord& w : HeaderWords()) v[static_cast<size_t>(w.number - 1)] = GetHeaderWord(h, w);
    out[static_cast<size_t>(i)] = v;
  }
  return out;
}

std::string WordText(int word, int32_t stored) {
  if (word != kTenthsWord) return std::to_string(stored);
  const int64_t v = stored;
  const int64_t mag = std::llabs(v);
  std::string s = (v < 0 ? "-" : "") + std::to_string(mag / 10);
  if (mag % 10) s += "." + std::to_string(mag % 10);
  return s;
}

namespace {
Result<int32_t> Checked(const HeaderWord& w, double v, int current_ns) {
  const double r = std::isfinite(v) ? RoundHalfEven(v) : v;
  if (!std::isfinite(r) || r < static_cast<double>(HeaderWordMin(w.width)) ||
      r > static_cast<double>(HeaderWordMax(w.width))) {
    std::string range = w.number == kTenthsWord ? "-214748364.8 and 214748364.7"
                                                : std::to_string(HeaderWordMin(w.width)) + " and " +
                                                      std::to_string(HeaderWordMax(w.width));
    return Result<int32_t>::failure("The value does not fit word " + std::to_string(w.number) + " (" +
                                    w.title + "): it must lie between " + range + ".");
  }
  const auto stored = static_cast<int32_t>(r);
  if (w.number == kNsWord && stored != current_ns)
    return Result<int32_t>::failure(
        "The number of samples (word 39, ns) cannot be changed here: it decides where every trace of the "
        "file lies.");
  return stored;
}
}  // namespace

Result<int32_t> StoredValueOf(int word, const std::string& text, int current_ns) {
  const HeaderWord* w = FindHeaderWord(word);
  if (!w) return Result<int32_t>::failure("There is no header word " + std::to_string(word) + ".");
  double v = Val(text);
  if (word == kTenthsWord) v *= 10;
  return Checked(*w, v, current_ns);
}

Result<int32_t> StoredValueOfNumber(int word, double value, int current_ns) {
  const HeaderWord* w = FindHeaderWord(word);
  if (!w) return Result<int32_t>::failure("There is no header word " + std::to_string(word) + ".");
  return Checked(*w, value, current_ns);
}

}  // namespace keld::keysheet
