#include "conversion/shell/segy_window.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cmath>
#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "common/su_join.hpp"
#include "conversion/shell/batch_output_window.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/rtf_text.hpp"
#include "conversion/shell/segy_batch.hpp"
#include "conversion/shell/segy_input.hpp"
#include "conversion/shell/trial_display.hpp"
#include "conversion/shell/whole_check.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/work_guard.hpp"
#include "platform/temporaries.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
std::string Trim(std::string s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

constexpr const char* kProblem = " Conversion problem...verify parameters";
constexpr const char* kTestProblem = " Conversion problem... modify ENDIAN, OVER or CONV parameters and re run";

// The files the window makes in its folder: registered for as long as the
// folder lives, so a killed program leaves none of them (the folder itself
// stays, empty). The per-file tempo.su is a conversion run's own temporary.
constexpr const char* kScratchFiles[] = {"tmp.su", "tmp.bat", "conv_test.su", "convert.bat", "add.bat"};

}  // namespace

SegyWindow::SegyWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("SEGY");
  setWindowTitle("SEG-Y to SU");
  auto named = [](auto* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(name);
    if (tip) w->setToolTip(tip);
    return w;
  };
  auto* v = new QVBoxLayout(this);
  SSTab1 = named(new QTabWidget(this), "SSTab1");
  v->addWidget(SSTab1);

  auto* params = new QWidget(SSTab1);
  auto* pv = new QVBoxLayout(params);
  Command1 = named(new QPushButton("Press here to select all SEG-Y record to convert to SU", params), "Command1",
                   "Sample rate, trace number and sample/trace must be constant");
  pv->addWidget(Command1);
  List1 = named(new QListWidget(params), "List1");
  pv->addWidget(List1, 1);
  auto* g = new QGridLayout;
  int row = 0, col = 0;
  auto box = [&](const char* name, const char* text, const char* label, const char* tip) {
    auto* e = named(new QLineEdit(text, params), name, tip);
    auto* l = new QLabel(label, params);
    l->setBuddy(e);
    g->addWidget(l, row, col);
    g->addWidget(e, row, col + 1);
    if ((col += 2) == 6) col = 0, ++row;
    return e;
  };
  Text11 = box("Text11", "1", "Records Nb", nullptr);
  Text4 = box("Text4", "1024", "Sample", "number of sample per trace");
  Text12 = box("Text12", "100", "Sample rate", nullptr);
  Text5 = box("Text5", "24", "Channels", nullptr);
  Text1 = box("Text1", "1", "Convert from trace", nullptr);
  Text3 = box("Text3", "9999", "To trace", nullptr);
  Text6 = box("Text6", "1", "Conv=", "1=convert to native format");
  Text7 = box("Text7", "0", "Over=", "quit if bhed format is not equal 1 2 or 3");
  Text8 = box("Text8", "1", "Endian=", "0= for little-endian machine PC");
  Text9 = box("Text9", "1", "Display process", "0=no display 1= display SU batch");
  pv->addLayout(g);
  Check1 = named(new QCheckBox("Delete  single SU file", params), "Check1", "if checked, unitary SU files are deleted");
  pv->addWidget(Check1);
  auto* out = new QHBoxLayout;
  Command4 = named(new QPushButton("Output SU file", params), "Command4");
  Text2 = named(new QLineEdit(" ", params), "Text2");
  out->addWidget(Command4);
  out->addWidget(Text2, 1);
  pv->addLayout(out);
  auto* run = new QHBoxLayout;
  Command5 = named(new QPushButton("Test", params), "Command5", "Press here to check conversion parameters");
  Command2 = named(new QPushButton("Convert", params), "Command2");
  Command2->setEnabled(false);  // a test run comes first
  Command6 = named(new QPushButton("Cancel", params), "Command6", "Stops the conversion that runs");
  run->addWidget(Command5);
  run->addWidget(Command2);
  run->addWidget(Command6);
  pv->addLayout(run);
  Text10 = named(new QLabel("  ", params), "Text10");
  pv->addWidget(Text10);
  ProgressBar1 = named(new QProgressBar(params), "ProgressBar1");
  pv->addWidget(ProgressBar1);
  SSTab1->addTab(params, "Parameters");

  auto* display = new QWidget(SSTab1);
  auto* dv = new QVBoxLayout(display);
  Label12 = named(new QLabel("Check here the conversion result, if necessary change the parameters CONV, OVER, ENDIAN "
                             "and re-run TEST, when OK press CONVERT",
                             display),
                  "Label12");
  Label12->setWordWrap(true);
  dv->addWidget(Label12);
  ecran = named(new PictureBox(display), "ecran");
  ecran->setMinimumSize(480, 300);
  dv->addWidget(ecran, 1);
  auto* amp = new QHBoxLayout;
  Text13 = named(new QLineEdit("2", display), "Text13", "You can change here amplitude scale factor");
  amp->addWidget(new QLabel("Amplitude", display));
  amp->addWidget(Text13);
  amp->addStretch();
  dv->addLayout(amp);
  SSTab1->addTab(display, "Display");

  RichTextBox1 = named(new QTextEdit(SSTab1), "RichTextBox1");
  RichTextBox1->setReadOnly(true);
  SSTab1->addTab(RichTextBox1, "SEG-Y info");

  connect(Command1, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Text13, &QLineEdit::textChanged, this, [this] { Text13_Change(); });
  connect(ecran, &PictureBox::mouseMove, this, [this](int, int, double x, double y) { ecran_MouseMove(x, y); });
  // Selection, output name, Test and Convert wait while a batch runs; Cancel
  // (and a close of the window) stops it.
  work_ = new WorkGuard(this, {Command1, Command2, Command4, Command5, Check1, List1, Text2});
  work_->stop_button(Command6);
  Form_Load();
}

SegyWindow::~SegyWindow() { Form_Unload(); }

void SegyWindow::Form_Load() {
  auto rtf = ReadWholeFile((fs::path(cx_.sv.program_folder) / "seg.rtf").string());
  if (rtf) RichTextBox1->setPlainText(Q(RtfPlainText(std::string(rtf->begin(), rtf->end()))));
}

std::string SegyWindow::Scratch() {
  std::error_code ec;
  if (std::string f = ScratchFolder(); !f.empty() && fs::is_directory(f, ec)) return f;
  // A folder of this window's own in the work folder: korvan keeps its
  // unsaved shot there as tmp.su, and other programs their own files.
  // Absolute, as every batch line names its files.
  scratch_.emplace(BatchPath((fs::path(cx_.sv.work_folder) / "conversion-segy-XXXXXX").string()));
  const std::string f = scratch_->path();
  if (!f.empty())
    for (const char* name : kScratchFiles) RegisterTemporary((fs::path(f) / name).string());
  return f;
}

std::string SegyWindow::TestFile() const {
  return ScratchFolder().empty() ? std::string() : (fs::path(ScratchFolder()) / "conv_test.su").string();
}

void SegyWindow::Form_Unload() {
  // Only the window's own folder goes: the trial, test and per-file files.
  const std::string folder = ScratchFolder();
  scratch_.reset();
  if (!folder.empty())
    for (const char* f : kScratchFiles) ForgetTemporary((fs::path(folder) / f).string());
}

void SegyWindow::closeEvent(QCloseEvent* e) {
  // Never during a run: the guard holds the close until the run has ended.
  Form_Unload();
  e->accept();
}

bool SegyWindow::Problem(const std::string& what, const BatchOutcome* r) {
  std::string text = what;
  if (r && !r->ok()) text += "\n" + r->reason();
  cx_.sv.msg.ok(text, MsgIcon::Critical, kTitle);
  return false;
}

void SegyWindow::Select_i() {
  auto run = work_->begin();
  if (!run) return;
  FileDialogSpec desc{"SEG-Y file selection", cx_.st.Work_Dir, "Record |*.sgy|All files|*.*|", "*.sgy", true};
  auto chosen = cx_.sv.dialogs.open_files(desc);
  if (!chosen || chosen->empty()) return;  // Cancel changes nothing
  const auto files = BoundSelection(*chosen, 99);
  if (files.empty()) return;
  const std::string not_taken = SelectionLeftOutText(*chosen, 99);
  const std::string& first = files.front();
  Chemin_file(cx_.st, first);

  BusyPointer busy(this);
  const SegyInput in = DetectSegyInput(first);
  if (in.damaged) return (void)Problem(first + ": " + in.why);  // not a question of byte order
  int ns = in.ns;
  // A cut last trace counts: the run then expects it and says it is missing.
  int64_t traces = in.traces + (in.cut ? 1 : 0);
  const char *conv = "1", *over = "0", *endian = in.little ? "1" : "0";
  if (!in.usable) {
    // A one-trace trial of segyread says what it makes of the file.
    const std::string scratch = Scratch();
    cx_.st.Tmp_SU = (fs::path(scratch) / "tmp.su").string();
    cx_.st.Tmp_Bat = (fs::path(scratch) / "tmp.bat").string();
    std::error_code ec;
    fs::remove(cx_.st.Tmp_SU, ec);
    Lit_ini(cx_.st);
    cx_.sv.msg.ok(first + " Bytes are swapped, endian must be set at zero", MsgIcon::Information, kTitle);
    BatchOutcome r;
    if (!scratch.empty() && WriteBatch(cx_.st.Tmp_Bat, {SegyTrialLine(cx_.st.SU_Dir, BatchPath(first), cx_.st.Tmp_SU, ns)}))
      r = RunBatchShown(cx_, this, *run, cx_.st.Tmp_Bat, false, {}, trial_limit);
    // A file the trial cannot read, or a trial stopped, changes nothing: the
    // list, the boxes and Convert stay as the last good selection left them.
    if (TellStopped(cx_, *run, "Reading " + first + " stopped: the selection is as it was")) return;
    auto su = r.ok() ? ReadSuLayout(cx_.st.Tmp_SU) : Result<SuLayout>::failure(r.reason());
    if (!su) return (void)Problem(first + ": " + in.why + "\n" + su.error() + "\nThe selection is as it was");
    ns = su->ns;
    auto size = FileLength(first);
    traces = size ? std::llround(static_cast<double>(*size - 3600) / (240.0 + 4.0 * ns)) : 0;
    conv = "0", over = "1", endian = "0";
  }
  List1->clear();
  for (const auto& f : files) List1->addItem(Q(f));
  cx_.st.Input_File = MultiSelectionText(files);
  Text11->setText(QString::number(files.size()));
  Text2->setText(Q((first.size() > 3 ? first.substr(0, first.size() - 3) : first) + "SU"));
  cx_.st.Dt = static_cast<int16_t>(std::min(in.dt, 32767));
  cx_.st.Nb_Traces = static_cast<int32_t>(std::clamp<int64_t>(traces, 0, INT32_MAX));
  Text6->setText(conv);
  Text7->setText(over);
  Text8->setText(endian);
  Text4->setText(QString::number(ns));
  Text12->setText(QString::number(cx_.st.Dt));
  Text5->setText(QString::number(traces));
  Text3->setText(QString::number(traces * BoxNumber(S(Text11))));
  // Said now, and first again after every run of this selection.
  selection_left_out_ = not_taken;
  if (!not_taken.empty()) cx_.sv.msg.ok(not_taken, MsgIcon::Exclamation, kTitle);
}

void SegyWindow::Command4_Click() {
  FileDialogSpec desc{"SU File name selection", cx_.st.Work_Dir, "Seismic File |*.SU|All files|*.*|", "*.SU", false};
  if (auto name = cx_.sv.dialogs.save_file(desc)) Text2->setText(Q(*name));
}

void SegyWindow::Command6_Click() { work_->stop(); }

void SegyWindow::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  BusyPointer busy(this);
  const int32_t n = BoxNumber(S(Text11));
  cx_.st.Nb_Files = static_cast<int16_t>(std::clamp(n, 0, 32767));
  Lit_ini(cx_.st);
  if (n <= 0 || n > List1->count()) {
    cx_.sv.msg.ok("Records Nb must be from 1 to the " + std::to_string(List1->count()) + " selected files",
                  MsgIcon::Exclamation, kTitle);
    return;
  }
  std::vector<std::string> files;
  for (int i = 0; i < n; ++i) files.push_back(List1->item(i)->text().toStdString());
  std::string out = BatchPath(Trim(S(Text2)));
  cx_.st.Output_File = out;
  if (out.empty()) return;
  bool append = false;
  if (Existe_file(out)) {
    if (!cx_.sv.msg.yes("Outfile name already exists, kill this file ?", MsgIcon::Question, kTitle)) {
      auto typed = cx_.sv.msg.input("", "Enter a new output file name", out);
      if (!typed || Trim(*typed).empty()) return;
      out = BatchPath(Trim(*typed));
      cx_.st.Output_File = out;
      Text2->setText(Q(out));
      if (Existe_file(out)) {
        if (n == 1 ||
            cx_.sv.msg.show("Output file name already exists, new file will be appended ?", MsgIcon::None,
                            MsgButtons::OkCancel, kTitle) != MsgAnswer::Ok)
          return;
        append = true;
      }
    }
  }
  for (const auto& f : files)
    if (SameFile(f, out)) {
      cx_.sv.msg.ok(kSameInputOutput, MsgIcon::Exclamation, kTitle);
      return;
    }

  // The joined file grows beside the output and takes its name at the end;
  // it and the per-file SU file go with the run whatever happens.
  auto part = run->temporary_beside(out);
  const fs::path P(Scratch());
  if (!part || P.empty()) return (void)Problem(std::string(kProblem) + "\n" + (part ? out : part.error()));
  const std::string tempo = (P / "tempo.su").string(), convert = (P / "convert.bat").string(),
                    add = (P / "add.bat").string();
  run->temporary(tempo);
  const std::vector<StandsFor> names{{*part, out}};
  std::error_code ec;
  if (append && !fs::copy_file(out, *part, fs::copy_options::overwrite_existing, ec))
    return (void)Problem(std::string(kProblem) + "\n" + out + ": " + ec.message());
  SegyreadBoxes b{BoxNumber(S(Text6)), BoxNumber(S(Text7)), BoxNumber(S(Text8)), BoxNumber(S(Text4)),
                  BoxNumber(S(Text1)), BoxNumber(S(Text3))};
  b.ns = std::clamp(b.ns, -32768, 32767);
  const bool shown = S(Text9) != "0";
  const bool remove_each = Check1->isChecked();
  ProgressBar1->setRange(1, std::max(1, n));
  int64_t joined = append ? FileLength(out).value_or(0) : 0;
  // Records of one survey may differ in byte order: a file whose order is not
  // the first one's gets the other endian= than the box says.
  const SegyInput first = DetectSegyInput(files.front());
  std::vector<std::string> short_files;  // inputs that did not come through whole
  auto fail = [&](const std::string& what, const BatchOutcome* r = nullptr) {
    if (!TellStopped(cx_, *run, StoppedText("Conversion", out))) Problem(UserNames(what, names), r);
  };
  for (int i = 1; i <= n; ++i) {
    ProgressBar1->setValue(i);
    Text10->setText(Q("Convert file " + Str(i)));
    const std::string& F = files[static_cast<size_t>(i - 1)];
    if (!Existe_file(F)) {
      cx_.sv.msg.ok(F + " does not exist, squip to next file", MsgIcon::None, "");
      short_files.push_back(F + " does not exist");
      continue;
    }
    fs::remove(tempo, ec);
    SegyreadBoxes fb = b;
    if (const SegyInput own = DetectSegyInput(F); i > 1 && first.usable && own.usable) {
      // segyread reads every record with the first one's ns: a record of
      // another shape would come out as garbled traces. It is left out.
      if (const std::string odd = ShapeDifference(own, first); !odd.empty()) {
        short_files.push_back(F + ": left out, " + odd);
        continue;
      }
      if (own.little != first.little) fb.endian = b.endian == 0 ? 1 : 0;
    }
    if (!WriteBatch(convert, {SegyConvertLine(cx_.st.SU_Dir, fb, BatchPath(F), tempo)})) return fail(kProblem);
    BatchOutcome r = RunBatchShown(cx_, this, *run, convert, shown, names, time_limit);
    if (!r.ok()) return fail(kProblem, &r);
    auto su = ReadSuLayout(tempo);
    if (!su || !su->whole())
      return fail(std::string(kProblem) + "\n" + F + ": " + (su ? "the SU output ends in a partial trace" : su.error()));
    // Every trace of the chosen range must be there: a cut file gives fewer.
    if (auto count = CountSegyTraces(F, fb.endian, fb.ns, fb.over != 0)) {
      const int64_t expected = ExpectedTraces(count->whole, count->cut, b.trmin, b.trmax);
      if (su->traces != expected) short_files.push_back(ShortfallText(F, expected, su->traces, WarningLines(r.output)));
    }
    joined += su->file_bytes;
    if (!WriteBatch(add, AppendLines(tempo, *part, remove_each))) return fail(kProblem);
    r = RunBatchShown(cx_, this, *run, add, false, names, time_limit);
    if (!r.ok()) return fail(kProblem, &r);
  }
  const auto size = FileLength(*part);
  if (!size || *size != joined) return fail(kCheckFile);
  // Checked before it takes the name: a joined file that lacks records or
  // traces never replaces an old output (nor one it would be appended to).
  const auto placed = PlaceOutput(*part, out, short_files.empty());
  if (!placed) return fail(std::string(kProblem) + "\n" + placed.error());
  Text10->setText("  ");
  // Files past the 99 of the selection were told of when picked; they come
  // first again, and the run is not OK. They alone never keep an old output.
  const std::string cut = selection_left_out_.empty() ? "" : selection_left_out_ + "\n";
  if (!short_files.empty()) {
    cx_.sv.msg.ok(cut + LeftOutText(short_files, out, *placed), MsgIcon::Exclamation, kTitle);
    return;
  }
  if (!cut.empty())
    return cx_.sv.msg.ok(cut + RecordedText(out, *size, false), MsgIcon::Exclamation, kTitle);
  cx_.sv.msg.show_timed(n == 1 ? " Conversion OK" : RecordedText(out, *size, true), kTitle, 3000);
}

void SegyWindow::Command5_Click() {
  auto run = work_->begin();
  if (!run || List1->count() == 0) return;
  BusyPointer busy(this);
  Lit_ini(cx_.st);
  const std::string scratch = Scratch();
  if (scratch.empty()) return (void)Problem(kTestProblem);
  const std::string T = TestFile(), convert = (fs::path(scratch) / "convert.bat").string();
  std::error_code ec;
  fs::remove(T, ec);
  SegyreadBoxes b{BoxNumber(S(Text6)), BoxNumber(S(Text7)), BoxNumber(S(Text8))};
  BatchOutcome r;
  if (WriteBatch(convert, {SegyTestLine(cx_.st.SU_Dir, b, BatchPath(List1->item(0)->text().toStdString()), T)}))
    r = RunBatchShown(cx_, this, *run, convert, false, {}, trial_limit);
  if (!r.ok()) {
    fs::remove(T, ec);  // never drawn half
    if (!TellStopped(cx_, *run, "Test stopped: nothing drawn")) Problem(kTestProblem, &r);
    return;
  }
  // A result the display refuses is not kept: the amplitude box would
  // redraw it, and say so, at every key.
  if (!Display_SU(T)) return (void)fs::remove(T, ec);
  run->set_enabled_after(Command2, true);
}

bool SegyWindow::Display_SU(const std::string& file) {
  SSTab1->setCurrentIndex(1);
  auto pic = LayOutTrial(file, Val(S(Text13)), ecran->PixelWidth(), ecran->PixelHeight());
  if (!pic) {
    // Never another file's picture beside the words that say why.
    ecran->Cls();
    ecran->update();
    return Problem(std::string(kTestProblem) + "\n" + pic.error());
  }
  cx_.st.Dt = static_cast<int16_t>(pic->dt);
  ecran->ForeColor = 0;
  ecran->FillColor = 0x808080;
  ecran->Fill = PictureBox::FillStyle::Solid;
  ecran->Cls();
  ecran->Scale(20, 1, 500, pic->ns);
  std::vector<QPoint> pts;
  auto points = [&](const std::vector<Pixel>& v) {
    pts.clear();
    for (const auto& p : v) pts.emplace_back(p.x, p.y);
    return pts.data();
  };
  for (const auto& t : pic->traces) {
    for (const auto& lobe : t.lobes) ecran->Polygon(points(lobe), static_cast<int>(lobe.size()));
    ecran->Polyline(points(t.line), static_cast<int>(t.line.size()));
  }
  ecran->setCursor(Qt::CrossCursor);
  ecran->update();
  return true;
}

void SegyWindow::Text13_Change() {
  const std::string T = TestFile();
  if (!T.empty() && Existe_file(T)) Display_SU(T);
}

void SegyWindow::ecran_MouseMove(double x, double y) { ecran->setToolTip(Q(TrialTip(cx_.st.Dt, x, y))); }

}  // namespace keld::conversion
