#include "korvan/window/segy_window.hpp"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <fstream>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/su_header.hpp"
#include "korvan/engine/segy_export.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {
constexpr const char* kTitle = Korvan::kTitle;
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The first trace header of an SU file, for the reel header.
std::optional<SuTraceHeader> FirstHeader(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  uint8_t b[240];
  if (!f.read(reinterpret_cast<char*>(b), sizeof b)) return std::nullopt;
  return DecodeSuHeader(b);
}
}  // namespace

SegyWindow::SegyWindow(Korvan& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("SEGY");
  setWindowTitle("SU to SEG-Y ");
  auto* v = new QVBoxLayout(this);
  Command1 = new QPushButton("Press here to select  the file to convert to SEG-Y", this);
  Command1->setObjectName("Command1");
  v->addWidget(Command1);

  Frame1 = new QGroupBox(this);
  Frame1->setObjectName("Frame1");
  auto* g = new QGridLayout(Frame1);
  auto label = [&](const char* name, const char* text) {
    auto* l = new QLabel(text, Frame1);
    l->setObjectName(name);
    return l;
  };
  Label1 = label("Label1", "Number of samples / trace");
  Label5 = label("Label5", "");
  Label2 = label("Label2", "Number of traces per shot");
  Label6 = label("Label6", "");
  Label4 = label("Label4", "");
  g->addWidget(Label1, 0, 0);
  g->addWidget(Label5, 0, 1);
  g->addWidget(Label2, 1, 0);
  g->addWidget(Label6, 1, 1);
  g->addWidget(Label4, 2, 0, 1, 2);
  v->addWidget(Frame1);

  Label3 = new QLabel("Write here file.sgy text:", this);
  Label3->setObjectName("Label3");
  v->addWidget(Label3);
  Text1 = new QPlainTextEdit(this);
  Text1->setObjectName("Text1");
  // 40 lines of 80 columns, as the text header is read.
  QFont mono("Monospace");
  mono.setStyleHint(QFont::TypeWriter);
  Text1->setFont(mono);
  Text1->setMinimumSize(QFontMetrics(mono).horizontalAdvance(QString(82, 'M')), 240);
  v->addWidget(Text1, 1);

  auto* buttons = new QHBoxLayout;
  Command2 = new QPushButton("Convert", this);
  Command2->setObjectName("Command2");
  Command6 = new QPushButton("?", this);
  Command6->setObjectName("Command6");
  buttons->addWidget(Command2);
  buttons->addStretch();
  buttons->addWidget(Command6);
  v->addLayout(buttons);

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Text1, &QPlainTextEdit::textChanged, this, [this] { Text1_Change(); });
  // While a conversion runs no other file is chosen and no second one starts;
  // a close stops it and waits for it.
  work_ = new WorkGuard(this, {Command1, Command2});
  Reset();
}

void SegyWindow::Reset() {
  Label5->clear();
  Label6->clear();
  Label4->clear();
  Text1->clear();
  Command2->setEnabled(false);
  source_.clear();
  output_.clear();
}

void SegyWindow::Open() {
  if (!isVisible()) {
    Reset();
    show();
  }
  raise();
  activateWindow();
}

void SegyWindow::Unload() { close(); }

void SegyWindow::closeEvent(QCloseEvent* e) {
  Reset();
  QWidget::closeEvent(e);
}

void SegyWindow::Pointers(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
    main_.setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
    main_.unsetCursor();
  }
}

void SegyWindow::Text1_Change() {
  const QString t = Text1->toPlainText();
  if (t.size() <= kTextMax) return;
  QSignalBlocker block(Text1);
  Text1->setPlainText(t.left(kTextMax));
  Text1->moveCursor(QTextCursor::End);
}

void SegyWindow::Command1_Click() {
  FileDialogSpec desc;
  desc.title = "SU file to convert selection";
  desc.filter = "Record |*.su|All files|*.*|";
  desc.name = "*.su";
  desc.must_exist = true;
  auto chosen = main_.sv.dialogs.open_file(desc);
  if (!chosen || chosen->empty()) return;  // nothing chosen: the window stays as it was
  auto c = ChooseSegySource(*chosen);
  if (!c) {
    main_.sv.msg.ok(c.error(), MsgIcon::Critical, kTitle);
    return;
  }
  source_ = *chosen;
  output_ = c->output;
  main_.st.Nb_Tracce = static_cast<int32_t>(c->traces);
  Label5->setText(QString::number(c->ns));
  Label6->setText(QString::number(c->traces));
  Label4->setText(Q(output_));
  Command2->setEnabled(true);
}

void SegyWindow::Command2_Click() {
  if (source_.empty()) return;
  auto run = work_->begin();
  if (!run) return;
  KorvanServices& sv = main_.sv;
  const std::string source = source_, output = output_;  // whatever happens to the boxes meanwhile
  const std::string text = Text1->toPlainText().toUtf8().toStdString();
  Pointers(true);
  auto end = [&](const std::string& box) {
    Pointers(false);
    if (!box.empty()) sv.msg.ok(box, MsgIcon::Critical, kTitle);
  };
  // The reel header first, kept as header.sgy beside the program's files.
  auto L = SegySourceLayout(source);
  auto first = FirstHeader(source);
  if (!L || !first) return end(L ? source + ": cannot read its first trace" : L.error());
  main_.st.Nb_Campioni = L->ns;
  const std::string header_sgy = sv.work_folder + "/header.sgy";
  if (!WriteFileAtomic(header_sgy, SegyReelHeader(text, *first, L->traces)) || !Existe_file(header_sgy))
    return end(header_sgy + " must be in KORVAN folder !");
  if (Existe_file(output) && !sv.msg.yes(SegyReplaceQuestion(output), MsgIcon::Question, kTitle)) return end("");
  if (run->stopped()) return end("");
  // The old file is replaced only by a complete new one; the window answers
  // while the traces are written.
  auto r = ConvertSuToSegy(source, output, text, "", [&] { return run->keep_going(sv.pump); });
  if (run->stopped()) return end("");  // closed meanwhile: nothing written, nobody to tell
  if (!r) return end(r.error());
  main_.st.Nb_Campioni = r->ns;
  main_.st.Nb_Tracce = static_cast<int32_t>(r->traces);
  Pointers(false);
  sv.msg.ok(SegyRecordedMessage(output, r->bytes), MsgIcon::Information, "");
  // Nobody asked for a close meanwhile (it would have stopped the run): the
  // run ends, and the window, which a close does not delete, closes now.
  run.reset();
  Unload();
}

void SegyWindow::Command6_Click() {
  main_.sv.msg.ok("SEISMIC UNIX to SEG-Y file conversion\r\n"
                  "With this module you can convert many field record  \r\n"
                  "to an unique SEG-Y file. Many options are possible \r\n",
                  MsgIcon::Information, kTitle);
}

}  // namespace keld::korvan
