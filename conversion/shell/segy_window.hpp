#pragma once
// The window `SEGY` ("SEG-Y to SU"): choose SEG-Y records, read samples per
// trace, interval, byte order and trace count from the first, run a 24-trace
// test and draw it, then convert every record through segyread | segyclean
// and join them into one SU file. Each batch is waited for (with Cancel and
// a time limit) before the next starts; the joined file is written beside
// its name and takes it only when every batch ended well. "OK" is said only
// when every record came through whole; otherwise the message begins with
// the records that did not, with the traces expected and written and
// segyread's warnings, or left out for samples per trace or an interval
// other than the first record's, and such a file never replaces an old
// output. A
// selection whose first file cannot be read changes nothing; one of more than
// 99 files takes the first 99 and says so, then and after each run of it
// (never "OK"). Cancel says that
// the run was stopped. The trial, test and per-file files live in a folder of
// the window's own.
#include <QWidget>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "common/files.hpp"
#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"
#include "conversion/shell/whole_check.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace keld {
class PictureBox;
class WorkGuard;
class WorkRun;
}  // namespace keld

namespace keld::conversion {

class SegyWindow : public QWidget {
  Q_OBJECT
 public:
  SegyWindow(ConversionContext& cx, QWidget* parent);
  ~SegyWindow() override;

  void Select_i();
  void Command2_Click();  // conversion run
  void Command4_Click();  // output name
  void Command5_Click();  // test run
  void Command6_Click();  // cancels the batch that runs
  // Draws the first 24 traces of `file`; a file it cannot draw (not of
  // fixed trace length, no whole trace) clears the picture, is told with
  // the reason, and gives false.
  bool Display_SU(const std::string& file);
  void Text13_Change();
  void ecran_MouseMove(double x, double y);
  void Form_Load();
  void Form_Unload();  // removes the window's own folder of trial and test files
  // That folder (made in the work folder at the first need) and the test
  // run's file in it; empty before they exist.
  std::string ScratchFolder() const { return scratch_ ? scratch_->path() : std::string(); }
  std::string TestFile() const;

  // Longest wait for one batch, and for the one-trace trial.
  std::chrono::milliseconds time_limit{std::chrono::minutes(30)};
  std::chrono::milliseconds trial_limit{std::chrono::seconds(60)};

  QTabWidget* SSTab1 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command4 = nullptr, *Command5 = nullptr,
              *Command6 = nullptr;
  QListWidget* List1 = nullptr;
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr,
            *Text6 = nullptr, *Text7 = nullptr, *Text8 = nullptr, *Text9 = nullptr, *Text11 = nullptr,
            *Text12 = nullptr, *Text13 = nullptr;
  QLabel *Text10 = nullptr, *Label12 = nullptr;
  QCheckBox* Check1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QTextEdit* RichTextBox1 = nullptr;
  PictureBox* ecran = nullptr;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  bool Problem(const std::string& what, const BatchOutcome* r = nullptr);
  std::string Scratch();
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;
  std::optional<TempFolder> scratch_;
  std::string selection_left_out_;  // what the last selection left out past 99 files ("" for none)
};

}  // namespace keld::conversion
