// The windows `abem`, `sisforme` and `es1225`.
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "conversion/importers/records/abem.hpp"
#include "conversion/importers/records/es1225.hpp"
#include "conversion/importers/records/sisforme.hpp"
#include "conversion/importers/records/windows/record_windows.hpp"
#include "platform/qtbase/key_filter.hpp"

namespace keld::conversion {

namespace {
// Pieces joined, each followed by CR LF except those listed in `joined`
// (which run on into the next piece), with an extra CR LF after `blank`.
std::string Lines(std::initializer_list<const char*> pieces, std::initializer_list<int> joined,
                  std::initializer_list<int> blank, bool lead = false) {
  std::string s = lead ? "\r\n" : "";
  int i = 1;
  for (const char* p : pieces) {
    s += p;
    if (std::find(joined.begin(), joined.end(), i) == joined.end()) s += "\r\n";
    if (std::find(blank.begin(), blank.end(), i) != blank.end()) s += "\r\n";
    ++i;
  }
  return s;
}

}  // namespace

// ---- abem

AbemWindow::AbemWindow(ConversionContext& cx, QWidget* parent)
    : RecordWindow(cx, parent, "abem", "ABEM mark 3 to SU ") {
  Command4 = TopButton("Command4", "Click here to select ABEM files");
  Text6 = Box("Text6", "Number of files", "1", "Type here the number of file to convert");
  Text5 = Box("Text5", "Sample rate", "480", "Don't forget the sample rate !!!");
  Text4 = Box("Text4", "Number of sample", "1024");
  Text3 = Box("Text3", "Trace number", " ", "Correct here the trace number if necesssary");
  Text2 = Box("Text2", "", " ", "This will be the SU file");
  Command3 = Button("Command3", "Out file");
  g_->addWidget(Command3, row_ - 1, 0);
  AddConvertButtons();
  connect(Command4, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command3, &QPushButton::clicked, this,
          [this] { PickOutput(Text2, "SU File name selection"); });
}

void AbemWindow::Select_i() {
  auto files = PickRecords("ABEM file selection", "Record |*.abm|All files|*.*|", "*.abm");
  if (!files) return;
  SetList(*files);
  Text6->setText(QString::number(files->size()));
  Text2->setText(Q(SuNameBesideInput(files->front()).value_or("")));
  auto front = ReadFront(files->front(), kAbemHeaderBytes);
  if (!front) {
    cx_.sv.msg.ok(front.error(), MsgIcon::Critical, kTitle);
    return;
  }
  const AbemHeader h = ReadAbemHeader(Bytes(front->bytes.data(), front->bytes.size()), front->size);
  if (h.dt) cx_.st.Dt = static_cast<int16_t>(*h.dt);
  if (h.channels) cx_.st.Nb_Ch = static_cast<int16_t>(*h.channels);
  if (h.ns) cx_.st.Ns = *h.ns;
  if (h.channels) Text3->setText(QString::number(*h.channels));
  if (h.ns) Text4->setText(QString::number(*h.ns));
  if (h.dt) Text5->setText(QString::number(*h.dt));
  cx_.st.Input_File = files->front();
}

void AbemWindow::Command1_Click() {
  auto ns = Whole(Text4, "Number of sample"), dt = Whole(Text5, "Sample rate");
  auto ch = Whole(Text3, "Trace number"), records = Whole(Text6, "Number of files");
  if (!ns || !dt || !ch || !records) return;
  const AbemParams p{*ns, *dt, *ch};
  cx_.st.Ns = *ns;
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  Run(run, [p](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
        return ReadAbemRecord(f, n, p, r, give);
      },
      {"OK, Conversion done", MsgIcon::None, kProgramTitle, true, false, *ch});
}

void AbemWindow::Command2_Click() {
  ShowHelp(Lines({"ABEM Terralock Mark 3 to SU format conversion",
                  "This module will convert Terralock Mark 3 records to SU format. ",
                  " 1- Select the first file of your line",
                  " 2- Enter the number of files (numbers must be increasing!) ", "    without gap number",
                  " 3- IMPORTANT enter the sample rate ", " 4- Click on CONVERT Button ",
                  "You MUST enter the sample rate, default is 480 ns  ",
                  "The result will be a single file with all the selected data "},
                 {1}, {}));
}

// ---- sisforme

SisformeWindow::SisformeWindow(ConversionContext& cx, QWidget* parent)
    : RecordWindow(cx, parent, "sisforme", "Velquist Seismic file converter") {
  List1->setObjectName("Grid1");
  Command3 = Button("Command3", "Input file");
  Command5 = Button("Command5", "Press here to select Seismic files");
  ButtonRow({Command3, Command5});
  v_->insertItem(0, v_->takeAt(v_->count() - 1));
  Label8 = SizeRow("");
  Text1 = Box("Text1", "", "", "click here and find the first ABEM file to convert");
  Text6 = Box("Text6", "Number of files to convert", "", "Type here the number of file to convert");
  Text5 = Box("Text5", "Sample rate (microS)", "480", "Don't forget the sample rate !!!");
  Text4 = Box("Text4", "Number of sample", "1024", "Correct hre the number of sample per trace");
  Text3 = Box("Text3", "Trace number per record", " 24", "Correct here the trace number if necesssary");
  Text7 = Box("Text7", "File Header size", "2048", "Enter here the header size (bytes) preceeding traces values");
  Text8 = Box("Text8", "Trace header size", "", "Enter here the header size (bytes) preceeding every trace");
  auto* frame = new QGroupBox("Data type", this);
  frame->setObjectName("Frame1");
  auto* fl = new QVBoxLayout(frame);
  Option1 = new QRadioButton("Integer 2 bytes", frame);
  Option2 = new QRadioButton("Integer 4 bytes", frame);
  Option3 = new QRadioButton("Floating 4 bytes", frame);
  Option4 = new QRadioButton("ASCII", frame);
  int k = 1;
  for (QRadioButton* o : {Option1, Option2, Option3, Option4}) {
    o->setObjectName(QString("Option%1").arg(k++));
    fl->addWidget(o);
  }
  Option1->setChecked(true);
  Option4->setEnabled(false);  // a text layout is not a binary layout: nothing to convert
  Option4->setToolTip("Text records cannot be described as a binary layout");
  AddRow(frame);
  Command6 = Button("Command6", "Compute Header size");
  AddRow(Command6);
  Text9 = Box("Text9", "File size with your values", "",
              "Size of the file with your parameters, must be equals to the input file size");
  Text2 = Box("Text2", "", "", "This will be the SU file");
  Command4 = Button("Command4", "Output file");
  g_->addWidget(Command4, row_ - 1, 0);
  AddConvertButtons();
  connect(Command3, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Outputfile(); });
  OutputOnDoubleClick(Text2, [this] { Outputfile(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Calcul_gd_file(); });
}

void SisformeWindow::Select_i() {
  auto files = PickRecords("ES1225 file selection", "Record |*.a*|All files|*.*|", "*.*");
  if (!files) return;
  SetList(*files);
  cx_.st.Input_File = files->back();
  Text1->setText(Q(files->front()));
  Text2->setText(Q(SuNameBesideInput(files->front()).value_or("")));
  Text6->setText(QString::number(files->size()));
  if (auto n = FileLength(cx_.st.Input_File)) Label8->setText(Q(" " + std::to_string(*n)));
}

void SisformeWindow::Outputfile() { PickOutput(Text2, "Output File selection"); }

LayoutParams SisformeWindow::Layout(bool& ok) {
  LayoutParams p;
  auto ch = Whole(Text3, "Trace number per record"), ns = Whole(Text4, "Number of sample");
  auto dt = Whole(Text5, "Sample rate"), h = Whole(Text7, "File Header size"), t = Whole(Text8, "Trace header size");
  ok = ch && ns && dt && h && t;
  if (!ok) return p;
  p = {*h, *t, *ch, *ns, *dt,
       Option1->isChecked()   ? LayoutType::Integer2
       : Option2->isChecked() ? LayoutType::Integer4
       : Option3->isChecked() ? LayoutType::Floating4
                              : LayoutType::Ascii};
  cx_.st.Nb_Ch = static_cast<int16_t>(std::clamp(*ch, -32768, 32767));
  cx_.st.Ns = *ns;
  return p;
}

void SisformeWindow::Calcul_gd_file() {
  bool ok = false;
  const LayoutParams p = Layout(ok);
  if (!ok) return;
  const LayoutCheck c = conversion::Calcul_gd_file(p, FileLength(cx_.st.Input_File).value_or(0));
  Text9->setText(QString::number(c.record_length));
  Text7->setText(QString::number(c.header_for_file));
}

void SisformeWindow::Command1_Click() {
  bool ok = false;
  const LayoutParams p = Layout(ok);
  auto records = Whole(Text6, "Number of files to convert");
  if (!ok || !records) return;
  cx_.st.Input_File = T(Text1);
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  Run(run, [p](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
        return ReadLayoutRecord(f, n, p, r, give);
      },
      {"OK, Conversion done", MsgIcon::None, kProgramTitle, false, false, p.channels});
}

void SisformeWindow::Command2_Click() {
  ShowHelp(Lines({"SEISMIC FILE CONVERSION", "This module will convert nearly any kind of seismic file  ",
                  "to SU format if you know the file structure. ", "See your seismograph manual or ask to the factory",
                  "Use this module if you don't find Seismograph files on the panel",
                  "Header values will not be recorded in the SU file !!!", " 1- Select the all the files of your line",
                  " 2- Enter the sample rate (1/1000 ms) ", " 3- Enter the number of samples per trace  ",
                  " 4- Enter the number of traces per record  ", " 5- Enter the record header size  ",
                  " 6- Enter the trace header size ",
                  "The result will be a single SU file with all the selected inpu files",
                  "For OYO McSeis 170 enter 24 channel, 1024 samples, Long Integers"},
                 {}, {6}, true));
}

// ---- es1225

Es1225Window::Es1225Window(ConversionContext& cx, QWidget* parent)
    : RecordWindow(cx, parent, "es1225", "ES-1225 to SU (min=2 records)") {
  Command3 = TopButton("Command3", "Press here to select ES1225 files (Min=2 records)");
  Text5 = Box("Text5", "Number of files", "", "Type here the number of file to convert");
  Combo1 = new QComboBox(this);
  Combo1->setObjectName("Combo1");
  Combo1->setToolTip("Select ghere the record length");
  for (int ms : kEs1225Lengths) Combo1->addItem(QString("%1 ms").arg(ms));
  Combo1->setCurrentIndex(-1);
  Combo1->setPlaceholderText("250 ms");
  g_->addWidget(new QLabel("Record length", this), row_, 0);
  g_->addWidget(Combo1, row_++, 1);
  Text3 = Box("Text3", "Trace number", " 12");
  Text4 = Box("Text4", "Number of sample", "1000");
  Text2 = Box("Text2", "", "");
  Command4 = Button("Command4", "Out file");
  g_->addWidget(Command4, row_ - 1, 0);
  for (QLineEdit* e : {Text3, Text4, Text5}) KeyFilter::Install(e, "0123456789", [this] { cx_.beep(); });
  AddConvertButtons();
  connect(Command3, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command4, &QPushButton::clicked, this, [this] { PickOutput(Text2, "SU File name selection"); });
}

void Es1225Window::Select_i() {
  auto files = PickRecords("ES1225 file selection", "Record |*.dat|All files|*.*|", "*.dat");
  if (!files) return;
  cx_.st.Input_File = files->front();
  if (files->size() < 2) {  // the window converts lines of two records or more
    Text5->setText("0");
    return;
  }
  SetList(*files);
  Text5->setText(QString::number(files->size()));
  Text2->setText(Q(cx_.st.Work_Dir + "es1225.su"));
}

void Es1225Window::Command1_Click() {
  auto ns = Whole(Text4, "Number of sample"), ch = Whole(Text3, "Trace number");
  auto records = Whole(Text5, "Number of files");
  if (!ns || !ch || !records) return;
  const Es1225Params p{*ch, *ns, Es1225RecordLength(Combo1->currentIndex())};
  cx_.st.Ns = *ns;
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  Run(run, [p](RecordSource& f, const std::string& n, int, const TraceSink& give) {
        return ReadEs1225Record(f, n, p, give);
      },
      {"Conversion done", MsgIcon::None, kProgramTitle, true, true, *ch});
}

void Es1225Window::Command2_Click() {
  ShowHelp(Lines({"ES-1225 to SU format conversion",
                  "This module will convert ES-1225 (SEG-1) 12 channels and 1000 samples records  ", "to SU format. ",
                  " 1- Select all the files of your line", " 2- Select the record length ", " 3- click on convert ",
                  "You MUST enter the record length, default value is 250 ms  ",
                  "The result will be a single file with all the selected data "},
                 {1}, {3, 6}));
}

}  // namespace keld::conversion
