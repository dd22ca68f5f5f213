#include "velscan/window/pick_window.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cstdio>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qtbase/work_guard.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/window/nmo_window.hpp"

namespace keld::velscan {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

PickWindow::PickWindow(NmoWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName("pick");
  setWindowTitle("Pick times");
  Grid = new keld::Grid;
  Grid->setObjectName("Grid");
  Grid->SetCols(4);
  Grid->SetRows(101);
  Grid->SetFixedRows(1);
  Grid->SetFixedCols(1);
  Text1 = new QLineEdit;
  Text1->setObjectName("Text1");
  Text1->setToolTip("Double click to select another name or type a new name");
  Command2 = new QPushButton("Output file");
  Command2->setObjectName("Command2");
  RichTextBox1 = new QTextEdit;
  RichTextBox1->setObjectName("RichTextBox1");
  RichTextBox1->setAcceptRichText(false);
  RichTextBox1->setToolTip("You can change here any value");
  Command1 = new QPushButton("Run batch");
  Command1->setObjectName("Command1");
  RichTextBox2 = new QTextEdit;  // work area of the history, never shown
  RichTextBox2->setObjectName("RichTextBox2");
  RichTextBox2->hide();

  auto* out = new QHBoxLayout;
  out->addWidget(Text1, 1);
  out->addWidget(Command2);
  auto* all = new QVBoxLayout(this);
  all->addWidget(Grid, 2);
  all->addLayout(out);
  all->addWidget(RichTextBox1, 1);
  all->addWidget(Command1);
  all->addWidget(RichTextBox2);
  resize(520, 560);

  work_ = new WorkGuard(this, {Command1, Command2, Text1});

  connect(Command2, &QPushButton::clicked, this, [this] { select_output(); });
  connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  Text1->installEventFilter(this);
  Grid->installEventFilter(this);
}

bool PickWindow::eventFilter(QObject* o, QEvent* e) {
  if (o == Text1 && e->type() == QEvent::MouseButtonDblClick) {
    select_output();
    return true;
  }
  if (o == Grid && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    int code = 0;
    const bool keypad = k->modifiers() & Qt::KeypadModifier;
    switch (k->key()) {
      case Qt::Key_PageUp: code = 33; break;
      case Qt::Key_PageDown: code = 34; break;
      case Qt::Key_End: code = 35; break;
      case Qt::Key_Home: code = 36; break;
      case Qt::Key_Left: code = 37; break;
      case Qt::Key_Up: code = 38; break;
      case Qt::Key_Right: code = 39; break;
      case Qt::Key_Down: code = 40; break;
      case Qt::Key_Backspace: code = 8; break;
      case Qt::Key_Delete: code = 46; break;
      case Qt::Key_Period: code = keypad ? 110 : 190; break;
      default:
        if (k->key() >= Qt::Key_0 && k->key() <= Qt::Key_9) code = (keypad ? 96 : 48) + (k->key() - Qt::Key_0);
    }
    if (code != 0) Grid_KeyDown(code);
    return code < 33 || code > 40 ? code != 0 : false;  // navigation stays the grid's
  }
  return QWidget::eventFilter(o, e);
}

void PickWindow::Form_Load() {
  ++quiet_;
  Text1->setText(Q(main_.st.Fichier_Sortie));
  --quiet_;
  new_text_ = false;
  Affiche();
}

void PickWindow::New_Input() {
  ++quiet_;
  Text1->setText(Q(main_.st.Fichier_Sortie));
  --quiet_;
  Affiche();
}

void PickWindow::Affiche_Grid() {
  VelscanState& st = main_.st;
  const auto& rows = st.Picks.rows();
  Grid->SetRows(static_cast<int>(std::max<size_t>(100, rows.size())) + 1);
  for (int r = 1; r < Grid->Rows(); ++r) {
    const size_t i = static_cast<size_t>(r - 1);
    // Without a scanned file there are no picks to show.
    const Pick p = i < rows.size() && st.dt != 0 ? rows[i] : Pick{};
    Grid->SetTextMatrix(r, 1, QString::number(p.cdp));
    Grid->SetTextMatrix(r, 2, QString::number(p.time_ms));
    Grid->SetTextMatrix(r, 3, QString::number(p.velocity));
  }
}

std::string PickWindow::line_of_picks() {
  VelscanState& st = main_.st;
  BatchLineInput in;
  in.tools_folder = st.Repertoire_SU;
  in.input = st.Nom_Fichier;
  in.output = st.Fichier_Sortie;
  in.smute = CDbl(main_.Text11->text().toStdString()).value_or(0);
  in.picks = st.Picks.rows();
  return BuildBatchLine(in);
}

bool PickWindow::line_edited() const { return RichTextBox1->toPlainText().toStdString() != built_line_; }

void PickWindow::show_line(const std::string& line) {
  if (line_edited()) {
    if (line == built_line_) return;  // nothing new: the user's line stays
    const std::string ask = "The command line has been changed by hand: replace it with the line of the picks ? ";
    if (!main_.sv.msg.yes(ask, MsgIcon::Question, kTitle)) {
      built_line_ = line;  // asked once for this line
      return;
    }
  }
  RichTextBox1->setPlainText(Q(line));
  built_line_ = line;
}

void PickWindow::Affiche() {
  VelscanState& st = main_.st;
  Grid->SetTextMatrix(0, 1, "CDP");
  Grid->SetTextMatrix(0, 2, "Time");
  Grid->SetTextMatrix(0, 3, "velocity");
  st.Picks.Sort();
  Affiche_Grid();
  for (int r = 1; r < Grid->Rows(); ++r) Grid->SetTextMatrix(r, 0, QString::number(r));
  st.Fichier_Sortie = Text1->text().toStdString();
  show_line(line_of_picks());
}

void PickWindow::output_changed() {
  if (!line_edited()) {
    Affiche();
    return;
  }
  // The user's changes stay; only the file the line writes follows the box.
  const std::string line = RichTextBox1->toPlainText().toStdString();
  RichTextBox1->setPlainText(Q(ReplaceLineOutput(line, main_.st.Fichier_Sortie)));
  built_line_ = line_of_picks();
}

void PickWindow::select_output() {
  VelscanState& st = main_.st;
  FileDialogSpec desc{"SU File selection", st.Repertoire, "SU File |*.SU|All files|*.*|", "*.SU", false};
  auto chosen = main_.sv.dialogs.save_file(desc);
  if (!chosen || chosen->empty()) return;  // a cancelled dialog changes nothing
  ++quiet_;
  Text1->setText(Q(*chosen));
  --quiet_;
  st.Fichier_Sortie = *chosen;
  output_changed();
}

void PickWindow::Text1_Change() {
  main_.st.Fichier_Sortie = Text1->text().toStdString();
  if (!quiet_) output_changed();  // the line names the output typed
}

void PickWindow::Grid_KeyDown(int KeyCode) {
  if (KeyCode >= 33 && KeyCode <= 40) {
    new_text_ = true;
    return;
  }
  if (Grid->Row() == 0 || Grid->Col() == 0) return;
  if (KeyCode > 57) KeyCode -= 48;
  if (KeyCode == 62 || KeyCode == 142) KeyCode = 46;
  Grid->SetCellBackColor(65535);
  if (auto* item = Grid->item(Grid->Row(), Grid->Col())) item->setForeground(QColor(255, 0, 0));
  if (KeyCode == 8 || KeyCode == 46 || (KeyCode >= 48 && KeyCode <= 57)) {
    QString text = new_text_ ? QString() : Grid->Text();
    new_text_ = false;
    if (KeyCode == 8)
      text.chop(1);
    else
      text += QChar(KeyCode);
    Grid->SetText(text);
  }
}

}  // namespace keld::velscan
