#pragma once
// The window `Hyperbolic`: the travel-time curve of a reflection from a
// horizontal reflector laid over the seismogram on Ecran, fitted to an event
// with a depth bar and a velocity bar. The spacing and the shot position come
// from the main window's geometry each time the window is loaded.
#include <QWidget>

class QLineEdit;
class QPushButton;
class QScrollBar;
class QGroupBox;
class QLabel;

namespace keld::korvan {

class Korvan;

class HyperbolicWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HyperbolicWindow(Korvan& main);

  void Form_Load();        // takes the spacing and the shot position from the main window
  bool loaded() const { return loaded_; }
  void Text1_Change();
  void Text2_Change();
  void Text3_Change();
  void HScroll2_Change();
  void HScroll1_Change();
  void Command1_Click();   // "Trace"
  void Command2_Click();   // "Quit/Cancel": hidden, contents kept
  void depth_Click();      // maximum of the depth bar
  void velo_Click();       // maximum of the velocity bar
  void Trace_Hyperbole();

  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr;
  QScrollBar *HScroll2 = nullptr, *HScroll1 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *depth = nullptr, *velo = nullptr;
  QGroupBox* MV = nullptr;
  QLabel *Label5 = nullptr, *Label6 = nullptr;

 protected:
  // Closing the window unloads it: the next showing loads it again.
  void closeEvent(QCloseEvent* e) override;

 private:
  void set_maximum(QScrollBar* bar, const char* prompt, const char* default_text);
  Korvan& main_;
  bool loaded_ = false;
};

}  // namespace keld::korvan
