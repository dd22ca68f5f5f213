#include "common/numtext.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace keld {

namespace {

// A decimal number in the C form, whatever the process's locale: the C
// library's strtod and printf follow LC_NUMERIC, which a Qt program takes from
// the desktop (a decimal comma there must not turn 0.5 into 0).
double ParseDecimal(std::string_view t) {
  bool neg = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    neg = t[0] == '-';
    t.remove_prefix(1);
  }
  double v = 0;
  std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  return neg ? -v : v;
}

std::string PrintScientific(double v, int precision) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, precision);
  return std::string(buf, r.ptr);
}

std::string PrintFixed(double v, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

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
  if (s.has_digits) s.value = ParseDecimal(num);
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
  std::string sci = PrintScientific(v, digits - 1);
  size_t e = sci.find('e');
  int exp10 = std::atoi(sci.c_str() + e + 1);
  if (exp10 >= digits || exp10 < -4) {
    std::string mant = TrimZeros(sci.substr(0, e));
    std::string ex = std::to_string(std::abs(exp10));
    if (ex.size() < 2) ex = "0" + ex;
    return mant + "E" + (exp10 < 0 ? "-" : "+") + ex;
  }
  int decimals = digits - 1 - exp10;
  if (decimals < 0) decimals = 0;
  std::string s = TrimZeros(PrintFixed(v, decimals));
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
  std::string_view body = t;
  bool neg = false;
  if (body[0] == '+' || body[0] == '-') {
    neg = body[0] == '-';
    body.remove_prefix(1);
  }
  if (body.empty() || body[0] == '+' || body[0] == '-') return std::nullopt;
  double v = 0;
  auto r = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != body.data() + body.size() || body.empty()) return std::nullopt;
  return neg ? -v : v;
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

namespace {

// v with at most `decimals` decimals (1000 or 10 as 10^decimals), halves
// away from zero, and at least `keep` of them. Values whose scaled form does
// not fit a 64-bit integer have no fraction to show at these precisions and
// are printed whole; infinities and NaN have their own words.
std::string FormatDecimals(double v, int decimals, long long scale, size_t keep) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  const double scaled = std::round(std::fabs(v) * static_cast<double>(scale));
  std::string s;
  if (scaled < 9.0e18) {
    const auto n = static_cast<long long>(scaled);
    std::string f = std::to_string(n % scale);
    s = std::to_string(n / scale) + "." + std::string(static_cast<size_t>(decimals) - f.size(), '0') + f;
  } else {
    s = PrintFixed(std::round(std::fabs(v)), 0) + "." + std::string(static_cast<size_t>(decimals), '0');
  }
  const size_t dot = s.find('.');
  while (s.size() > dot + 1 + keep && s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (v < 0 && scaled != 0) s = "-" + s;
  return s;
}

}  // namespace

std::string Format0_0hh(double v) { return FormatDecimals(v, 3, 1000, 1); }

std::string Format0_h(double v) { return FormatDecimals(v, 1, 10, 0); }

std::string FormatThousands(int64_t v) {
  // The magnitude in unsigned arithmetic: -INT64_MIN does not fit an int64.
  const uint64_t mag = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string digits = std::to_string(mag);
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[static_cast<size_t>(i)];
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += '\'';
  }
  return v < 0 ? "-" + out : out;
}

}  // namespace keld
