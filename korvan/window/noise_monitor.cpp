// "SHOW Noise" and "STOP Noise": the noise of every channel drawn live on
// Ecran until stopped. The monitor and the shot exclude each other.
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>

#include "boardlink/board_link.hpp"
#include "common/numtext.hpp"
#include "korvan/engine/noise_monitor.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {

constexpr uint32_t kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;

// Each channel c has the band from c - 1 to c + 1 across, its zero line at
// c, its 256 samples running down.
class EcranNoiseView : public NoiseView {
 public:
  explicit EcranNoiseView(Korvan& w) : w_(w) {}
  int32_t channels() override {
    return CLng(Val(w_.Total_Channel->text().toStdString())).value_or(0);
  }
  std::string unit_text(int c) override { return w_.unit_box_text(c).toStdString(); }
  float gain() override { return w_.st.Gain_Affichage; }
  void begin_pass(int32_t n) override {
    ++w_.noise_counts.passes;
    PictureBox& e = *w_.Ecran;
    e.Cls();
    e.Scale(0, 0, n + 1.0, kNoiseSamples);
    w_.unsetCursor();
    e.setCursor(Qt::ArrowCursor);
  }
  void draw_channel(int c, std::span<const float> d) override {
    PictureBox& e = *w_.Ecran;
    e.PSet(c, 1, kBlack);
    for (size_t k = 0; k < d.size(); ++k) e.LineTo(c + d[k], static_cast<double>(k + 1), kRed);
    ++w_.noise_counts.reads;
    ++w_.noise_counts.drawn[c];
  }
  void channel_failed(int) override { ++w_.noise_counts.failed_reads; }

 private:
  Korvan& w_;
};

}  // namespace

void Korvan::Command6_Click() {
  // Not while a shot runs (also before it arms: its handler hands control to
  // the window system early), a filter batch, or a monitor still unwinding.
  auto run = work_->begin();
  if (!run) return;
  run->set_enabled_after(Command10, true);
  run->set_enabled_after(Command6, true);
  // A flag left by an abandoned shot must not end the monitor at once.
  st.Stop_Attesa = 0;
  run->disable(SSTab1);
  run->disable(Toolbar1);
  // The menus are held as the toolbar is: a load, a redisplay or a delete
  // would run inside the monitor's waits, and a load changes the channels.
  run->disable(menuBar());
  if (!ready_to_arm(*run, "start the noise monitor again.")) return;
  Attente_Monitor();
  Command5->setEnabled(true);
  Label1->setText("");
  Scegli_Filtro(st.Filtre, st.Freq_Campionamento, F60->isChecked());
  Monitor_Rumore();
}  // SHOW, the shot button, the tabs and the toolbar come back with the run's end

void Korvan::Command5_Click() {
  // Runs inside the monitor's waits: the monitor ends at its next look at
  // the flag, and its end gives back what SHOW took.
  Command5->setEnabled(false);
  link().Riapri_Porta();
  st.Stop_Attesa = 1;
  st.Monitor_Actif = 0;
}

void Korvan::Attente_Monitor() {
  SSTab1->setCurrentIndex(0);
  Command10->setEnabled(false);
  Ecran->Cls();
  Ecran->Scale(0, 0, st.Nb_Tracce + 1.0, 512);
  Ecran->FontSize = 55;
  Ecran->ForeColor = kBlue;
  Ecran->CurrentX = 0;
  Ecran->CurrentY = 0;
  Ecran->Print("Wait for Noise monitor");
  setCursor(Qt::WaitCursor);
  Ecran->setCursor(Qt::WaitCursor);
  st.Monitor_Actif = -1;
  st.Modo_Trigger = 0;
}

void Korvan::Monitor_Rumore() {
  noise_counts = {};
  EcranNoiseView view(*this);
  NoiseMonitor monitor(link(), sv.pump, st.Stop_Attesa, st.Filtre);
  const NoiseCounts counts = monitor.run(st.Freq_Campionamento, view);
  unsetCursor();
  Ecran->setCursor(Qt::ArrowCursor);
  Command5->setEnabled(false);
  st.Monitor_Actif = 0;
  if (!counts.failure.empty()) sv.msg.ok(counts.failure, MsgIcon::Critical, kTitle);
}

}  // namespace keld::korvan
