#pragma once
// The windows of the record importers, each a thin shell over its format's
// reader: `abem`, `sisforme`, `es1225`, `Bison`, `pasi`, `oyo`, `Ambrogeo`.
#include "conversion/importers/import_traces.hpp"
#include "conversion/importers/records/sisforme.hpp"
#include "conversion/importers/records/windows/record_window.hpp"

class QComboBox;
class QRadioButton;

namespace keld::conversion {

class AbemWindow : public RecordWindow {
  Q_OBJECT
 public:
  AbemWindow(ConversionContext& cx, QWidget* parent);
  void Select_i();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command3, *Command4;
  QLineEdit *Text2, *Text3, *Text4, *Text5, *Text6;
};

class SisformeWindow : public RecordWindow {
  Q_OBJECT
 public:
  SisformeWindow(ConversionContext& cx, QWidget* parent);
  void Select_i();
  void Outputfile();
  void Calcul_gd_file();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command3, *Command4, *Command5, *Command6;
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9;
  QLabel* Label8;
  QRadioButton *Option1, *Option2, *Option3, *Option4;

 private:
  LayoutParams Layout(bool& ok);
};

class Es1225Window : public RecordWindow {
  Q_OBJECT
 public:
  Es1225Window(ConversionContext& cx, QWidget* parent);
  void Select_i();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command3, *Command4;
  QLineEdit *Text2, *Text3, *Text4, *Text5;
  QComboBox* Combo1;
};

class BisonWindow : public RecordWindow {
  Q_OBJECT
 public:
  BisonWindow(ConversionContext& cx, QWidget* parent);
  void Select_i();
  void Header_Size();
  void Outputfile();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command4, *Command5;
  QLineEdit *Text2, *Text3, *Text4, *Text5, *Text6, *Text7;
  QLabel* Label8;
};

class PasiWindow : public RecordWindow {
  Q_OBJECT
 public:
  PasiWindow(ConversionContext& cx, QWidget* parent);
  void Command5_Click();
  void Command4_Click();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command4, *Command5;
  QLineEdit *Text2, *Text3, *Text4, *Text5, *Text6;
  QLabel* Label8;
};

class OyoWindow : public RecordWindow {
  Q_OBJECT
 public:
  OyoWindow(ConversionContext& cx, QWidget* parent);
  void Select_i();
  void Command4_Click();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command3, *Command4;
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6;
  QRadioButton *sinteger, *linterger;
};

class AmbrogeoWindow : public RecordWindow {
  Q_OBJECT
 public:
  AmbrogeoWindow(ConversionContext& cx, QWidget* parent);
  void Command5_Click();
  void Command1_Click() override;
  void Command2_Click() override;
  QPushButton *Command5;
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text6;
};

}  // namespace keld::conversion
