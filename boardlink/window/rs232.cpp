#include "boardlink/window/rs232.hpp"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/numtext.hpp"
#include "common/text.hpp"

namespace keld::board {

Rs232::Rs232(BoardLink& link, MessageBoxes& messages, std::function<void()> on_opened,
             Rs232Options options, QWidget* parent)
    : QDialog(parent),
      link_(link),
      messages_(messages),
      on_opened_(std::move(on_opened)),
      options_(std::move(options)) {
  setObjectName("Rs232");
  setWindowTitle("USB/RS232");
  setModal(options_.modal);

  auto* port_label = new QLabel("USB/Serial Port", this);
  port_label->setObjectName("Label2");
  auto* list_label = new QLabel("Existing Serial Ports:", this);
  list_label->setObjectName("Label3");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Text1 = new QLineEdit(this);
  Text1->setObjectName("Text1");
  Text1->installEventFilter(this);
  Command1 = new QPushButton("Continue", this);
  Command1->setObjectName("Command1");
  Command1->setAutoDefault(false);
  Command1->setDefault(options_.enter_continues);

  auto* grid = new QGridLayout(this);
  grid->addWidget(port_label, 0, 0);
  grid->addWidget(Text1, 0, 1);
  grid->addWidget(list_label, 1, 0);
  grid->addWidget(Label1, 1, 1);
  grid->addWidget(Command1, 2, 1);

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  Form_Load();
}

void Rs232::Form_Load() {
  SerialPort& port = link_.port();
  if (port.is_open()) return;  // the link is in use: no probing behind its back
  const int kept = port.port_number();
  std::string list;
  for (int n = options_.probe_first; n <= options_.probe_last; ++n) {
    port.set_port_number(n);
    if (!port.open()) continue;
    port.close();
    list += " COM" + std::to_string(n);
  }
  port.set_port_number(kept);
  Label1->setText(QString::fromStdString(list));
}

int Rs232::Text1_KeyPress(int key_ascii) {
  // Digits and the colon (codes 48 to 58); Backspace and Enter are dropped too.
  return Filtre_Touche(key_ascii, "0123456789:", 0);
}

bool Rs232::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text1 && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    int code = 0;
    if (k->key() == Qt::Key_Backspace)
      code = 8;
    else if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && options_.enter_continues)
      return false;  // on to the dialog, which presses Continue
    else if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
      code = 13;
    else if (k->key() == Qt::Key_Delete || k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab ||
             k->text().isEmpty())
      return false;  // moving the cursor or the focus is not a typed character
    else
      code = k->text().at(0).unicode();
    return Text1_KeyPress(code) == 0;  // true: the key is dropped
  }
  return QDialog::eventFilter(watched, event);
}

void Rs232::Command1_Click() {
  const double v = Val(Text1->text().toStdString());
  if (v < 1 || v > 128) return;
  const int port = static_cast<int>(RoundHalfEven(v));
  if (!link_.open_port(port)) {
    if (link_.open_error() == OpenError::Rate)
      messages_.show("This baude rate is Impossible ", MsgIcon::None, MsgButtons::Ok, "");
    else
      messages_.show(link_.error(), MsgIcon::Critical, MsgButtons::Ok, options_.title);
    return;  // the operator chooses another port
  }
  if (on_opened_) on_opened_();
  accept();
}

}  // namespace keld::board
