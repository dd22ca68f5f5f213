// The number-text parsers on arbitrary text, and every formatter on the
// numbers they give and on the input's bytes taken as a double.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/numtext.hpp"

namespace {
void Format(double v) {
  (void)keld::CStr(v);
  (void)keld::Str(v);
  (void)keld::CStrSingle(static_cast<float>(v));
  (void)keld::StrSingle(static_cast<float>(v));
  (void)keld::Format0_0hh(v);
  (void)keld::Format0_h(v);
  (void)keld::CInt(v);
  (void)keld::CLng(v);
  (void)keld::RoundHalfEven(v);
  if (v >= -9.2e18 && v <= 9.2e18) (void)keld::FormatThousands(static_cast<int64_t>(v));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Format(keld::Val(text));
  (void)keld::IsNumeric(text);
  if (auto v = keld::CDbl(text)) Format(*v);
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    Format(raw);
    int64_t whole;
    std::memcpy(&whole, data, sizeof whole);
    (void)keld::FormatThousands(whole);
  }
  return 0;
}
