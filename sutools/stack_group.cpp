#include "sutools/stack_group.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "common/bytes.hpp"

namespace keld::sutools {

namespace {

// Adds the samples of one trace (little-endian floats as they stand in the
// stream) to the sums and counts the non-zero values. Each sum runs over the
// traces in stream order, so the result does not depend on how it is done.
void Accumulate(const uint8_t* raw, double* acc, int32_t* n, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  if constexpr (std::endian::native == std::endian::little) {
    const __m128 zero = _mm_setzero_ps();
    for (; i + 4 <= count; i += 4) {
      const __m128 x = _mm_loadu_ps(reinterpret_cast<const float*>(raw + 4 * i));
      _mm_storeu_pd(acc + i, _mm_add_pd(_mm_loadu_pd(acc + i), _mm_cvtps_pd(x)));
      _mm_storeu_pd(acc + i + 2, _mm_add_pd(_mm_loadu_pd(acc + i + 2), _mm_cvtps_pd(_mm_movehl_ps(x, x))));
      // A lane that is not 0 compares as all ones (-1): subtracting counts it.
      const __m128i live = _mm_castps_si128(_mm_cmpneq_ps(x, zero));
      __m128i* at = reinterpret_cast<__m128i*>(n + i);
      _mm_storeu_si128(at, _mm_sub_epi32(_mm_loadu_si128(at), live));
    }
  }
#endif
  for (; i < count; ++i) {
    const float x = get_f32le(raw + 4 * i);
    acc[i] += x;
    n[i] += x != 0;
  }
}

}  // namespace

void StackGroup::reserve(int ns, size_t fold) {
  sum_.reserve(static_cast<size_t>(ns));
  live_.reserve(static_cast<size_t>(ns));
  norm_.reserve(fold + 1);
}

void StackGroup::start(const uint8_t* raw, int ns) {
  std::memcpy(header_, raw, 240);
  ns_ = ns;
  sum_.resize(static_cast<size_t>(ns));
  live_.resize(static_cast<size_t>(ns));
  traces_ = 0;
}

void StackGroup::add(const uint8_t* raw) {
  if (traces_++ > 0) {
    Accumulate(raw + 240, sum_.data(), live_.data(), sum_.size());
    return;
  }
  // The first trace sets the sums: the same as adding it to 0, but for the
  // sign of a zero that counts as no value anyway.
  for (size_t i = 0; i < sum_.size(); ++i) {
    const float x = get_f32le(raw + 240 + 4 * i);
    sum_[i] = x;
    live_[i] = x != 0;
  }
}

void StackGroup::append(std::vector<uint8_t>& to, int32_t tracl) {
  if (traces_ == 0) return;
  while (norm_.size() <= static_cast<size_t>(traces_))
    norm_.push_back(std::pow(static_cast<double>(norm_.size()), normpow_));
  const size_t at = to.size();
  to.resize(at + 240 + 4 * sum_.size());
  uint8_t* o = to.data() + at;
  std::memcpy(o, header_, 240);
  put_i32le(o, tracl);
  put_i32le(o + 36, 0);
  put_i16le(o + 32, static_cast<int16_t>(std::min(traces_, 32767)));
  for (size_t i = 0; i < sum_.size(); ++i)
    put_f32le(o + 240 + 4 * i, live_[i] > 0 ? static_cast<float>(sum_[i] / norm_[static_cast<size_t>(live_[i])]) : 0.0f);
  traces_ = 0;
}

bool StackGroup::write(SuOutput& out, int32_t tracl) {
  bytes_.clear();
  append(bytes_, tracl);
  return bytes_.empty() || out.write(bytes_.data(), bytes_.size());
}

}  // namespace keld::sutools
