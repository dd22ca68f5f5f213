// The windows `Bison`, `pasi`, `oyo` and `Ambrogeo`.
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/text.hpp"
#include "conversion/importers/records/ambrogeo.hpp"
#include "conversion/importers/records/bison.hpp"
#include "conversion/importers/records/oyo.hpp"
#include "conversion/importers/records/pasi.hpp"
#include "conversion/importers/records/windows/record_windows.hpp"

namespace keld::conversion {

namespace {

std::string SizeText(const std::string& file) {
  auto n = FileLength(file);
  return n ? " " + std::to_string(*n) + " bytes" : " ";
}

Imported<std::vector<uint8_t>> ReadRecord(const std::string& name) {
  auto bytes = ReadWholeFile(name);
  if (!bytes) return ImportError{kFileNotFound, bytes.error()};
  return std::move(*bytes);
}
}  // namespace

// ---- Bison

BisonWindow::BisonWindow(ConversionContext& cx, QWidget* parent) : RecordWindow(cx, parent, "Bison", "Bison 5000") {
  Command5 = TopButton("Command5", "Press here to select BISON files ");
  Text2 = Box("Text2", "", " ", "This will be the SU file");
  Command4 = Button("Command4", "Output file");
  g_->addWidget(Command4, row_ - 1, 0);
  Text3 = Box("Text3", "Trace number per record", "12", "Correct here the trace number if necesssary");
  Text4 = Box("Text4", "Number of sample", "1000", "Correct hre the number of sample per trace");
  Text5 = Box("Text5", "Sample rate", "480", "Don't forget the sample rate !!!");
  Text6 = Box("Text6", "Number of files to convert", "1", "Type here the number of file to convert");
  Text7 = Box("Text7", "File Header size", "1161", "File header size (is automatically computed)");
  Label8 = SizeRow(" ");
  auto* frame = new QGroupBox("Data type", this);
  frame->setObjectName("Frame1");
  auto* fl = new QVBoxLayout(frame);
  auto* i2 = new QRadioButton("Integer 2 bytes", frame);
  i2->setToolTip("Bison 5000 are integer values");
  i2->setChecked(true);
  fl->addWidget(i2);
  for (const char* t : {"Float 4 bytes", "Floating 4 bytes", "ASCII"}) fl->addWidget(new QRadioButton(t, frame));
  AddRow(frame);
  AddConvertButtons(false);
  connect(Command5, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Outputfile(); });
  OutputOnDoubleClick(Text2, [this] { Outputfile(); });
}

void BisonWindow::Select_i() {
  auto files = PickRecords("BISON file selection", "Record |*.dat|All files|*.*|", "*.dat");
  if (!files) return;
  SetList(*files);
  Text6->setText(QString::number(files->size()));
  Text2->setText(Q(SuNameBesideInput(files->front()).value_or("")));
  cx_.st.Input_File = files->front();
  Label8->setText(Q(SizeText(cx_.st.Input_File)));
  Header_Size();
}

void BisonWindow::Header_Size() {
  auto bytes = ReadRecord(cx_.st.Input_File);
  if (!bytes) {
    cx_.sv.msg.ok(bytes.error().what, MsgIcon::Critical, kTitle);
    return;
  }
  const BisonHeader h = ReadBisonHeader(Bytes(bytes->data(), bytes->size()));
  Text7->setText(QString::number(h.header_size));
  Text3->setText(Q(h.channels()));
  Text4->setText(Q(h.samples()));
  Text5->setText(Q(h.interval_us()));
}

void BisonWindow::Outputfile() { PickOutput(Text2, "SU File name selection"); }

void BisonWindow::Command1_Click() {
  auto ch = Whole(Text3, "Trace number per record"), ns = Whole(Text4, "Number of sample");
  auto dt = Whole(Text5, "Sample rate"), records = Whole(Text6, "Number of files to convert");
  auto h = Whole(Text7, "File Header size");
  if (!ch || !ns || !dt || !records || !h) return;
  const BisonParams p{*ch, *ns, *dt, *h};
  cx_.st.Ns = *ns;
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  Run(run, [p](RecordSource& f, const std::string& n, int, const TraceSink& give) {
        return ReadBisonRecord(f, n, p, give);
      },
      {"OK, Conversion done", MsgIcon::None, kProgramTitle, false, false, *ch});
  ProgressBar1->setVisible(false);
}

void BisonWindow::Command2_Click() {
  ShowHelp(std::string("BISON 5000 module conversion") + " This module convert BISON 5000 record to SU format " +
               "\r\n" + " Sample rate trace number, trace number, file number are recorded " + "\r\n" +
               " but you must (re)enter all geometrical data ! " + "\r\n",
           MsgIcon::Information, kTitle);
}

// ---- pasi

PasiWindow::PasiWindow(ConversionContext& cx, QWidget* parent) : RecordWindow(cx, parent, "pasi", "LCM-112") {
  Command5 = TopButton("Command5", "Press here to select LCM-12 files");
  Text2 = Box("Text2", "", " ", "This will be the SU file");
  Command4 = Button("Command4", "Output file");
  g_->addWidget(Command4, row_ - 1, 0);
  Text3 = Box("Text3", "Trace number per record", "12", "Correct here the trace number if necesssary");
  Text4 = Box("Text4", "Number of sample", "512", "Correct hre the number of sample per trace");
  Text5 = Box("Text5", "Sample rate (micros)", "500", "Don't forget the sample rate !!!");
  Text6 = Box("Text6", "Number of files to convert", "1", "Type here the number of file to convert");
  Label8 = SizeRow(" ");
  AddConvertButtons();
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void PasiWindow::Command5_Click() {
  auto files = PickRecords("LCM-1 file selection", "Record |*.asc|All files|*.*|", "*.asc");
  if (!files) return;
  SetList(*files);
  Text6->setText(QString::number(files->size()));
  cx_.st.Input_File = files->front();
  Text2->setText(Q(SuNameBesideInput(files->front()).value_or("")));
  cx_.st.Ns = CLng(Val(T(Text4))).value_or(0);
  Label8->setText(Q(SizeText(cx_.st.Input_File)));
}

void PasiWindow::Command4_Click() { PickOutput(Text2, "LCM-1 file selection", "SU File |*.SU|", true); }

void PasiWindow::Command1_Click() {
  auto traces = Whole(Text3, "Trace number per record"), ns = Whole(Text4, "Number of sample");
  auto dt = Whole(Text5, "Sample rate"), records = Whole(Text6, "Number of files to convert");
  if (!traces || !ns || !dt || !records) return;
  const PasiParams p{*traces, *ns, *dt};
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  run.limit = false;  // LCM-12 lines have no record limit
  Run(run, [p](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
        return ReadPasiRecord(f, n, p, r, give);
      },
      {"Conversion, done !", MsgIcon::Information, kTitle, false, false, *traces});
}

void PasiWindow::Command2_Click() {
  ShowHelp(" This modules convert LCM-12 seismograph data to SU format, just select files and press on CONVERT button",
           MsgIcon::Information, kTitle);
}

// ---- oyo

OyoWindow::OyoWindow(ConversionContext& cx, QWidget* parent)
    : RecordWindow(cx, parent, "oyo", "OYO McSEIS 170 to SU conversion") {
  Command3 = TopButton("Command3", "Press here to select OYO McSEIS170 ");
  Text5 = Box("Text5", "Number of files", "1", "Type here the number of file to convert");
  Text3 = Box("Text3", "Trace number", " 12");
  Text4 = Box("Text4", "Number of sample", "2048");
  Text6 = Box("Text6", "Sample rate", "200");
  Text1 = Box("Text1", "Record length", "1024");
  auto* frame = new QGroupBox(this);
  auto* fl = new QHBoxLayout(frame);
  sinteger = new QRadioButton("Short Integer", frame);
  sinteger->setObjectName("sinteger");
  linterger = new QRadioButton("Long integer", frame);
  linterger->setObjectName("linterger");
  linterger->setChecked(true);
  fl->addWidget(sinteger);
  fl->addWidget(linterger);
  AddRow(frame);
  Text2 = Box("Text2", "", " ");
  Command4 = Button("Command4", "Out file");
  g_->addWidget(Command4, row_ - 1, 0);
  AddConvertButtons();
  connect(Command3, &QPushButton::clicked, this, [this] { Select_i(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void OyoWindow::Select_i() {
  auto files = PickRecords("OYO McSeis file selection", "Record |*.org|All files|*.*|", "*.org");
  if (!files) return;
  cx_.st.Input_File = files->front();
  SetList(*files);
  Text5->setText(QString::number(files->size()));
  Text2->setText(Q(cx_.st.Work_Dir + "oyo.su"));
  auto front = ReadFront(files->front(), kOyoFieldsEnd);
  if (!front) {
    cx_.sv.msg.ok(front.error(), MsgIcon::Critical, kTitle);
    return;
  }
  auto f = ReadOyoFields(Bytes(front->bytes.data(), front->bytes.size()), files->front());
  if (!f) {
    cx_.sv.msg.ok(f.error().what, MsgIcon::Critical, kTitle);
    return;
  }
  std::string channels = CStr(RoundHalfEven(f->channels));
  Text3->setText(Q(channels));
  // The channel count is asked again while it is 0; a cancel leaves the boxes.
  for (;;) {
    auto answer = cx_.sv.msg.input("Enter the number of channels", kTitle, channels);
    if (!answer) return;
    if (RoundHalfEven(Val(*answer)) != 0) {
      Text3->setText(Q(*answer));
      break;
    }
    channels = *answer;
  }
  Text4->setText(Q(f->samples));
  Text6->setText(Q(f->interval_ms));
  Text1->setText(Q(CStr(Val(f->samples) * Val(f->interval_ms))));
}

void OyoWindow::Command4_Click() { PickOutput(Text2, "SU File name selection"); }

void OyoWindow::Command1_Click() {
  if (List1->count() == 0) return;  // nothing selected
  auto ns = Whole(Text4, "Number of sample"), ch = Whole(Text3, "Trace number");
  auto records = Whole(Text5, "Number of files");
  if (!ns || !ch || !records) return;
  const OyoParams p{*ch, *ns, Val(T(Text6)), linterger->isChecked()};
  std::string out = T(Text2);
  Remplace_Chaine(out, "//", "/");
  if (Existe_file(out) &&
      cx_.sv.msg.show(out + " file name already exists, this will will remplaced !", MsgIcon::Question,
                      MsgButtons::OkCancel, kTitle) != MsgAnswer::Ok)
    return;  // Cancel: the old file stays as it is
  cx_.st.Ns = *ns;
  RecordRun run{.files = ListFiles(), .records = *records, .output = out};
  Run(run, [p](RecordSource& f, const std::string& n, int, const TraceSink& give) {
        return ReadOyoRecord(f, n, p, give);
      },
      {"Conversion done", MsgIcon::None, kProgramTitle, false, true, *ch});
}

void OyoWindow::Command2_Click() {
  const char* lines[] = {"OYO McSeis 170  to SU format conversion",
                         "This module will convert OYO McSeis 170 ( modified SEG-1) 12 channels and 1000 samples "
                         "records  ",
                         "to Seismic Unix format. ", " 1- Select all the files of your line (max, 99)",
                         "    Use Ctrl or Ucase for multiple files selection", " 2- Check record parameters ",
                         " 3- click on CONVERT button", "Most of SEG header informations are recorded in SU file ",
                         "The result will be a single file with all the selected data "};
  std::string text;
  for (int i = 0; i < 9; ++i) {
    text += std::string(lines[i]) + "\r\n";
    if (i == 0 || i == 2 || i == 6) text += "\r\n";
  }
  ShowHelp(text);
}

// ---- Ambrogeo

AmbrogeoWindow::AmbrogeoWindow(ConversionContext& cx, QWidget* parent)
    : RecordWindow(cx, parent, "Ambrogeo", "Ambrogeo files") {
  Command5 = TopButton("Command5", "Press here to select files ");
  Text6 = Box("Text6", "Number of files to convert", "1", "Type here the number of file to convert");
  Text3 = Box("Text3", "Number of sample", "0");
  Text1 = Box("Text1", "Trace number per record", "24");
  Text4 = Box("Text4", "Sample rate", "0");
  Text2 = Box("Text2", "", " ", "This will be the SU file");
  AddConvertButtons(false);
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

void AmbrogeoWindow::Command5_Click() {
  auto files = PickRecords("ambrogeo file selection", "Record |*.dta|All files|*.*|", "*.dta");
  if (!files) return;
  SetList(*files);
  Text6->setText(QString::number(files->size()));
  std::string out = SuNameBesideInput(files->front()).value_or("");
  Remplace_Chaine(out, "//", "/");
  cx_.st.Output_File = out;
  Text2->setText(Q(out));
  auto bytes = ReadRecord(files->front());
  if (!bytes) {
    cx_.sv.msg.ok(bytes.error().what, MsgIcon::Critical, kTitle);
    return;
  }
  const AmbrogeoHeader h = ReadAmbrogeoHeader(Bytes(bytes->data(), bytes->size()));
  Text1->setText(Q(h.channels));
  Text3->setText(Q(h.samples));
  if (auto rate = cx_.sv.msg.input("Enter the sampling rate:", kTitle, h.rate)) Text4->setText(Q(*rate));
}

void AmbrogeoWindow::Command1_Click() {
  auto ch = Whole(Text1, "Trace number per record"), ns = Whole(Text3, "Number of sample");
  auto dt = Whole(Text4, "Sample rate"), records = Whole(Text6, "Number of files to convert");
  if (!ch || !ns || !dt || !records) return;
  const AmbrogeoParams p{*ch, *ns, *dt};
  cx_.st.Ns = *ns;
  RecordRun run{.files = ListFiles(), .records = *records, .output = T(Text2)};
  Run(run, [p](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
        return ReadAmbrogeoRecord(f, n, p, r, give);
      },
      {"OK, Conversion done", MsgIcon::None, kProgramTitle, false, true, *ch});
  ProgressBar1->setVisible(false);
}

void AmbrogeoWindow::Command2_Click() {
  ShowHelp(std::string("AMBROGEO module conversion") + " This module convert AMBREGEO record to SU format " + "\r\n" +
               " Sample rate trace number, trace number, file number are recorded " + "\r\n" +
               " Just verify the number of channels per record " + "\r\n",
           MsgIcon::Information, kTitle);
}

}  // namespace keld::conversion
