#pragma once
// What the windows of the record importers share: the file list, value boxes
// with their labels and tips, the output box and its dialog, the Convert and
// Info buttons, the progress bar, and the run of a conversion through the
// format's reader with the importers' messages. Each format's window lays out
// its own controls under their names and says what its reader needs.
#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "conversion/importers/records/record_run.hpp"
#include "conversion/shell/context.hpp"

class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

// The first `n` bytes of a file (all of a shorter one) and its whole length:
// what a window shows of a record's header, without reading the record. A
// failure is worded as ReadWholeFile words it.
struct FileFront {
  std::vector<uint8_t> bytes;
  int64_t size = 0;
};
Result<FileFront> ReadFront(const std::string& path, std::size_t n);

// Boxes shown "with no title argument" carry the program's own title.
inline constexpr const char* kProgramTitle = "conversion";

class RecordWindow : public QWidget {
  Q_OBJECT
 public:
  QListWidget* List1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr;  // Convert, Info

  virtual void Command1_Click() = 0;
  virtual void Command2_Click() = 0;

 protected:
  RecordWindow(ConversionContext& cx, QWidget* parent, const char* name, const char* caption);

  // A labelled value box in the grid.
  QLineEdit* Box(const char* name, const char* label, const char* text, const char* tip = nullptr);
  QPushButton* Button(const char* name, const char* caption, const char* tip = nullptr);
  QLabel* Label(const char* name, const char* text);
  // `Label8` beside "Input file size": the size of the selected file.
  QLabel* SizeRow(const char* text);
  // A button above the list (the record selection).
  QPushButton* TopButton(const char* name, const char* caption);
  void AddRow(QWidget* w);  // a whole-width row below the grid
  void ButtonRow(std::initializer_list<QWidget*> ws);  // buttons side by side, below
  // The progress bar, then the Convert and Info buttons wired to their
  // handlers; every control made so far but Info is held during a run.
  void AddConvertButtons(bool progress_visible = true);
  static QString Q(const std::string& s);

  // The common dialog with multiple selection from `Work_Dir`; nullopt when
  // cancelled. Work_Dir becomes the folder of the files chosen.
  std::optional<std::vector<std::string>> PickRecords(const char* title, const char* filter, const char* name);
  // The list becomes `files` (a new selection replaces the old one).
  void SetList(const std::vector<std::string>& files);
  std::vector<std::string> ListFiles() const;
  // The output dialog; its answer goes into `box`, a cancel changes nothing.
  void PickOutput(QLineEdit* box, const char* title, const char* filter = "Seismic File |*.SU|All files|*.*|",
                  bool save = false);
  // Opens `box`'s output dialog when it is double-clicked.
  void OutputOnDoubleClick(QLineEdit* box, std::function<void()> open);

  // Runs the conversion; shows "Maximum 99 records", the failure or `done`.
  // Returns true when the whole output was written.
  struct Closing {
    std::string done;                         // completion text
    MsgIcon icon = MsgIcon::None;             // of the completion box
    std::string title = kProgramTitle;        // of the completion box
    bool close_window = false;                // a successful conversion closes the window
    bool progress_by_record = false;          // progress counts records, not traces
    int channels = 1;                         // traces per record, for the progress bar
  };
  bool Run(RecordRun run, const RecordReader& read, const Closing& how);

  // Text of a box.
  static std::string T(const QLineEdit* e);
  // The leading number of a box, rounded half to even into 32 bits; a message
  // naming the box and nullopt when it does not fit.
  std::optional<int32_t> Whole(const QLineEdit* e, const char* what);

  void ShowHelp(const std::string& text, MsgIcon icon = MsgIcon::None, const std::string& title = kProgramTitle);

  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;  // the run of Run(): Convert and the selection wait for it
  QVBoxLayout* v_ = nullptr;
  QGridLayout* g_ = nullptr;
  int row_ = 0;

  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  QLineEdit* dbl_box_ = nullptr;
  std::function<void()> dbl_open_;
};

}  // namespace keld::conversion
