// The shot button: the checks, the values of the shot taken when it is
// armed, the shot itself, the drawing of the raw shot and the after-shot
// dialog; and "Release Trigger".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>

#include "boardlink/board_link.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "korvan/engine/clock.hpp"
#include "korvan/engine/data_paths.hpp"
#include "korvan/engine/shot_cycle.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/main_window.hpp"
#include "korvan/window/units_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {

// The shot's screen messages and progress on the main window.
class WindowShotView : public ShotView {
 public:
  explicit WindowShotView(Korvan& w) : w_(w) {}
  void message_screen(const std::string& text, uint32_t bgr, bool clear) override {
    PictureBox& e = *w_.Ecran;
    if (clear) {
      e.Scale(-10, -10, 100, 100);
      e.FontSize = 55;
      e.Cls();
      e.CurrentX = 0;
      e.CurrentY = 0;
    }
    e.ForeColor = bgr;
    e.Print(QString::fromStdString(text));
  }
  void progress_range(int low, int high) override {
    w_.ProgressBar1->setRange(low, high < low ? low : high);
    w_.ProgressBar1->show();
  }
  void progress(int value) override { w_.ProgressBar1->setValue(value); }
  void progress_hide() override { w_.ProgressBar1->hide(); }
  void raw_file_shown(const std::string& path) override { w_.Text13->setText(QString::fromStdString(path)); }

 private:
  Korvan& w_;
};

std::string S(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

std::string Korvan::text_record_path() const { return TextRecordPath(sv.work_folder + "/DATA"); }

void Korvan::connect_shot() {
  st.Fichier_Temp = sv.work_folder + "/tmp.su";
  connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
  connect(Virtual_trigger, &QPushButton::clicked, this, [this] { st.Stop_Attesa = 1; });
  connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
}

void Korvan::Check2_Click() {
  if (Check2->isChecked()) {
    st.Filtre.Senza_Filtro = true;
    Frame8->setEnabled(false);
  } else {
    st.Filtre.Senza_Filtro = false;
    Frame8->setEnabled(true);
    Options_Filtre();
  }
}

ShotParams Korvan::shot_params() {
  ShotParams p;
  p.samples = st.Nb_Campioni;
  p.frequency = st.Freq_Campionamento;
  p.polarity = st.Polarita_Trigger;
  p.notch50 = st.Notch_50;
  p.notch60 = st.Notch_60;
  p.master_unit = st.Unita_Master;
  double n = Val(S(Total_Channel));
  p.channels = n > 0 ? CLng(n).value_or(0) : 0;
  for (int c = 1; c <= p.channels; ++c) {
    p.unit_texts.push_back(unit_box_text(c).toStdString());
    p.frozen.push_back(channel_frozen(c));
  }
  ShotHeaderInputs& h = p.header;
  h.Text3 = S(Text3);
  h.Sample_rate = Sample_rate->currentText().toStdString();
  h.Nb_Sample = Nb_Sample->currentText().toStdString();
  h.Text14 = S(Text14);
  h.Text17 = S(Text17);
  h.sx = S(sx);
  // The grid is redrawn only when its tab is visited: after the channel count
  // changed it may still describe the line before. The shot takes the
  // geometry of the boxes as they stand now.
  Dessine_Geometrie();
  for (int c = 1; c < GeoGrid->Cols(); ++c) {
    h.GeoRow1.push_back(GeoGrid->TextMatrix(1, c).toStdString());
    h.GeoRow2.push_back(GeoGrid->TextMatrix(2, c).toStdString());
  }
  h.Notch_50 = st.Notch_50;
  h.Notch_60 = st.Notch_60;
  h.clock = ReadClock();
  TextRecordInputs& r = p.record;
  r.date = ShortDateText(h.clock);
  r.time = TimeText(h.clock);
  r.Total_Channel = S(Total_Channel);
  r.Sample_rate = h.Sample_rate;
  r.Nb_Sample = h.Nb_Sample;
  r.Text15 = S(Text15);
  r.offset = S(offset);
  p.filter = st.Filtre;
  p.tmp_su = st.Fichier_Temp;
  p.text_record = text_record_path();
  return p;
}

void Korvan::Command10_Click() {
  // The shot, the noise monitor and a filter batch exclude each other; the
  // guard keeps the shot and noise buttons off until the shot has ended.
  auto run = work_->begin();
  if (!run) return;
  run->set_enabled_after(Command10, true);  // however the shot ends, both buttons come back
  run->set_enabled_after(Command6, true);
  Toolbar1->setEnabled(true);
  st.Stop_Attesa = 0;
  Virtual_trigger->show();
  auto refuse = [&](const char* text) {
    sv.msg.ok(text, MsgIcon::Critical, kTitle);
    SSTab1->setCurrentIndex(1);
    Virtual_trigger->hide();
  };
  if (Val(S(Total_Channel)) <= 0) return refuse("Check the number of boards");
  if (Val(Rec_time->text().toStdString()) == 0) return refuse("Check the recording time");
  if (Val(Nb_Sample->currentText().toStdString()) == 0) return refuse("Check the number of sample");
  // This shot opens the after-shot dialog afresh when it has ended (when the
  // shot cannot start, the save button brings it back for the raw shot
  // still there).
  if (!ready_to_arm(*run, "shoot again.")) {
    Virtual_trigger->hide();
    return;
  }

  st.Nb_Campioni = CLng(Val(Nb_Sample->currentText().toStdString())).value_or(0);
  Ecran->Cls();
  SSTab1->setCurrentIndex(0);
  Toolbar1->hide();
  Scegli_Filtro(st.Filtre, st.Freq_Campionamento, F60->isChecked());
  // What a shot takes when it is armed cannot be changed until it ends, and
  // the menus offer what the hidden toolbar does ("Release Trigger" and the
  // display tools stay).
  for (QWidget* w : {static_cast<QWidget*>(Frame4), static_cast<QWidget*>(Frame5),
                     static_cast<QWidget*>(Frame7), static_cast<QWidget*>(GeoGrid),
                     static_cast<QWidget*>(Command3), static_cast<QWidget*>(Command4),
                     static_cast<QWidget*>(units()), static_cast<QWidget*>(Check2),
                     static_cast<QWidget*>(Frame8), static_cast<QWidget*>(menuBar())})
    run->disable(w);

  declanche_tir();
  // Closed or Quit during the shot: the window goes once this handler has
  // returned, and its close resets the link.
  if (run->closing()) return;

  ProgressBar1->hide();
  st.Monitor_Actif = 0;
  st.Gain_Affichage = 1;
  Ingrandimento->setText("1");
  Dessine_Traces(st.Fichier_Temp);
  ProgressBar1->hide();
  Text13->setText(QString::fromStdString(st.Fichier_Temp));
  unsetCursor();
  link().Riapri_Porta();
  Toolbar1->show();
  Virtual_trigger->hide();
}

bool Korvan::ready_to_arm(const WorkRun& run, const std::string& then) {
  // The dialog of the shot before offers a raw shot about to be replaced,
  // and a save that switches the tabs away from the live display: it goes
  // now, before the wait of a port opened again.
  if (choix_) choix_->hide();
  if (!reopen_lost_port()) {
    if (!run.closing())
      sv.msg.ok("ERROR ! The device of port " + std::to_string(link().port().port_number()) + " is not there (" +
                    link().error() + "). Check the cable and the power of the unit, then " + then,
                MsgIcon::Critical, kTitle);
    return false;
  }
  return !run.closing();
}

bool Korvan::reopen_lost_port() {
  board::BoardLink& l = link();
  l.port().poll_events();  // an error met since: the device went while the port was idle
  if (l.port().is_open() && l.Errore_Linea == 0) return true;
  // Opened again once: a device plugged back in since then records this shot.
  setCursor(Qt::WaitCursor);
  const bool ok = l.Riapri_Porta();
  unsetCursor();
  return ok;
}

void Korvan::declanche_tir() {
  if (Command2->isEnabled()) last_shot_ = Acquisition_Tir();
  if (work_->stopped()) return;  // the window is closing: no after-shot dialog
  Ecran->Cls();
  SSTab1->setCurrentIndex(0);
  // A shot that failed or was abandoned left no raw shot: nothing to save,
  // stack or erase, so no dialog; its own boxes have said why.
  if (Existe_file(st.Fichier_Temp) == 1) open_choix();
}

ShotResult Korvan::Acquisition_Tir() {
  WindowShotView view(*this);
  ShotCycle cycle(link(), sv.pump, sv.msg, view, st.Stop_Attesa, st.Modo_Trigger);
  return cycle.run(shot_params());
}

void Korvan::show_choix() {
  // While a shot, the noise monitor or a batch runs, the dialog would offer a
  // raw shot that is about to be replaced.
  if (work_->running()) return;
  // With no raw shot and no record on display it would offer only its help,
  // which opens it again.
  if (Existe_file(st.Fichier_Temp) != 1 && st.Fichier_Dessine.empty()) {
    sv.msg.ok("There is no shot to save", MsgIcon::Exclamation, kTitle);
    return;
  }
  open_choix();
}

void Korvan::open_choix() {
  if (!choix_) choix_ = std::make_unique<ChoixDialog>(*this);
  choix_->Open();
}

}  // namespace keld::korvan
