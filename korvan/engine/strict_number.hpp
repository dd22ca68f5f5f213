#pragma once
// The strict text-to-number conversion: the whole text must be a number.
#include <optional>
#include <string_view>

namespace keld::korvan {

// Blanks and tabs around are allowed; then an optional sign, digits with at
// most one decimal point (at least one digit), and an optional exponent
// (E or e, optional sign, digits). Anything else, or an empty text, gives
// nullopt: "5" and " -2.5 " and "1E3" are numbers, "", "-", "5 m" and "1,5" are not.
std::optional<double> StrictNumber(std::string_view text);

}  // namespace keld::korvan
