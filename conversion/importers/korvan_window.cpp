#include "conversion/importers/korvan_window.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/numtext.hpp"
#include "conversion/importers/korvan_ascii.hpp"
#include "conversion/shell/module1.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
}  // namespace

KorvanWindow::KorvanWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("KORVAN");
  setWindowTitle("Korvan to SU ver. 1.2");
  auto named = [this](auto* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(name);
    if (tip) w->setToolTip(tip);
    return w;
  };
  auto* v = new QVBoxLayout(this);
  Command6 = named(new QPushButton("Select ALL channel files", this), "Command6",
                   "Select all channel files of all shots !");
  v->addWidget(Command6);
  List1 = named(new QListWidget(this), "List1");
  List1->setMinimumSize(420, 140);
  v->addWidget(List1, 1);

  auto* g = new QGridLayout;
  Command3 = named(new QPushButton("Info file (xxx.ADT)", this), "Command3");
  Text8 = named(new QLineEdit("ADT file", this), "Text8", "Click here to select an Info ADT file");
  g->addWidget(Command3, 0, 0);
  g->addWidget(Text8, 0, 1);
  Command5 = named(new QPushButton("Output SU file name", this), "Command5");
  Text5 = named(new QLineEdit("*.SU", this), "Text5", "Click here to change the output SU name");
  g->addWidget(Command5, 1, 0);
  g->addWidget(Text5, 1, 1);
  auto box = [&](const char* name, const char* text, const char* label, const char* tip, int row) {
    auto* e = named(new QLineEdit(text, this), name, tip);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    g->addWidget(l, row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  Text2 = box("Text2", "24", "Number of channel / record", nullptr, 2);
  Text3 = box("Text3", "1", "Number of records", "Modify here the number of rexcords (maximum total 99 traces)", 3);
  Text4 = box("Text4", " ", "Sample rate (microS)", nullptr, 4);
  Text6 = box("Text6", " ", "Samples per trace", "Number of dsamples per trace", 5);
  Text7 = box("Text7", " ", "Recording time (ms)", nullptr, 6);
  Text7->setReadOnly(true);
  v->addLayout(g);

  Label8 = named(new QLabel(" ", this), "Label8");
  v->addWidget(Label8);
  ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
  v->addWidget(ProgressBar1);
  auto* buttons = new QHBoxLayout;
  Command1 = named(new QPushButton("Convert", this), "Command1");
  Command4 = named(new QPushButton("?", this), "Command4");
  Command2 = named(new QPushButton("Exit", this), "Command2");
  buttons->addWidget(Command1);
  buttons->addWidget(Command4);
  buttons->addStretch();
  buttons->addWidget(Command2);
  v->addLayout(buttons);

  Text8->installEventFilter(this);
  Text5->installEventFilter(this);
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Read_info_file(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Choix_SU(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { close(); });
  work_ = new WorkGuard(this, {Command6, Command3, Command5, Command1, Text8, Text5});
}

bool KorvanWindow::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::MouseButtonDblClick) {
    if (obj == Text8) {
      Read_info_file();
      return true;
    }
    if (obj == Text5) {
      Choix_SU();
      return true;
    }
  }
  return QWidget::eventFilter(obj, ev);
}

void KorvanWindow::Select_i() {
  FileDialogSpec d;
  d.title = "KORVAN file selection";
  d.filter = "Record |*.a*|All files|*.*|";
  d.name = "*.*";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_files(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  ChannelSelection sel = SelectChannelFiles(*picked);
  Chemin_file(cx_.st, picked->front());
  // A new choice replaces the list: the conversion starts at its first entry.
  List1->clear();
  for (const auto& f : sel.files) List1->addItem(Q(f));
  Text5->setText(Q(sel.output));
  if (List1->count() > 0) cx_.st.Input_File = List1->item(0)->text().toStdString();
}

void KorvanWindow::Read_info_file() {
  FileDialogSpec d;
  d.title = "KORVAN Info File selection";
  d.filter = "Info files|*.adt|All files|*.*|";
  d.name = "*.adt";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  // The information file beside the first channel file is proposed.
  if (List1->count() > 0)
    if (auto adt = CompanionAdt(List1->item(0)->text().toStdString())) d.name = *adt;
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;
  Text8->setText(Q(*picked));
  Lecture_adt();
}

void KorvanWindow::Lecture_adt() {
  const std::string name = S(Text8);
  auto found = FindFileAnyCase(name);
  if (!found) {
    cx_.sv.msg.ok(name + " does not exist", MsgIcon::Critical, kTitle);
    return;
  }
  auto info = ReadAdt(*found);
  if (!info) {
    cx_.sv.msg.ok(info.error(), MsgIcon::Critical, kTitle);
    return;
  }
  cx_.st.Nb_Ch = info->channels;
  Text2->setText(QString::number(info->channels));
  Text3->setText(QString::number(info->records));
  Text4->setText(QString::number(info->sample_interval));
  Text5->setText(Q(AdtOutputName(name)));
  Text6->setText(QString::number(info->samples));
  Text7->setText(QString::number(info->recording_ms));
}

void KorvanWindow::Choix_SU() {
  FileDialogSpec d;
  d.title = "Seismic Unix Output file selection";
  d.filter = "SU files|*.SU|";
  d.name = "*.SU";
  d.folder = cx_.st.Work_Dir;
  auto picked = cx_.sv.dialogs.save_file(d);
  if (!picked || picked->empty()) return;
  Text5->setText(Q(*picked));
}

void KorvanWindow::Command1_Click() {
  auto run = work_->begin();
  if (!run) return;
  MessageBoxes& msg = cx_.sv.msg;
  const std::string output = S(Text5);
  struct Box {
    QLineEdit* e;
    const char* what;
    std::optional<int16_t> v;
  } boxes[] = {{Text4, "Sample rate", {}}, {Text2, "Number of channel / record", {}}, {Text3, "Number of records", {}},
               {Text6, "Samples per trace", {}}};
  for (auto& b : boxes) {
    b.v = CInt(Val(S(b.e)));
    if (!b.v) {
      msg.ok(std::string(b.what) + " " + S(b.e) + " is too large", MsgIcon::Critical, kTitle);
      return;
    }
  }
  if (*boxes[0].v == 0) {
    msg.ok("Sample rate missing, you must read the ADT file", MsgIcon::Critical, kTitle);
    return;
  }
  KorvanImport job;
  job.output = output;
  job.dt = *boxes[0].v;
  job.channels = *boxes[1].v;
  job.records = *boxes[2].v;
  job.ns = *boxes[3].v;
  for (int i = 0; i < List1->count(); ++i) job.files.push_back(List1->item(i)->text().toStdString());
  if (!job.files.empty()) cx_.st.Input_File = job.files.front();
  if (auto d = FileDateWords(cx_.st.Input_File)) job.date = *d;
  cx_.st.Output_File = output;
  cx_.st.Ns = job.ns;
  cx_.st.Dt = static_cast<int16_t>(job.dt);
  cx_.st.Nb_Ch = static_cast<int16_t>(job.channels);

  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(std::max(1, job.records * job.channels));
  setCursor(Qt::WaitCursor);
  job.stopped = run->stop_check();
  KorvanResult r = ConvertKorvan(job, [&](int t, const std::string& file) {
    ProgressBar1->setValue(t);
    Label8->setText(Q("Converting " + file));
    run->keep_going(cx_.sv.pump);
  });
  unsetCursor();
  if (run->closing()) return;
  if (!r.ok) {
    msg.ok(r.error, MsgIcon::Critical, kTitle);
    return;
  }
  if (!r.problems.empty()) {
    std::string text = "Conversion done with missing samples:\r\n";
    const size_t shown = std::min<size_t>(r.problems.size(), 20);
    for (size_t i = 0; i < shown; ++i) text += r.problems[i] + "\r\n";
    if (shown < r.problems.size()) text += "... and " + std::to_string(r.problems.size() - shown) + " more\r\n";
    msg.ok(text, MsgIcon::Exclamation, kTitle);
    return;
  }
  msg.ok("OK Conversion done", MsgIcon::Information, kTitle);
}

void KorvanWindow::Command4_Click() {
  static const char* const lines[] = {
      "How to convert KORVAN files ",
      "KORVAN files a quite complicated, one ASCII file per channel",
      "another file (extension ADT) contains useful informations",
      "1.- Select All channel files *.A01, *.A02 ...",
      "2.- Select the ADT file and verifiy displayed informations",
      "3.- Check parameters (shot number, channels) then press on CONVERT",
      " For multiselection use Windows ususal keys (CTRL and MAJ)",
      "4.- Display the result to check the conversion",
  };
  std::string text;
  for (const char* l : lines) text += std::string(l) + "\r\n";
  cx_.sv.msg.ok(text, MsgIcon::Information, kTitle);
}

}  // namespace keld::conversion
