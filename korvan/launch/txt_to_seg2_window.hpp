#pragma once
// The small window that converts any acquisition text record into a SEG-2 file
// through dropconv. It does not block the main window; it waits for dropconv
// inside its own run (a close or EXIT stops it) and says what became of it.
#include <QWidget>

#include "korvan/window/korvan_services.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::korvan {

class txt_to_seg2 : public QWidget {
  Q_OBJECT

 public:
  explicit txt_to_seg2(KorvanServices& sv, QWidget* parent = nullptr);

  // The SEG-2 name proposed for a record: the record less its last four
  // characters (its extension), then ".sg2".
  static std::string Seg2NameFor(const std::string& record);

 private:
  void Command2_Click();  // choose the record
  void Command1_Click();  // convert
  void Command3_Click();  // exit
  void Refuse(const std::string& text);

  KorvanServices& sv_;
  QLineEdit* Text1;
  QLabel* Label1;
  QLineEdit* Text2;
  QLabel* Label2;
  QPushButton* Command2;
  QPushButton* Command1;
  QPushButton* Command3;
  WorkGuard* work_;
};

}  // namespace keld::korvan
