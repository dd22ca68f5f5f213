#include "korvan/window/add_su_window.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "korvan/engine/su_join.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {
constexpr const char* kTitle = Korvan::kTitle;
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

AddSuFilesWindow::AddSuFilesWindow(Korvan& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("Add_SU_files");
  setWindowTitle("Add  SU files together");
  auto* v = new QVBoxLayout(this);
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  Command1 = named(new QPushButton("Press here to select  SU files", this), "Command1");
  v->addWidget(Command1);
  List1 = named(new QListWidget(this), "List1");
  List1->setMinimumSize(420, 140);
  v->addWidget(List1, 1);

  auto* g = new QGridLayout;
  auto box = [&](const char* name, const char* design, const char* caption, const char* tip, int row) {
    auto* e = named(new QLineEdit(design, this), name);
    if (tip) e->setToolTip(tip);
    auto* l = new QLabel(caption, this);
    l->setBuddy(e);
    g->addWidget(l, row, 0);
    g->addWidget(e, row, 1);
    return e;
  };
  Text4 = box("Text4", "1024", "Number of samples / trace", "number of sample per trace", 0);
  Text5 = box("Text5", "24", "Number of traces per shot", nullptr, 1);
  Text9 = box("Text9", "1", "Number of files", "0=no display 1= display SU batch", 2);
  // The box alone: its own caption is hidden behind the label beside it.
  Check1 = named(new QCheckBox(this), "Check1");
  Check1->setAccessibleName("Check1");
  Check1->setToolTip("if checked, unitary SU files are deleted");
  auto* check_label = new QLabel("Delete  single SU file", this);
  check_label->setBuddy(Check1);
  g->addWidget(check_label, 3, 0);
  g->addWidget(Check1, 3, 1);
  v->addLayout(g);

  Command4 = named(new QPushButton("Output SU  file", this), "Command4");
  Text2 = named(new QLineEdit(this), "Text2");
  auto* out = new QHBoxLayout;
  out->addWidget(Command4);
  out->addWidget(Text2, 1);
  v->addLayout(out);

  Command2 = named(new QPushButton("Append SU files", this), "Command2");
  Command6 = named(new QPushButton("?", this), "Command6");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command2);
  buttons->addStretch();
  buttons->addWidget(Command6);
  v->addLayout(buttons);
  Text10 = named(new QLineEdit("  ", this), "Text10");
  Text10->setReadOnly(true);
  v->addWidget(Text10);
  ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
  v->addWidget(ProgressBar1);

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  // No second join or pick while one runs; a close stops it and waits for it.
  work_ = new WorkGuard(this, {Command1, Command2, Text2, Check1});
}

void AddSuFilesWindow::Open() {
  show();
  raise();
  activateWindow();
}

void AddSuFilesWindow::Show(const AfficheFileResult& r) {
  List1->clear();
  for (const auto& p : r.List1) List1->addItem(Q(p));
  main_.st.Nb_Fichiers = static_cast<int16_t>(r.Nb_Fichiers);
  if (!r.List1.empty()) Text2->setText(Q(r.Text2));
  main_.st.Nb_Tracce = static_cast<int32_t>(r.Nb_Tracce);
  Text4->setText(QString::number(r.ns));
  Text5->setText(QString::number(r.Nb_Tracce));
  Text9->setText(QString::number(r.Nb_Fichiers));
  if (!r.error.empty()) main_.sv.msg.ok(r.error, MsgIcon::Critical, kTitle);
}

void AddSuFilesWindow::Affiche_file(const std::string& dialog_result) {
  Show(korvan::Affiche_file(dialog_result));
}

void AddSuFilesWindow::Affiche_files(const std::vector<std::string>& paths) {
  Show(korvan::Affiche_files(paths));
}

void AddSuFilesWindow::Command1_Click() {
  FileDialogSpec desc;
  desc.title = "SU file to convert selection";
  desc.filter = "Record |*.su|All files|*.*|";
  desc.name = "*.su";
  desc.must_exist = true;
  auto picked = main_.sv.dialogs.open_files(desc);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  Affiche_files(*picked);
}

void AddSuFilesWindow::Pointers(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
    main_.setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
    main_.unsetCursor();
  }
}

void AddSuFilesWindow::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  KorvanState& st = main_.st;
  MessageBoxes& msg = main_.sv.msg;
  Pointers(true);
  st.Fichier_Sortie = Text2->text().toStdString();
  std::vector<std::string> inputs;
  for (int i = 0; i < st.Nb_Fichiers && i < List1->count(); ++i)
    inputs.push_back(List1->item(i)->text().toStdString());
  for (const auto& in : inputs) {
    if (!st.Fichier_Sortie.empty() && SameFile(in, st.Fichier_Sortie)) {
      Pointers(false);
      msg.ok("Same Input / Output", MsgIcon::Critical, kTitle);
      return;
    }
  }
  // A join always starts from an empty output. An old one is replaced by the
  // complete new one only, so a failed join never loses it.
  if (Existe_file(st.Fichier_Sortie) &&
      (!msg.yes(JoinExistsQuestion(st.Fichier_Sortie), MsgIcon::Question, kTitle) ||
       !msg.yes(JoinEraseQuestion(st.Fichier_Sortie), MsgIcon::Question, kTitle))) {
    Pointers(false);
    return;
  }
  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(std::max<int>(1, st.Nb_Fichiers));
  JoinResult r = JoinSuFiles(
      inputs, st.Fichier_Sortie, Check1->isChecked(),
      [&](int i, int) {
        ProgressBar1->setValue(i);
        Text10->setText(Q(AddingFileText(i)));
        main_.sv.pump.pump();
      },
      [&] { return !run->keep_going(main_.sv.pump); });
  if (run->stopped()) {
    // Closed meanwhile: the output was not written and no file was deleted.
    Pointers(false);
    return;
  }
  if (r.ok)
    msg.ok(JoinMessage(r), r.unreadable.empty() ? MsgIcon::Information : MsgIcon::Exclamation, kTitle);
  else
    msg.ok(r.error, MsgIcon::Critical, kTitle);
  main_.close_segy();
  Pointers(false);
}

void AddSuFilesWindow::Command6_Click() {
  main_.sv.msg.ok("How to append files\r\n"
                  "1.- You select all SU files using Alt+Ctrl button when you click   \r\n"
                  "2.- You can add all files of a same seismic line together\r\n"
                  "3.- Files MUST HAVE THE SAME SIZE, same sample number and same channels    \r\n"
                  "4.- If necessary you can convert the file to SEG-Y using conversion module  \r\n"
                  "    \r\n",
                  MsgIcon::Information, kTitle);
}

}  // namespace keld::korvan
