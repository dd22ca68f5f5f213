#include "keysheet/window/excelf.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "common/header_words.hpp"
#include "common/numtext.hpp"
#include "common/visual_keld.hpp"
#include "keysheet/core/range_rules.hpp"
#include "keysheet/core/su_summary.hpp"
#include "keysheet/window/grille.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/qtbase/dialogs.hpp"

namespace keld::keysheet {

namespace {
template <typename W>
W* Named(W* w, const char* name, const char* tip = nullptr) {
  w->setObjectName(name);
  if (tip) w->setToolTip(tip);
  return w;
}
QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Number(int64_t v) { return QString::number(v); }
}  // namespace

Excelf::Excelf(KeysheetState& state, KeysheetServices& services)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), st(state), sv(services) {
  setObjectName("excelf");
  setWindowTitle("Header value  display");
  auto* g = new QGridLayout(this);
  Text1 = Named(new QLineEdit(" ", this), "Text1", "double click to select a SU file");
  Command1 = Named(new QPushButton("File", this), "Command1", "Press here to select a SU file");
  Label1 = Named(new QLabel("First trace", this), "Label1");
  Text2 = Named(new QLineEdit("1", this), "Text2", "Enter here the first trace number to edit, and press ENTER");
  Label2 = Named(new QLabel("Last trace", this), "Label2");
  Text3 = Named(new QLineEdit("120", this), "Text3", "Enter here the last trace number to edit");
  Text3->setEnabled(false);
  g->addWidget(Text1, 0, 0, 1, 3);
  g->addWidget(Command1, 0, 3);
  g->addWidget(Label1, 1, 0);
  g->addWidget(Text2, 1, 1);
  g->addWidget(Label2, 2, 0);
  g->addWidget(Text3, 2, 1);

  Frame1 = Named(new QGroupBox("Editor", this), "Frame1");
  auto* f1 = new QVBoxLayout(Frame1);
  Option1 = Named(new QRadioButton("EXCEL Spreadsheet", Frame1), "Option1", "Load header values in EXCEL");
  Option2 = Named(new QRadioButton("Mini spread sheet", Frame1), "Option2", "Load header values in a small spread sheet");
  Option2->setChecked(true);
  f1->addWidget(Option1);
  f1->addWidget(Option2);
  g->addWidget(Frame1, 1, 2, 2, 2);

  Frame2 = Named(new QGroupBox("Words to edit", this), "Frame2");
  auto* f2 = new QGridLayout(Frame2);
  Check1 = Named(new QCheckBox("All", Frame2), "Check1", "Check here to display all traces (time consuming...)");
  Check1->setChecked(true);
  Combo1 = Named(new QComboBox(Frame2), "Combo1", "Select here the header words you will edit");
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  Combo1->setEditText("1   Trace sequence number within line.");
  Label3 = Named(new QLabel("Words", Frame2), "Label3");
  Text4 = Named(new QLineEdit(" ", Frame2), "Text4", "Selected header words");
  Text4->setReadOnly(true);
  f2->addWidget(Check1, 0, 0);
  f2->addWidget(Combo1, 0, 1, 1, 2);
  f2->addWidget(Label3, 1, 0);
  f2->addWidget(Text4, 1, 1, 1, 2);
  g->addWidget(Frame2, 3, 0, 1, 4);

  Command2 = Named(new QPushButton("Header values to  grid", this), "Command2", "Open EXCEL with header values");
  Command4 = Named(new QPushButton("Cancel", this), "Command4");
  Command5 = Named(new QPushButton("?", this), "Command5");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command2);
  buttons->addWidget(Command4);
  buttons->addWidget(Command5);
  g->addLayout(buttons, 4, 0, 1, 4);
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1", "transferring data from Header to EXCEL");
  ProgressBar1->hide();
  g->addWidget(ProgressBar1, 5, 0, 1, 4);

  // The grid editor is chosen at start: the word selection is hidden.
  for (QWidget* w : {static_cast<QWidget*>(Frame2), static_cast<QWidget*>(Check1), static_cast<QWidget*>(Combo1),
                     static_cast<QWidget*>(Label3), static_cast<QWidget*>(Text4)})
    w->hide();

  Text1->installEventFilter(this);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
  connect(Combo1, &QComboBox::activated, this, [this](int p) { Combo1_Click(p); });
  connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
  connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
  connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
  connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
}

Excelf::~Excelf() = default;

bool Excelf::grid_editor() const { return Option2->isChecked(); }

void Excelf::Form_Load(const std::string& argument) {
  st.Mot_choisi.fill(0);
  st.Directory1 = VisualKeldDirectory1();
  st.Directory2 = VisualKeldDirectory2();
  if (argument.empty()) return;
  Text1->setText(Q(argument));
  auto sum = ReadSuSummary(argument);
  if (!sum) {
    st.ns = 0;
    st.Nb_traces = 0;
    st.file_error = sum.error();
    sv.messages.ok(sum.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  st.ns = sum->ns;
  st.dt = sum->dt;
  st.Nb_traces = sum->traces;
  st.file_error.clear();
  ProgressBar1->setRange(1, static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(st.Nb_traces, INT32_MAX))));
  // The boxes start as "1" and "120"; the range rules settle them to the file.
  SetBox(Text2, "1");
}

bool Excelf::Prend_fichier(const std::string& path) {
  auto sum = ReadSuSummary(path);
  if (!sum) {
    sv.messages.ok(sum.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return false;
  }
  Text1->setText(Q(path));
  st.ns = sum->ns;
  st.dt = sum->dt;
  st.Nb_traces = sum->traces;
  st.file_error.clear();
  ProgressBar1->setRange(1, static_cast<int>(std::min<int64_t>(st.Nb_traces, INT32_MAX)));
  SetBox(Text2, "1");
  SetBox(Text3, Number(st.Nb_traces));
  if (grid_editor()) SetBox(Text2, "1");
  // A grid that is open shows the new file at once, read with its own layout,
  // so no value of the old file stays on screen to be written.
  if (grille_ && grille_->isVisible()) grille_->Recharge();
  return true;
}

bool Excelf::lit_fichier() {
  FileDialogSpec d;
  d.title = "Visual_KELD File selection";
  d.folder = st.Directory2;
  d.filter = "Seismic Unix (SU)|*.SU|All files|*.*|";
  d.name = "*.SU";
  d.must_exist = true;
  auto chosen = sv.dialogs.open_file(d);
  if (!chosen || chosen->empty()) return false;  // a cancelled dialog changes nothing
  return Prend_fichier(*chosen);
}

void Excelf::Texte_Combo() {
  for (const HeaderWord& w : HeaderWords()) Combo1->addItem(Q(HeaderWordListLine(w)));
}

void Excelf::Aide() {
  const std::string page = sv.program_folder + "/" + kHelpPage;
  if (!Existe_file(page)) {
    sv.messages.ok("The help page " + page + " is missing.", MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (!sv.launcher.open_document(page))
    sv.messages.ok("No program could open the help page " + page + ".", MsgIcon::Exclamation, kKeysheetTitle);
}

void Excelf::Command1_Click() { lit_fichier(); }

void Excelf::Command2_Click() {
  const std::string path = Text1->text().toStdString();
  if (path.empty() || path == " ") return;
  if (!Existe_file(path)) {
    sv.messages.ok(path + " does not exist !", MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (st.Nb_traces < 1 || st.ns <= 0) {
    sv.messages.ok(st.file_error.empty() ? path + " is not a readable SU file." : st.file_error, MsgIcon::Exclamation,
                   kKeysheetTitle);
    return;
  }
  if (!grid_editor()) {
    Transfert_Tableur();
    return;
  }
  if (grille_ && grille_->isVisible()) {
    // Pressed again with the grid open: it shows the range as the boxes now say.
    grille_->Recharge();
    grille_->raise();
    grille_->activateWindow();
    return;
  }
  grille_ = std::make_unique<Grille>(*this);
  // A file refused as its range is read opens no grid.
  if (!grille_->Form_Load()) {
    grille_.reset();
    return;
  }
  grille_->show();
}

void Excelf::Command4_Click() {
  if (grille_) grille_->close();
  close();
}

void Excelf::Command5_Click() { Aide(); }

void Excelf::Check1_Click() {
  const bool all = Check1->isChecked();
  Combo1->setVisible(!all);
  Text4->setVisible(!all);
  Label3->setVisible(!all);
}

void Excelf::Combo1_Click(int position) {
  const int w = position + 1;
  if (w < 1 || w > kHeaderWordCount) return;
  st.Mot_choisi[static_cast<size_t>(w)] = 1;
  Text4->setText(Text4->text() + Q(Str(w)) + ",");
}

void Excelf::Option1_Click() {
  Frame2->show();
  Check1->show();
  Check1_Click();
  Command2->setText("Header Value to EXCEL");
  Combo1->clear();
  Texte_Combo();
  Combo1->setCurrentIndex(0);
  SetBox(Text3, Number(st.Nb_traces));
  SetBox(Text2, "1");
  Text3->setEnabled(true);
}

void Excelf::Option2_Click() {
  Frame2->hide();
  Check1->hide();
  Combo1->hide();
  Text4->hide();
  Label3->hide();
  Command2->setText("Header Value to GRID");
  SetBox(Text3, "120");
  SetBox(Text2, "1");
  Text3->setEnabled(false);
}

void Excelf::SetBox(QLineEdit* box, const QString& text) {
  if (box->text() == text) {
    // The rules run only on a change; a box set to what it holds is settled
    // again so that the range always follows the file.
    if (box == Text2) Text2_Change();
    else Text3_Change();
    return;
  }
  box->setText(text);
}

void Excelf::Text2_Change() {
  if (in_rule_) return;
  in_rule_ = true;
  const double typed = Val(Text2->text().toStdString());
  if (grid_editor()) {
    const TraceRange r = GridRange(typed, st.Nb_traces);
    if (static_cast<double>(r.first) != typed) Text2->setText(Number(r.first));
    Text3->setText(Number(r.last));
  } else if (IsNumeric(Text2->text().toStdString()) && SheetFirstTooLarge(typed, st.Nb_traces)) {
    Text2->setText(Number(SheetFirstAfterTooLarge(st.Nb_traces)));
  }
  in_rule_ = false;
}

void Excelf::Text3_Change() {
  if (in_rule_) return;
  in_rule_ = true;
  const double typed = Val(Text3->text().toStdString());
  if (typed > static_cast<double>(st.Nb_traces)) {
    Text3->setText(Number(st.Nb_traces));
    if (grid_editor()) Text2->setText(Number(GridRange(typed, st.Nb_traces).first));
  }
  in_rule_ = false;
}

bool Excelf::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == Text1 && ev->type() == QEvent::MouseButtonDblClick) {
    lit_fichier();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

void Excelf::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1) {
    Aide();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace keld::keysheet
