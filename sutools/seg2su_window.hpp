#pragma once
// seg2su's window, shown when it is started without arguments (as the
// conversion start window starts it): one or more SEG-2 files, the SU file,
// convert.
#include <QWidget>

#include "platform/messages.hpp"
#include "platform/qtbase/dialogs.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace keld::sutools {

inline constexpr const char* kSeg2suTitle = "SEG-2 to Seismic Unix";

class Seg2suWindow : public QWidget {
  Q_OBJECT

 public:
  Seg2suWindow(Dialogs& dialogs, MessageBoxes& msg, QWidget* parent = nullptr);

  void Command1_Click();  // choose the SEG-2 files
  void Command2_Click();  // choose the SU file
  void Command3_Click();  // convert
  void Command4_Click();  // close

  QListWidget* List1;
  QLineEdit* Text1;
  QLabel* Label1;
  QPushButton *Command1, *Command2, *Command3, *Command4;

 private:
  Dialogs& dialogs_;
  MessageBoxes& msg_;
};

}  // namespace keld::sutools
