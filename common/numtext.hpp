#pragma once
// Numbers read from and written to the texts of boxes, labels and files, the
// way the suite's users have always typed and seen them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keld {

// The leading-number parser: leading blanks and tabs skipped, then an optional
// sign, digits and one decimal point, up to the first other character. An empty
// or non-numeric text gives 0 ("12 ch" gives 12, "-.5x" gives -0.5).
double Val(std::string_view text);

// True when the text starts (after blanks) with something Val reads as a number,
// i.e. at least one digit; "abc", "", "-" and "." are not numbers.
bool IsNumeric(std::string_view text);

// A strict conversion of a whole text to a number (blanks around allowed, an
// exponent allowed): nullopt when the text is not a number as a whole ("12 ch",
// "", "abc"). The settings reader's 16- and 32-bit conversions start from it.
std::optional<double> CDbl(std::string_view text);

// Round to the nearest whole number, halves to the even neighbour, as the
// 16- and 32-bit conversions do; nullopt when the result does not fit.
std::optional<int16_t> CInt(double v);
std::optional<int32_t> CLng(double v);
double RoundHalfEven(double v);

// The system's text form of a number: up to 15 significant digits for a double
// (7 for a single), exponent form outside 1e-4 .. 10^digits ("1.234568E+07").
std::string CStr(double v);
std::string CStrSingle(float v);

// The blank-prefixed form: a blank before a non-negative number, no leading zero
// before the decimal point (" 5", "-3", " .5", "-.25").
std::string Str(double v);
std::string StrSingle(float v);

// Format(v, "0.0##"): three decimals at most, one at least, halves away from zero.
std::string Format0_0hh(double v);
// Format(v, "0.#"): one decimal at most ("12.5", "12").
std::string Format0_h(double v);
// Format(v, "#'###'##0"): apostrophes between groups of three digits.
std::string FormatThousands(int64_t v);

}  // namespace keld
