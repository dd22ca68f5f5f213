#include "conversion/shell/su2sgy_window.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/text.hpp"
#include "conversion/shell/batch_output_window.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/segy_batch.hpp"
#include "conversion/shell/segy_input.hpp"
#include "conversion/shell/whole_check.hpp"
#include "platform/qtbase/key_filter.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
constexpr const char* kProblem = " Conversion problem...verify parameters";
}  // namespace

std::string Su2SgyHelpText(const std::string& crlf) {
  std::string t;
  for (const char* line :
       {"Optional parameter:", "", " buff=1 for buffered device (9-track reel tape drive)",
        " buff=0 possibly useful for 8mm EXABYTE drive", " conv=1 =0 dont convert to IBM format",
        " trmin=1 first trace to write", " trmax=INT_MAX  last trace to write",
        " endian=1   =0 for little-endian machines (PCs, DEC,etc...)",
        " errmax=0   allowable number of consecutive tape IO errors"})
    t += std::string(line) + crlf;
  return t;
}

Su2SgyWindow::Su2SgyWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("SU2SGY");
  setWindowTitle("SU to SEGY ");
  auto* v = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  Command3 = named(new QPushButton("Input file", this), "Command3");
  Text1 = named(new QLineEdit(" ", this), "Text1");
  Command4 = named(new QPushButton("Output file", this), "Command4");
  Text2 = named(new QLineEdit(" ", this), "Text2");
  g->addWidget(Command3, 0, 0);
  g->addWidget(Text1, 0, 1);
  g->addWidget(Command4, 1, 0);
  g->addWidget(Text2, 1, 1);
  int row = 2;
  auto box = [&](const char* name, const char* text, const char* label) {
    auto* e = named(new QLineEdit(text, this), name);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    g->addWidget(l, row, 0);
    g->addWidget(e, row++, 1);
    return e;
  };
  Text3 = box("Text3", "1", "Trace minimum");
  Text4 = box("Text4", "10000", "Trace maximum");
  Text6 = box("Text6", "1", "convert (0= dont convert to IBM)");
  Text8 = box("Text8", "0", "Endian (0 for PC)");
  Text5 = box("Text5", "1", "Buffered (0 or 1)");
  Text7 = box("Text7", "0", "Maximum errors");
  v->addLayout(g);
  auto* buttons = new QHBoxLayout;
  Command2 = named(new QPushButton("Convert", this), "Command2");
  Command5 = named(new QPushButton("Info", this), "Command5");
  Command1 = named(new QPushButton("Cancel", this), "Command1");
  buttons->addWidget(Command2);
  buttons->addWidget(Command5);
  buttons->addStretch();
  buttons->addWidget(Command1);
  v->addLayout(buttons);
  for (auto* e : {Text5, Text6, Text8}) KeyFilter::Install(e, "01", [this] { cx_.beep(); });
  // Cancel closes the window: during a run that stops the run first.
  work_ = new WorkGuard(this, {Command2, Command3, Command4});
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

void Su2SgyWindow::Command1_Click() { close(); }

void Su2SgyWindow::Command3_Click() {
  auto name = cx_.sv.dialogs.open_file({"SU file selection", cx_.st.Work_Dir, "SU file |*.SU*|All files|*.*|", "*.SU", true});
  if (!name) return;  // Cancel changes nothing
  // A file the layout check refuses is not taken: the boxes keep the last
  // good input, and the user hears why.
  auto su = ReadSuLayout(*name);
  if (!su) return cx_.sv.msg.ok(su.error(), MsgIcon::Critical, kTitle);
  cx_.st.Input_File = *name;
  Text1->setText(Q(*name));
  Text2->setText(Q((name->size() > 2 ? name->substr(0, name->size() - 2) : *name) + "SGY"));
  cx_.st.Dt = su->dt;
  Text4->setText(QString::number(su->traces));
}

void Su2SgyWindow::Command4_Click() {
  auto name = cx_.sv.dialogs.save_file({"SEG-Y file selection", cx_.st.Work_Dir, "SEGY |*.SGY*|All files|*.*|", "*.SGY", false});
  if (!name) return;
  cx_.st.Output_File = *name;
  Text2->setText(Q(*name));
}

void Su2SgyWindow::Command5_Click() { cx_.sv.msg.ok(Su2SgyHelpText(cx_.st.CrLf), MsgIcon::Information, kTitle); }

void Su2SgyWindow::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  BusyPointer busy(this);
  const std::string I = BatchPath(Trim(S(Text1))), O = BatchPath(Trim(S(Text2)));
  if (cx_.st.Input_File.empty() || I.empty() || O.empty()) return;
  if (SameFile(I, O)) {
    cx_.sv.msg.ok(kSameInputOutput, MsgIcon::Exclamation, kTitle);
    return;
  }
  // The input as typed may be one the selection never saw: checked here
  // too, before anything is asked or run.
  if (auto su = ReadSuLayout(I); !su) return cx_.sv.msg.ok(su.error(), MsgIcon::Critical, kTitle);
  if (Existe_file(O) && !cx_.sv.msg.yes(O + " already exists, delete this file ?", MsgIcon::Question, kTitle)) return;
  // Whatever failed, an old O is still there as it was: the message says so.
  auto problem = [&](const std::string& why) {
    const std::string kept = Existe_file(O) ? "\n" + O + " kept as it was" : "";
    cx_.sv.msg.ok(std::string(kProblem) + "\n" + why + kept, MsgIcon::Critical, kTitle);
  };
  // segywrite writes beside O; the file is checked there and takes O's name
  // only when it holds every trace, so an old O stays until then.
  auto part = run->temporary_beside(O);
  if (!part) return problem(part.error());
  const std::vector<StandsFor> names{{*part, O}};
  Lit_ini(cx_.st);
  SegywriteBoxes b{BoxNumber(S(Text3)), BoxNumber(S(Text4)), BoxNumber(S(Text6)), BoxNumber(S(Text8)),
                   BoxNumber(S(Text5)), BoxNumber(S(Text7))};
  const std::string bat = (fs::path(cx_.sv.work_folder) / "convert.bat").string();
  BatchOutcome r;
  if (WriteBatch(bat, SuToSegyLines(cx_.st.SU_Dir, I, *part, b)))
    r = RunBatchShown(cx_, this, *run, bat, true, names, time_limit);
  if (TellStopped(cx_, *run, StoppedText("Conversion", O))) return;
  const auto written = DetectSegyInput(*part);
  if (!r.ok()) return problem(r.reason());
  if (!written.usable) {
    const std::string why = UserNames(written.why, names);
    return problem(Existe_file(O) ? "the new file is refused: " + why : O + " was not written: " + why);
  }
  // Every SU trace of the range must be in the SEG-Y file: one that lacks
  // some never replaces an old O. An input that can no longer be checked
  // (changed during the run) gives no count to compare with: never whole.
  const auto su = ReadSuLayout(I);
  if (!su) return problem(su.error());
  std::vector<std::string> left_out;
  const bool cut = su->file_bytes != su->traces * su->trace_bytes;
  const int64_t expected = ExpectedTraces(su->traces, cut, b.trmin, b.trmax);
  if (written.traces != expected)
    left_out.push_back(ShortfallText(I, expected, written.traces, WarningLines(r.output)));
  const auto placed = PlaceOutput(*part, O, left_out.empty());
  if (!placed) return problem(UserNames(placed.error(), names));
  if (!left_out.empty())
    cx_.sv.msg.ok(LeftOutText(left_out, O, *placed), MsgIcon::Exclamation, kTitle);
  else
    cx_.sv.msg.ok(" Conversion OK", MsgIcon::Information, kTitle);
}

}  // namespace keld::conversion
