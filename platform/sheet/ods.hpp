#pragma once
// OpenDocument spreadsheets (.ods), one worksheet at a time: the cells' values
// as numbers or texts, as Calc and Gnumeric store them (repeated rows and
// columns honoured). Formatting is neither read nor written.
#include <string>

#include "common/result.hpp"
#include "platform/sheet/sheet.hpp"

namespace keld {

// Writes a workbook holding one worksheet; the file is written beside its
// name and renamed when complete.
Status WriteOds(const std::string& path, const std::string& sheet_name, const Sheet& sheet);

// Reads the worksheet `sheet_name` of a workbook. A file that is no ods
// workbook, lacks the worksheet or is larger than a worksheet may be fails
// with a message saying which.
Result<Sheet> ReadOds(const std::string& path, const std::string& sheet_name);

// The same from the bytes of content.xml (the reading's pure part).
Result<Sheet> ParseOdsContent(const std::string& xml, const std::string& sheet_name);

}  // namespace keld
