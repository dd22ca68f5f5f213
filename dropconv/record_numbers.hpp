#pragma once
// Numbers as they stand in the acquisition text record, and the text of the
// numbers that go into the SEG-2 strings.
#include <optional>
#include <string>
#include <string_view>

namespace keld {

// Value of the leading number of `text`: blanks and tabs are skipped wherever
// they stand ("1 5" is 15), then an optional sign, digits with one decimal
// point and an optional exponent (E or e, optional sign, digits); reading stops
// at the first character that cannot continue the number. No number gives 0.
// A value beyond the range of a double gives +-infinity, one below it 0.
double LeadingNumber(std::string_view text);

// The whole of `text` read as one number (blanks and tabs around it allowed),
// or nullopt when anything else stands in it: "24" and " 24.0 " are numbers,
// "", "24 ch" and "2,4" are not.
std::optional<double> WholeNumber(std::string_view text);

// `s` with every "," made "." (the record may use either as the decimal
// separator).
std::string WithPoint(std::string s);

// `v` as a 32-bit float, or nullopt when it does not fit (or is not finite).
std::optional<float> ToSingle(double v);

// General form with "." as the decimal separator: 15 significant digits for a
// double, 7 for a float, plain decimals down to 0.0001 ("0.00025", "3.125E-05").
std::string NumberText(double v);
std::string SingleText(float v);

}  // namespace keld
