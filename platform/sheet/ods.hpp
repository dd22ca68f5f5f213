#pragma once
// OpenDocument spreadsheets (.ods), one worksheet at a time: the cells' values
// as numbers or texts, as Calc and Gnumeric store them (repeated rows and
// columns honoured). Formatting is neither read nor written.
#include <cstdint>
#include <string>

#include "common/result.hpp"
#include "platform/sheet/sheet.hpp"

namespace keld {

// The largest worksheet of the usual spreadsheet programs. The writer writes
// no larger one, so whatever it writes can be read back.
inline constexpr int64_t kMaxSheetRows = 1048576;
inline constexpr int64_t kMaxSheetCols = 16384;

// Writes a workbook holding one worksheet; the file is written beside its
// name and renamed when complete. A sheet larger than kMaxSheetRows x
// kMaxSheetCols is refused.
Status WriteOds(const std::string& path, const std::string& sheet_name, const Sheet& sheet);

// Reads the worksheet `sheet_name` of a workbook, whose values must lie within
// `limits` (rows x columns, at most the largest worksheet): a value outside is
// refused with a message naming its cell, before anything is allocated for
// it. Empty rows and columns cost nothing, however often they are repeated, so
// the limits bound the memory taken (16 bytes a cell, and the texts), and the
// size of content.xml read is bounded by them too. A file that is no ods
// workbook, lacks the worksheet or is damaged fails with a message saying
// which.
Result<Sheet> ReadOds(const std::string& path, const std::string& sheet_name, SheetSize limits);

// The same from the bytes of content.xml (the reading's pure part).
Result<Sheet> ParseOdsContent(const std::string& xml, const std::string& sheet_name, SheetSize limits);

}  // namespace keld
