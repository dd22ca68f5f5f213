#pragma once
// The console window `analog` ("QMR650 Blackfin  Test"): 48 unit rows (trace
// picture, unit box, unit-number box), the run commands GO trigger, GO running
// and STOP with the running-mode timer, the display gain, the RMS frame, the
// menu and the exit. The runs themselves are the engine's Console; this
// window shows what it reports. Controls carry their names as object names.
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "boardlink/board_link.hpp"
#include "boardtest/engine/console.hpp"
#include "boardtest/engine/console_state.hpp"
#include "platform/messages.hpp"
#include "platform/pump.hpp"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace keld {
class PictureBox;
class WorkGuard;
class WorkRun;
}
namespace keld::board {
class Rs232;
}

namespace keld::boardtest {

class Parametri;

struct BoardtestServices {
  MessageBoxes& msg;
  EventPump& pump;
  board::SerialPort& port;
  std::string work_folder;  // ini.txt lives here
  board::LinkConfig link = board::LinkConfig::Boardtest();
  bool show_port_dialog = true;  // tests open the link themselves
};

class Analog : public QMainWindow, public ConsoleView {
  Q_OBJECT
 public:
  Analog(BoardtestState& state, BoardtestServices& services, QWidget* parent = nullptr);
  ~Analog() override;

  static constexpr const char* kTitle = "QMR650 Blackfin  Test";
  BoardtestState& st;
  BoardtestServices& sv;
  board::BoardLink& link() { return *link_; }
  Console& console() { return *console_; }
  std::string ini_path() const;

  // Handlers, named after their controls.
  void Form_Load();
  void Init_Controlli();
  void VScroll1_Change();
  void Pulsante_trg_Click();
  void pulsante_running_Click();
  void Timer3_Timer();
  void Command10_Click();
  void Reset_Click();
  void uscita_Click();
  void parameters_Click();
  void gain_option(int gain, QRadioButton* option);
  void Autrnge_Click();
  void Check25_Click();
  void Check40_Click();
  void Check50_Click();
  void Text_Change(int row);
  static int16_t Reset_Scheda() { return 0; }

  // The three row tables, indexed 1..48 (entry 0 unused).
  std::array<PictureBox*, 49> Picture{};
  std::array<QCheckBox*, 49> CheckRow{};
  std::array<QLineEdit*, 49> TextRow{};

  QPushButton *Pulsante_trg = nullptr, *pulsante_running = nullptr, *Command10 = nullptr;
  QPushButton *Command5 = nullptr, *Command6 = nullptr;
  QTimer* Timer3 = nullptr;
  QScrollBar* VScroll1 = nullptr;
  QLabel *Label11 = nullptr, *Label84 = nullptr, *Message = nullptr, *Label24 = nullptr;
  QLabel *Label14 = nullptr, *Label23 = nullptr;
  QRadioButton *Option1 = nullptr, *Option3 = nullptr, *Option2 = nullptr, *Option5 = nullptr,
               *Option4 = nullptr, *Autrnge = nullptr;
  QCheckBox *Check40 = nullptr, *Check50 = nullptr;
  QGroupBox *Frame2 = nullptr, *Frame1 = nullptr;
  QAction *Reset = nullptr, *parameters = nullptr, *Geometry = nullptr, *uscita = nullptr;
  Parametri* parametri = nullptr;
  board::Rs232* rs232 = nullptr;

  // Row controls' status as shown (caption and back colour 0x00BBGGRR).
  static uint32_t BackColour(const QWidget* w);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void build();
  void build_rows(QWidget* area);
  void build_side(QWidget* side);
  void build_menu();
  // "READY for Trigger!" and what follows it in its run stand in this size.
  static constexpr int kLargestMessagePoints = 24;
  void keep_status_room(int width);
  void set_message(const QString& text, uint32_t bgr, int point_size, bool visible);
  void recompute_steps();
  void after_run(const CycleResult& r);
  // Before a run: true (the run does not start) when the port is not open
  // and cannot be opened again; the port dialog is then offered.
  bool refuse_without_port();
  // The port dialog, its list of ports made anew.
  void offer_port_dialog();
  void write_ini();
  void end_running_mode();

  // ConsoleView
  bool row_ticked(int row) override;
  std::string unit_text(int row) override;
  void row_status(int row, RowStatus s) override;
  bool rms_wanted() override;
  void show_rms(const RmsLabels& r) override;
  void draw_trace(int row, const std::vector<TracePoint>& pts) override;
  void status_line(const std::string& text) override;
  void hide_message() override;

  std::unique_ptr<board::BoardLink> link_;
  std::unique_ptr<Console> console_;
  QWidget* rows_area_ = nullptr;
  // A trigger run lives in its handler; the running mode is one run from GO
  // running to STOP, its ticks inside it. A close (or EXIT) during either
  // stops it, and the window closes once its handler has unwound.
  WorkGuard* work_ = nullptr;
  std::unique_ptr<WorkRun> running_mode_;
  bool in_tick_ = false;        // a tick's handler is on the stack
  bool exiting_ = false;        // EXIT: the close writes ini.txt
  bool write_ini_on_exit_ = false;
};

}  // namespace keld::boardtest
