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
  if (std::FILE* p = ::popen("xdg-mime query default application/vnd.oasis.opendocument.spreadsheet 2>/dev/null", "r")) {
    char line[256] = {};
    const bool named = std::fgets(line, sizeof line, p) && line[0] != '\n' && line[0] != 0;
    ::pclose(p);
    if (named) return true;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    for (const char* prog : {"libreoffice", "localc", "soffice", "gnumeric", "calligrasheets"})
      if (!dir.empty() && ::access((dir + "/" + prog).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
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
