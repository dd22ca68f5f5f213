// The window and its controls; the rules of the number boxes.
#include "ombrix/window/parameters.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

#include "common/numtext.hpp"
#include "ombrix/page/colours.hpp"
#include "ombrix/render/render.hpp"
#include "platform/qtbase/key_filter.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::ombrix {

namespace {

QLineEdit* Box(QWidget* parent, const char* name, const char* text, const char* tip = nullptr) {
  auto* e = new QLineEdit(QString::fromUtf8(text), parent);
  e->setObjectName(name);
  if (tip) e->setToolTip(tip);
  return e;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  if (tip) b->setToolTip(tip);
  return b;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  // A click ticks or clears the box. A greyed value (2) comes only from a
  // stored settings file and stays until the box is clicked.
  QObject::connect(c, &QCheckBox::stateChanged, c, [c](int state) {
    if (state != Qt::PartiallyChecked) c->setTristate(false);
  });
  if (tip) c->setToolTip(tip);
  return c;
}

}  // namespace

Parameters::Parameters(OmbrixState& st, OmbrixServices& sv, QWidget* parent)
    : QWidget(parent), st_(st), sv_(sv), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setObjectName("Parameters");
  setWindowTitle("OMBRIX Drawing parameters");
  // 10000 x 9000 twips at 15 twips a pixel.
  setMinimumSize(667, 600);
  auto* lay = new QVBoxLayout(this);
  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName("SSTab1");
  lay->addWidget(SSTab1);
  auto* t0 = new QWidget;
  auto* t1 = new QWidget;
  auto* t2 = new QWidget;
  build_parameters_tab(t0);
  build_preview_tab(t1);
  build_setup_tab(t2);
  SSTab1->addTab(t0, "Parameters");
  SSTab1->addTab(t1, "Print preview");
  SSTab1->addTab(t2, "Setup");
  install_box_rules();
  read_page_size();
  // What starts work or changes what a composition reads while it runs (the
  // file, the display type, the margins, the page, the font) and what needs
  // a whole page (print, clipboard, picture file).
  work_ = new WorkGuard(this, {Command2, Text1, combo1, Text8, Text9, cmdPageSetup, cmdPrinterSetup,
                               ListePolices, cmdPrint, Command11, Record_WMF});
  show_page_buttons();
  connect(work_, &WorkGuard::finished, this, [this] { show_page_buttons(); });
  connect(SSTab1, &QTabWidget::currentChanged, this, [this](int i) { SSTab1_Click(i); });
}

Parameters::~Parameters() = default;

void Parameters::build_parameters_tab(QWidget* tab) {
  auto* g = new QGridLayout(tab);
  auto* file = new QGroupBox("SU file", tab);
  auto* fl = new QGridLayout(file);
  Text16 = Box(file, "Text16", "");
  Text16->setReadOnly(true);
  Text1 = Box(file, "Text1", " *.SU");
  Command2 = Button(file, "Command2", "Load an SU file");
  Command3 = Button(file, "Command3", "Cancel / Exit");
  fl->addWidget(Text16, 0, 0, 1, 3);
  fl->addWidget(new QLabel("Plot title"), 1, 0);
  fl->addWidget(Text1, 1, 1, 1, 2);
  fl->addWidget(Command2, 2, 1);
  fl->addWidget(Command3, 2, 2);
  g->addWidget(file, 0, 0, 1, 2);

  auto* geo = new QGroupBox("Page", tab);
  auto* gl = new QGridLayout(geo);
  combo1 = new QComboBox(geo);
  combo1->setObjectName("combo1");
  combo1->setPlaceholderText("Wiggle  + area");  // until an entry is chosen
  Text2 = Box(geo, "Text2", "1");
  Text3 = Box(geo, "Text3", "24");
  Text4 = Box(geo, "Text4", "10");
  Text5 = Box(geo, "Text5", "10");
  Text6 = Box(geo, "Text6", "1024");
  Text7 = Box(geo, "Text7", "0");
  Text8 = Box(geo, "Text8", "5");
  Text9 = Box(geo, "Text9", "5");
  Text13 = Box(geo, "Text13", "Est");
  Text14 = Box(geo, "Text14", "West");
  const std::pair<const char*, QWidget*> rows[] = {
      {"Display type", combo1}, {"From trace", Text2}, {"to", Text3},
      {"Plot width (mm)", Text4}, {"Profile height (mm)", Text5},
      {"Total time to draw (ms)", Text6}, {"Time line spacing (ms) ", Text7},
      {"Left margin (mm)", Text8}, {"Upper margin", Text9}, {"Left end", Text13}, {"Right end", Text14}};
  int r = 0;
  for (auto [label, w] : rows) {
    gl->addWidget(new QLabel(label), r, 0);
    gl->addWidget(w, r++, 1);
  }
  g->addWidget(geo, 1, 0);

  auto* opt = new QGroupBox("Drawing options", tab);
  auto* ol = new QGridLayout(opt);
  fold = Check(opt, "fold", "Fold drawing", "Fold  is drawn below the section");
  topo = Check(opt, "topo", "Topo drawing", "Topo will be drawn on the section according TSTAT values");
  CDP = Check(opt, "CDP", "CDP numbering", "print CDP number if checked, else traces number");
  time = Check(opt, "time", "Time section (else depth section )");
  velocity = Check(opt, "velocity", "Velocity model");
  Egal = Check(opt, "Egal", "Trace egalization");
  Inverse_trace = Check(opt, "Inverse_trace", "Inverse traces", "Reverse trace number");
  crop = Check(opt, "crop", " Crop WMF", "Click here to export only seismic profile, not the whole page");
  Dead = Check(opt, "Dead", "Display Dead traces");
  Check1 = Check(opt, "Check1", "Print First Break Picks");
  Text10 = Box(opt, "Text10", "10");
  Text12 = Box(opt, "Text12", "1", "Type here a trace size factor");
  Text15 = Box(opt, "Text15", "35", "Enter here a maximum fold value, 0=fold header values");
  r = 0;
  for (QCheckBox* c : {fold, topo, CDP, time, velocity, Egal, Inverse_trace, crop, Dead, Check1})
    ol->addWidget(c, r++, 0, 1, 2);
  const std::pair<const char*, QLineEdit*> boxes[] = {
      {"Label spacing", Text10}, {"Trace size factor", Text12}, {"Fold maximum", Text15}};
  for (auto [label, w] : boxes) {
    ol->addWidget(new QLabel(label), r, 0);
    ol->addWidget(w, r++, 1);
  }
  g->addWidget(opt, 1, 1);
  g->setRowStretch(1, 1);

  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(combo1, &QComboBox::currentIndexChanged, this, [this](int i) { combo1_Click(i); });
  Text1->installEventFilter(this);
}

void Parameters::build_preview_tab(QWidget* tab) {
  auto* lay = new QVBoxLayout(tab);
  auto* bar = new QHBoxLayout;
  cmbPercent = new QComboBox(tab);
  cmbPercent->setObjectName("cmbPercent");
  cmbPercent->addItems({"25%", "50%", "75%", "100%", "150%", "200%", "400%"});
  cmbZoomMode = new QComboBox(tab);
  cmbZoomMode->setObjectName("cmbZoomMode");
  cmbZoomMode->addItems({"Percentage", "Thumbnail", "TwoPages", "WholePage", "PageWidth", "Stretch"});
  chkPhysicalPage = new QCheckBox("Physical Page", tab);
  chkPhysicalPage->setObjectName("chkPhysicalPage");
  chkShowGuides = new QCheckBox("Show Guides", tab);
  chkShowGuides->setObjectName("chkShowGuides");
  cmdPrint = Button(tab, "cmdPrint", "Print profile", "Start paper printing");
  Command11 = Button(tab, "Command11", "Copy to clipboard", "Click here to copy your section in the clipboard");
  Record_WMF = Button(tab, "Record_WMF", "Save WMF", "Save the displayed profile to Windows metafile");
  Command14 = Button(tab, "Command14", "Graphical program", "Click here to launch the selected graphical program");
  Command13 = Button(tab, "Command13", "End");
  for (QWidget* w : std::initializer_list<QWidget*>{cmbPercent, cmbZoomMode, chkPhysicalPage, chkShowGuides,
                                                    cmdPrint, Command11, Record_WMF, Command14, Command13})
    bar->addWidget(w);
  lay->addLayout(bar);
  vp = new QPrintPreviewWidget(printer_.get(), tab);
  vp->setObjectName("vp");
  lay->addWidget(vp, 1);
  auto* foot = new QHBoxLayout;
  ProgressBar1 = new QProgressBar(tab);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setVisible(false);
  Text18 = Box(tab, "Text18", "");
  Text18->setReadOnly(true);
  foot->addWidget(ProgressBar1, 1);
  foot->addWidget(new QLabel("Active SU File"));
  foot->addWidget(Text18, 1);
  lay->addLayout(foot);

  connect(vp, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) {
    std::optional<QRect> guides;
    if (st_.show_guides)
      guides = QRect(QPoint(st_.page.left, st_.page.top),
                     QPoint(st_.page.width - st_.page.left, st_.page.height - st_.page.top));
    (void)PrintPage(st_.vp.page(), *p, guides, 0);  // a preview: lines one screen dot wide
  });
  connect(cmbPercent, &QComboBox::activated, this, [this] { cmbPercent_Click(); });
  connect(cmbZoomMode, &QComboBox::activated, this, [this] { cmbZoomMode_Click(); });
  connect(chkPhysicalPage, &QCheckBox::clicked, this, [this] { chkPhysicalPage_Click(); });
  connect(chkShowGuides, &QCheckBox::clicked, this, [this] { chkShowGuides_Click(); });
  connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
  connect(Command11, &QPushButton::clicked, this, [this] { Command11_Click(); });
  connect(Record_WMF, &QPushButton::clicked, this, [this] { Record_WMF_Click(); });
  connect(Command14, &QPushButton::clicked, this, [this] { Command14_Click(); });
  connect(Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
}

void Parameters::build_setup_tab(QWidget* tab) {
  auto* g = new QGridLayout(tab);
  Text11 = Box(tab, "Text11", "");
  Text17 = Box(tab, "Text17", "Printer");
  cmdPageSetup = Button(tab, "cmdPageSetup", "Page Setup", "Page parameters setup");
  cmdPrinterSetup = Button(tab, "cmdPrinterSetup", "Printer Setup", "Change the printer or paper orientation");
  ListePolices = new QComboBox(tab);
  ListePolices->setObjectName("ListePolices");
  g->addWidget(new QLabel("Paper size"), 0, 0);
  g->addWidget(Text11, 0, 1);
  g->addWidget(new QLabel("Printer"), 1, 0);
  g->addWidget(Text17, 1, 1);
  g->addWidget(cmdPageSetup, 2, 0);
  g->addWidget(cmdPrinterSetup, 2, 1);
  g->addWidget(new QLabel("Font"), 3, 0);
  g->addWidget(ListePolices, 3, 1);
  g->setRowStretch(4, 1);
  connect(cmdPageSetup, &QPushButton::clicked, this, [this] { cmdPageSetup_Click(); });
  connect(cmdPrinterSetup, &QPushButton::clicked, this, [this] { cmdPrinterSetup_Click(); });
  connect(ListePolices, &QComboBox::activated, this, [this] { ListePolices_Click(); });
}

// Key filters and normalisation of the number boxes: a box holds the decimal
// text of a 16-bit whole number; a value beyond that range is refused with a
// beep and the box keeps its last value.
void Parameters::install_box_rules() {
  auto beep = [this] {
    if (sv_.beep) sv_.beep();
  };
  for (QLineEdit* b : {Text2, Text3, Text4, Text5, Text7, Text8, Text9})
    KeyFilter::Install(b, "0123456789", beep);
  KeyFilter::Install(Text6, ".0123456789", beep);
  KeyFilter::InstallCustom(Text11, [this](int) {
    sv_.messages.ok("You must correct paper size in the main OMBRIX module", MsgIcon::Information,
                    kOmbrixTitle);
    return 0;
  });
  Text11->setReadOnly(true);
  for (QLineEdit* b : {Text4, Text5, Text6, Text7, Text10})
    connect(b, &QLineEdit::textChanged, this, [this, b](const QString& t) { normalise(b, t); });
  connect(Text8, &QLineEdit::textChanged, this, [this](const QString& t) {
    st_.page.left = static_cast<int32_t>(std::lround(Val(t.toStdString()) * kTwipsPerMm));
    normalise(Text8, t);
  });
  connect(Text9, &QLineEdit::textChanged, this, [this](const QString& t) {
    st_.page.top = static_cast<int32_t>(std::lround(Val(t.toStdString()) * kTwipsPerMm));
    normalise(Text9, t);
  });
}

void Parameters::normalise(QLineEdit* box, const QString& text) {
  auto v = CInt(Val(text.toStdString()));
  QString want;
  if (v) {
    want = QString::number(*v);
    box->setProperty("last_good", want);
  } else {
    if (sv_.beep) sv_.beep();
    want = box->property("last_good").toString();
    if (want.isEmpty()) want = "0";
  }
  if (want != text) box->setText(want);
}

bool Parameters::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == Text1 && ev->type() == QEvent::MouseButtonDblClick) {
    Text1_DblClick();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

void Parameters::combo1_Click(int index) { SetModeWord(st_.mv.mode_word, index); }

}  // namespace keld::ombrix
