#include "dropconv/record_numbers.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/numtext.hpp"

namespace keld {

namespace {

struct NumberScan {
  std::string text;   // sign, digits, point and exponent, ready for from_chars
  size_t used = 0;    // characters of the input consumed
  bool digits = false;
  long mantissa_exponent = 0;  // decimal exponent of the first significant digit
  bool nonzero = false;
};

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// Reads a number from the start of `t`; `skip_blanks` drops blanks and tabs
// anywhere inside it, as the record's readers have always done.
NumberScan Scan(std::string_view t, bool skip_blanks) {
  NumberScan s;
  size_t i = 0;
  auto skip = [&] {
    if (skip_blanks)
      while (i < t.size() && Blank(t[i])) ++i;
  };
  skip();
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') s.text += '-';
    ++i;
  }
  bool point = false;
  long int_digits = 0;    // significant digits before the point
  long lead_zeros = 0;    // zeros after the point before the first significant digit
  for (;;) {
    skip();
    if (i >= t.size()) break;
    char c = t[i];
    if (Digit(c)) {
      s.text += c;
      s.digits = true;
      if (c != '0') s.nonzero = true;
      if (!point && s.nonzero) ++int_digits;
      if (point && !s.nonzero) ++lead_zeros;
    } else if (c == '.' && !point) {
      s.text += c;
      point = true;
    } else {
      break;
    }
    ++i;
  }
  s.used = i;
  if (!s.digits) return s;
  s.mantissa_exponent = int_digits > 0 ? int_digits - 1 : -(lead_zeros + 1);
  // An exponent counts only when at least one digit follows the E and its sign.
  size_t j = i;
  auto skip_j = [&] {
    if (skip_blanks)
      while (j < t.size() && Blank(t[j])) ++j;
  };
  if (j < t.size() && (t[j] == 'E' || t[j] == 'e')) {
    ++j;
    skip_j();
    std::string exp = "e";
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) {
      if (t[j] == '-') exp += '-';
      ++j;
    }
    bool exp_digits = false;
    long exp_value = 0;
    for (;;) {
      skip_j();
      if (j >= t.size() || !Digit(t[j])) break;
      exp += t[j];
      if (exp_value < 100000) exp_value = exp_value * 10 + (t[j] - '0');
      exp_digits = true;
      ++j;
    }
    if (exp_digits) {
      s.text += exp;
      s.used = j;
      s.mantissa_exponent += exp.size() > 1 && exp[1] == '-' ? -exp_value : exp_value;
    }
  }
  return s;
}

double Convert(const NumberScan& s) {
  if (!s.digits) return 0;
  double v = 0;
  const char* first = s.text.data();
  const char* last = first + s.text.size();
  auto r = std::from_chars(first, last, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    bool negative = !s.text.empty() && s.text[0] == '-';
    if (s.nonzero && s.mantissa_exponent > 0)
      v = std::numeric_limits<double>::infinity();
    else
      v = 0;
    if (negative) v = -v;
  } else if (r.ec != std::errc()) {
    v = 0;
  }
  return v;
}

}  // namespace

std::string WithPoint(std::string s) {
  for (char& c : s)
    if (c == ',') c = '.';
  return s;
}

double LeadingNumber(std::string_view text) { return Convert(Scan(text, true)); }

std::optional<double> WholeNumber(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && Blank(text[b])) ++b;
  while (e > b && Blank(text[e - 1])) --e;
  std::string_view core = text.substr(b, e - b);
  NumberScan s = Scan(core, false);
  if (!s.digits || s.used != core.size()) return std::nullopt;
  double v = Convert(s);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<float> ToSingle(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(v);
}

std::string NumberText(double v) { return WithPoint(CStr(v)); }
std::string SingleText(float v) { return WithPoint(CStrSingle(v)); }

}  // namespace keld
