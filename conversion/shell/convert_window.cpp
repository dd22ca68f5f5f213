#include "conversion/shell/convert_window.hpp"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/kgs.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/start_window.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

const ConvertTypeTexts kTypes[] = {
    {kKgsInt2Su, " Conversion KGS Integers to SU ", "KGS Integer File selection", "KGS File |*.EVD|All files|*.*|",
     "*.EVD", 3, "SU"},
    {kKgs2Su, " Conversion KGS-FPT to SU", "KGS File selection", "KGS File |*.SU|All files|*.*|", "*.DAT", 3, "SU"},
    {kSu2Kgs, " Conversion SU to KGS_FPT", "SU File selection", "SU File |*.SU|All files|*.*|", "*.SU", 2, "DAT"},
    {kSegd2Su, " Conversion SEG-D to SU ", "SEG-D File selection", "SEG-D File |*.SGD|All files|*.*|", "*.SGD", 3,
     "SU"},
    {kSegy2Su, " Conversion SEG-Y to SU", "SEG-Y File selection", "SEG-Y File |*.SGY|All files|*.*|", "*.SGY", 3,
     "SU"},
};
}  // namespace

const ConvertTypeTexts* FindConvertType(const std::string& type) {
  for (const auto& t : kTypes)
    if (type == t.type) return &t;
  return nullptr;
}

std::string ProposedOutput(const ConvertTypeTexts& t, const std::string& input) {
  const size_t cut = static_cast<size_t>(t.cut);
  return (input.size() >= cut ? input.substr(0, input.size() - cut) : std::string()) + t.suffix;
}

ConvertWindow::ConvertWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("Convert");
  setWindowTitle("Conversion");
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  auto* v = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  Command3 = named(new QPushButton("Input file", this), "Command3");
  Text1 = named(new QLineEdit(this), "Text1");
  Command4 = named(new QPushButton("Output file", this), "Command4");
  Text2 = named(new QLineEdit(this), "Text2");
  g->addWidget(Command3, 0, 0);
  g->addWidget(Text1, 0, 1);
  g->addWidget(Command4, 1, 0);
  g->addWidget(Text2, 1, 1);
  v->addLayout(g);
  Frame1 = named(new QGroupBox(this), "Frame1");
  auto* fv = new QHBoxLayout(Frame1);
  Option1 = named(new QRadioButton("Liitle Endian", Frame1), "Option1");
  Option1->setToolTip("Usual PC format");
  Option1->setChecked(true);
  Option2 = named(new QRadioButton("Big Endian", Frame1), "Option2");
  Option2->setToolTip("Mainframe type format");
  fv->addWidget(Option1);
  fv->addWidget(Option2);
  Frame1->setVisible(false);
  v->addWidget(Frame1);
  ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
  v->addWidget(ProgressBar1);
  auto* b = new QHBoxLayout;
  Command2 = named(new QPushButton("Convert", this), "Command2");
  Command1 = named(new QPushButton("Cancel", this), "Command1");
  b->addWidget(Command2);
  b->addStretch();
  b->addWidget(Command1);
  v->addLayout(b);

  Text1->installEventFilter(this);
  Text2->installEventFilter(this);
  connect(Command3, &QPushButton::clicked, this, [this] { Lecture(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Choix_out(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  // Cancel closes the window: during a run that stops the run first.
  connect(Command1, &QPushButton::clicked, this, [this] { close(); });
  work_ = new WorkGuard(this, {Command2, Command3, Command4, Text1, Text2, Frame1});
  Form_Load();
}

bool ConvertWindow::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::MouseButtonDblClick) {
    if (obj == Text1) {
      Lecture();
      return true;
    }
    if (obj == Text2) {
      Choix_out();
      return true;
    }
  }
  return QWidget::eventFilter(obj, ev);
}

void ConvertWindow::Form_Load() {
  if (const ConvertTypeTexts* t = FindConvertType(cx_.st.Conversion_Type)) setWindowTitle(t->caption);
  Frame1->setVisible(cx_.st.Conversion_Type == kSegy2Su);
  Text1->setText(Q(cx_.st.SU_File.empty() ? cx_.st.Input_File : cx_.st.SU_File));
}

void ConvertWindow::Lecture() {
  const ConvertTypeTexts* t = FindConvertType(cx_.st.Conversion_Type);
  if (!t) return;
  FileDialogSpec d;
  d.folder = cx_.st.Work_Dir;
  d.title = t->title;
  d.filter = t->filter;
  d.name = t->name;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  Text1->setText(Q(*picked));
  Text2->setText(Q(ProposedOutput(*t, *picked)));
}

void ConvertWindow::Choix_out() {
  FileDialogSpec d;
  d.folder = cx_.st.Work_Dir;
  d.title = "KGS Integer File selection";
  d.filter = "SU File |*.SU|All files|*.*|";
  d.name = "*.SU";
  auto picked = cx_.sv.dialogs.save_file(d);
  if (!picked || picked->empty()) return;
  Text2->setText(Q(*picked));
}

void ConvertWindow::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  // The guard keeps this window alive to the end of the handler.
  QPointer<QWidget> start = parentWidget();
  if (start) start->setCursor(Qt::WaitCursor);
  setCursor(Qt::WaitCursor);
  const std::string type = cx_.st.Conversion_Type;
  if (type == kSu2Kgs) Convert_SU_2_KGS(*run);
  if (type == kKgs2Su) Convert_KGS_2_SU(*run);
  if (type == kSegy2Su) Convert_SEGY_2_SU(*run);
  if (type == kKgsInt2Su) Convert_KGSI_2_SU(*run);
  if (type == kSegd2Su) Convert_SEGD_2_SU(*run);
  if (start) start->unsetCursor();
  unsetCursor();
}

bool ConvertWindow::Preamble() {
  MessageBoxes& msg = cx_.sv.msg;
  cx_.st.Input_File = Text1->text().toStdString();
  cx_.st.Output_File = Text2->text().toStdString();
  const std::string& in = cx_.st.Input_File;
  const std::string& out = cx_.st.Output_File;
  if (in.empty()) {
    msg.ok(kFileNameMissing, MsgIcon::None, "");
    return false;
  }
  if (!Existe_file(in)) {
    msg.ok("Input file " + in + " does not exist !", MsgIcon::None, "");
    return false;
  }
  if (FileLength(in).value_or(0) == 0) {
    msg.ok("Input file " + in + " is empty !", MsgIcon::None, "");
    return false;
  }
  // An empty output name, or one that leads to the input, would lose data.
  if (out.empty()) {
    msg.ok(kFileNameMissing, MsgIcon::None, "");
    return false;
  }
  if (out == in || SameFile(in, out)) {
    msg.ok(kSameInputOutput, MsgIcon::None, "");
    return false;
  }
  return true;
}

void ConvertWindow::Success(WorkRun& run) {
  // The box closes itself after 3 seconds (or at OK); then the window goes.
  cx_.sv.msg.show_timed("Conversion OK", kTitle, 3000);
  run.close_window_after();
}

void ConvertWindow::ConvertKgs(WorkRun& run, bool integer) {
  if (!Preamble()) return;
  auto answer = cx_.sv.msg.input(" Source depth below surface", "Enter Values not available in KGS header", "1");
  const double depth = RoundHalfEven(answer ? Val(*answer) : 0.0);
  if (depth < INT32_MIN || depth > INT32_MAX) {
    cx_.sv.msg.ok("Source depth " + *answer + " is too large", MsgIcon::Critical, kTitle);
    return;
  }
  ProgressBar1->setMinimum(1);
  Status s = ConvertKgsToSu(cx_.st.Input_File, cx_.st.Output_File, integer ? KgsKind::Integer : KgsKind::Floating,
                            static_cast<int32_t>(depth), [&](int64_t i, int64_t n) {
                              ProgressBar1->setMaximum(static_cast<int>(std::min<int64_t>(n, INT32_MAX)));
                              ProgressBar1->setValue(static_cast<int>(std::min<int64_t>(i, INT32_MAX)));
                              return run.keep_going(cx_.sv.pump);
                            });
  if (run.stopped()) return;
  if (!s) {
    cx_.sv.msg.ok(s.error, MsgIcon::Critical, kTitle);
    return;
  }
  Lit_ns_dt(cx_.st, cx_.st.Output_File);
  cx_.st.Nb_Traces = static_cast<int32_t>(ProgressBar1->maximum());
  Success(run);
}

void ConvertWindow::Convert_KGSI_2_SU(WorkRun& run) { ConvertKgs(run, true); }
void ConvertWindow::Convert_KGS_2_SU(WorkRun& run) { ConvertKgs(run, false); }

std::optional<int16_t> ConvertWindow::Ask16(const std::string& prompt, const std::string& title,
                                            const std::string& def) {
  auto answer = cx_.sv.msg.input(prompt, title, def);
  auto v = CInt(answer ? Val(*answer) : 0.0);
  if (!v) cx_.sv.msg.ok("File conversion error", MsgIcon::None, kTitle);
  return v;
}

void ConvertWindow::Convert_SU_2_KGS(WorkRun& run) {
  if (!Preamble()) return;
  ConversionState& st = cx_.st;
  int32_t traces = 0;
  Lit_ns_dt(st, st.Input_File);
  auto L = ReadSuLayout(st.Input_File);
  if (!L) {
    cx_.sv.msg.ok("File conversion error\r\n" + L.error(), MsgIcon::None, kTitle);
    return;
  }
  traces = static_cast<int32_t>(std::min<int64_t>(L->traces, INT32_MAX));
  st.Nb_Traces = traces;
  int16_t stacked = 0;
  Nb_Channel(st.Input_File, st.Ns, traces, st.Nb_Ch, stacked);
  const std::string title = "Enter Values not available in SU header";
  const std::string& nl = st.CrLf;
  KgsWriteParams p;
  p.channels = st.Nb_Ch;
  if (st.Nb_Ch == 0) {
    auto t = Ask16(" Data type: 0 = raw field; 1 = CDP gather" + nl + "2 = CDP stacked; 3 = trace number index" + nl +
                       "4 = Velocity Scan" + nl,
                   title, "2");
    if (!t) return;
    p.data_type = *t;
  }
  auto rk = Ask16("Trace-header word of record number for this data set:" + nl +
                      "8   = common recording charnel number   12 = common depth point" + nl +
                      "19 = common offset          86 = commun receiver station number" + nl +
                      "87 = common source station number   92 = common source sequence number" + nl,
                  title, "12");
  if (!rk) return;
  auto tk = Ask16("Trace-header word of trace number within each record" + nl +
                      "0   = input order of seismic data to be sorted " + nl,
                  title, "0");
  if (!tk) return;
  auto dir = Ask16(" Trace direction 1=ascending -1= descending", title, "1");
  if (!dir) return;
  p.record_key = *rk;
  p.trace_key = *tk;
  p.direction = *dir;
  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(std::max(1, traces));
  Status s = ConvertSuToKgs(st.Input_File, st.Output_File, p, [&](int64_t i, int64_t) {
    ProgressBar1->setValue(static_cast<int>(std::min<int64_t>(i, INT32_MAX)));
    return run.keep_going(cx_.sv.pump);
  });
  if (run.stopped()) return;
  if (!s) {
    cx_.sv.msg.ok("File conversion error\r\n" + s.error, MsgIcon::None, kTitle);
    return;
  }
  Success(run);
}

void ConvertWindow::RunBatch(WorkRun& run, const char* type) {
  if (!Preamble()) return;
  auto it = cx_.batch_conversions.find(type);
  if (it == cx_.batch_conversions.end()) {
    cx_.sv.msg.ok(NotAvailableText(windowTitle().trimmed().toStdString()), MsgIcon::Information, kTitle);
    return;
  }
  ConvertRequest req{cx_.st.Input_File, cx_.st.Output_File, Option1->isChecked(), this, &run};
  it->second(cx_, req);
}

void ConvertWindow::Convert_SEGD_2_SU(WorkRun& run) { RunBatch(run, kSegd2Su); }
void ConvertWindow::Convert_SEGY_2_SU(WorkRun& run) { RunBatch(run, kSegy2Su); }

}  // namespace keld::conversion
