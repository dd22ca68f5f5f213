#pragma once
// The command-line conventions of the SU programs: every argument is key=value,
// numbers lists are comma-separated, and a program started with no argument
// while a terminal stands on its standard input shows its documentation.
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/result.hpp"

namespace keld::sutools {

using KeyValues = std::map<std::string, std::string>;
using KeyValueList = std::vector<std::pair<std::string, std::string>>;

// Splits "key=value" arguments (argv[1] on). Fails on an argument without '=',
// an empty key, or a key not in `known`. A key given twice keeps its last value.
Result<KeyValues> ParseKeyValues(int argc, const char* const* argv, std::initializer_list<std::string_view> known);

// Every key=value in the order given, a repeated key kept at each place (the
// NMO's tnmo= and vnmo= come once per CDP). Fails as ParseKeyValues does.
Result<KeyValueList> ParseKeyValueList(int argc, const char* const* argv,
                                       std::initializer_list<std::string_view> known);

// A whole text as one finite number ("1e3", "-0.5"); fails on anything else.
Result<double> ParseNumber(std::string_view text);
// "10,20,60,80" as numbers; fails on an empty item or a non-number.
Result<std::vector<double>> ParseNumberList(std::string_view text);

// True when the program should print its documentation and stop: no argument
// and a terminal on standard input (there is no stream to process).
bool WantsSelfDoc(int argc, std::FILE* in);

}  // namespace keld::sutools
