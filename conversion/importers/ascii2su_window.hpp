#pragma once
// The window `ASCII2SU`: one text file of comma-separated columns (one line
// per sample, one column per trace) into one SU file.
#include <QWidget>

#include "conversion/shell/context.hpp"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace keld::conversion {

class Ascii2SuWindow : public QWidget {
  Q_OBJECT
 public:
  Ascii2SuWindow(ConversionContext& cx, QWidget* parent);

  void Command1_Click();  // input file, the three questions, then convert_ascii
  void Command2_Click();  // output file
  void convert_ascii();
  void Command5_Click();  // help

  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5;
  QCheckBox* Check1;
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5;
  QProgressBar* ProgressBar1;

 private:
  // Asks `prompt` until the answer's number is not 0; nullopt when cancelled.
  std::optional<double> AskNonZero(const std::string& prompt, const std::string& proposed);
  ConversionContext& cx_;
};

}  // namespace keld::conversion
