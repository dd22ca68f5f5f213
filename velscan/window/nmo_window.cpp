#include "velscan/window/nmo_window.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/blocked_close.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::velscan {

namespace {

template <typename W>
W* Named(W* w, const char* name, const QString& tip = {}) {
  w->setObjectName(name);
  if (!tip.isEmpty()) w->setToolTip(tip);
  return w;
}

QLineEdit* Box(const char* name, const QString& text, const QString& tip, int width = 70) {
  auto* e = Named(new QLineEdit(text), name, tip);
  e->setMaximumWidth(width);
  return e;
}

}  // namespace

NmoWindow::NmoWindow(VelscanState& state, VelscanServices& services, QWidget* parent)
    : QWidget(parent), st(state), sv(services) {
  setObjectName("NMO");
  setWindowTitle(kTitle);
  build();
  connect_handlers();
  // Its close box works under its own boxes too (the scan's questions), not
  // only under those of a run of the pick window.
  KeepBlockedCloses();
}

NmoWindow::~NmoWindow() = default;

void NmoWindow::build() {
  const QString nav_tip = "Use scroll bar to change field record";
  const QString fix_tip = "You can correct here if necessary";
  Text1 = Named(new QLineEdit, "Text1", "You must select a SU field data with geometry");
  Command1 = Named(new QPushButton("Select SU file"), "Command1");
  Label1 = Named(new QLabel("FLDR"), "Label1");
  Text2 = Box("Text2", "1", nav_tip);
  Text3 = Box("Text3", "1", nav_tip);
  Text4 = Box("Text4", "", nav_tip);
  HScroll1 = Named(new QScrollBar(Qt::Horizontal), "HScroll1");
  Label6 = Named(new QLabel("Receivers / shot"), "Label6");
  Text10 = Box("Text10", "", fix_tip);
  Label4 = Named(new QLabel("Rec. spacing"), "Label4");
  Text7 = Box("Text7", "", fix_tip);
  Label5 = Named(new QLabel("Shot to 1st receiver distance"), "Label5");
  Text8 = Box("Text8", "", "You can correct here if necessary, shot before the line must have a NEGATIVE value");
  Label9 = Named(new QLabel("CDP"), "Label9");
  Text12 = Box("Text12", "", "The velocity-time pair will be recorded for this CDP");
  Frame1 = Named(new QGroupBox("m/s"), "Frame1");
  VScroll1 = Named(new QScrollBar(Qt::Vertical), "VScroll1");
  VScroll1->setRange(500, 5000);
  VScroll1->setSingleStep(10);
  VScroll1->setPageStep(100);
  VScroll1->setInvertedAppearance(true);  // the upper limit stands at the top
  VScroll1->setTracking(false);  // the velocity is applied when the thumb is let go
  Text5 = Box("Text5", "500", "You can type here a new lower limit", 60);
  Text6 = Box("Text6", "5000", "You can type here a new upper limit", 60);
  Text9 = Box("Text9", "", "NMO velocity", 90);
  Label8 = Named(new QLabel("Stretch Mute"), "Label8");
  Text11 = Box("Text11", "1.5", "Enter here the streth mute factor", 50);
  Text13 = Box("Text13", "1", "Trace size factor", 50);
  Check1 = Named(new QCheckBox("zoom"), "Check1", "Click here to display the half time");
  VScroll2 = Named(new QScrollBar(Qt::Vertical), "VScroll2");
  VScroll2->setRange(1, 1);
  Ecran = Named(new PictureBox, "Ecran", "Click to record a time-velocity pair");
  Ecran->setMinimumSize(400, 300);
  Ecran->setMouseTracking(true);
  semblance = Named(new PictureBox, "semblance");
  semblance->setFixedWidth(90);
  semblance->setMouseTracking(true);
  Command2 = Named(new QPushButton("NMO pick and batch"), "Command2",
                   "Click here to display velocity-time and NMO batch");
  Command3 = Named(new QPushButton("Info"), "Command3", "Click here for more informations");

  auto* top = new QHBoxLayout;
  top->addWidget(Text1, 1);
  top->addWidget(Command1);
  auto* nav = new QHBoxLayout;
  nav->addWidget(Label1);
  nav->addWidget(Text2);
  nav->addWidget(HScroll1, 1);
  nav->addWidget(Text3);
  nav->addWidget(Text4);
  auto* frame = new QVBoxLayout(Frame1);
  frame->addWidget(Text6);
  frame->addWidget(VScroll1, 1);
  frame->addWidget(Text5);
  frame->addWidget(Text9);
  auto* middle = new QHBoxLayout;
  middle->addWidget(Ecran, 1);
  middle->addWidget(VScroll2);
  middle->addWidget(semblance);
  middle->addWidget(Frame1);
  auto* bottom = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{Label6, Text10, Label4, Text7, Label5, Text8, Label9, Text12,
                                                   Label8, Text11, Text13, Check1})
    bottom->addWidget(w);
  bottom->addStretch(1);
  bottom->addWidget(Command2);
  bottom->addWidget(Command3);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(nav);
  all->addLayout(middle, 1);
  all->addLayout(bottom);
  Text1->installEventFilter(this);
}

void NmoWindow::connect_handlers() {
  connect(Command1, &QPushButton::clicked, this, [this] { lecture_SU(); });
  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
  connect(HScroll1, &QScrollBar::sliderMoved, this, [this] { HScroll1_Scroll(); });
  connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
  connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
  connect(Text13, &QLineEdit::textChanged, this, [this] { Text13_Change(); });
  connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
  connect(Text6, &QLineEdit::textChanged, this, [this] { Text6_Change(); });
  connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
  connect(VScroll1, &QScrollBar::sliderMoved, this, [this] { VScroll1_Scroll(); });
  connect(VScroll2, &QScrollBar::valueChanged, this, [this] { VScroll2_Change(); });
  connect(Ecran, &PictureBox::mouseDown, this, [this](int b, int, double x, double y) { Ecran_MouseDown(b, x, y); });
  connect(Ecran, &PictureBox::mouseMove, this, [this](int, int, double, double y) { Ecran_MouseMove(y); });
  connect(semblance, &PictureBox::mouseMove, this, [this](int, int, double, double y) { semblance_MouseMove(y); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

bool NmoWindow::eventFilter(QObject* o, QEvent* e) {
  // A double-click on the file box chooses another file.
  if (o == Text1 && e->type() == QEvent::MouseButtonDblClick) {
    lecture_SU();
    return true;
  }
  return QWidget::eventFilter(o, e);
}

void NmoWindow::closeEvent(QCloseEvent* e) {
  if (!CloseProgramWindows(this)) {
    e->ignore();
    return;
  }
  QWidget::closeEvent(e);
}

void NmoWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!st.scanned) return;
  if (st.Mode_Affichage == "nmo")
    Display_NMO(VScroll1->value());
  else
    Display_Film();
}

std::string CommandLinePath(int argc, const char* const* argv) {
  std::string s;
  for (int i = 1; i < argc; ++i) s += (i > 1 ? " " : "") + std::string(argv[i]);
  return s;
}

}  // namespace keld::velscan
