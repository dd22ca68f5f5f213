// The seismogram on Ecran: reading a file's values into the window, drawing
// it, and the display settings (gain, mode, redisplay, colours, freeze strip).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "common/numtext.hpp"
#include "common/sample_interval.hpp"
#include "korvan/display/display_prepare.hpp"
#include "korvan/display/draw_traces.hpp"
#include "korvan/display/su_info.hpp"
#include "korvan/engine/acquisition_values.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
constexpr uint32_t kActive = 0xFF8080;  // light blue
constexpr uint32_t kFrozen = 255;       // red
}  // namespace

void Korvan::connect_display() {
  connect(Command11, &QPushButton::clicked, this, [this] { Command11_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
  for (QRadioButton* o : {Option1, Option2, Option3, Option4})
    connect(o, &QRadioButton::clicked, this, [this] { Command7_Click(); });
  connect(LC1, &QLineEdit::textChanged, this, [this] { LC1_Change(); });
  Picture2->installEventFilter(this);
  plan->installEventFilter(this);
  Picture3->installEventFilter(this);
  connect(FrizGrid, &QTableWidget::cellClicked, this, [this](int, int) { FrizGrid_Click(); });
}

bool Korvan::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::Resize && obj == plan) {
    // The plan is drawn for its size: a new size draws it again.
    QMetaObject::invokeMethod(this, [this] { Dessine_Geometrie(); }, Qt::QueuedConnection);
    return false;
  }
  if (ev->type() == QEvent::MouseButtonPress) {
    if (obj == Picture2) {
      Picture2_Click();
      return true;
    }
    if (obj == Picture3) {
      Picture3_Click();
      return true;
    }
  }
  return QMainWindow::eventFilter(obj, ev);
}

std::string Korvan::FileOnDisplay() const {
  return st.Fichier_Dessine.empty() ? Text6->text().toStdString() : st.Fichier_Dessine;
}

void Korvan::Lit_Info_SU() {
  if (st.Fichier_Courant.size() < 5) return;
  auto info = ReadSuInfo(st.Fichier_Courant);
  if (!info) return;
  // Opening a file makes its rate and length those of the next shot when the
  // panel can hold them (a count of the samples list, an interval of the
  // recorder's table); otherwise the panel keeps the next shot's values.
  // Either way the recording time, samples and interval shown agree. The
  // lists' own rules do not run here: they would warn or reset.
  const int ni = Nb_Sample->findText(QString::number(info->ns));
  int ri = -1;
  if (SamplingFrequency(info->dt))
    for (int i = 0; i < Sample_rate->count() && ri < 0; ++i)
      if (FrequencyForIndex(i) == info->Freq_Campionamento) ri = i;
  if (ni >= 0 && ri >= 0) {
    QSignalBlocker b1(Nb_Sample), b2(Sample_rate);
    Nb_Sample->setCurrentIndex(ni);
    Sample_rate->setCurrentIndex(ri);
    st.Freq_Campionamento = static_cast<int16_t>(info->Freq_Campionamento);
    F_camp->setText(QString::number(info->Freq_Campionamento));
    if (auto t = RecordingTimeText(Nb_Sample->currentText().toStdString(),
                                   Sample_rate->currentText().toStdString()))
      Rec_time->setText(Q(*t));
  }
  st.Nb_Tracce = static_cast<int32_t>(info->traces);
  Total_Channel->setText(QString::number(info->traces));
  Text14->setText(QString::number(info->delrt));
  st.Nb_Campioni = info->ns;
  st.Premier_Echantillon = 1;
  st.Dernier_Echantillon = CInt(info->ns).value_or(32767);
  st.Premiere_Trace = 1;
  st.Derniere_Trace = static_cast<int32_t>(info->traces);
}

namespace {
int SelectedOption(const Korvan& w) {
  if (w.Option1->isChecked()) return 0;
  if (w.Option2->isChecked()) return 1;
  if (w.Option3->isChecked()) return 2;
  if (w.Option4->isChecked()) return 3;
  return -1;
}
}  // namespace

DrawParams Korvan::draw_params() const {
  DrawParams p;
  p.Mode_Affichage = st.Mode_Affichage;
  p.egali = egali->currentIndex();
  p.Gain_Affichage = GainFromCaption(Ingrandimento->text().toStdString());
  p.creverse = creverse->isChecked();
  p.cclip = cclip->isChecked();
  p.Premier_Echantillon = st.Premier_Echantillon;
  p.Dernier_Echantillon = st.Dernier_Echantillon;
  p.Pas_Echantillon = st.Pas_Echantillon;
  p.Couleur_Remplissage = st.Couleur_Remplissage;
  p.Couleur_Positive = st.Couleur_Positive;
  p.Couleur_Negative = st.Couleur_Negative;
  return p;
}

void Korvan::after_drawing(const std::string& path, const DrawResult& r) {
  if (!r.drawn) return;
  st.Nb_Campioni = r.Nb_Campioni;
  st.Nb_Tracce = r.Nb_Tracce;
  st.Premiere_Trace = r.Premiere_Trace;
  st.Derniere_Trace = r.Derniere_Trace;
  st.Premier_Echantillon = static_cast<int16_t>(r.Premier_Echantillon);
  st.Dernier_Echantillon = CInt(r.Dernier_Echantillon).value_or(32767);
  st.Pas_Echantillon = static_cast<int16_t>(r.Pas_Echantillon);
  st.Largeur_Totale = r.Largeur_Totale;
  st.Demi_Largeur = r.Demi_Largeur;
  st.Polarite = static_cast<int16_t>(r.Polarite);
  st.Gain_Affichage = r.Gain_Affichage;
  st.Depart_X = st.Depart_Y = st.Arrivee_X = st.Arrivee_Y = 0;
  setWindowTitle(Q("QMR650B" + path));
  Text6->setText(Q(path));
  Text5->setText(Q(path));
  st.Fichier_Affiche = path;
  st.Fichier_Dessine = path;
  Ecran->setCursor(Qt::CrossCursor);
  SSTab1->setCurrentIndex(0);
  scale_strip();
}

void Korvan::Affiche_SU(const std::string& path) {
  st.Fichier_Affiche = path;
  Text13->setText(Q(path));
  if (path.size() < 5) return;
  int option = SelectedOption(*this);
  st.Mode_Affichage = ModeForOption(option);
  DrawParams p = PrepareDisplay(draw_params(), option, Ecran->PixelHeight());
  st.Pas_Echantillon = static_cast<int16_t>(p.Pas_Echantillon);
  if (st.Polarite == 0) st.Polarite = 1;
  Ecran->setCursor(Qt::WaitCursor);
  DrawResult r = DrawTraces(*Ecran, path, p);
  Ecran->setCursor(Qt::CrossCursor);
  after_drawing(path, r);
}

void Korvan::Dessine_Traces(const std::string& path) {
  Ecran->setCursor(Qt::WaitCursor);
  DrawResult r = DrawTraces(*Ecran, path, draw_params());
  Ecran->setCursor(Qt::CrossCursor);
  after_drawing(path, r);
}

void Korvan::scale_strip() {
  // The strip beside Ecran reads sample numbers as Ecran does: the same top
  // and bottom as the picture just drawn, 10 units across.
  echelle->Scale(0, Ecran->ScaleTop(), 10, Ecran->ScaleTop() + Ecran->ScaleHeight());
  echelle->Cls();
}

void Korvan::Command11_Click() {
  // Doubling stops at a gain the label still shows in full (and far past any
  // useful display): without a bound it ran to infinity within 128 clicks.
  constexpr float kMaxDisplayGain = 65536.0f;
  st.Gain_Affichage = static_cast<float>(Val(Ingrandimento->text().toStdString()) * 2);
  if (!(st.Gain_Affichage <= kMaxDisplayGain)) st.Gain_Affichage = kMaxDisplayGain;
  Ingrandimento->setText(Q(Format0_0hh(st.Gain_Affichage)));
  if (!st.Monitor_Actif) Affiche_SU(Text13->text().toStdString());
}

void Korvan::Command2_Click() {
  st.Gain_Affichage = static_cast<float>(Val(Ingrandimento->text().toStdString()) / 2);
  if (st.Gain_Affichage < 0.001f) st.Gain_Affichage = 0.001f;
  Ingrandimento->setText(Q(Format0_0hh(st.Gain_Affichage)));
  if (!st.Monitor_Actif) Affiche_SU(Text13->text().toStdString());
}

void Korvan::Command7_Click() {
  SSTab1->setCurrentIndex(0);
  Affiche_SU(Text13->text().toStdString());
}

void Korvan::LC1_Change() {
  std::string t = LC1->text().toStdString();
  if (IsNumeric(t) && Val(t) == 0) LC1->setText("1");
}

void Korvan::Picture2_Click() {
  // A cancelled dialog keeps the colour.
  if (auto c = sv.dialogs.pick_colour(st.Couleur_Positive, "Color selection")) {
    st.Couleur_Positive = *c;
    show_picture_colours();
  }
}

void Korvan::Picture3_Click() {
  if (auto c = sv.dialogs.pick_colour(st.Couleur_Negative, "Color selection")) {
    st.Couleur_Negative = *c;
    show_picture_colours();
  }
}

void Korvan::freeze_Click() {
  Init_Grille();
  if (FrizGrid->isVisible()) {
    FrizGrid->hide();
    item("freeze")->setChecked(false);
    return;
  }
  FrizGrid->show();
  item("freeze")->setChecked(true);
  SSTab1->setCurrentIndex(0);
  int n = static_cast<int>(Val(Total_Channel->text().toStdString()));
  if (n < 0) n = 0;
  FrizGrid->SetCols(n);
  FrizGrid->SetRow(0);
  for (int k = 0; k < n; ++k) {
    FrizGrid->SetColWidthTwips(k, CLng(FrizGrid->width() * 15.0 / n * 0.99).value_or(0));
    FrizGrid->SetCol(k);
    FrizGrid->SetText(QString("A %1").arg(k + 1));
    FrizGrid->SetCellBackColor(kActive);
  }
}

void Korvan::FrizGrid_Click() {
  int k = FrizGrid->Col();
  if (FrizGrid->CellBackColor() == kFrozen) {
    FrizGrid->SetCellBackColor(kActive);
    FrizGrid->SetText(QString("A %1").arg(k + 1));
  } else {
    FrizGrid->SetCellBackColor(kFrozen);
    FrizGrid->SetText(QString("F %1").arg(k + 1));
  }
}

bool Korvan::channel_frozen(int channel) const {
  if (FrizGrid->isHidden() || channel < 1 || channel > FrizGrid->Cols()) return false;
  return FrizGrid->BackColorAt(FrizGrid->Row(), channel - 1) == kFrozen;
}

}  // namespace keld::korvan
