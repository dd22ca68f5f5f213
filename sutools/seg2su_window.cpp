#include "sutools/seg2su_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "sutools/seg2su_tool.hpp"

namespace keld::sutools {

namespace {
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}
}  // namespace

Seg2suWindow::Seg2suWindow(Dialogs& dialogs, MessageBoxes& msg, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), msg_(msg) {
  setObjectName("seg2su");
  setWindowTitle(kSeg2suTitle);
  List1 = Named(new QListWidget, "List1");
  Text1 = Named(new QLineEdit, "Text1");
  Label1 = Named(new QLabel, "Label1");
  Command1 = Named(new QPushButton("SEG-2 files..."), "Command1");
  Command2 = Named(new QPushButton("SU file..."), "Command2");
  Command3 = Named(new QPushButton("CONVERT"), "Command3");
  Command4 = Named(new QPushButton("EXIT"), "Command4");
  auto* files = new QHBoxLayout;
  files->addWidget(List1, 1);
  files->addWidget(Command1);
  auto* out = new QHBoxLayout;
  out->addWidget(Text1, 1);
  out->addWidget(Command2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Label1, 1);
  buttons->addWidget(Command3);
  buttons->addWidget(Command4);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(files);
  layout->addLayout(out);
  layout->addLayout(buttons);
  resize(560, 260);
  connect(Command1, &QPushButton::clicked, this, &Seg2suWindow::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Seg2suWindow::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Seg2suWindow::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Seg2suWindow::Command4_Click);
}

void Seg2suWindow::Command1_Click() {
  FileDialogSpec desc;
  desc.title = "SEG-2 files";
  desc.filter = "SEG-2|*.sg2;*.seg2;*.dat;*.SG2;*.DAT|All files|*.*|";
  desc.must_exist = true;
  auto chosen = dialogs_.open_files(desc);
  if (!chosen || chosen->empty()) return;  // a cancelled dialog changes nothing
  List1->clear();
  for (const std::string& p : *chosen) List1->addItem(QString::fromStdString(p));
  if (Text1->text().isEmpty()) {
    std::string first = chosen->front();
    size_t dot = first.find_last_of('.');
    size_t slash = first.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) first.resize(dot);
    Text1->setText(QString::fromStdString(first + ".su"));
  }
  Label1->clear();
}

void Seg2suWindow::Command2_Click() {
  FileDialogSpec desc;
  desc.title = "SU file";
  desc.filter = "SU|*.su;*.SU|All files|*.*|";
  desc.name = Text1->text().toStdString();
  auto chosen = dialogs_.save_file(desc);
  if (!chosen || chosen->empty()) return;
  Text1->setText(QString::fromStdString(*chosen));
  Label1->clear();
}

void Seg2suWindow::Command3_Click() {
  std::vector<std::string> inputs;
  for (int i = 0; i < List1->count(); ++i) inputs.push_back(List1->item(i)->text().toStdString());
  const std::string output = Text1->text().toStdString();
  Label1->clear();
  if (inputs.empty() || output.empty()) {
    msg_.ok("File name missing", MsgIcon::Exclamation, kSeg2suTitle);
    return;
  }
  if (Existe_file(output) &&
      !msg_.yes(output + " already exists. Replace it?", MsgIcon::Question, kSeg2suTitle))
    return;
  std::vector<std::string> notes;
  Status done = ConvertSeg2ToSuFile(inputs, output, &notes);
  if (!done) {
    msg_.ok(done.error, MsgIcon::Critical, kSeg2suTitle);
    return;
  }
  Label1->setText("Converted");
  std::string said = output + " has been recorded";
  for (const std::string& n : notes) said += "\r\n" + n;
  msg_.ok(said, MsgIcon::Information, kSeg2suTitle);
}

void Seg2suWindow::Command4_Click() { close(); }

}  // namespace keld::sutools
