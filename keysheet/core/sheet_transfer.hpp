#pragma once
// The words of a run of traces as a worksheet, and the worksheet back as the
// words to write. Row 1 holds the 86 descriptions, row r (from 2) trace
// first + r - 2; column w word w (only the chosen words are filled) and the
// column after the words the trace number, by which the rows are matched when
// they come back. A worksheet that comes back is checked whole before a single
// word is written: any wrong cell stops it all, named in the message.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "keysheet/core/header_table.hpp"
#include "platform/sheet/sheet.hpp"

namespace keld::keysheet {

inline constexpr const char* kSheetName = "Feuil1";
inline constexpr int kTraceColumn = kHeaderWordCount + 1;
inline constexpr const char* kTraceHeading = "Trace Nb";
inline constexpr const char* kTemplateName = "header.ods";

using WordChoice = std::array<int16_t, kHeaderWordCount + 1>;  // index = word number

struct TraceWords {
  int64_t trace;
  WordValues values;
};

// The workbook copy of an SU file: its path without the last two characters,
// then "ods" (line7.su gives line7.ods).
std::string SheetCopyPath(const std::string& su_path);

// Row 1 alone: the 86 descriptions and the trace-number heading (the template).
Sheet DescriptionRow();

// The worksheet handed to the user.
Sheet BuildSheet(const std::vector<TraceWords>& traces, const WordChoice& chosen);

struct WordWrite {
  int64_t trace;
  int word;
  int32_t value;
};

// The words to write back for traces first ... last: every chosen word of
// every row, each row found by its trace number. Fails, naming the cell
// ("CH4"), when a row was added, deleted or moved, a cell is empty or no
// number, a value does not fit its word or would change ns (`ns`).
Result<std::vector<WordWrite>> ReadBackSheet(const Sheet& sheet, int64_t first, int64_t last,
                                              const WordChoice& chosen, int ns);

// Writes every word of `writes` into the SU file, all of them or none: the
// file is checked first (it still holds `ns`, every trace named, every value
// fits its word), then copied beside itself with the words changed and
// renamed over itself only when the copy is whole. A failure at any point
// (a full disc, a pulled stick) leaves the file as it was.
Status WriteWords(const std::string& su_path, int ns, const std::vector<WordWrite>& writes);

// The size of the worksheet for `traces` traces: the descriptions' row and a
// row a trace, the words and the trace-number column. Refused, before any
// sheet is written, when a worksheet cannot hold that many rows.
Result<SheetSize> SheetLimits(int64_t traces);

}  // namespace keld::keysheet
