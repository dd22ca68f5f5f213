#pragma once
// The command-line conventions of the SU programs: every argument is key=value,
// numbers lists are comma-separated, and a program started with no argument
// while a terminal stands on its standard input shows its documentation.
#include <cstdint>
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
// "key=" followed by a word without '=' takes that word as its value.
Result<KeyValues> ParseKeyValues(int argc, const char* const* argv, std::initializer_list<std::string_view> known);

// Every key=value in the order given, a repeated key kept at each place (the
// NMO's tnmo= and vnmo= come once per CDP). Fails as ParseKeyValues does.
Result<KeyValueList> ParseKeyValueList(int argc, const char* const* argv,
                                       std::initializer_list<std::string_view> known);

// A whole text as one finite number ("1e3", "-0.5"); fails on anything else.
Result<double> ParseNumber(std::string_view text);
// A whole text as one integer ("96", "-1"); fails on fractions and anything else.
Result<int64_t> ParseInteger(std::string_view text);
// The integer value of `key` in `kv` within [lo, hi], `fallback` when absent;
// fails with "key=value: ..." naming the allowed range.
Result<int64_t> IntegerParam(const KeyValues& kv, const std::string& key, int64_t fallback, int64_t lo, int64_t hi);

// "10,20,60,80" as numbers; fails on an empty item or a non-number.
Result<std::vector<double>> ParseNumberList(std::string_view text);

// True when the program should print its documentation and stop: no argument
// and a terminal on standard input (there is no stream to process).
bool WantsSelfDoc(int argc, std::FILE* in);

}  // namespace keld::sutools
