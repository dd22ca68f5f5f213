// The mouse on the seismogram: the zoom box, the spectrum box, the apparent
// velocity line, the pointer's tool tip, and the time window drawn on the
// strip `echelle` beside it.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "korvan/engine/screen_tools.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

namespace {

constexpr uint32_t kSpectreFill = 0xFF8080, kSpectreEdge = 0xFF0000;
constexpr uint32_t kZoomFill = 0xE0FFFF, kZoomEdge = 0x000000;
constexpr uint32_t kVelocityLine = 0x0000FF;

// A box or line on the temporary layer: only the latest one shows, and the
// record underneath stays as drawn.
template <typename F>
void RubberBand(PictureBox& pb, PictureBox::DrawMode mode, F&& draw) {
  pb.set_persistent(false);
  pb.Cls();
  pb.Mode = mode;
  pb.Fill = PictureBox::FillStyle::Transparent;
  draw();
  pb.set_persistent(true);
}

void Box(PictureBox& pb, double x1, double y1, double x2, double y2, uint32_t fill, uint32_t edge) {
  RubberBand(pb, PictureBox::DrawMode::MaskPen, [&] {
    pb.Box(x1, y1, x2, y2, fill, true);
    pb.Box(x1, y1, x2, y2, edge, false);
  });
  pb.DrawWidth = 1;
}

}  // namespace

void Korvan::connect_tools() {
  Ecran->setMouseTracking(true);
  echelle->setMouseTracking(true);
  connect(Ecran, &PictureBox::mouseDown, this, &Korvan::Ecran_MouseDown);
  connect(Ecran, &PictureBox::mouseMove, this, &Korvan::Ecran_MouseMove);
  connect(Ecran, &PictureBox::mouseUp, this, &Korvan::Ecran_MouseUp);
  connect(echelle, &PictureBox::mouseDown, this, &Korvan::echelle_MouseDown);
  connect(echelle, &PictureBox::mouseMove, this, &Korvan::echelle_MouseMove);
  connect(echelle, &PictureBox::mouseUp, this, &Korvan::echelle_MouseUp);
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(item("LinVel"), &QAction::triggered, this, [this] {
    // The check mark is the handler's to set: undo Qt's own toggle first.
    QAction* a = item("LinVel");
    a->setChecked(!a->isChecked());
    LinVel_Click();
  });
  connect(item("Frequency"), &QAction::triggered, this, [this] { arm_spectre(); });
  connect(item("hyperbol"), &QAction::triggered, this, [this] { hyperbol_Click(); });
}

// Zoom and spectrum selection are one box each: arming one disarms the other.
void Korvan::arm_zoom() {
  st.Mode_Zoom = 1;
  st.Mode_Spectre = 0;
}

void Korvan::arm_spectre() {
  st.Mode_Spectre = 1;
  st.Mode_Zoom = 0;
}

void Korvan::Ecran_MouseDown(int, int, double x, double y) {
  st.Depart_X = x;
  st.Depart_Y = y;
  if (item("LinVel")->isChecked()) Ecran->setCursor(Qt::WhatsThisCursor);
}

void Korvan::Ecran_MouseMove(int, int, double x, double y) {
  Ecran->setToolTip("");
  const auto fill = Ecran->Fill;
  const uint32_t fill_colour = Ecran->FillColor;
  const auto mode = Ecran->Mode;
  echelle->setCursor(Qt::ArrowCursor);
  const bool pressed = st.Depart_X > 0 && st.Depart_Y > 0;
  if (st.Mode_Spectre == 1 && pressed) {
    Ecran->setCursor(Qt::WhatsThisCursor);
    Box(*Ecran, st.Depart_X, st.Depart_Y, x, y, kSpectreFill, kSpectreEdge);
  }
  if (st.Mode_Zoom == 1 && pressed) {
    Ecran->setCursor(Qt::WhatsThisCursor);
    Box(*Ecran, st.Depart_X, st.Depart_Y, x, y, kZoomFill, kZoomEdge);
  }
  if (item("LinVel")->isChecked()) {
    if (st.Depart_X == 0 || st.Depart_Y == 0) return;
    // The line shows when the move has been handled; handing control to the
    // window system here would run a click (a shot) inside the move, which
    // would then put back the drawing state it saved before that shot.
    RubberBand(*Ecran, mode, [&] { Ecran->Line(st.Depart_X, st.Depart_Y, x, y, kVelocityLine); });
  }
  st.Temps_Pointeur = PointerTime(y, st.Freq_Campionamento);
  Ecran->setToolTip(QString::fromStdString(PointerTip(x, y, st.Freq_Campionamento)));
  Ecran->Fill = fill;
  Ecran->FillColor = fill_colour;
  Ecran->Mode = mode;
  Ecran->DrawWidth = 1;
  echelle->setCursor(Qt::ArrowCursor);
  unsetCursor();
}

void Korvan::Ecran_MouseUp(int, int, double x, double y) {
  st.Arrivee_X = x;
  st.Arrivee_Y = y;
  st.Fichier_Affiche = FileOnDisplay();
  if (item("LinVel")->isChecked()) {
    velocity_release(x, y);
    return;
  }
  if (st.Mode_Spectre == 1 && !spectrum_release()) return;
  if (st.Mode_Zoom == 1) zoom_release();
}

void Korvan::velocity_release(double x, double y) {
  ApparentVelocity v = VelocityOfLine(st.Depart_X, st.Depart_Y, x, y, st.Intertrace, st.Freq_Campionamento);
  sv.msg.ok(v.refusal.empty() ? v.message : v.refusal, MsgIcon::None, "");
  st.Depart_X = 0;
  st.Depart_Y = 0;
}

bool Korvan::spectrum_release() {
  SpectrumBox b = SpectrumFromBox(st.Depart_X, st.Depart_Y, st.Arrivee_X, st.Arrivee_Y);
  if (b.capped) sv.msg.ok(kMaximum16, MsgIcon::None, "");
  st.Mode_Spectre = 0;
  if (b.same_point) {
    sv.msg.ok(kSamePoint, MsgIcon::None, "");
    return false;
  }
  Ecran->setCursor(Qt::WaitCursor);
  setCursor(Qt::WaitCursor);
  st.Fichier_Affiche = Text13->text().toStdString();
  const std::string program = sv.program_folder + "/freqlook";
  std::optional<long> task;
  std::error_code ec;
  if (std::filesystem::is_regular_file(program, ec))
    task = sv.proc.start({program, FreqlookArgs(st.Fichier_Affiche, b), WindowStyle::NormalNoFocus, {}});
  st.Depart_X = st.Depart_Y = st.Arrivee_X = st.Arrivee_Y = 0;
  if (!task) sv.msg.ok(kFreqlookMissing, MsgIcon::None, "");
  Ecran->setCursor(Qt::ArrowCursor);
  unsetCursor();
  return true;
}

void Korvan::zoom_release() {
  Ecran->Mode = PictureBox::DrawMode::CopyPen;
  const int16_t premier = st.Premier_Echantillon, dernier = st.Dernier_Echantillon;
  ZoomWindow z = ZoomFromBox(st.Depart_X, st.Depart_Y, st.Arrivee_X, st.Arrivee_Y, st.Nb_Campioni);
  if (!z.refusal.empty()) {
    sv.msg.ok(z.refusal, MsgIcon::None, "");
    st.Mode_Zoom = 0;
    return;
  }
  st.Premier_Echantillon = static_cast<int16_t>(z.first_sample);
  st.Dernier_Echantillon = static_cast<int16_t>(z.last_sample);
  st.Premiere_Trace = z.first_trace;
  st.Derniere_Trace = z.last_trace;
  Ecran->setCursor(Qt::WaitCursor);
  setCursor(Qt::WaitCursor);
  Affiche_SU(st.Fichier_Affiche);
  st.Mode_Zoom = 0;
  Ecran->setCursor(Qt::ArrowCursor);
  unsetCursor();
  // Later redraws go back to the window from before the zoom.
  st.Premiere_Trace = z.first_trace;
  st.Derniere_Trace = z.last_trace;
  st.Premier_Echantillon = premier;
  st.Dernier_Echantillon = dernier;
}

void Korvan::LinVel_Click() {
  QAction* a = item("LinVel");
  if (a->isChecked()) {
    // Switching the line off needs no spacing, and is never refused.
    a->setChecked(false);
    Ecran->setCursor(Qt::ArrowCursor);
    return;
  }
  if (st.Mode_Zoom == 1) {
    sv.msg.ok("Velocity not possible with zoom ", MsgIcon::None, "");
    return;
  }
  const double before = st.Intertrace;
  st.Intertrace = Val(Text15->text().toStdString());
  while (st.Intertrace == 0) {
    Ecran->set_persistent(true);
    auto answer = sv.msg.input("Receiever spacing (m or ft)", kTitle, "0");
    if (!answer) {  // cancelled: the spacing and the mode stay as they were
      st.Intertrace = before;
      return;
    }
    st.Intertrace = Val(*answer);
  }
  Ecran->setCursor(Qt::ArrowCursor);
  a->setChecked(true);
  st.Depart_X = 0;
  st.Depart_Y = 0;
}

void Korvan::echelle_MouseDown(int, int, double x, double y) {
  st.Depart_X = x;
  st.Depart_Y = y;
}

void Korvan::echelle_MouseMove(int, int, double, double y) {
  echelle->setCursor(Qt::ArrowCursor);
  if (st.Depart_Y > 0) {
    echelle->setCursor(Qt::WhatsThisCursor);
    const auto mode = echelle->Mode;
    RubberBand(*echelle, PictureBox::DrawMode::MaskPen,
               [&] { echelle->Box(9.8, st.Depart_Y, 0, y, 0x000000, true); });
    echelle->Mode = mode;
    echelle->DrawWidth = 1;
    echelle->setCursor(Qt::ArrowCursor);
  }
}

void Korvan::echelle_MouseUp(int, int, double, double y) {
  int32_t first = CInt(st.Depart_Y).value_or(st.Depart_Y < 0 ? -32768 : 32767);
  int32_t last = CInt(y).value_or(y < 0 ? -32768 : 32767);
  if (first > last) std::swap(first, last);
  if (first < 0) first = 0;
  st.Premier_Echantillon = static_cast<int16_t>(first);
  st.Dernier_Echantillon = static_cast<int16_t>(last);
  st.Depart_Y = 0;
  setCursor(Qt::WaitCursor);
  echelle->setCursor(Qt::WaitCursor);
  Affiche_SU(st.Fichier_Affiche);
  unsetCursor();
  echelle->setCursor(Qt::ArrowCursor);
}

}  // namespace keld::korvan
