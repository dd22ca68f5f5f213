#include "keysheet/window/grille.hpp"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include "common/header_io.hpp"
#include "common/header_words.hpp"
#include "common/numtext.hpp"
#include "keysheet/core/range_rules.hpp"
#include "keysheet/core/su_summary.hpp"
#include "keysheet/window/excelf.hpp"
#include "platform/messages.hpp"
#include "platform/qt/grid.hpp"

namespace keld::keysheet {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The hourglass for as long as the object lives, whatever way the work ends.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};
}  // namespace

Grille::Grille(Excelf& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("grille");
  setWindowTitle("Visual_KELD 3 Header Editor");
  setAttribute(Qt::WA_DeleteOnClose, false);
  auto* v = new QVBoxLayout(this);
  Text1 = new QLineEdit("Record", this);
  Text1->setObjectName("Text1");
  Text1->setToolTip("Record number");
  Text1->setReadOnly(true);
  Text2 = new QLineEdit(" 1 to 120", this);
  Text2->setObjectName("Text2");
  Text2->setToolTip("To display ither traces, type new values in main module.");
  Text2->setReadOnly(true);
  Label1 = new QLabel("Label1", this);
  Label1->setObjectName("Label1");
  FlexArray = new Grid(this);
  FlexArray->setObjectName("FlexArray");
  FlexArray->setToolTip("You can enter a new value, double click to recird");
  v->addWidget(Text1);
  v->addWidget(Text2);
  v->addWidget(Label1);
  v->addWidget(FlexArray, 1);
  resize(900, 640);
  Text1->installEventFilter(this);
  connect(FlexArray, &Grid::keyDown, this, [this](int& k, int s) { FlexArray_KeyDown(k, s); });
  connect(FlexArray, &Grid::DblClick, this, [this] { FlexArray_DblClick(); });
  // A click or an arrow key onto a cell: typing replaces its value.
  connect(FlexArray, &QTableWidget::currentCellChanged, this, [this] { CellChosen(typing); });
}

bool Grille::Form_Load() {
  // The main window no longer stays above the others once the grid is there.
  const bool was_visible = main_.isVisible();
  main_.setWindowFlag(Qt::WindowStaysOnTopHint, false);
  if (was_visible) main_.show();
  BusyCursor busy;
  typing = {};
  Nb_traces_grille = GridColumns(main_.st.Nb_traces);
  Label1->setText(main_.Text1->text());
  Layout_grille();
  if (!lecture_data()) return false;
  Affiche_grille();
  FlexArray->viewport()->setCursor(Qt::IBeamCursor);
  return true;
}

void Grille::Layout_grille() {
  Grid& g = *FlexArray;
  g.SetRedraw(false);
  Text2->setText("1 to " + Q(Str(static_cast<double>(Nb_traces_grille))));
  g.clearContents();
  g.SetCols(static_cast<int>(Nb_traces_grille) + 2);
  g.SetRows(kHeaderWordCount + 1);
  g.SetFixedCols(2);
  g.SetFixedRows(1);
  g.SetTextMatrix(0, 1, "Trace Nb");
  for (int i = 1; i <= Nb_traces_grille; ++i) g.SetTextMatrix(0, i + 1, Q(Str(i)));
  g.SetColWidthTwips(0, 700);
  g.SetColWidthTwips(1, 700);
  for (int c = 2; c < g.Cols(); ++c) g.SetColWidthTwips(c, 500);
  for (const HeaderWord& w : HeaderWords()) {
    g.SetTextMatrix(w.number, 0, Q(Str(w.number)));
    g.SetTextMatrix(w.number, 1, w.title);
  }
  g.SetRedraw(true);
}

bool Grille::lecture_data() {
  const std::string path = main_.Text1->text().toStdString();
  Table_entete.clear();
  // Until the range is read, the window has no file to write into.
  Fichier_SU.clear();
  ns_grille = 0;
  if (path.empty() || path == " ") {
    main_.sv.messages.ok("No file selected ", MsgIcon::None, kKeysheetTitle);
    return false;
  }
  // The layout comes from the file itself, not from what the main window
  // last read, so the words are found where this file keeps them.
  auto sum = ReadSuSummary(path);
  if (!sum) {
    main_.sv.messages.ok(sum.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return false;
  }
  if (GridColumns(sum->traces) != Nb_traces_grille) {
    Nb_traces_grille = GridColumns(sum->traces);
    Layout_grille();
  }
  Premiere_trace = GridRange(Val(main_.Text2->text().toStdString()), sum->traces).first;
  Derniere_trace = std::min<int64_t>(Premiere_trace + Nb_traces_grille - 1, sum->traces);
  auto table = ReadWordRange(path, sum->ns, Premiere_trace, Nb_traces_grille);
  if (!table) {
    main_.sv.messages.ok(table.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return false;
  }
  Table_entete = std::move(*table);
  Fichier_SU = path;
  ns_grille = sum->ns;
  return true;
}

void Grille::Affiche_grille() {
  BusyCursor busy;
  Grid& g = *FlexArray;
  g.SetRedraw(false);
  QProgressBar* bar = main_.ProgressBar1;
  bar->show();
  bar->setRange(1, static_cast<int>(Nb_traces_grille) + 1);
  for (int i = 1; i <= Nb_traces_grille; ++i) {
    bar->setValue(i);
    const int64_t trace = Premiere_trace + i - 1;
    g.SetTextMatrix(0, i + 1, Q(Str(static_cast<double>(trace))));
    const auto idx = static_cast<size_t>(i - 1);
    const std::optional<WordValues>* values = idx < Table_entete.size() ? &Table_entete[idx] : nullptr;
    for (const HeaderWord& w : HeaderWords()) {
      g.SetBackAt(w.number, i + 1, kWhite);
      g.SetForeAt(w.number, i + 1, kBlack);
      QString text;
      if (values && values->has_value()) text = Q(WordText(w.number, (**values)[static_cast<size_t>(w.number - 1)]));
      g.SetTextMatrix(w.number, i + 1, text);
    }
  }
  bar->hide();
  // Every value shows whole, however many digits it has.
  for (int c = 0; c < g.Cols(); ++c) g.WidenToFit(c);
  g.SetRedraw(true);
}

bool Grille::Recharge() {
  typing = {};
  Nb_traces_grille = GridColumns(main_.st.Nb_traces);
  Label1->setText(main_.Text1->text());
  Layout_grille();
  if (!lecture_data()) {
    close();  // no values of a refused file stay on screen to be typed over
    return false;
  }
  Affiche_grille();
  return true;
}

void Grille::lit_fichier() {
  // The main window takes the file and, the grid being open, shows it here.
  if (!main_.lit_fichier()) return;  // cancelled or refused: nothing changes
  Text1->setText(main_.Text1->text());
  if (!isVisible()) Recharge();
}

Status Grille::Enregistre_dans_Header(int64_t trace_header, int word_header_Nb, int32_t stored) {
  const HeaderWord* w = FindHeaderWord(word_header_Nb);
  if (!w) return Status::failure("There is no header word " + std::to_string(word_header_Nb) + ".");
  if (Fichier_SU.empty() || ns_grille <= 0) return Status::failure("No file selected ");
  InPlaceFile f;
  if (Status s = f.open(Fichier_SU, true); !s) return s;
  return WriteSuWord(f, ns_grille, trace_header, *w, stored);
}

void Grille::FlexArray_DblClick() {
  Grid& g = *FlexArray;
  const int row = g.Row(), col = g.Col();
  if (row < 1 || row > kHeaderWordCount || col < 2) return;
  // Whether written or refused, the value is then edited in place.
  EditInPlace(typing);
  const std::string text = g.Text().toStdString();
  const std::string trace_text = g.TextMatrix(0, col).toStdString();
  auto& boxes = main_.sv.messages;
  if (!IsNumeric(trace_text)) return;
  const int64_t trace = static_cast<int64_t>(Val(trace_text));
  auto stored = StoredValueOf(row, text, ns_grille);
  if (!stored) {
    boxes.ok(stored.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (Status s = Enregistre_dans_Header(trace, row, *stored); !s) {
    boxes.ok(s.error, MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  g.SetRow(row);
  g.SetCol(col);
  g.SetCellBackColor(kLightGrey);
  g.SetCellForeColor(kBlack);
  g.SetText(Q(WordText(row, *stored)));
  g.WidenToFit(col);
}

void Grille::FlexArray_KeyDown(int& key_code, int shift) {
  (void)shift;
  if (key_code == 112) return;  // F1 is the window's: the help page
  Grid& g = *FlexArray;
  std::string text = g.Text().toStdString();
  const KeyOutcome o = ApplyGridKey(key_code, g.Row(), g.Col(), text, typing);
  if (o == KeyOutcome::Navigation || o == KeyOutcome::Ignored) return;
  g.SetCellBackColor(kYellow);
  g.SetCellForeColor(kRed);
  if (o == KeyOutcome::Edited) {
    g.SetText(Q(text));
    g.WidenToFit(g.Col());
  }
  g.SetBackColorSel(kWhite);
  g.SetForeColorSel(kBlack);
  key_code = 0;  // the key has done its work on the cell
}

bool Grille::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == Text1 && ev->type() == QEvent::MouseButtonDblClick) {
    lit_fichier();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

void Grille::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1) {
    main_.Aide();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace keld::keysheet
