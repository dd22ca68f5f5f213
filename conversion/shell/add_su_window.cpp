#include "conversion/shell/add_su_window.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "common/su_join.hpp"
#include "conversion/shell/module1.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

AddSuWindow::AddSuWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("Add_SU_files");
  setWindowTitle("Add Seismic Unix files");
  auto named = [this](auto* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(name);
    if (tip) w->setToolTip(tip);
    return w;
  };
  auto* v = new QVBoxLayout(this);
  Command1 = named(new QPushButton("Press here to select  SU files", this), "Command1");
  v->addWidget(Command1);
  List1 = named(new QListWidget(this), "List1");
  List1->setMinimumSize(420, 140);
  v->addWidget(List1, 1);
  auto* g = new QGridLayout;
  auto box = [&](const char* name, const char* text, const char* label, const char* tip, int row) {
    auto* e = named(new QLineEdit(text, this), name, tip);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    g->addWidget(l, row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  Text2 = box("Text2", "", "Output SU  file", nullptr, 0);
  Text4 = box("Text4", "1024", "Number of samples / trace", "number of sample per trace", 1);
  Text5 = box("Text5", "", "Number of traces per shot", nullptr, 2);
  Text3 = box("Text3", "", "Number of files", nullptr, 3);
  Text9 = box("Text9", "1", "Display", "0=no display 1= display SU batch", 4);
  Check1 = named(new QCheckBox(this), "Check1", "if checked, unitary SU files are deleted");
  auto* cl = new QLabel("Delete  single SU file", this);
  cl->setBuddy(Check1);
  g->addWidget(cl, 5, 0);
  g->addWidget(Check1, 5, 1);
  v->addLayout(g);
  Command2 = named(new QPushButton("Convert", this), "Command2");
  v->addWidget(Command2);
  Text10 = named(new QLineEdit(this), "Text10");
  Text10->setReadOnly(true);
  v->addWidget(Text10);
  ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
  v->addWidget(ProgressBar1);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  work_ = new WorkGuard(this, {Command1, Command2, Check1});
}

void AddSuWindow::Affiche_file(const std::vector<std::string>& paths) {
  auto files = BoundSelection(paths, 99);
  if (files.empty()) return;
  selection_left_out_ = SelectionLeftOutText(paths, 99);
  if (!selection_left_out_.empty()) cx_.sv.msg.ok(selection_left_out_, MsgIcon::Exclamation, kTitle);
  List1->clear();
  for (const auto& f : files) List1->addItem(Q(f));
  Text2->setText(Q(FolderOf(files.front()) + "data_raw.su"));
  Text3->setText(QString::number(files.size()));
  auto L = ReadSuLayout(files.front());
  if (!L) {
    cx_.sv.msg.ok(L.error(), MsgIcon::Critical, kTitle);
    return;
  }
  Text4->setText(QString::number(L->ns));
  cx_.st.Nb_Traces = static_cast<int32_t>(std::min<int64_t>(L->traces, INT32_MAX));
  Text5->setText(QString::number(cx_.st.Nb_Traces));
}

void AddSuWindow::Command1_Click() {
  FileDialogSpec d;
  d.folder = cx_.st.Work_Dir;
  d.title = "SU file to convert selection";
  d.filter = "Record |*.su|All files|*.*|";
  d.name = "*.su";
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_files(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  Affiche_file(*picked);
}

void AddSuWindow::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  MessageBoxes& msg = cx_.sv.msg;
  ConversionState& st = cx_.st;
  st.Output_File = Text2->text().toStdString();
  st.Nb_Traces = static_cast<int32_t>(Val(Text5->text().toStdString()));
  const int64_t wanted = static_cast<int64_t>(Val(Text3->text().toStdString()));
  std::vector<std::string> inputs;
  for (int i = 0; i < List1->count() && i < wanted; ++i) inputs.push_back(List1->item(i)->text().toStdString());
  if (Existe_file(st.Output_File)) {
    // An existing output is replaced only after both questions are answered
    // Yes, and then by the complete new file.
    if (!msg.yes(st.Output_File + " file already exists, append new files ?", MsgIcon::None, kTitle)) return;
    if (!msg.yes("Erase " + st.Output_File + " ?", MsgIcon::None, kTitle)) return;
  }
  setCursor(Qt::WaitCursor);
  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(std::max<int>(1, static_cast<int>(inputs.size())));
  // The window answers between files and between pieces of one; a close
  // stops the join, which then leaves nothing (see WorkGuard).
  JoinResult r = JoinSuFiles(
      inputs, st.Output_File, Check1->isChecked(),
      [&](int i, int) {
        ProgressBar1->setValue(i);
        Text10->setText(Q("Adding file " + Str(i)));
      },
      [&] { return !run->keep_going(cx_.sv.pump); });
  unsetCursor();
  if (run->closing()) return;
  if (!r.ok) {
    msg.ok(r.error, MsgIcon::Critical, kTitle);
    return;
  }
  // A selection cut at 99 files: what it left out comes first, and the join
  // is not "OK" even when every listed file is in it.
  const bool all_done = selection_left_out_.empty() && r.unreadable.empty() && r.not_deleted.empty();
  msg.ok(JoinMessage(r, selection_left_out_), all_done ? MsgIcon::Information : MsgIcon::Exclamation, kTitle);
}

}  // namespace keld::conversion
