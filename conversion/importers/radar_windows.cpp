#include "conversion/importers/radar_windows.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "conversion/importers/import_traces.hpp"
#include "conversion/importers/radar_header.hpp"
#include "conversion/importers/radar_run.hpp"
#include "conversion/shell/module1.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
template <class W>
W* Named(W* w, const char* name, const char* tip = nullptr) {
  w->setObjectName(name);
  if (tip) w->setToolTip(tip);
  return w;
}
QLineEdit* Box(QWidget* owner, QGridLayout* g, const char* name, const char* text, const char* label, int row,
               const char* tip = nullptr) {
  auto* e = Named(new QLineEdit(text, owner), name, tip);
  auto* l = new QLabel(label, owner);
  l->setBuddy(e);
  g->addWidget(l, row, 0);
  g->addWidget(e, row, 1);
  return e;
}
void SetNumber(QLineEdit* box, const std::optional<double>& v) {
  if (v) box->setText(Q(CStr(*v)));
}
const char* const kTimeZeroTip = "Enter here the number of samples to remove from each trace";
const char* const kOutputExists = "Output file name already exists, kill this file ?";

// Asks until the answer's number is not 0; nullopt when cancelled.
std::optional<double> AskNonZero(MessageBoxes& msg, const std::string& prompt) {
  while (true) {
    auto answer = msg.input(prompt, kTitle, "0");
    if (!answer) return std::nullopt;
    if (double v = Val(*answer); v != 0) return v;
  }
}

// The parameters every radar conversion reads from its boxes; nullopt (after
// a message) when one does not fit or a question was cancelled.
std::optional<RadarParams> ReadParams(MessageBoxes& msg, QLineEdit* interval, QLineEdit* t0, QLineEdit* traces,
                                      QLineEdit* ns, QLineEdit* spacing, bool ask_zero_interval) {
  RadarParams p;
  auto dt = RadarDt(Val(S(interval)));
  while (ask_zero_interval && dt && *dt == 0) {
    auto v = AskNonZero(msg, " Enter the sampling rate (nanoS)");
    if (!v) return std::nullopt;
    interval->setText(Q(CStr(*v)));
    dt = RadarDt(*v);
  }
  if (!dt) {
    msg.ok("The sample rate " + S(interval) + " ns is beyond the 32.767 ns the dt word can hold", MsgIcon::Critical,
           kTitle);
    return std::nullopt;
  }
  auto n = CInt(Val(S(ns)));
  while (n && *n == 0) {
    auto v = AskNonZero(msg, " Enter the number of sample per trace");
    if (!v) return std::nullopt;
    ns->setText(Q(CStr(*v)));
    n = CInt(*v);
  }
  auto zero = CInt(Val(S(t0)));
  auto count = CInt(Val(S(traces)));
  if (!n || !zero || !count) {
    msg.ok("Verify your parameters...", MsgIcon::Critical, kTitle);
    return std::nullopt;
  }
  p.interval_ns = Val(S(interval));
  p.ns = *n;
  p.t0 = *zero;
  p.traces = *count;
  p.spacing = Val(S(spacing));
  return p;
}

// Converts `in` into `out` in steps inside `run`, the bar counting traces:
// the plan when the whole output was written; else nullopt, with the failure
// said (a stopped run was closed or Quit: nobody is left to tell).
std::optional<RadarPlan> Convert(ConversionContext& cx, WorkRun& run, QWidget* window, QProgressBar* bar,
                                 const std::string& in, const std::string& out, int traces,
                                 const RadarPlanner& plan) {
  bar->setMinimum(1);
  bar->setMaximum(std::max(1, traces));
  RecordRun job;
  job.output = out;
  job.on_trace = [bar](int64_t t) { bar->setValue(static_cast<int>(std::min<int64_t>(t, bar->maximum()))); };
  // The window answers between traces; a close or Quit stops the run, which
  // then leaves the old output as it was (see WorkGuard).
  job.go_on = [&] { return run.keep_going(cx.sv.pump); };
  window->setCursor(Qt::WaitCursor);
  RadarOutcome r = ConvertRadar(in, std::move(job), plan);
  window->unsetCursor();
  if (r.run.stopped) return std::nullopt;
  if (!r.run.ok()) {
    cx.sv.msg.ok(r.run.error->what, MsgIcon::Critical, kTitle);
    return std::nullopt;
  }
  cx.st.Ns = r.plan->p.ns - r.plan->p.t0;
  cx.st.Dt = static_cast<int16_t>(r.plan->dt);
  return r.plan;
}

// The closing box of a written conversion: `ok_text` when every trace asked
// for was converted; else, and without OK, first which traces were left out.
void Closing(MessageBoxes& msg, const RadarPlan& r, const std::string& out, const std::string& ok_text) {
  if (r.shortfall.empty()) return msg.ok(ok_text + NotesText(r.notes), MsgIcon::None, "");
  msg.ok(r.shortfall + "\r\n" + out + " holds the " + std::to_string(r.count) + " traces converted" +
             NotesText(r.notes),
         MsgIcon::Exclamation, kTitle);
}

}  // namespace

// ---------------------------------------------------------------- RAMAC

RadarFWindow::RadarFWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("Radar_F");
  setWindowTitle("RAMAC  file conversion");
  auto* g = new QGridLayout(this);
  Command3 = Named(new QPushButton("Input RAMAC file", this), "Command3");
  Text1 = Named(new QLineEdit("XXX", this), "Text1", "Click here and select the first channel of your record");
  g->addWidget(Command3, 0, 0);
  g->addWidget(Text1, 0, 1);
  Text5 = Box(this, g, "Text5", "*.SU", "Output SU file name", 1);
  Text2 = Box(this, g, "Text2", " ", "Number of channel", 2);
  Text4 = Box(this, g, "Text4", " 4", "Sample rate (NanoS)", 3);
  Text6 = Box(this, g, "Text6", " 480", "Samples per trace", 4);
  Text7 = Box(this, g, "Text7", " 1920", "Recording time (ns)", 5);
  Text3 = Box(this, g, "Text3", ".20", "Trace spacing", 6);
  Text8 = Box(this, g, "Text8", "0", "Time zero at point", 7, kTimeZeroTip);
  RichTextBox1 = Named(new QTextEdit(this), "RichTextBox1");
  RichTextBox1->setReadOnly(true);
  g->addWidget(RichTextBox1, 0, 2, 8, 1);
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  g->addWidget(ProgressBar1, 8, 0, 1, 3);
  Command1 = Named(new QPushButton("Convert", this), "Command1");
  g->addWidget(Command1, 9, 0);
  Text1->setMinimumWidth(320);
  Text1->installEventFilter(this);
  connect(Command3, &QPushButton::clicked, this, [this] { Lit_RAMAC(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Text1, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (auto out = SuNameBesideInput(t.toStdString())) Text5->setText(Q(*out));
  });
  work_ = new WorkGuard(this, {Command3, Command1, Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8});
}

bool RadarFWindow::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == Text1 && ev->type() == QEvent::MouseButtonDblClick) {
    Lit_RAMAC();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

void RadarFWindow::Lit_RAMAC() {
  FileDialogSpec d;
  d.title = "File selection";
  d.filter = "Radar files|*.rd3|All files|*.*|";
  d.name = "*.rd3";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;  // one existing file, whatever the last window asked
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  Text1->setText(Q(*picked));
  cx_.st.Input_File = *picked;
  Chemin_file(cx_.st, *picked);
  Text6->setText("512");
  Text2->setText(Q(CStr(static_cast<double>(FileLength(*picked).value_or(0) / 1024))));
  auto rad = CompanionHeader(*picked, "rad");
  if (!rad) {
    RichTextBox1->setPlainText(Q(" No RAD file available for " + *picked + cx_.st.CrLf));
    return;
  }
  auto bytes = ReadWholeFile(*rad);
  const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : bytes.error();
  RichTextBox1->setPlainText(Q(text));
  RamacHeader h = ReadRadHeader(text);
  SetNumber(Text6, h.samples);
  SetNumber(Text2, h.traces);
  SetNumber(Text7, h.window_ns);
  SetNumber(Text4, h.interval_ns);
  SetNumber(Text3, h.spacing);
}

void RadarFWindow::Command1_Click() {
  auto run = work_->begin();  // refused while one runs; a close or Quit stops it
  if (!run) return;
  MessageBoxes& msg = cx_.sv.msg;
  cx_.st.Input_File = S(Text1);
  cx_.st.Output_File = S(Text5);
  const std::string in = cx_.st.Input_File, out = cx_.st.Output_File;
  if (Existe_file(out) && msg.show(kOutputExists, MsgIcon::Question, MsgButtons::YesNo, kTitle) != MsgAnswer::Yes)
    return;  // No keeps the old file and writes nothing
  auto p = ReadParams(msg, Text4, Text8, Text2, Text6, Text3, true);
  if (!p) return;
  const DateWords stamp = FileDateWords(in).value_or(DateWords{});
  auto plan = Convert(cx_, *run, this, ProgressBar1, in, out, p->traces,
                      [&](int64_t bytes) { return PlanRamac(*p, bytes, stamp); });
  if (!plan) return;
  Closing(msg, *plan, out, "OK Conversion done " + out + "  " + Str(static_cast<double>(FileLength(out).value_or(0))));
}

// ---------------------------------------------------------------- DT1

Dt1Window::Dt1Window(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("DT1");
  setWindowTitle("Radar EKKO DT1 to SU");
  auto* g = new QGridLayout(this);
  Command1 = Named(new QPushButton("Input file", this), "Command1");
  Text1 = Named(new QLineEdit(" ", this), "Text1");
  Command2 = Named(new QPushButton("Output file", this), "Command2");
  Text2 = Named(new QLineEdit(" ", this), "Text2");
  g->addWidget(Command1, 0, 0);
  g->addWidget(Text1, 0, 1);
  g->addWidget(Command2, 1, 0);
  g->addWidget(Text2, 1, 1);
  Text8 = Box(this, g, "Text8", " ", "Number of channel", 2);
  Text5 = Box(this, g, "Text5", " 4", "Sampling rate (nS)", 3);
  Text6 = Box(this, g, "Text6", " 480", "Samples per trace", 4);
  Text7 = Box(this, g, "Text7", " 1920", "Recording time (nS)", 5);
  Text4 = Box(this, g, "Text4", ".20", "Trace spacing", 6);
  Text3 = Box(this, g, "Text3", "0", "Time zero at point", 7, kTimeZeroTip);
  RichTextBox1 = Named(new QTextEdit(this), "RichTextBox1");
  RichTextBox1->setReadOnly(true);
  g->addWidget(RichTextBox1, 0, 2, 8, 1);
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  ProgressBar1->setVisible(false);
  g->addWidget(ProgressBar1, 8, 0, 1, 3);
  Command3 = Named(new QPushButton("Convert", this), "Command3");
  Command5 = Named(new QPushButton("Info", this), "Command5");
  g->addWidget(Command3, 9, 0);
  g->addWidget(Command5, 9, 1);
  Text1->setMinimumWidth(320);
  Text1->installEventFilter(this);
  Text2->installEventFilter(this);
  connect(Command1, &QPushButton::clicked, this, [this] { Choix_IP(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Choix_OP(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  // Info stays live during a conversion.
  work_ = new WorkGuard(this, {Command1, Command2, Command3, Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8});
}

bool Dt1Window::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::MouseButtonDblClick && (obj == Text1 || obj == Text2)) {
    obj == Text1 ? Choix_IP() : Choix_OP();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

void Dt1Window::Choix_IP() {
  FileDialogSpec d;
  d.title = "DT1 file selection";
  d.filter = "Record |*.DT1|All files|*.*|";
  d.name = "*.dt1";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;
  cx_.st.Input_File = *picked;
  Text1->setText(Q(*picked));
  if (auto out = SuNameBesideInput(*picked)) {
    Text2->setText(Q(*out));
    cx_.st.Output_File = *out;
  }
  auto hd = CompanionHeader(*picked, "HD");
  if (!hd) {
    RichTextBox1->setPlainText(Q(" No RAD file available for " + *picked + cx_.st.CrLf));
    return;
  }
  auto bytes = ReadWholeFile(*hd);
  const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : bytes.error();
  RichTextBox1->setPlainText(Q(text));
  Dt1Header h = ReadHdHeader(text);
  SetNumber(Text6, h.samples);
  SetNumber(Text3, h.time_zero);
  SetNumber(Text8, h.traces);
  SetNumber(Text7, h.window_ns);
  SetNumber(Text5, h.interval_ns);
  SetNumber(Text4, h.spacing);
}

void Dt1Window::Choix_OP() {
  FileDialogSpec d;
  d.title = "SU file selection";
  d.filter = "SU file |*.SU|All files|*.*|";
  d.name = "*.SU";
  d.folder = cx_.st.Work_Dir;
  auto picked = cx_.sv.dialogs.save_file(d);
  if (!picked || picked->empty()) return;
  Text2->setText(Q(*picked));
  cx_.st.Output_File = *picked;
}

void Dt1Window::Command5_Click() {
  cx_.sv.msg.ok(
      "DT1 to SU Translation\r\n"
      " This module can convert DT1 radar file to SU format using DT1TOSU.EXE\r\n"
      " You must only select DT1 file and the output file name\r\n"
      " Number of sample per trace is necessary ! \r\n"
      "  \r\n",
      MsgIcon::Information, kTitle);
}

void Dt1Window::Command3_Click() {
  auto run = work_->begin();  // refused while one runs; a close or Quit stops it
  if (!run) return;
  MessageBoxes& msg = cx_.sv.msg;
  cx_.st.Output_File = S(Text2);
  const std::string out = cx_.st.Output_File;
  if (out.find_first_not_of(' ') == std::string::npos) return;
  if (Existe_file(out) && msg.show(kOutputExists, MsgIcon::Question, MsgButtons::YesNo, kTitle) != MsgAnswer::Yes)
    return;
  auto p = ReadParams(msg, Text5, Text3, Text8, Text6, Text4, false);
  if (!p) return;
  cx_.st.Input_File = S(Text1);
  const std::string in = cx_.st.Input_File;
  ProgressBar1->setVisible(true);
  auto plan = Convert(cx_, *run, this, ProgressBar1, in, out, p->traces,
                      [&](int64_t bytes) { return PlanDt1(*p, bytes); });
  ProgressBar1->setVisible(false);
  if (!plan) return;
  cx_.st.Nb_Ch = static_cast<int16_t>(p->traces);
  Closing(msg, *plan, out, "OK, Conversion done");
}

// ---------------------------------------------------------------- GSSI

Dzt2Window::Dzt2Window(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("DZT2");
  setWindowTitle("GSSI DZT file conversion");
  auto* v = new QVBoxLayout(this);
  Picture1 = Named(new QLabel(this), "Picture1", "Use the same values for DZT to ASCII conversion");
  Picture1->setWordWrap(true);
  Picture1->setText(
      "Step 1 starts rtoaw, the suite's DZT to ASCII converter. Choose the DZT file and the text file, "
      "then CONVERT: the text holds one line per sample and one column per trace (scan), the columns "
      "separated by commas, the values signed around the middle of the file's range. A file of several "
      "channels gives one text file per channel (_ch1, _ch2, ...). rtoaw shows the samples per trace "
      "and the sample interval in nanoseconds: note them for step 2, and tick \"Radar file\" there.");
  v->addWidget(Picture1);
  Command3 = Named(new QPushButton(this), "Command3");
  Command3->setText(
      "Step 1: You must convert the DZT file to ASCII format using the GSSI conversion module using the above "
      "parameters, Remember the number of samples per scan (trace) !");
  Command3->setMinimumHeight(48);
  Command1 = Named(new QPushButton("Step 2: Convert ASCII data to SEISMIC UNIX format", this), "Command1");
  v->addWidget(Command3);
  v->addWidget(Command1);
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Dzt2Window::Command3_Click() {
  StartRequest req;
  req.program = cx_.sv.program_folder + "/rtoaw";
  req.style = WindowStyle::Normal;
  if (!Existe_file(req.program) || !cx_.sv.proc.start(req))
    cx_.sv.msg.ok("rtoaw.exe must be in the same folder as CONVERSION.EXE", MsgIcon::None, "");
}

void Dzt2Window::Command1_Click() {
  if (cx_.show) cx_.show("Option23");
}

}  // namespace keld::conversion
