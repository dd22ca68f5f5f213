// The run commands: GO trigger, GO running and its timer, STOP, RESET and
// the exit.
#include <QAction>
#include <QCloseEvent>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "boardlink/window/rs232.hpp"
#include "boardtest/engine/settings_file.hpp"
#include "boardtest/window/analog.hpp"
#include "boardtest/window/parametri.hpp"
#include "common/numtext.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::boardtest {

bool Analog::refuse_without_port() {
  // A device unplugged and plugged back in while the console was idle: its
  // port is opened again here, before anything is sent.
  const bool chosen = link_->port().port_number() >= 1;
  if (console_->reopen_lost_port()) {
    if (rs232) rs232->hide();  // offered after a loss, and no longer needed
    return false;
  }
  if (!chosen)
    sv.msg.ok("The serial port is not open: choose the port of the units first.", MsgIcon::Exclamation, kTitle);
  else
    sv.msg.ok("ERROR ! The device of port " + std::to_string(link_->port().port_number()) + " is not there (" +
                  link_->error() + "). Check the cable and the power of the units, then choose the port again.",
              MsgIcon::Critical, kTitle);
  offer_port_dialog();
  return true;
}

void Analog::offer_port_dialog() {
  if (!rs232) return;
  rs232->Form_Load();  // the ports whose device is there now, not at start-up
  rs232->show();
  rs232->raise();
}

void Analog::Pulsante_trg_Click() {
  if (work_->running() || refuse_without_port()) return;
  auto run = work_->begin();  // GO trigger and GO running are off until the run ends
  st.Arresto = 0;
  Label24->hide();
  parameters->setEnabled(false);
  Geometry->setEnabled(false);
  Reset->setEnabled(false);
  Timer3->stop();
  st.Salta_Campioni = 1;
  st.Opzione_Lettura = true;
  Option1->setEnabled(true);
  Autrnge->setEnabled(true);
  for (int i = 1; i <= 36; ++i) Picture[static_cast<size_t>(i)]->Cls();
  recompute_steps();
  set_message("READY for Trigger!", 0x00FF00, kLargestMessagePoints, true);
  sv.pump.pump();

  CycleResult r;
  const RunOutcome out = run->stopped() ? RunOutcome::Stopped : console_->GoTrigger(&r);
  Reset->setEnabled(true);
  parameters->setEnabled(true);
  // Closed or EXIT meanwhile: the window goes once this handler has returned.
  if (run->closing()) return;
  if (out == RunOutcome::Polled) after_run(r);
  if (out == RunOutcome::NoStatus || out == RunOutcome::NoNotice)
    sv.msg.ok(console_->failure(), MsgIcon::Critical, kTitle);
}

void Analog::pulsante_running_Click() {
  if (work_->running() || refuse_without_port()) return;
  running_mode_ = work_->begin();
  Label24->hide();
  Command5->setEnabled(true);
  Command6->setEnabled(true);
  Reset->setEnabled(false);
  st.Arresto = 0;
  st.Modo_Trigger = 0;
  uscita->setEnabled(false);
  parameters->setEnabled(false);
  Geometry->setEnabled(false);
  recompute_steps();
  set_message(Message->text(), 0x00FF00, 12, Message->isVisible());
  st.Scala = Val(Label84->text().toStdString()) * 1000.0 / 16780000.0;
  console_->StartRunning();
  gain_option(1, Option1);
  Timer3->start();
}

void Analog::Timer3_Timer() {
  // A tick that falls due while the previous one still runs is skipped, so
  // one arm and its blocks are never interleaved.
  if (in_tick_ || !running_mode_) return;
  in_tick_ = true;
  CycleResult r;
  const RunOutcome out = running_mode_->stopped() ? RunOutcome::Stopped : console_->RunningTick(&r);
  if (out == RunOutcome::Polled && !running_mode_->stopped()) after_run(r);
  if (out == RunOutcome::ArmNotSent || out == RunOutcome::NoNotice) {
    // The units were never armed, or never started: the running mode ends
    // here, as STOP ends it.
    Command10_Click();
    sv.msg.ok(console_->failure(), MsgIcon::Critical, kTitle);
  }
  in_tick_ = false;
  // STOP (or a lost port) meanwhile, or a close: the mode ends with this tick.
  if (!Timer3->isActive() || running_mode_->stopped()) end_running_mode();
}

void Analog::end_running_mode() {
  Timer3->stop();
  running_mode_.reset();
  Reset->setEnabled(true);  // held while a tick's read could still be unwinding
}

void Analog::after_run(const CycleResult& r) {
  if (!r.port_lost && !r.link_lost) return;
  Command10_Click();
  const std::string port = std::to_string(link_->port().port_number());
  std::string text;
  if (r.link_lost) {
    text = "ERROR ! The link to the units was lost while unit " + std::to_string(r.lost_unit) + " was read (" +
           r.link_error + "). No unit is charged with it. The run is ended.";
    if (r.port_lost)
      text += " The serial port " + port + " could not be opened again (" + r.port_error +
              "): choose the port again.";
  } else {
    text = "The serial port " + port + " could not be opened again after a unit failed (" + r.port_error +
           "): the run is stopped. Choose the port again.";
  }
  sv.msg.ok(text, MsgIcon::Critical, kTitle);
  if (r.port_lost) offer_port_dialog();
}

void Analog::Command10_Click() {
  // Between two ticks the running mode ends here; inside one, with it.
  if (!in_tick_) end_running_mode();
  Timer3->stop();
  Pulsante_trg->setEnabled(false);
  pulsante_running->setEnabled(false);
  st.Modo_Trigger = 0;
  st.Arresto = 1;
  // A read stopped here still unwinds (its input drained): RESET waits
  // until the run has returned.
  Reset->setEnabled(!console_->busy());
  uscita->setEnabled(true);
  VScroll1->setEnabled(true);
  parameters->setEnabled(true);
  Message->setText("");
  Pulsante_trg->setEnabled(true);
  pulsante_running->setEnabled(true);
}

void Analog::Reset_Click() {
  if (console_->busy()) return;  // a run, stopped or not, is still on its way out
  set_message("Reset !", 0x00FF00, Message->font().pointSize(), true);
  Pulsante_trg->setEnabled(false);
  pulsante_running->setEnabled(false);
  st.Modo_Trigger = 0;
  (void)Reset_Scheda();
  Reset->setEnabled(false);
  uscita->setEnabled(false);
  Frame2->setEnabled(false);
  Reset->setEnabled(true);
  uscita->setEnabled(true);
  Pulsante_trg->setEnabled(true);
  pulsante_running->setEnabled(true);
  Frame2->setEnabled(true);
  Message->hide();
}

void Analog::parameters_Click() {
  parametri->show();
  parametri->raise();
}

void Analog::uscita_Click() {
  write_ini_on_exit_ = link_->port().is_open();
  exiting_ = true;
  close();  // during a trigger run: the run stops first, the exit follows it
}

void Analog::write_ini() {
  IniValues v;
  v.settings = st.settings;
  v.Num_Unita = st.Num_Unita;
  v.Campioni = st.Campioni;
  v.Pre_Campioni = st.Pre_Campioni;
  v.Frequenza = st.Frequenza;
  v.Notch_50 = st.Notch_50;
  v.Notch_60 = st.Notch_60;
  v.Polarita = st.Polarita;
  for (int i = 1; i <= kRowsMax; ++i)
    v.units[static_cast<size_t>(i - 1)] = TextRow[static_cast<size_t>(i)]->text().toStdString();
  const Status w = SaveIniFile(ini_path(), v, st.Errori);
  if (!w.ok()) sv.msg.ok("ini.txt cannot be written: " + w.error, MsgIcon::Critical, kTitle);
}

// Never reached during a run: the guard stops it and closes the window again
// once its handler has unwound.
void Analog::closeEvent(QCloseEvent* e) {
  if (exiting_ && write_ini_on_exit_) {
    write_ini();
    Reset_Click();
  }
  exiting_ = write_ini_on_exit_ = false;
  Timer3->stop();
  st.Arresto = 1;
  parametri->close();
  if (rs232) rs232->close();
  e->accept();
}

}  // namespace keld::boardtest
