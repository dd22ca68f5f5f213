#include "conversion/shell/pick_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "conversion/shell/word_viewer.hpp"

namespace keld::conversion {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

PickWindow::PickWindow(ConversionContext& cx, QWidget* parent) : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName("pick");
  setWindowTitle("Pick any header word");
  auto named = [](auto* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  auto* v = new QVBoxLayout(this);
  auto* file = new QHBoxLayout;
  Command1 = named(new QPushButton("Select a file", this), "Command1");
  Text1 = named(new QLineEdit(" ", this), "Text1");
  file->addWidget(Command1);
  file->addWidget(Text1, 1);
  v->addLayout(file);
  auto* size = new QHBoxLayout;
  auto* l3 = named(new QLabel("File size", this), "Label3");
  Text4 = named(new QLineEdit(" ", this), "Text4");
  Text4->setReadOnly(true);
  size->addWidget(l3);
  size->addWidget(Text4, 1);
  v->addLayout(size);

  Frame1 = named(new QGroupBox(this), "Frame1");
  auto* f1 = new QHBoxLayout(Frame1);
  Option1 = named(new QRadioButton("SU", Frame1), "Option1");
  Option2 = named(new QRadioButton("SEG-Y", Frame1), "Option2");
  Option3 = named(new QRadioButton("Other", Frame1), "Option3");
  Option1->setChecked(true);
  for (auto* o : {Option1, Option2, Option3}) f1->addWidget(o);
  v->addWidget(Frame1);
  Combo1 = named(new QComboBox(this), "Combo1");
  Combo1->setEditable(true);
  v->addWidget(Combo1);
  Check1 = named(new QCheckBox("Swap bytes", this), "Check1");
  v->addWidget(Check1);
  Frame2 = named(new QGroupBox(this), "Frame2");
  auto* f2 = new QHBoxLayout(Frame2);
  Option4 = named(new QRadioButton("Short int.", Frame2), "Option4");
  Option5 = named(new QRadioButton("Long int.", Frame2), "Option5");
  Option6 = named(new QRadioButton("word", Frame2), "Option6");
  Option7 = named(new QRadioButton("Float", Frame2), "Option7");
  Option4->setChecked(true);
  for (auto* o : {Option4, Option5, Option6, Option7}) f2->addWidget(o);
  Frame2->setEnabled(false);
  v->addWidget(Frame2);

  auto* g = new QGridLayout;
  auto* l1 = named(new QLabel("First bit  position", this), "Label1");
  Text2 = named(new QLineEdit("0", this), "Text2");
  Text2->setReadOnly(true);
  auto* l2 = named(new QLabel("Word value", this), "Label2");
  Text3 = named(new QLineEdit(" ", this), "Text3");
  Text3->setReadOnly(true);
  QFont bold = Text3->font();
  bold.setBold(true);
  Text3->setFont(bold);
  g->addWidget(l1, 0, 0);
  g->addWidget(Text2, 0, 1);
  g->addWidget(l2, 1, 0);
  g->addWidget(Text3, 1, 1);
  v->addLayout(g);
  auto* b = new QHBoxLayout;
  Command2 = named(new QPushButton("GO", this), "Command2");
  Command3 = named(new QPushButton(" ?", this), "Command3");
  Command4 = named(new QPushButton("Edit File", this), "Command4");
  for (auto* w : {Command2, Command3, Command4}) b->addWidget(w);
  v->addLayout(b);

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
  connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
  connect(Option3, &QRadioButton::clicked, this, [this] { Option3_Click(); });
  Form_Load();
}

void PickWindow::ShowSize() {
  auto len = FileLength(Text1->text().toStdString());
  // Only a regular file has a size to show.
  Text4->setText(len && Existe_file(Text1->text().toStdString()) ? QString::number(*len) : QString());
}

void PickWindow::Form_Load() {
  for (const auto& line : ViewerWordList()) Combo1->addItem(Q(line));
  Combo1->setCurrentIndex(38);
  Text1->setText(Q(cx_.st.SU_File));
  ShowSize();
}

void PickWindow::Command1_Click() {
  FileDialogSpec d;
  d.title = "Visual_KELD File selection";
  d.filter = "Seismic Unix (SU)|*.SU|SEG-Y files|*.SGY|All files|*.*|";
  d.name = "*.SU";
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;  // a cancelled dialog changes nothing
  Text1->setText(Q(*picked));
  cx_.st.SU_File = *picked;
  ShowSize();
}

void PickWindow::Command2_Click() {
  MessageBoxes& msg = cx_.sv.msg;
  const std::string path = Text1->text().toStdString();
  if (Option3->isChecked()) {
    if (path.size() < 4) return;
    OtherType type = Option5->isChecked()   ? OtherType::Long
                     : Option6->isChecked() ? OtherType::Word
                     : Option7->isChecked() ? OtherType::Float
                                            : OtherType::Short;
    WordRead r = ReadOtherValue(path, TypedPosition(Text2->text().toStdString()), type);
    if (!r.error.empty()) {
      msg.ok(r.error, MsgIcon::Critical, kTitle);
      return;
    }
    Text3->setText(Q(r.value));
    return;
  }
  // A typed line that is not one of the list's names no word.
  int index = Combo1->currentIndex();
  if (index >= 0 && Combo1->currentText() != Combo1->itemText(index)) index = -1;
  WordRead r = ReadViewerWord(path, index + 1, Option2->isChecked(), Check1->isChecked());
  if (r.error == "Not possible") {
    msg.ok("Not possible", MsgIcon::None, "");
    return;
  }
  if (!r.error.empty()) {
    msg.ok(r.error, MsgIcon::Critical, kTitle);
    return;
  }
  if (r.not_available) msg.ok("Not available", MsgIcon::Critical, kTitle);
  Text3->setText(Q(r.value));
  Text2->setText(Q(r.position));
  Option4->setChecked(r.width == 2);
  Option5->setChecked(r.width == 4);
}

void PickWindow::Command3_Click() {
  static const char* const lines[] = {"How to use this module ? ",
                                      "You can read any value of a SU or SEG-Y seismic file ",
                                      " 1.- Select the word to display ",
                                      " 2.- Select the file type SU or SEG-Y",
                                      " 3.- click on GO",
                                      "The first bit of this word and the value are displayed "};
  std::string text;
  for (const char* l : lines) text += std::string(l) + cx_.st.CrLf;
  cx_.sv.msg.ok(text, MsgIcon::Information, kTitle);
}

void PickWindow::Command4_Click() {
  cx_.st.Editor_Document = Text1->text().toStdString();
  if (cx_.show) cx_.show("Editor");
}

void PickWindow::Option1_Click() {
  Frame2->setEnabled(true);
  Combo1->setEnabled(true);
  Text2->setReadOnly(true);
}

void PickWindow::Option2_Click() { Option1_Click(); }

void PickWindow::Option3_Click() {
  Frame2->setEnabled(true);
  Combo1->setEnabled(false);
  Text2->setReadOnly(false);
}

}  // namespace keld::conversion
