#include "platform/sheet/exchange.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/process.hpp"
#include "platform/sheet/ods.hpp"

namespace keld {

Status SpreadsheetExchange::write(const std::string& template_path, const std::string& path,
                                  const std::string& sheet_name, Sheet cells, SheetSize limits) {
  auto base = ReadOds(template_path, sheet_name, limits);
  if (!base) return Status::failure(base.error());
  cells.underlay(*base);
  return WriteOds(path, sheet_name, cells);
}

Result<Sheet> SpreadsheetExchange::read(const std::string& path, const std::string& sheet_name, SheetSize limits) {
  return ReadOds(path, sheet_name, limits);
}

namespace {
// True when the desktop names a program for .ods files, or one of the usual
// spreadsheet programs is installed: xdg-open alone would start and then fail
// out of sight.
bool SpreadsheetProgramKnown() {
  const std::string mime = FindOnPath("xdg-mime");
  if (!mime.empty())
    if (auto r = ReadProgramOutput(mime, {"query", "default", "application/vnd.oasis.opendocument.spreadsheet"}))
      if (!r->text.empty() && r->text[0] != '\n') return true;
  for (const char* prog : {"libreoffice", "localc", "soffice", "gnumeric", "calligrasheets"})
    if (!FindOnPath(prog).empty()) return true;
  return false;
}
}  // namespace

Status DesktopSpreadsheet::show(const std::string& path) {
  if (!SpreadsheetProgramKnown() || !launcher_.open_document(path))
    return Status::failure("No spreadsheet program could open " + path + ".");
  return Status::good();
}

Status FakeSpreadsheet::show(const std::string& path) {
  shown.push_back(path);
  if (!present) return Status::failure("No spreadsheet program could open " + path + ".");
  if (user) user(path);
  return Status::good();
}

}  // namespace keld
