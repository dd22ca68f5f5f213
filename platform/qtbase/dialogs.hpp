#pragma once
// The common file, colour and font dialogs as the windows use them. A
// cancelled dialog gives nullopt: no pattern such as "*.SU" is ever taken for a
// file name. Tests use the recorder, which answers as told.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace keld {

struct FileDialogSpec {
  std::string title;
  std::string folder;   // initial folder; empty: the current one
  std::string filter;   // the programs' form: "SU|*.SU|All files|*.*|"
  std::string name;     // proposed name ("*.SU" only proposes a pattern)
  bool must_exist = false;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual std::optional<std::string> open_file(const FileDialogSpec& desc) = 0;
  virtual std::optional<std::string> save_file(const FileDialogSpec& desc) = 0;
  // Several files: the chosen paths (all in one folder).
  virtual std::optional<std::vector<std::string>> open_files(const FileDialogSpec& desc) = 0;
  // A colour, 0x00BBGGRR.
  virtual std::optional<uint32_t> pick_colour(uint32_t initial, const std::string& title) = 0;
};

// The result of a multiple selection in the old blank-separated form: the
// folder, then each name, separated by single blanks; a single file gives its
// full path alone.
std::string MultiSelectionText(const std::vector<std::string>& paths);

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void set_parent(QWidget* p) { parent_ = p; }
  std::optional<std::string> open_file(const FileDialogSpec& desc) override;
  std::optional<std::string> save_file(const FileDialogSpec& desc) override;
  std::optional<std::vector<std::string>> open_files(const FileDialogSpec& desc) override;
  std::optional<uint32_t> pick_colour(uint32_t initial, const std::string& title) override;

 private:
  QWidget* parent_;
};

class DialogRecorder : public Dialogs {
 public:
  std::optional<std::string> open_file(const FileDialogSpec& desc) override;
  std::optional<std::string> save_file(const FileDialogSpec& desc) override;
  std::optional<std::vector<std::string>> open_files(const FileDialogSpec& desc) override;
  std::optional<uint32_t> pick_colour(uint32_t initial, const std::string& title) override;

  std::vector<FileDialogSpec> asked;
  std::deque<std::optional<std::string>> files;                 // answers to open/save
  std::deque<std::optional<std::vector<std::string>>> multi;    // answers to open_files
  std::deque<std::optional<uint32_t>> colours;                  // answers to pick_colour
};

// "SU|*.SU|All files|*.*|" as a Qt name filter list.
std::string QtNameFilter(const std::string& programs_filter);

}  // namespace keld
