#pragma once
// The radar windows: `Radar_F` (RAMAC .rd3 with its .rad header), `DT1`
// (pulseEKKO .DT1 with its .HD header) and `DZT2` (GSSI in two steps: our
// rtoaw, then the ASCII importer).
#include <QWidget>

#include "conversion/shell/context.hpp"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

class RadarFWindow : public QWidget {
  Q_OBJECT
 public:
  RadarFWindow(ConversionContext& cx, QWidget* parent);
  void Lit_RAMAC();
  void Command1_Click();  // Convert
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
  QPushButton *Command1, *Command3;
  QTextEdit* RichTextBox1;
  QProgressBar* ProgressBar1;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;  // the conversion's run: a second press is refused, a close stops it
};

class Dt1Window : public QWidget {
  Q_OBJECT
 public:
  Dt1Window(ConversionContext& cx, QWidget* parent);
  void Choix_IP();
  void Choix_OP();
  void Command3_Click();  // Convert
  void Command5_Click();  // help
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
  QPushButton *Command1, *Command2, *Command3, *Command5;
  QTextEdit* RichTextBox1;
  QProgressBar* ProgressBar1;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;  // the conversion's run: a second press is refused, a close stops it
};

class Dzt2Window : public QWidget {
  Q_OBJECT
 public:
  Dzt2Window(ConversionContext& cx, QWidget* parent);
  void Command3_Click();  // step 1: our rtoaw
  void Command1_Click();  // step 2: the ASCII importer
  QPushButton *Command1, *Command3;
  QLabel* Picture1;

 private:
  ConversionContext& cx_;
};

}  // namespace keld::conversion
