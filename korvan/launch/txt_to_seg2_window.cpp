#include "korvan/launch/txt_to_seg2_window.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "korvan/launch/launch.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}
}  // namespace

txt_to_seg2::txt_to_seg2(KorvanServices& sv, QWidget* parent) : QWidget(parent), sv_(sv) {
  setObjectName("txt_to_seg2");
  setWindowTitle("TXT to SEG-2");
  setWindowFlag(Qt::Window);

  Text1 = Named(new QLineEdit, "Text1");
  Label1 = Named(new QLabel("Will be converted to:"), "Label1");
  Text2 = Named(new QLineEdit, "Text2");
  Label2 = Named(new QLabel("Converted"), "Label2");
  Label2->setVisible(false);
  Command2 = Named(new QPushButton(" Select  file dati.txt  to  convert"), "Command2");
  Command1 = Named(new QPushButton("CONVERT"), "Command1");
  Command3 = Named(new QPushButton("EXIT"), "Command3");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command2);
  buttons->addWidget(Command1);
  buttons->addWidget(Command3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text1);
  layout->addWidget(Label1);
  layout->addWidget(Text2);
  layout->addWidget(Label2);
  layout->addLayout(buttons);
  Text1->setMinimumWidth(420);

  connect(Command2, &QPushButton::clicked, this, &txt_to_seg2::Command2_Click);
  connect(Command1, &QPushButton::clicked, this, &txt_to_seg2::Command1_Click);
  connect(Command3, &QPushButton::clicked, this, &txt_to_seg2::Command3_Click);
  work_ = new WorkGuard(this, {Command1, Command2, Text1, Text2});
}

std::string txt_to_seg2::Seg2NameFor(const std::string& record) {
  if (record.size() < 4) return record + ".sg2";
  return record.substr(0, record.size() - 4) + ".sg2";
}

void txt_to_seg2::Command2_Click() {
  FileDialogSpec desc;
  desc.filter = "*.txt|*.txt";
  desc.must_exist = true;
  auto chosen = sv_.dialogs.open_file(desc);
  if (!chosen || chosen->empty()) return;  // a cancelled dialog changes nothing
  Text1->setText(QString::fromStdString(*chosen));
  Text2->setText(QString::fromStdString(Seg2NameFor(*chosen)));
  Label2->setVisible(false);  // "Converted" spoke of the record chosen before
}

void txt_to_seg2::Refuse(const std::string& text) {
  Label2->setVisible(false);
  sv_.msg.ok(text, MsgIcon::Critical, kKorvanTitle);
}

void txt_to_seg2::Command1_Click() {
  auto run = work_->begin();
  if (!run) return;
  std::string record = Text1->text().toStdString();
  std::string sg2 = Text2->text().toStdString();
  if (record.empty() || sg2.empty()) return Refuse("File name missing");
  if (!Existe_file(record)) return Refuse(record + " does not exist !");
  // dropconv splits its command line at every bar.
  if (record.find('|') != std::string::npos || sg2.find('|') != std::string::npos)
    return Refuse("A file name cannot hold the character |");
  if (SameFile(record, sg2)) return Refuse("Same Input / Output");
  Label2->setVisible(false);
  const Seg2Copy copy = RunDropconv(sv_, record, sg2, run->stop_check());
  switch (copy.outcome) {
    case Seg2Copy::Outcome::NotStarted:
      return Refuse("dropconv must be in KORVAN folder !");
    case Seg2Copy::Outcome::Stopped:
      return;  // the window is closing
    case Seg2Copy::Outcome::Failed:
      return Refuse(sg2 + " has not been made:\r\n" + copy.words);
    case Seg2Copy::Outcome::Made:
      break;
  }
  Label2->setVisible(true);
  if (!copy.words.empty()) sv_.msg.ok(copy.words + "\r\n" + sg2 + " has been recorded", MsgIcon::Exclamation, kKorvanTitle);
}

void txt_to_seg2::Command3_Click() { close(); }

}  // namespace keld::korvan
