#pragma once
// The SEG-Y export window `SEGY`, "SU to SEG-Y ": choose an SU file, type the
// text header, convert. Shown without blocking the main window.
#include <QWidget>

#include <string>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::korvan {

class Korvan;

class SegyWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SegyWindow(Korvan& main);
  // Loads the window afresh (design texts, nothing chosen) and shows it; a
  // window that is open is only brought forward.
  void Open();
  // Closes the window; the next Open loads it afresh. During a conversion
  // the conversion stops first.
  void Unload();

  void Command1_Click();  // choose the SU file
  void Command2_Click();  // convert
  void Command6_Click();  // help
  void Text1_Change();

  static constexpr int kTextMax = 3200;  // characters of the text header box

  QPushButton* Command1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel *Label1 = nullptr, *Label5 = nullptr, *Label2 = nullptr, *Label6 = nullptr;
  QLabel *Label4 = nullptr, *Label3 = nullptr;
  QPlainTextEdit* Text1 = nullptr;
  QPushButton *Command2 = nullptr, *Command6 = nullptr;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Reset();
  void Pointers(bool busy);
  Korvan& main_;
  WorkGuard* work_ = nullptr;
  std::string source_;  // the chosen SU file
  std::string output_;  // its SEG-Y name
};

}  // namespace keld::korvan
