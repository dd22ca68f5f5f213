#pragma once
// rtoaw's window, shown when it is started without arguments (as the GSSI
// window's step 1 starts it): choose a DZT file and the text file, convert,
// and read the samples per trace to type into step 2.
#include <QWidget>

#include "platform/messages.hpp"
#include "platform/qtbase/dialogs.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace keld::rtoaw {

inline constexpr const char* kRtoawTitle = "DZT to ASCII";

class RtoawWindow : public QWidget {
  Q_OBJECT

 public:
  RtoawWindow(Dialogs& dialogs, MessageBoxes& msg, QWidget* parent = nullptr);

  void Command1_Click();  // choose the DZT file (its header is shown)
  void Command2_Click();  // choose the text file
  void Command3_Click();  // convert
  void Command4_Click();  // close

  QLineEdit *Text1, *Text2;
  QLabel* Label1;  // the header of the chosen file
  QLabel* Label2;  // what the conversion did
  QPushButton *Command1, *Command2, *Command3, *Command4;

 private:
  Dialogs& dialogs_;
  MessageBoxes& msg_;
};

}  // namespace keld::rtoaw
