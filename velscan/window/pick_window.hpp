#pragma once
// The window `pick` ("Pick times"): the picks in a grid, the output file, the
// sort-NMO-stack command line (editable) and "Run batch", which saves the
// line as NMO_and_STACK.bat beside the input, runs it, checks its output and
// then writes the output's history.
#include <QWidget>

#include <string>

class QLineEdit;
class QPushButton;
class QTextEdit;

namespace keld {
class Grid;
class WorkGuard;
class WorkRun;
}

namespace keld::velscan {

class NmoWindow;

class PickWindow : public QWidget {
  Q_OBJECT
 public:
  explicit PickWindow(NmoWindow& main, QWidget* parent = nullptr);

  void Form_Load();
  // A new input file was opened: its default output, and the line rebuilt.
  void New_Input();
  void Affiche();
  void Affiche_Grid();
  void select_output();
  void Text1_Change();
  void Command1_Click();  // "Run batch"
  // The grid's in-cell editor, with the key codes of the keyboard: digits 48
  // to 57, keypad digits 96 to 105, keypad point 110, full stop 190, Delete
  // 46, backspace 8, page and arrow keys 33 to 40.
  void Grid_KeyDown(int KeyCode);

  std::string Ordre_Batch;

  keld::Grid* Grid = nullptr;
  QLineEdit* Text1 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr;
  QTextEdit *RichTextBox1 = nullptr, *RichTextBox2 = nullptr;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  // Runs the saved batch and checks what it wrote; an earlier output is kept
  // aside meanwhile and put back when the run fails or is stopped.
  bool run_batch(WorkRun& run, const std::string& batch, const std::string& workdir, const std::string& out);
  // Puts the line of the picks into RichTextBox1; a line the user changed is
  // replaced only after a Yes.
  void show_line(const std::string& line);
  // The output changed: the line of the picks, or the user's line with only
  // its output replaced.
  void output_changed();
  bool line_edited() const;
  std::string line_of_picks();
  NmoWindow& main_;
  // "Run batch" runs inside its handler: a second press is refused, a close
  // (or Quit) stops the batch and closes the window once it has unwound.
  WorkGuard* work_ = nullptr;
  std::string built_line_;  // the line last built from the picks
  int quiet_ = 0;
  bool new_text_ = false;
};

}  // namespace keld::velscan
