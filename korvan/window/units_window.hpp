#pragma once
// The `Units` window, "Units Number & Master Unit": the unit address of each
// of the 48 channels (boxes Text1_0 .. Text1_47) and the master unit (option
// buttons Option1 .. Option48), with "O K".
#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace keld::korvan {

class Korvan;

class UnitsWindow : public QWidget {
  Q_OBJECT
 public:
  explicit UnitsWindow(Korvan& main);

  QString box_text(int channel) const;              // channel 1..48
  void set_box_text(int channel, const QString& t);  // runs the box's change rule
  void Activate();                                   // enables rows 1..n of the channel count
  void Text1_Change(int index);                      // index 0..47
  void Command1_Click();                             // "O K"

  std::array<QLineEdit*, 48> Text1{};
  std::array<QRadioButton*, 48> Tabella_Opzioni{};   // Option1 .. Option48
  QPushButton* Command1 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  Korvan& main_;
};

}  // namespace keld::korvan
