#pragma once
// The window `SU2SGY` ("SU to SEGY "): one SU file to a SEG-Y file through
// segyhdrs and segywrite. The batch is waited for; the SEG-Y file is written
// beside its name, checked there, and takes it only when the batch ended
// well; " Conversion OK" is said only when it holds every trace of the range
// asked. One that lacks traces never replaces an old file: the message says
// first which traces are missing. An input the SU layout check refuses is
// refused with its words, at selection and at Convert.
#include <QWidget>

#include <chrono>

#include "conversion/shell/context.hpp"

class QLineEdit;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

class Su2SgyWindow : public QWidget {
  Q_OBJECT
 public:
  Su2SgyWindow(ConversionContext& cx, QWidget* parent);

  void Command1_Click();  // Cancel: closes the window
  void Command2_Click();  // Convert
  void Command3_Click();  // input file
  void Command4_Click();  // output file
  void Command5_Click();  // Info

  std::chrono::milliseconds time_limit{std::chrono::minutes(30)};

  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
              *Command5 = nullptr;
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr,
            *Text6 = nullptr, *Text7 = nullptr, *Text8 = nullptr;

 private:
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;
};

// The text of the Info box.
std::string Su2SgyHelpText(const std::string& crlf);

}  // namespace keld::conversion
