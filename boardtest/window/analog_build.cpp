// The console window's controls: the rows, the acquisition frame, the RMS
// frame, the status lines and the menu.
#include <QAction>
#include <QFontMetrics>
#include <QCheckBox>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "boardlink/window/rs232.hpp"
#include "boardtest/window/analog.hpp"
#include "boardtest/window/parametri.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::boardtest {

namespace {

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

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

Analog::Analog(BoardtestState& state, BoardtestServices& services, QWidget* parent)
    : QMainWindow(parent), st(state), sv(services) {
  setObjectName("analog");
  setWindowTitle(kTitle);
  link_ = std::make_unique<board::BoardLink>(sv.port, sv.pump, st.Arresto, sv.link);
  console_ = std::make_unique<Console>(st, *link_, sv.pump, *this);
  build();
}

Analog::~Analog() {
  running_mode_.reset();
  if (Timer3) Timer3->stop();
  delete parametri;
  delete rs232;
}

void Analog::build() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* h = new QHBoxLayout(central);
  rows_area_ = new QWidget(central);
  rows_area_->setObjectName("rows");
  rows_area_->setMinimumSize(500, 400);
  h->addWidget(rows_area_, 1);
  auto* side = new QWidget(central);
  side->setFixedWidth(280);
  h->addWidget(side);
  build_rows(rows_area_);
  build_side(side);
  build_menu();
  Timer3 = new QTimer(this);
  Timer3->setObjectName("Timer3");
  Timer3->setInterval(10);
  connect(Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });

  // Not a child: its control names (Check1, Frame1...) are its own.
  parametri = new Parametri(st);
  parametri->show_rms_frame = [this](bool on) { Frame1->setVisible(on); };

  // The acquisition parameters cannot change under a run: their window is
  // out of reach with the GO buttons. STOP is not guarded: it is how a run
  // ends.
  work_ = new WorkGuard(this, {Pulsante_trg, pulsante_running, parametri});
  connect(work_, &WorkGuard::stopping, this, [this] { st.Arresto = 1; });
}

void Analog::build_rows(QWidget* area) {
  for (int i = 1; i <= kRowsMax; ++i) {
    auto* pic = new PictureBox(area);
    pic->setObjectName(QString("Picture%1").arg(i));
    pic->Scale(0, 0, 1000, 1000);
    auto* number = new QLabel(QString::number(i), pic);
    number->move(2, 0);
    // Rows 40 to 48 use Check41 to Check49: Check40 is "Set all Channels".
    auto* box = new QCheckBox("UNIT", area);
    box->setObjectName(QString("Check%1").arg(i < 40 ? i : i + 1));
    auto* text = new QLineEdit(area);
    text->setObjectName(QString("Text%1").arg(i));
    Picture[static_cast<size_t>(i)] = pic;
    CheckRow[static_cast<size_t>(i)] = box;
    TextRow[static_cast<size_t>(i)] = text;
  }
}

void Analog::build_side(QWidget* side) {
  auto* v = new QVBoxLayout(side);
  Label24 = MakeLabel(side, "Label24", "WAITING");
  Label24->setStyleSheet("color: red; font-size: 18pt;");
  v->addWidget(Label24);
  Message = MakeLabel(side, "Message", "Resetting  . . .");
  Message->setWordWrap(true);
  set_message("Resetting  . . .", 0x00FF00, 10, false);
  v->addWidget(Message);
  keep_status_room(side->width() - v->contentsMargins().left() - v->contentsMargins().right());

  Frame2 = new QGroupBox("ACQUISITION", side);
  Frame2->setObjectName("Frame2");
  auto* g = new QGridLayout(Frame2);
  Option1 = MakeOption(Frame2, "Option1", "True Amplitude");
  Option3 = MakeOption(Frame2, "Option3", "Ampl. 50");
  Option2 = MakeOption(Frame2, "Option2", "Ampl. 500");
  Option5 = MakeOption(Frame2, "Option5", "Ampl. 5000");
  Option4 = MakeOption(Frame2, "Option4", "Ampl. 50000");
  Autrnge = MakeOption(Frame2, "Autrnge", "Autorange");
  Option1->setChecked(true);
  int r = 0;
  for (auto* o : {Option1, Option3, Option2, Option5, Option4, Autrnge}) g->addWidget(o, r++, 0, 1, 2);
  g->addWidget(MakeLabel(Frame2, "Label85", "Traces amplification"), r, 0);
  Label84 = MakeLabel(Frame2, "Label84", "50");
  g->addWidget(Label84, r++, 1);
  Command5 = MakeButton(Frame2, "Command5", "<");
  Command6 = MakeButton(Frame2, "Command6", ">");
  g->addWidget(Command5, r, 0);
  g->addWidget(Command6, r++, 1);
  g->addWidget(MakeLabel(Frame2, "Label12", "Geophones number"), r, 0);
  Label11 = MakeLabel(Frame2, "Label11", "12");
  g->addWidget(Label11, r++, 1);
  VScroll1 = new QScrollBar(Qt::Horizontal, Frame2);
  VScroll1->setObjectName("VScroll1");
  VScroll1->setRange(1, 48);
  VScroll1->setValue(12);
  g->addWidget(VScroll1, r++, 0, 1, 2);
  Pulsante_trg = MakeButton(Frame2, "Pulsante_trg", "GO trigger");
  pulsante_running = MakeButton(Frame2, "pulsante_running", "GO running");
  Command10 = MakeButton(Frame2, "Command10", "STOP");
  for (auto* b : {Pulsante_trg, pulsante_running, Command10}) g->addWidget(b, r++, 0, 1, 2);
  v->addWidget(Frame2);

  Check40 = new QCheckBox("Set all Channels", side);
  Check40->setObjectName("Check40");
  Check50 = new QCheckBox("NO FILTER", side);
  Check50->setObjectName("Check50");
  v->addWidget(Check40);
  v->addWidget(Check50);

  Frame1 = new QGroupBox("1st ch", side);
  Frame1->setObjectName("Frame1");
  auto* f = new QGridLayout(Frame1);
  f->addWidget(MakeLabel(Frame1, "Label13", " RMS:"), 0, 0);
  Label14 = MakeLabel(Frame1, "Label14", "");
  f->addWidget(Label14, 0, 1);
  f->addWidget(MakeLabel(Frame1, "Label15", "uV"), 0, 2);
  f->addWidget(MakeLabel(Frame1, "Label22", "Dinamic range:"), 1, 0);
  Label23 = MakeLabel(Frame1, "Label23", "");
  f->addWidget(Label23, 1, 1);
  f->addWidget(MakeLabel(Frame1, "Label25", "dB"), 1, 2);
  Frame1->setVisible(false);
  v->addWidget(Frame1);
  v->addStretch(1);

  connect(Pulsante_trg, &QPushButton::clicked, this, [this] { Pulsante_trg_Click(); });
  connect(pulsante_running, &QPushButton::clicked, this, [this] { pulsante_running_Click(); });
  connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
  connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
  const std::pair<QRadioButton*, int> gains[] = {
      {Option1, 1}, {Option3, 50}, {Option2, 500}, {Option5, 5000}, {Option4, 50000}};
  for (auto [o, gain] : gains)
    connect(o, &QRadioButton::toggled, this, [this, o, gain](bool on) { if (on) gain_option(gain, o); });
  connect(Autrnge, &QRadioButton::toggled, this, [this](bool on) { if (on) Autrnge_Click(); });
  connect(Check40, &QCheckBox::toggled, this, [this] { Check40_Click(); });
  connect(Check50, &QCheckBox::toggled, this, [this] { Check50_Click(); });
  connect(CheckRow[25], &QCheckBox::toggled, this, [this] { Check25_Click(); });
  for (int i = 1; i <= kRowsMax; ++i)
    connect(TextRow[static_cast<size_t>(i)], &QLineEdit::textChanged, this, [this, i] { Text_Change(i); });
}

void Analog::build_menu() {
  auto add = [this](QMenu* menu, const char* name, const char* text) {
    auto* a = menu ? menu->addAction(text) : menuBar()->addAction(text);
    a->setObjectName(name);
    return a;
  };
  QMenu* file = menuBar()->addMenu("FILE");
  file->setObjectName("file");
  add(file, "loadSU", "Load data file");
  add(file, "SaveSU", "Save data file as .SU");
  Reset = add(nullptr, "Reset", "RESET");
  QMenu* options = menuBar()->addMenu("Options");
  options->setObjectName("Options");
  add(options, "ad_cal", "AD calibration");
  add(options, "mute", "AD MUTE");
  QMenu* hp = options->addMenu("HP filter");
  hp->setObjectName("dd");
  add(hp, "sihp", "HP on");
  add(hp, "nohp", "HP off");
  parameters = add(nullptr, "parameters", "PARAMETERS");
  Geometry = add(nullptr, "Geometry", "GEOMETRY");
  uscita = add(nullptr, "uscita", "EXIT");
  connect(Reset, &QAction::triggered, this, [this] { Reset_Click(); });
  connect(parameters, &QAction::triggered, this, [this] { parameters_Click(); });
  connect(uscita, &QAction::triggered, this, [this] { uscita_Click(); });
}

void Analog::keep_status_room(int width) {
  // The status lines keep their room shown or hidden, and Message the room of
  // its largest text: the frame below them never moves under the operator's
  // hand ("READY for Trigger!" shows just before a STOP may be wanted).
  for (QLabel* l : {Label24, Message}) {
    QSizePolicy p = l->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    l->setSizePolicy(p);
  }
  QFont big = Message->font();
  big.setPointSize(kLargestMessagePoints);
  big.setBold(true);
  const QFontMetrics m(big);
  int height = 0;
  for (const char* text : {"READY for Trigger!", "Triggered ! Wait for data......", "Data Receiving !"})
    height = std::max(height, m.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).height());
  Message->setFixedHeight(height + 2 * Message->margin() + 4);
}

void Analog::set_message(const QString& text, uint32_t bgr, int point_size, bool visible) {
  Message->setText(text);
  Message->setStyleSheet(QString("color: #%1%2%3; background: #c0c0c0; font-weight: bold; font-size: %4pt;")
                             .arg(bgr & 0xFF, 2, 16, QChar('0'))
                             .arg((bgr >> 8) & 0xFF, 2, 16, QChar('0'))
                             .arg((bgr >> 16) & 0xFF, 2, 16, QChar('0'))
                             .arg(point_size));
  Message->setVisible(visible);
}

}  // namespace keld::boardtest
