#include "korvan/window/hyperbolic_window.hpp"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "common/numtext.hpp"
#include "korvan/engine/hyperbola.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

namespace {

constexpr uint32_t kRed = 0x0000FF;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

HyperbolicWindow::HyperbolicWindow(Korvan& main) : QWidget(&main, Qt::Window), main_(main) {
  setObjectName("Hyperbolic");
  setWindowTitle("Hyperbole fitting");
  auto* g = new QGridLayout(this);
  auto box = [&](const char* name, const char* text, const char* tip, const char* label, int row) {
    auto* e = new QLineEdit(text, this);
    e->setObjectName(name);
    e->setToolTip(tip);
    e->setMaximumWidth(90);
    g->addWidget(new QLabel(label, this), row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  Text1 = box("Text1", "", "Type here the receiver spacing (m)", "Receiver spacing", 0);
  Text2 = box("Text2", "100", "Type a depth or use cursor", "Reflector depth", 1);
  Text3 = box("Text3", "1000", "Type a velocity or use cursor", "Reflector velocity (m/s)", 2);
  Text4 = box("Text4", "0",
              "Type here shot distance from 1st receiver, negative values = offset))",
              "Shot position", 3);
  auto bar = [&](const char* name, int min, int max, int value, int small, int large, int row) {
    auto* b = new QScrollBar(Qt::Horizontal, this);
    b->setObjectName(name);
    b->setRange(min, max);
    b->setValue(value);
    b->setSingleStep(small);
    b->setPageStep(large);
    b->setMinimumWidth(220);
    g->addWidget(b, row, 2);
    return b;
  };
  HScroll2 = bar("HScroll2", 1, 5000, 300, 1, 100, 1);
  HScroll1 = bar("HScroll1", 100, 9900, 1000, 10, 100, 2);

  MV = new QGroupBox("Maximum values", this);
  MV->setObjectName("MV");
  auto* mv = new QHBoxLayout(MV);
  depth = new QPushButton("Depth", MV);
  depth->setObjectName("depth");
  velo = new QPushButton("Velocity", MV);
  velo->setObjectName("velo");
  mv->addWidget(depth);
  mv->addWidget(velo);
  g->addWidget(MV, 0, 2);

  Label5 = new QLabel("Distance (m)", this);
  Label5->setObjectName("Label5");
  Label6 = new QLabel("Time (ms)", this);
  Label6->setObjectName("Label6");
  g->addWidget(Label5, 4, 0);
  g->addWidget(Label6, 4, 1);

  Command1 = new QPushButton("Trace", this);
  Command1->setObjectName("Command1");
  Command1->setToolTip("Click here to draw the hyperbola");
  Command2 = new QPushButton("Quit/Cancel", this);
  Command2->setObjectName("Command2");
  g->addWidget(Command1, 5, 0);
  g->addWidget(Command2, 5, 2);

  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
  connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
  // valueChanged also comes while the thumb is dragged: the curve follows it.
  connect(HScroll2, &QScrollBar::valueChanged, this, [this] { HScroll2_Change(); });
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(depth, &QPushButton::clicked, this, [this] { depth_Click(); });
  connect(velo, &QPushButton::clicked, this, [this] { velo_Click(); });
}

void HyperbolicWindow::Form_Load() {
  KorvanState& st = main_.st;
  Text1->setText(main_.Text15->text());
  Text1->setText(Q(CStr(st.Intertrace)));
  Text4->setText(main_.sx->text());
  if (st.Intertrace < 0.1) {
    // A cancelled box keeps the spacing as it was.
    if (auto a = main_.sv.msg.input("Receiever spacing (m or ft)", Korvan::kTitle, "5")) {
      st.Intertrace = Val(*a);
      if (st.Intertrace == 0) st.Intertrace = 1;
    }
    Text1->setText(Q(CStr(st.Intertrace)));
  }
  loaded_ = true;
}

void HyperbolicWindow::closeEvent(QCloseEvent* e) {
  loaded_ = false;
  QWidget::closeEvent(e);
}

void HyperbolicWindow::Text1_Change() { main_.st.Intertrace = Val(S(Text1)); }

namespace {
// A typed number moves its bar when it lies within the bar's range.
void FollowBox(QScrollBar* bar, const std::string& text) {
  double v = Val(text);
  if (v < bar->minimum() || v > bar->maximum()) return;
  if (auto n = CInt(v)) bar->setValue(*n);
}
}  // namespace

void HyperbolicWindow::Text2_Change() { FollowBox(HScroll2, S(Text2)); }
void HyperbolicWindow::Text3_Change() { FollowBox(HScroll1, S(Text3)); }

void HyperbolicWindow::HScroll2_Change() {
  Text2->setText(QString::number(HScroll2->value()));
  Trace_Hyperbole();
}

void HyperbolicWindow::HScroll1_Change() {
  Text3->setText(QString::number(HScroll1->value()));
  Trace_Hyperbole();
}

void HyperbolicWindow::Command1_Click() { Trace_Hyperbole(); }
void HyperbolicWindow::Command2_Click() { hide(); }

void HyperbolicWindow::set_maximum(QScrollBar* bar, const char* prompt, const char* default_text) {
  auto a = main_.sv.msg.input(prompt, Korvan::kTitle, default_text);
  if (!a) return;  // cancelled: the maximum stays
  // An answer that is not a number counts as above the limit.
  double v = CDbl(*a).value_or(30000);
  if (v > 30000) v = 30000;
  if (v < 10) v = 10;
  bar->setMaximum(CInt(v).value_or(30000));
}

void HyperbolicWindow::depth_Click() { set_maximum(HScroll2, "Maximum depth value", "1000"); }
void HyperbolicWindow::velo_Click() { set_maximum(HScroll1, "Maximum velocity value", "5000"); }

void HyperbolicWindow::Trace_Hyperbole() {
  KorvanState& st = main_.st;
  st.Intertrace = Val(S(Text1));
  HyperbolaInputs in;
  in.spacing = st.Intertrace;
  in.depth = Val(S(Text2));
  in.velocity = Val(S(Text3));
  in.shot = Val(S(Text4));
  in.frequency = st.Freq_Campionamento;
  in.x0 = 2 * st.Demi_Largeur * st.Premiere_Trace;
  in.column = 2 * st.Demi_Largeur;
  in.receivers = st.Derniere_Trace - st.Premiere_Trace + 1;

  PictureBox& e = *main_.Ecran;
  e.DrawWidth = 2;
  e.set_persistent(false);
  e.Cls();  // the temporary layer only: the latest curve over the record
  for (const HyperbolaPoint& p : HyperbolaPoints(in)) {
    if (p.starts_run)
      e.PSet(p.x, p.y, kRed);
    else
      e.LineTo(p.x, p.y, kRed);
  }
  e.set_persistent(true);
  e.DrawWidth = 1;
}

void Korvan::hyperbol_Click() {
  // Shown not modal; a window closed by its close box is loaded afresh.
  if (!hyperbolic_ || !hyperbolic_->loaded()) {
    hyperbolic_ = std::make_unique<HyperbolicWindow>(*this);
    hyperbolic_->Form_Load();
  }
  hyperbolic_->show();
  hyperbolic_->raise();
}

}  // namespace keld::korvan
