#include "conversion/rtoaw/rtoaw_window.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/files.hpp"
#include "conversion/rtoaw/dzt.hpp"

namespace keld::rtoaw {

namespace {
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

RtoawWindow::RtoawWindow(Dialogs& dialogs, MessageBoxes& msg, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), msg_(msg) {
  setObjectName("rtoaw");
  setWindowTitle(kRtoawTitle);
  Text1 = Named(new QLineEdit, "Text1");
  Text2 = Named(new QLineEdit, "Text2");
  Label1 = Named(new QLabel, "Label1");
  Label2 = Named(new QLabel, "Label2");
  Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Command1 = Named(new QPushButton("DZT file..."), "Command1");
  Command2 = Named(new QPushButton("Text file..."), "Command2");
  Command3 = Named(new QPushButton("CONVERT"), "Command3");
  Command4 = Named(new QPushButton("EXIT"), "Command4");
  auto* g = new QGridLayout(this);
  g->addWidget(Text1, 0, 0);
  g->addWidget(Command1, 0, 1);
  g->addWidget(Text2, 1, 0);
  g->addWidget(Command2, 1, 1);
  g->addWidget(Label1, 2, 0, 1, 2);
  g->addWidget(Label2, 3, 0);
  g->addWidget(Command3, 3, 1);
  g->addWidget(Command4, 4, 1);
  Text1->setMinimumWidth(380);
  connect(Command1, &QPushButton::clicked, this, &RtoawWindow::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &RtoawWindow::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &RtoawWindow::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &RtoawWindow::Command4_Click);
}

void RtoawWindow::Command1_Click() {
  FileDialogSpec desc;
  desc.title = "GSSI DZT file";
  desc.filter = "GSSI radar|*.DZT;*.dzt|All files|*.*|";
  desc.must_exist = true;
  auto chosen = dialogs_.open_file(desc);
  if (!chosen || chosen->empty()) return;  // a cancelled dialog changes nothing
  Text1->setText(Q(*chosen));
  std::string txt = *chosen;
  const size_t dot = txt.find_last_of('.'), slash = txt.find_last_of('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) txt.resize(dot);
  Text2->setText(Q(txt + ".txt"));
  Label2->clear();
  auto bytes = ReadWholeFile(*chosen);
  auto h = bytes ? ReadDztHeader(*bytes) : Result<DztHeader>::failure(bytes.error());
  Label1->setText(Q(h ? DescribeDzt(*h) : h.error()));
}

void RtoawWindow::Command2_Click() {
  FileDialogSpec desc;
  desc.title = "Text file";
  desc.filter = "Text|*.txt;*.TXT|All files|*.*|";
  desc.name = Text2->text().toStdString();
  auto chosen = dialogs_.save_file(desc);
  if (!chosen || chosen->empty()) return;
  Text2->setText(Q(*chosen));
  Label2->clear();
}

void RtoawWindow::Command3_Click() {
  const std::string in = Text1->text().toStdString(), out = Text2->text().toStdString();
  Label2->clear();
  if (in.empty() || out.empty()) return msg_.ok("File name missing", MsgIcon::Exclamation, kRtoawTitle);
  if (Existe_file(out) && !msg_.yes(out + " already exists. Replace it?", MsgIcon::Question, kRtoawTitle)) return;
  DztHeader h;
  auto names = ConvertDzt(in, out, &h);
  if (!names) return msg_.ok(names.error(), MsgIcon::Critical, kRtoawTitle);
  Label2->setText("Converted");
  std::string text;
  for (const std::string& n : *names) text += n + "\n";
  msg_.ok(text + "has been recorded: " + std::to_string(h.scans) + " traces of " + std::to_string(h.samples) +
              " samples per trace (type " + std::to_string(h.samples) + " into step 2), sample interval " +
              std::to_string(h.interval_ns()) + " ns",
          MsgIcon::Information, kRtoawTitle);
}

void RtoawWindow::Command4_Click() { close(); }

}  // namespace keld::rtoaw
