#pragma once
// The window `pick`: shows one trace-header word of the first trace of an SU
// or SEG-Y file with the byte position it was read at, or a value of a chosen
// type at a typed byte position ("Other"). It only reads; "Edit File" opens
// the file in the text editor.
#include <QWidget>

#include "conversion/shell/context.hpp"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace keld::conversion {

class PickWindow : public QWidget {
  Q_OBJECT
 public:
  PickWindow(ConversionContext& cx, QWidget* parent);

  void Form_Load();
  void Command1_Click();  // select a file
  void Command2_Click();  // GO
  void Command3_Click();  // help
  void Command4_Click();  // edit the file
  void Option1_Click();   // SU
  void Option2_Click();   // SEG-Y
  void Option3_Click();   // Other

  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
  QGroupBox *Frame1 = nullptr, *Frame2 = nullptr;
  QRadioButton *Option1 = nullptr, *Option2 = nullptr, *Option3 = nullptr, *Option4 = nullptr, *Option5 = nullptr,
               *Option6 = nullptr, *Option7 = nullptr;
  QComboBox* Combo1 = nullptr;
  QCheckBox* Check1 = nullptr;

 private:
  void ShowSize();
  ConversionContext& cx_;
};

}  // namespace keld::conversion
