#include "boardtest/window/parametri.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

#include "common/numtext.hpp"

namespace keld::boardtest {

namespace {

constexpr int kRates[] = {250, 500, 1000, 2000, 4000, 8000, 16000};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const char* text) {
  auto* o = new QRadioButton(text, parent);
  o->setObjectName(name);
  return o;
}

QScrollBar* MakeScroll(QWidget* parent, const char* name, int lo, int hi, int value) {
  auto* s = new QScrollBar(Qt::Vertical, parent);
  s->setObjectName(name);
  s->setRange(lo, hi);
  s->setValue(value);
  s->setMinimumHeight(60);
  return s;
}

}  // namespace

int RateOfPosition(int value) { return value >= 1 && value <= 7 ? kRates[value - 1] : 0; }

int PositionOfRate(int rate) {
  for (int i = 0; i < 7; ++i)
    if (kRates[i] == rate) return i + 1;
  return 0;
}

int SamplesPosition(int32_t samples) {
  if (samples <= 0) return 0;
  return static_cast<int>(RoundHalfEven(std::log2(static_cast<double>(samples))));
}

Parametri::Parametri(BoardtestState& state, QWidget* parent) : QWidget(parent, Qt::Window), st(state) {
  setObjectName("Parametri");
  setWindowTitle("Acqusition Parameters");
  build();
}

void Parametri::build() {
  auto* top = new QVBoxLayout(this);
  Frame3 = new QGroupBox("PARAMETERS", this);
  Frame3->setObjectName("Frame3");
  auto* g = new QGridLayout(Frame3);
  g->addWidget(MakeLabel(Frame3, "Label48", "Number of samples"), 0, 0);
  VScroll1 = MakeScroll(Frame3, "VScroll1", 6, 13, 8);
  g->addWidget(VScroll1, 1, 0);
  Label11 = MakeLabel(Frame3, "Label11", " 256");
  g->addWidget(Label11, 2, 0);
  g->addWidget(MakeLabel(Frame3, "Label49", "Sampling rate"), 0, 1);
  VScroll2 = MakeScroll(Frame3, "VScroll2", 1, 7, 3);
  g->addWidget(VScroll2, 1, 1);
  Label7 = MakeLabel(Frame3, "Label7", "250");
  g->addWidget(Label7, 2, 1);
  g->addWidget(MakeLabel(Frame3, "Label56", "msec"), 3, 1);
  g->addWidget(MakeLabel(Frame3, "Label8", "Pre Samples"), 0, 2);
  VScroll3 = MakeScroll(Frame3, "VScroll3", 5, 14, 5);
  g->addWidget(VScroll3, 1, 2);
  Label6 = MakeLabel(Frame3, "Label6", "0");
  g->addWidget(Label6, 2, 2);
  g->addWidget(MakeLabel(Frame3, "Label2", "Fs :"), 4, 0);
  Label3 = MakeLabel(Frame3, "Label3", "4000");
  g->addWidget(Label3, 4, 1);
  g->addWidget(MakeLabel(Frame3, "Label5", "Hz"), 4, 2);
  g->addWidget(MakeLabel(Frame3, "Label54", "Acquisition Time:"), 5, 0);
  Label55 = MakeLabel(Frame3, "Label55", "1.024");
  g->addWidget(Label55, 5, 1);
  g->addWidget(MakeLabel(Frame3, "Label4", "msec"), 5, 2);
  Option1 = MakeOption(Frame3, "Option1", "Trigger contact closing");
  Option2 = MakeOption(Frame3, "Option2", "Trigger contact opening");
  g->addWidget(Option1, 6, 0, 1, 3);
  g->addWidget(Option2, 7, 0, 1, 3);
  top->addWidget(Frame3);

  Frame1 = new QGroupBox("FILTERS", this);
  Frame1->setObjectName("Frame1");
  auto* f = new QVBoxLayout(Frame1);
  Option26 = MakeOption(Frame1, "Option26", "NOTCH 50 Hz");
  Option27 = MakeOption(Frame1, "Option27", "NOTCH 60 Hz");
  Option28 = MakeOption(Frame1, "Option28", "No filter");
  for (auto* o : {Option26, Option27, Option28}) f->addWidget(o);
  top->addWidget(Frame1);

  // The low-pass corners form one group of their own.
  auto* corners = new QWidget(this);
  auto* c = new QVBoxLayout(corners);
  auto* group = new QButtonGroup(corners);
  Option3 = MakeOption(corners, "Option3", "30Hz");
  Option4 = MakeOption(corners, "Option4", "60Hz");
  Option5 = MakeOption(corners, "Option5", "200Hz");
  Option6 = MakeOption(corners, "Option6", "400Hz");
  for (auto* o : {Option3, Option4, Option5, Option6}) {
    group->addButton(o);
    c->addWidget(o);
  }
  top->addWidget(corners);
  Check2 = new QCheckBox("No Filter", this);
  Check2->setObjectName("Check2");
  Check1 = new QCheckBox("Display 1st channel RMS value", this);
  Check1->setObjectName("Check1");
  Command1 = new QPushButton("OK", this);
  Command1->setObjectName("Command1");
  for (QWidget* w : {static_cast<QWidget*>(Check2), static_cast<QWidget*>(Check1),
                     static_cast<QWidget*>(Command1)})
    top->addWidget(w);

  connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
  connect(VScroll2, &QScrollBar::valueChanged, this, [this] { VScroll2_Change(); });
  connect(VScroll3, &QScrollBar::valueChanged, this, [this] { VScroll3_Change(); });
  connect(Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) st.Polarita = 0; });
  connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) st.Polarita = 1; });
  connect(Option26, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    st.Notch_50 = 1;
    st.Notch_60 = 0;
  });
  connect(Option27, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    st.Notch_50 = 0;
    st.Notch_60 = 1;
  });
  connect(Option28, &QRadioButton::toggled, this, [this](bool on) { if (on) Option28_Click(); });
  connect(Option4, &QRadioButton::toggled, this, [this](bool on) { if (on) st.Scelta_Filtro = 1; });
  connect(Option5, &QRadioButton::toggled, this, [this](bool on) { if (on) st.Scelta_Filtro = 2; });
  connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
  connect(Check1, &QCheckBox::toggled, this, [this](bool on) {
    if (show_rms_frame) show_rms_frame(on);
  });
  connect(Command1, &QPushButton::clicked, this, [this] { hide(); });
}

void Parametri::show_acquisition_time() {
  if (st.Frequenza > 0)
    Label55->setText(QString::number(static_cast<double>(st.Campioni) * 1000.0 / st.Frequenza));
}

void Parametri::VScroll1_Change() {
  st.Campioni = int32_t{1} << VScroll1->value();
  Label11->setText(QString::number(st.Campioni));
  show_acquisition_time();
}

void Parametri::VScroll2_Change() {
  const int v = VScroll2->value();
  st.Frequenza = RateOfPosition(v);
  Label7->setText(QString::number(1024000 / st.Frequenza));
  const bool low = v <= 2, mid = v == 3, high = v >= 4;
  Option3->setEnabled(low);
  Option4->setEnabled(mid);
  Option5->setEnabled(mid);
  Option6->setEnabled(high);
  if (low) Option3->setChecked(true);
  if (mid) {
    // Both options are selected in turn, so each runs its click: 200 Hz stays.
    if (Option4->isChecked()) st.Scelta_Filtro = 1;
    Option4->setChecked(true);
    Option5->setChecked(true);
  }
  if (high) Option6->setChecked(true);
  Label3->setText(QString::number(st.Frequenza) + " Hz");
  show_acquisition_time();
}

void Parametri::VScroll3_Change() {
  const int v = VScroll3->value();
  st.Pre_Campioni = v == 5 ? 0 : int32_t{1} << v;
  Label6->setText(QString::number(st.Pre_Campioni));
}

void Parametri::Option28_Click() {
  for (auto* o : {Option26, Option27}) {
    o->setAutoExclusive(false);
    o->setChecked(false);
    o->setAutoExclusive(true);
  }
  st.Notch_50 = 0;
  st.Notch_60 = 0;
}

void Parametri::Check2_Click() {
  if (Check2->isChecked()) {
    st.Senza_Filtro = true;
    for (auto* o : {Option3, Option4, Option5, Option6}) o->setEnabled(false);
  } else {
    st.Senza_Filtro = false;
    VScroll2_Change();
  }
}

}  // namespace keld::boardtest
