#pragma once
// The window `KORVAN`: pick the channel files of one or more records of the
// maker's per-channel ASCII format and their information file, check the
// values, and convert them into one SU file.
#include <QWidget>

#include "conversion/shell/context.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

class KorvanWindow : public QWidget {
  Q_OBJECT
 public:
  KorvanWindow(ConversionContext& cx, QWidget* parent);

  void Select_i();        // channel-file selection
  void Read_info_file();  // information-file dialog, then Lecture_adt
  void Lecture_adt();     // reads the information file named in Text8
  void Choix_SU();        // output-file dialog
  void Command1_Click();  // Convert
  void Command4_Click();  // help
  void Command6_Click() {
    Select_i();
    Read_info_file();
  }

  QListWidget* List1 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
              *Command5 = nullptr, *Command6 = nullptr;
  QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr, *Text6 = nullptr,
            *Text7 = nullptr, *Text8 = nullptr;
  QLabel* Label8 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;
};

}  // namespace keld::conversion
