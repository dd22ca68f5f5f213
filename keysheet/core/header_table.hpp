#pragma once
// The 86 words of a run of traces, read whole headers at a time from a file
// opened read-only, and the texts the grid shows and reads back for them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/header_words.hpp"
#include "common/result.hpp"

namespace keld::keysheet {

using WordValues = std::array<int32_t, kHeaderWordCount>;  // index 0 is word 1

// The word shown as "d1/fbp", stored as ten times the value the grid shows.
inline constexpr int kTenthsWord = 72;
// The sample count: it decides where every later trace lies.
inline constexpr int kNsWord = 39;

// Words of traces first ... first + count - 1 of the file; a trace that is not
// a whole trace of the file (for `ns`) gives nullopt. Fails when the file
// cannot be opened, and at the first trace up to the range's end that holds
// another ns.
Result<std::vector<std::optional<WordValues>>> ReadWordRange(const std::string& path, int ns, int64_t first,
                                                              int64_t count);

// The grid's text of a stored value: the integer, or for word 72 the integer
// divided by 10 ("12.5", "-0.7", "3").
std::string WordText(int word, int32_t stored);

// The value to store for a text typed into a word's cell: its leading number
// (a point as decimal separator, 0 when there is none), times 10 for word 72,
// rounded to the nearest whole number, a half to the even one. Refused with a
// message when it does not fit the word, or when it would change ns
// (`current_ns`) on a word-39 cell.
Result<int32_t> StoredValueOf(int word, const std::string& text, int current_ns);

// The same for a number taken from a spreadsheet cell (unscaled, every word
// as stored).
Result<int32_t> StoredValueOfNumber(int word, double value, int current_ns);

}  // namespace keld::keysheet
