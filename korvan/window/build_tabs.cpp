// The controls of the four tabs and of the button bar, with their captions,
// tool tips and design texts.
#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "korvan/window/main_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

namespace {

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

QLineEdit* Box(QWidget* parent, const char* name, const char* text = "", const char* tip = nullptr) {
  auto* e = Named(new QLineEdit(text, parent), name);
  if (tip) e->setToolTip(tip);
  return e;
}

QLabel* Caption(QWidget* parent, const QString& text) {
  auto* l = new QLabel(text, parent);
  return l;
}

// A framed label that shows a colour, clickable.
QLabel* ColourBox(QWidget* parent, const char* name, const char* tip) {
  auto* l = Named(new QLabel(parent), name);
  l->setToolTip(tip);
  l->setFrameShape(QFrame::Box);
  l->setFixedSize(60, 22);
  l->setAutoFillBackground(true);
  return l;
}

// The small pictures beside the display-type options.
QLabel* TypeImage(QWidget* parent, const char* name, int mode) {
  QPixmap pm(44, 22);
  pm.fill(Qt::white);
  QPainter p(&pm);
  QPolygonF wave;
  for (int x = 0; x < 44; ++x) wave << QPointF(x, 11 - 8 * std::sin(x / 3.5));
  if (mode == 0 || mode == 6) {
    p.setPen(Qt::black);
    p.drawPolyline(wave);
    if (mode == 0)
      for (const auto& pt : wave)
        if (pt.y() < 11) p.drawLine(QPointF(pt.x(), 11), pt);
  } else {
    for (int x = 0; x < 44; ++x) {
      double y = 11 - 8 * std::sin(x / 3.5);
      if (y < 11) p.setPen(mode == 5 ? Qt::black : Qt::red);
      else if (mode == 2) p.setPen(Qt::blue);
      else continue;
      p.drawLine(QPointF(x, 11), QPointF(x, y));
    }
  }
  p.end();
  auto* l = Named(new QLabel(parent), name);
  l->setPixmap(pm);
  return l;
}

}  // namespace

void Korvan::build_shot_tab(QWidget* tab) {
  auto* g = new QGridLayout(tab);
  g->setContentsMargins(4, 4, 4, 4);
  FrizGrid = Named(new Grid(tab), "FrizGrid");
  FrizGrid->SetRows(1);
  FrizGrid->setFixedHeight(26);
  FrizGrid->hide();
  g->addWidget(FrizGrid, 0, 0);
  Ecran = Named(new PictureBox(tab), "Ecran");
  // A cleared screen shows no file: Erase and delete have nothing to name
  // until a drawing succeeds again.
  connect(Ecran, &PictureBox::cleared, this, [this] { st.Fichier_Dessine.clear(); });
  Ecran->setMinimumSize(200, 150);
  Ecran->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  g->addWidget(Ecran, 1, 0);
  echelle = Named(new PictureBox(tab), "echelle");
  echelle->setFixedWidth(24);
  g->addWidget(echelle, 1, 1);
  g->setRowStretch(1, 1);
  g->setColumnStretch(0, 1);

  Label1 = Named(new QLabel(Ecran), "Label1");
  Label1->move(4, 4);
  korvan_logo = Named(new QLabel(Ecran), "korvan_logo");
  korvan_logo->setAlignment(Qt::AlignCenter);
  korvan_logo->setText("<h1>KORVAN</h1><h3>QMR650B</h3><p>true 24 bit seismograph</p>");
  korvan_logo->setAutoFillBackground(true);

  auto* row = new QHBoxLayout;
  Text1 = Box(tab, "Text1");
  Text1->setReadOnly(true);
  Text13 = Box(tab, "Text13");
  Text13->setReadOnly(true);
  ProgressBar1 = Named(new QProgressBar(tab), "ProgressBar1");
  ProgressBar1->hide();
  Virtual_trigger = Named(new QPushButton("Release Trigger", tab), "Virtual_trigger");
  Virtual_trigger->hide();
  row->addWidget(Text13, 2);
  row->addWidget(Text1, 1);
  row->addWidget(ProgressBar1, 1);
  row->addWidget(Virtual_trigger);
  g->addLayout(row, 2, 0, 1, 2);
}

void Korvan::build_recording_tab(QWidget* tab) {
  auto* outer = new QGridLayout(tab);
  outer->setContentsMargins(4, 4, 4, 4);

  Frame4 = Named(new QGroupBox("Acquisition parameters", tab), "Frame4");
  auto* g4 = new QGridLayout(Frame4);
  Sample_rate = Named(new QComboBox(Frame4), "Sample_rate");
  F_camp = Named(new QLabel(Frame4), "F_camp");
  F_camp->setFrameShape(QFrame::Panel);
  F_camp->setFrameShadow(QFrame::Sunken);
  Nb_Sample = Named(new QComboBox(Frame4), "Nb_Sample");
  Nb_Sample->setToolTip("Select here the number of sample per trace");
  Rec_time = Named(new QLabel(Frame4), "Rec_time");
  Rec_time->setFrameShape(QFrame::Panel);
  Rec_time->setFrameShadow(QFrame::Sunken);
  Total_Channel = Box(Frame4, "Total_Channel", "24");
  Text14 = Box(Frame4, "Text14", "0");
  int r = 0;
  g4->addWidget(Caption(Frame4, "Sample rate (microsec.)"), r, 0);
  g4->addWidget(Sample_rate, r++, 1);
  g4->addWidget(Caption(Frame4, "Sampling frequency (Hz)"), r, 0);
  g4->addWidget(F_camp, r++, 1);
  g4->addWidget(Caption(Frame4, "Number of        samples / trace"), r, 0);
  g4->addWidget(Nb_Sample, r++, 1);
  g4->addWidget(Caption(Frame4, "Recording time (sec)"), r, 0);
  g4->addWidget(Rec_time, r++, 1);
  g4->addWidget(Caption(Frame4, "Total available channels   "), r, 0);
  g4->addWidget(Total_Channel, r++, 1);
  g4->addWidget(Caption(Frame4, "Pre-triggering samples"), r, 0);
  g4->addWidget(Text14, r++, 1);
  Option5 = Named(new QRadioButton("Trigger contact closing", Frame4), "Option5");
  Option6 = Named(new QRadioButton("Trigger contact opening", Frame4), "Option6");
  g4->addWidget(Option5, r++, 0, 1, 2);
  g4->addWidget(Option6, r++, 0, 1, 2);
  outer->addWidget(Frame4, 0, 0, 2, 1);

  Frame5 = Named(new QGroupBox(tab), "Frame5");
  auto* g5 = new QGridLayout(Frame5);
  g5->addWidget(Caption(Frame5, "ROOT                NUMBER      EXTENSION"), 0, 0, 1, 3);
  Text2 = Box(Frame5, "Text2", "SHOT", "Enter a root number for your records (4 letters only)");
  Text2->setMaxLength(4);
  Text3 = Box(Frame5, "Text3", "1000");
  Text4 = Box(Frame5, "Text4", ".SU");
  Text4->setReadOnly(true);
  g5->addWidget(Text2, 1, 0);
  g5->addWidget(Text3, 1, 1);
  g5->addWidget(Text4, 1, 2);
  g5->addWidget(Caption(Frame5, "Active file name"), 2, 0, 1, 3);
  Text5 = Box(Frame5, "Text5");
  g5->addWidget(Text5, 3, 0, 1, 3);
  g5->addWidget(Caption(Frame5, "and   SG2"), 4, 0, 1, 3);
  Command1 = Named(new QPushButton("Data folder selection", Frame5), "Command1");
  Command1->setToolTip("Select the folder for your data");
  g5->addWidget(Command1, 5, 0, 1, 3);
  Text7 = Box(Frame5, "Text7", "", "data will be recorded in this folder");
  g5->addWidget(Text7, 6, 0, 1, 3);
  outer->addWidget(Frame5, 0, 1);

  Frame8 = Named(new QGroupBox("Low Pass Filter-Butterworth 8 poles", tab), "Frame8");
  auto* g8 = new QGridLayout(Frame8);
  F30 = Named(new QRadioButton("30Hz", Frame8), "F30");
  F60 = Named(new QRadioButton("60Hz", Frame8), "F60");
  F200 = Named(new QRadioButton("200Hz", Frame8), "F200");
  F400 = Named(new QRadioButton("400Hz", Frame8), "F400");
  g8->addWidget(F30, 0, 0);
  g8->addWidget(F60, 0, 1);
  g8->addWidget(F200, 1, 0);
  g8->addWidget(F400, 1, 1);
  outer->addWidget(Frame8, 1, 1);

  auto* about = new QHBoxLayout;
  const std::pair<const char*, const char*> labels[] = {
      {"Label12", "QMR650B V1.0"}, {"Label21", "true 24 bit"}, {"Label10", "24"},
      {"Label11", "AD converters"}, {"Label9", ""}};
  for (const auto& [name, text] : labels) about->addWidget(Named(new QLabel(text, tab), name));
  about->addStretch(1);
  outer->addLayout(about, 2, 0, 1, 2);
  outer->setRowStretch(3, 1);
}

void Korvan::build_display_tab(QWidget* tab) {
  auto* outer = new QGridLayout(tab);
  outer->setContentsMargins(4, 4, 4, 4);

  Frame3 = Named(new QGroupBox("Miscellanous", tab), "Frame3");
  auto* g3 = new QVBoxLayout(Frame3);
  egali = Named(new QComboBox(Frame3), "egali");
  egali->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  creverse = Named(new QCheckBox("Reverse polarity", Frame3), "creverse");
  cclip = Named(new QCheckBox("Clip traces", Frame3), "cclip");
  Command7 = Named(new QPushButton("OK, display", Frame3), "Command7");
  g3->addWidget(egali);
  g3->addWidget(creverse);
  g3->addWidget(cclip);
  g3->addWidget(Command7);
  outer->addWidget(Frame3, 0, 0);

  Frame2 = Named(new QGroupBox("Software Filter", tab), "Frame2");
  auto* g2 = new QGridLayout(Frame2);
  LC1 = Box(Frame2, "LC1", "10", "Enter here the lower left corner of filter. 0=no filtering, only AGC");
  LC2 = Box(Frame2, "LC2", "20");
  HC1 = Box(Frame2, "HC1", "8000");
  HC2 = Box(Frame2, "HC2", "16000");
  AGC = Box(Frame2, "AGC", "0", "For only AGC enter LC = 0");
  for (QLineEdit* e : {LC1, LC2, HC1, HC2, AGC}) e->setMaximumWidth(64);
  g2->addWidget(Caption(Frame2, "LC"), 0, 0);
  g2->addWidget(LC1, 0, 1);
  g2->addWidget(LC2, 0, 2);
  g2->addWidget(Caption(Frame2, "Hz"), 0, 3);
  g2->addWidget(Caption(Frame2, "HC"), 1, 0);
  g2->addWidget(HC1, 1, 1);
  g2->addWidget(HC2, 1, 2);
  g2->addWidget(Caption(Frame2, "Hz"), 1, 3);
  g2->addWidget(Caption(Frame2, "Automatic gain windows (ms) 0= no AGC"), 2, 0, 1, 3);
  g2->addWidget(AGC, 2, 3);
  g2->addWidget(Named(new QLabel("To activate, click \"F\" icon on menu", Frame2), "Label32"), 3, 0, 1, 4);
  outer->addWidget(Frame2, 0, 1);

  Frame1 = Named(new QGroupBox("Type", tab), "Frame1");
  auto* g1 = new QGridLayout(Frame1);
  Option1 = Named(new QRadioButton(Frame1), "Option1");
  Option2 = Named(new QRadioButton(Frame1), "Option2");
  Option3 = Named(new QRadioButton(Frame1), "Option3");
  Option4 = Named(new QRadioButton(Frame1), "Option4");
  Option1->setChecked(true);
  QRadioButton* opts[] = {Option1, Option2, Option3, Option4};
  const int modes[] = {0, 6, 5, 2};
  for (int i = 0; i < 4; ++i) {
    g1->addWidget(opts[i], i, 0);
    g1->addWidget(TypeImage(Frame1, QString("Image%1").arg(i + 1).toLatin1().constData(), modes[i]), i, 1);
  }
  Picture1 = ColourBox(Frame1, "Picture1", "click here to select the color");
  // The positive colour fills the lobes right of the zero line, so each box
  // says which colour it holds.
  Picture2 = ColourBox(Frame1, "Picture2", "click here to select the positive color");
  Picture3 = ColourBox(Frame1, "Picture3", "click here to select the negative color");
  g1->addWidget(Picture1, 2, 2);
  g1->addWidget(Picture2, 3, 2);
  g1->addWidget(Picture3, 3, 3);
  g1->setColumnStretch(4, 1);
  outer->addWidget(Frame1, 1, 0, 1, 2);
  outer->setRowStretch(2, 1);
}

void Korvan::build_geometry_tab(QWidget* tab) {
  auto* outer = new QGridLayout(tab);
  outer->setContentsMargins(4, 4, 4, 4);
  GeoGrid = Named(new Grid(tab), "GeoGrid");
  GeoGrid->setMinimumHeight(104);
  GeoGrid->setMaximumHeight(110);
  outer->addWidget(GeoGrid, 0, 0, 1, 3);
  plan = Named(new PictureBox(tab), "plan");
  plan->setMinimumHeight(80);
  plan->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  outer->addWidget(plan, 1, 0, 1, 3);

  Frame7 = Named(new QGroupBox("Shooting geometry", tab), "Frame7");
  auto* g7 = new QGridLayout(Frame7);
  g7->setVerticalSpacing(2);
  Text19 = Box(Frame7, "Text19", "5", "type here the distance between shots (integer value)");
  Text15 = Box(Frame7, "Text15", "5", "This value is the distance between two receivers");
  Text23 = Box(Frame7, "Text23", "0", "Every shot, receivers will move of this value");
  sx = Box(Frame7, "sx", "0", "type here the location of the first shots (integer value)");
  Text24 = Box(Frame7, "Text24", "0", "Shot depth below ground");
  fr = Box(Frame7, "fr", "2.5", "This is the first receiever location (meters)");
  lr = Box(Frame7, "lr", "240", "Here is the last receiver location");
  offset = Box(Frame7, "offset", "10", "Shot to receiver distance");
  Text17 = Box(Frame7, "Text17", " 0");
  Text11 = Box(Frame7, "Text11", "1");
  Text18 = Box(Frame7, "Text18", "");
  rn = Box(Frame7, "rn", "0", "Record number");
  for (QLineEdit* e : {lr, offset, Text17, Text11, Text18, rn}) e->setReadOnly(true);
  g7->addWidget(Caption(Frame7, "Distance     Station Nb"), 0, 1, 1, 2);
  int r = 1;
  auto row = [&](const char* label, QLineEdit* a, QLineEdit* b) {
    g7->addWidget(Caption(Frame7, label), r, 0);
    g7->addWidget(a, r, 1);
    if (b) g7->addWidget(b, r, 2);
    ++r;
  };
  row("Shot  X", sx, Text17);
  row("First receiver X", fr, Text11);
  row("Last receiver  X", lr, Text18);
  row("Shot to first receiver distance", offset, nullptr);
  int r2 = 1;
  auto row2 = [&](const char* label, QLineEdit* a) {
    g7->addWidget(Caption(Frame7, label), r2, 3);
    g7->addWidget(a, r2, 4);
    ++r2;
  };
  row2("Shot spacing", Text19);
  row2("Relative receiver /station spacing", Text15);
  row2("Receiver incr.", Text23);
  row2("Shot depth", Text24);
  for (QLineEdit* e : {Text19, Text15, Text23, Text24}) e->setMaximumWidth(46);
  for (QLineEdit* e : {sx, fr, lr, offset, Text17, Text11, Text18}) e->setMaximumWidth(64);
  g7->setColumnStretch(3, 1);
  outer->addWidget(Frame7, 2, 0, 1, 3);

  Command4 = Named(new QPushButton("<<", tab), "Command4");
  Command3 = Named(new QPushButton(">>", tab), "Command3");
  Text6 = Box(tab, "Text6");
  Text6->setReadOnly(true);
  auto* nav = new QHBoxLayout;
  nav->addWidget(Command4);
  nav->addWidget(Named(new QLabel("Display next shot", tab), "Label23"));
  nav->addWidget(Command3);
  nav->addWidget(Caption(tab, "Record"));
  nav->addWidget(rn);
  nav->addWidget(Text6, 1);
  outer->addLayout(nav, 3, 0, 1, 3);
  outer->setRowStretch(1, 1);
}

void Korvan::build_buttons_bar(QWidget* bar) {
  auto* h = new QHBoxLayout(bar);
  h->setContentsMargins(0, 0, 0, 0);
  Command10 = Named(new QPushButton("Press to record shot", bar), "Command10");
  Command6 = Named(new QPushButton("SHOW Noise", bar), "Command6");
  Command5 = Named(new QPushButton("STOP Noise", bar), "Command5");
  Command10->setEnabled(false);
  Command6->setEnabled(false);
  Command5->setEnabled(false);
  Check2 = Named(new QCheckBox("No Filter", bar), "Check2");
  Command2 = Named(new QPushButton(QString::fromUtf8("\xC3\xB7" "2"), bar), "Command2");
  Command2->setToolTip("Gain / 2");
  Ingrandimento = Named(new QLabel("1", bar), "Ingrandimento");
  Ingrandimento->setMinimumWidth(40);
  Ingrandimento->setAlignment(Qt::AlignCenter);
  Ingrandimento->setFrameShape(QFrame::Panel);
  Ingrandimento->setFrameShadow(QFrame::Sunken);
  Command11 = Named(new QPushButton(QString::fromUtf8("\xC3\x97" "2"), bar), "Command11");
  Command11->setToolTip("Gain x 2");
  for (QPushButton* b : {Command2, Command11}) b->setMaximumWidth(40);
  h->addWidget(Command10);
  h->addWidget(Command6);
  h->addWidget(Command5);
  h->addWidget(Check2);
  h->addStretch(1);
  h->addWidget(new QLabel("Gain", bar));
  h->addWidget(Command2);
  h->addWidget(Ingrandimento);
  h->addWidget(Command11);
}

}  // namespace keld::korvan
