#pragma once
// The after-shot dialog `choix`: save the raw shot as the next numbered record
// (with its SEG-2 copy), stack it onto the record saved last, erase the
// displayed record, save it under another name, or read how it works. Shown
// without blocking the main window. A save runs inside the main window's run
// until dropconv has ended, and says what became of the SEG-2 copy.
#include <QDialog>

#include <string>

class QPushButton;

namespace keld::korvan {

class Korvan;

class ChoixDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ChoixDialog(Korvan& main);
  // Loads the dialog afresh: draws the raw shot, builds the captions, and
  // offers only what there is a raw shot for.
  void Open();

  void Command1_Click();  // Save as
  void Command2_Click();  // Stack with previous
  void Command3_Click();  // Erase
  void Command4_Click();  // Save with another name
  void Command5_Click();  // Informations

  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
              *Command5 = nullptr;

 private:
  bool raw_shot_exists() const;
  // Enables what there is a raw shot or a record on display for, and nothing
  // while a run of the main window is on.
  void offer();
  // The raw shot has just been moved to `saved`: the record on display, when
  // it was the shot, and the current file are now `saved`.
  void saved_as(const std::string& saved);
  void Sauve_SEG2();
  Korvan& w_;
};

// The SEG-2 name of a record, for Save as and Save with another name alike:
// its final extension replaced by ".SG2" whatever its case, or ".SG2"
// appended when it has none.
std::string Seg2NameFor(const std::string& record);

}  // namespace keld::korvan
