#include "common/numtext.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace keld {

namespace {

struct Scan {
  double value = 0;
  bool has_digits = false;
};

Scan ScanLeading(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  std::string num;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
    num += t[i];
    ++i;
  }
  bool dot = false;
  Scan s;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      num += c;
      s.has_digits = true;
    } else if (c == '.' && !dot) {
      num += c;
      dot = true;
    } else {
      break;
    }
  }
  if (s.has_digits) s.value = std::strtod(num.c_str(), nullptr);
  return s;
}

// Digits of |v| rounded to `digits` significant figures, and the decimal
// exponent of the first one.
std::string TrimZeros(std::string s) {
  if (s.find('.') == std::string::npos) return s;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string GeneralForm(double v, int digits) {
  if (v == 0 || !std::isfinite(v)) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    return "0";
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, v);
  const char* e = std::strchr(buf, 'e');
  int exp10 = std::atoi(e + 1);
  if (exp10 >= digits || exp10 < -4) {
    std::string mant = TrimZeros(std::string(static_cast<const char*>(buf), e));
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    return mant + ebuf;
  }
  int decimals = digits - 1 - exp10;
  if (decimals < 0) decimals = 0;
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = TrimZeros(buf);
  if (s == "-0") s = "0";
  return s;
}

std::string BlankPrefixed(std::string s) {
  if (!s.empty() && s[0] == '-') {
    if (s.size() > 2 && s[1] == '0' && s[2] == '.') s.erase(1, 1);
    return s;
  }
  if (s.size() > 1 && s[0] == '0' && s[1] == '.') s.erase(0, 1);
  return " " + s;
}

}  // namespace

double Val(std::string_view text) { return ScanLeading(text).value; }

std::optional<double> CDbl(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  if (b == e) return std::nullopt;
  std::string t(text.substr(b, e - b));
  // Only decimal forms: no hexadecimal, infinities or NaN.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
      return std::nullopt;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return std::nullopt;
  return v;
}

bool IsNumeric(std::string_view text) { return ScanLeading(text).has_digits; }

double RoundHalfEven(double v) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-even.
  return std::nearbyint(v);
}

std::optional<int16_t> CInt(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
    return std::nullopt;
  return static_cast<int16_t>(r);
}

std::optional<int32_t> CLng(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(r);
}

std::string CStr(double v) { return GeneralForm(v, 15); }
std::string CStrSingle(float v) { return GeneralForm(static_cast<double>(v), 7); }
std::string Str(double v) { return BlankPrefixed(CStr(v)); }
std::string StrSingle(float v) { return BlankPrefixed(CStrSingle(v)); }

std::string Format0_0hh(double v) {
  double scaled = std::round(std::fabs(v) * 1000.0);  // halves away from zero
  long long whole = static_cast<long long>(scaled) / 1000;
  int frac = static_cast<int>(static_cast<long long>(scaled) % 1000);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld.%03d", whole, frac);
  std::string s = buf;
  while (s.size() > 0 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  if (v < 0 && scaled != 0) s = "-" + s;
  return s;
}

std::string Format0_h(double v) {
  double scaled = std::round(std::fabs(v) * 10.0);
  long long whole = static_cast<long long>(scaled) / 10;
  int frac = static_cast<int>(static_cast<long long>(scaled) % 10);
  std::string s = std::to_string(whole);
  if (frac) s += "." + std::to_string(frac);
  if (v < 0 && scaled != 0) s = "-" + s;
  return s;
}

std::string FormatThousands(int64_t v) {
  std::string digits = std::to_string(v < 0 ? -static_cast<long long>(v) : static_cast<long long>(v));
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[i];
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += '\'';
  }
  return v < 0 ? "-" + out : out;
}

}  // namespace keld
