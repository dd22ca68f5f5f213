#pragma once
// The window `Parametri` ("Acqusition Parameters"): samples per channel,
// sampling rate, pre-trigger samples, trigger polarity, the board's notch,
// the console's low-pass choice, "No Filter" and the RMS display switch. Every
// change goes into the shared state at once; the board sees it at the next
// arm. Shown without blocking the console and hidden by "OK".
#include <QWidget>

#include <functional>

#include "boardtest/engine/console_state.hpp"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace keld::boardtest {

// The rate of each position of the rate scroll bar (1 to 7) and back.
int RateOfPosition(int value);
int PositionOfRate(int rate);  // 0 when the rate is not offered
// The samples scroll bar's position for a count: log2 rounded, halves to even.
int SamplesPosition(int32_t samples);

class Parametri : public QWidget {
  Q_OBJECT
 public:
  Parametri(BoardtestState& state, QWidget* parent = nullptr);

  void VScroll1_Change();
  void VScroll2_Change();
  void VScroll3_Change();
  // Shows or hides the console's "1st ch" frame (Check1).
  std::function<void(bool)> show_rms_frame;

  QGroupBox* Frame3 = nullptr;
  QScrollBar *VScroll1 = nullptr, *VScroll2 = nullptr, *VScroll3 = nullptr;
  QLabel *Label11 = nullptr, *Label7 = nullptr, *Label3 = nullptr, *Label55 = nullptr, *Label6 = nullptr;
  QRadioButton *Option1 = nullptr, *Option2 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QRadioButton *Option26 = nullptr, *Option27 = nullptr, *Option28 = nullptr;
  QRadioButton *Option3 = nullptr, *Option4 = nullptr, *Option5 = nullptr, *Option6 = nullptr;
  QCheckBox *Check2 = nullptr, *Check1 = nullptr;
  QPushButton* Command1 = nullptr;

 private:
  void build();
  void show_acquisition_time();
  void Option28_Click();
  void Check2_Click();
  BoardtestState& st;
};

}  // namespace keld::boardtest
