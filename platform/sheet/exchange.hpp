#pragma once
// Handing a worksheet to the user's spreadsheet program and taking it back:
// the sheet is written as an OpenDocument spreadsheet (.ods) from a template,
// opened with the desktop's program for it, and read back once the user has
// saved it. Tests use the fake, which runs a function of theirs in place of
// the user.
#include <functional>
#include <string>

#include "common/result.hpp"
#include "platform/sheet/sheet.hpp"

namespace keld {

class ProcessLauncher;

class SpreadsheetExchange {
 public:
  virtual ~SpreadsheetExchange() = default;
  // Writes `path` (beside itself first, then renamed): the worksheet
  // `sheet_name` of the template with `cells` put over it. Fails when the
  // template cannot be read, has no such worksheet or values outside `limits`
  // (the size of the sheet that will be read back).
  virtual Status write(const std::string& template_path, const std::string& path, const std::string& sheet_name,
                       Sheet cells, SheetSize limits);
  // Opens the file in the spreadsheet program; fails when there is none.
  virtual Status show(const std::string& path) = 0;
  // The worksheet as the user left it; values outside `limits` are refused.
  virtual Result<Sheet> read(const std::string& path, const std::string& sheet_name, SheetSize limits);
};

// The desktop's spreadsheet program, through the document opener (xdg-open).
class DesktopSpreadsheet : public SpreadsheetExchange {
 public:
  explicit DesktopSpreadsheet(ProcessLauncher& launcher) : launcher_(launcher) {}
  Status show(const std::string& path) override;

 private:
  ProcessLauncher& launcher_;
};

// Real files; `user` plays the user between the showing and the reading back
// (it may change the file). With `present` false there is no program.
class FakeSpreadsheet : public SpreadsheetExchange {
 public:
  Status show(const std::string& path) override;
  bool present = true;
  std::function<void(const std::string& path)> user;
  std::vector<std::string> shown;
};

}  // namespace keld
