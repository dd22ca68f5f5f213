#include "conversion/importers/ascii2su_window.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "conversion/importers/ascii_columns.hpp"
#include "conversion/importers/import_traces.hpp"
#include "conversion/importers/radar.hpp"

namespace keld::conversion {

namespace {
constexpr int kMaxColumnTraces = 32767;
constexpr const char* kCountsRange = "The number of samples and of traces must be between 1 and 32767";
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
}  // namespace

Ascii2SuWindow::Ascii2SuWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("ASCII2SU");
  setWindowTitle("ASCII to SU");
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  auto* g = new QGridLayout(this);
  Command1 = named(new QPushButton("Input file", this), "Command1");
  Text1 = named(new QLineEdit(" ", this), "Text1");
  Command2 = named(new QPushButton("Output file", this), "Command2");
  Text2 = named(new QLineEdit(" ", this), "Text2");
  g->addWidget(Command1, 0, 0);
  g->addWidget(Text1, 0, 1);
  g->addWidget(Command2, 1, 0);
  g->addWidget(Text2, 1, 1);
  auto box = [&](const char* name, const char* text, const char* label, int row) {
    auto* e = named(new QLineEdit(text, this), name);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    g->addWidget(l, row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  Text3 = box("Text3", "512", "Number of samples", 2);
  Text5 = box("Text5", "0", "Trace number", 3);
  Text4 = box("Text4", "0", "Sample rate", 4);
  Check1 = named(new QCheckBox("Radar file", this), "Check1");
  g->addWidget(Check1, 5, 1);
  ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
  g->addWidget(ProgressBar1, 6, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  Command3 = named(new QPushButton("Convert", this), "Command3");
  Command5 = named(new QPushButton("Info", this), "Command5");
  Command4 = named(new QPushButton("Exit", this), "Command4");
  buttons->addWidget(Command3);
  buttons->addWidget(Command5);
  buttons->addStretch();
  buttons->addWidget(Command4);
  g->addLayout(buttons, 7, 0, 1, 2);
  Text1->setMinimumWidth(380);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { convert_ascii(); });
  connect(Command4, &QPushButton::clicked, this, [this] { close(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

std::optional<double> Ascii2SuWindow::AskNonZero(const std::string& prompt, const std::string& proposed) {
  while (true) {
    auto answer = cx_.sv.msg.input(prompt, kTitle, proposed);
    if (!answer) return std::nullopt;  // a cancelled box abandons what asked
    const double v = Val(*answer);
    if (v != 0) return v;
  }
}

void Ascii2SuWindow::Command1_Click() {
  FileDialogSpec d;
  d.title = "ASCII file selection";
  d.filter = "TXT file |*.TXT";
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
  auto text = ReadWholeFile(*picked);
  if (!text) return cx_.sv.msg.ok(text.error(), MsgIcon::Critical, kTitle);
  auto values = ReadColumnValues(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
  if (!values) return cx_.sv.msg.ok(*picked + ": " + values.error(), MsgIcon::Critical, kTitle);
  auto ns = AskNonZero("Enter the number of samples / trace", "512");
  if (!ns) return;
  Text3->setText(Q(CStr(*ns)));
  int64_t traces = ColumnTraces(static_cast<int64_t>(values->size()), CInt(*ns).value_or(0));
  if (traces == 0) {
    auto typed = AskNonZero("Enter the number of  traces", "0");
    if (!typed) return;
    // A typed count beyond what the window converts (1e30, inf) is refused
    // before it is turned into a whole number.
    const auto whole = CLng(*typed);
    if (!whole || *whole < 1 || *whole > kMaxColumnTraces) {
      cx_.sv.msg.ok(kCountsRange, MsgIcon::Critical, kTitle);
      return;
    }
    traces = *whole;
  }
  Text5->setText(QString::number(traces));
  auto rate = AskNonZero("Enter the sampling rate (ns)", "100");
  if (!rate) return;
  Text4->setText(Q(CStr(*rate)));
  convert_ascii();
}

void Ascii2SuWindow::Command2_Click() {
  FileDialogSpec d;
  d.title = "KGS Integer File selection";
  d.filter = "SU File |*.SU|All files|*.*|";
  d.name = "*.SU";
  d.folder = cx_.st.Work_Dir;
  auto picked = cx_.sv.dialogs.save_file(d);
  if (!picked || picked->empty()) return;
  Text2->setText(Q(*picked));
}

void Ascii2SuWindow::convert_ascii() {
  MessageBoxes& msg = cx_.sv.msg;
  cx_.st.Output_File = S(Text2);
  cx_.st.Input_File = S(Text1);
  // Each value must be given; a cancelled question abandons the conversion.
  struct Ask {
    QLineEdit* box;
    const char* prompt;
  } asks[] = {{Text3, "Enter the number of samples / trace"},
              {Text5, "Enter the number of traces"},
              {Text4, "Enter the sampling rate (ns)"}};
  for (const Ask& a : asks)
    if (Val(S(a.box)) == 0) {
      auto v = AskNonZero(a.prompt, "0");
      if (!v) return;
      a.box->setText(Q(CStr(*v)));
    }
  ColumnParams p;
  p.radar = Check1->isChecked();
  auto ns = CInt(Val(S(Text3)));
  auto traces = CLng(Val(S(Text5)));
  // Radar traces carry 1000 x the interval in nanoseconds; seismic ones the
  // box's value (microseconds) as it stands.
  std::optional<int> dt = RadarDt(Val(S(Text4)));
  if (!p.radar) {
    auto word = CInt(Val(S(Text4)));
    dt = word ? std::optional<int>(*word) : std::nullopt;
  }
  if (!ns || *ns < 1 || !traces || *traces < 1 || *traces > kMaxColumnTraces) {
    msg.ok(kCountsRange, MsgIcon::Critical, kTitle);
    return;
  }
  if (!dt || *dt <= 0) {
    msg.ok("The sample rate " + S(Text4) + " cannot be written in the dt word", MsgIcon::Critical, kTitle);
    return;
  }
  p.ns = *ns;
  p.traces = *traces;
  p.dt = *dt;
  const std::string dt_note = p.radar ? RadarDtNote(Val(S(Text4)), p.dt) : SeismicDtNote(Val(S(Text4)), p.dt);
  const std::string in = cx_.st.Input_File, out = cx_.st.Output_File;
  if (!Existe_file(in)) {
    msg.ok("Input file does not exists!", MsgIcon::Critical, kTitle);
    return;
  }
  if (Existe_file(out) &&
      msg.show("Outfile name already exists, kill this file ?", MsgIcon::Question, MsgButtons::YesNo, kTitle) !=
          MsgAnswer::Yes)
    return;  // No keeps the old file and writes nothing
  auto text = ReadWholeFile(in);
  if (!text) return msg.ok(text.error(), MsgIcon::Critical, kTitle);
  auto values = ReadColumnValues(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
  if (!values) return msg.ok(in + ": " + values.error(), MsgIcon::Critical, kTitle);
  auto traces_out = ImportColumns(*values, p);
  if (!traces_out) return msg.ok(in + ": " + traces_out.error(), MsgIcon::Critical, kTitle);
  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(p.traces);
  Status done = WriteImportedTraces(out, {in}, *traces_out, [this](int t) { ProgressBar1->setValue(t); });
  if (!done) return msg.ok(done.error, MsgIcon::Critical, kTitle);
  cx_.st.Ns = p.ns;
  cx_.st.Dt = static_cast<int16_t>(p.dt);
  msg.ok("Conversion OK! " + out + " has been recorded" + (dt_note.empty() ? "" : "\r\n" + dt_note),
         MsgIcon::Information, kTitle);
}

void Ascii2SuWindow::Command5_Click() {
  cx_.sv.msg.ok(
      " ASCII SEISMIC FILE CONVERSION\r\n"
      " This module will convert ASCII file to SU format \r\n"
      " DATA must be in column and with a comma as delimiter ! \r\n"
      " You must only select ASCII file and the output file name\r\n"
      " Number of samples per trace, sample rate and number of traces input is necessary ! \r\n"
      "  \r\n",
      MsgIcon::Information, kTitle);
}

}  // namespace keld::conversion
