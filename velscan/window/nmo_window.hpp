#pragma once
// The main window `NMO` of velscan: the input file, navigation between
// records or CDP gathers, the gather drawn raw or NMO-corrected on `Ecran`,
// the stacked-amplitude panel `semblance`, the velocity bar and the picks.
// Handlers are split by subject: nmo_scan.cpp (start-up and scan),
// nmo_display.cpp (drawing), nmo_picking.cpp (picks and buttons).
#include <QWidget>

#include <functional>
#include <string>

#include "velscan/engine/velscan_state.hpp"
#include "velscan/window/velscan_services.hpp"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace keld {
class PictureBox;
}

namespace keld::velscan {

class PickWindow;

class NmoWindow : public QWidget {
  Q_OBJECT
 public:
  NmoWindow(VelscanState& state, VelscanServices& services, QWidget* parent = nullptr);
  ~NmoWindow() override;

  VelscanState& st;
  VelscanServices& sv;

  // --- Start-up and scan
  void Form_Load(const std::string& command_line);
  void lecture_SU();
  // False when the file could not be read or the user stopped the scan.
  bool Recherche_FLDR(const std::string& Fichier);
  void Text1_Change();

  // --- Display
  void Display_CDP();
  void Display_Film();
  void Display_NMO(int velocity);
  void Display_Semblance();
  void HScroll1_Change();
  void HScroll1_Scroll();
  void Text3_Change();
  void Check1_Click();
  void Text13_Change();
  void Text5_Change();
  void Text6_Change();
  void VScroll1_Change();
  void VScroll1_Scroll();
  void VScroll2_Change();
  void Ecran_MouseMove(double y);
  void semblance_MouseMove(double y);

  // --- Picking
  void Ecran_MouseDown(int button, double x, double y);
  void Save_Pick(double cdp, double time_ms, double velocity);
  void Command2_Click();
  void Command3_Click();
  PickWindow* pick_window() const { return pick_; }  // null until first shown

  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr,
            *Text6 = nullptr, *Text7 = nullptr, *Text8 = nullptr, *Text9 = nullptr, *Text10 = nullptr,
            *Text11 = nullptr, *Text12 = nullptr, *Text13 = nullptr;
  QLabel *Label1 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr, *Label8 = nullptr,
         *Label9 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr;
  QScrollBar *HScroll1 = nullptr, *VScroll1 = nullptr, *VScroll2 = nullptr;
  QCheckBox* Check1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  PictureBox* Ecran = nullptr;
  PictureBox* semblance = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  // Quit: the pick window goes first; while its batch stops, this window
  // stays, and it closes by itself once the pick window has gone.
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void build();
  void connect_handlers();
  void show_scan(const std::string& Fichier);
  bool load_current(int32_t key);     // loads the record or gather of `key` into Tableau_Film
  Window display_window() const;
  void draw_traces(const float* data, const std::vector<double>& gains, const Window& w);
  void geometry_from(const SuTraceHeader& h);
  // After a scan that failed or was stopped: nothing is left to show or to
  // pick on.
  void forget_file();
  int quiet_ = 0;
  PickWindow* pick_ = nullptr;  // > 0 while code sets controls whose change handlers must not draw
};

// The whole command line as one path (arguments joined by blanks).
std::string CommandLinePath(int argc, const char* const* argv);

}  // namespace keld::velscan
