#include "dropconv/qt_messages.hpp"

#include <clocale>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace keld::dropconv {

QtMessages::QtMessages(int& argc, char** argv) : argc_(argc), argv_(argv) {}

QtMessages::~QtMessages() = default;

void QtMessages::EnsureApplication() {
  if (app_ || QApplication::instance()) return;
  app_ = std::make_unique<QApplication>(argc_, argv_);
  // Qt takes the user's locale; numbers in files keep the full stop.
  std::setlocale(LC_NUMERIC, "C");
}

MsgAnswer QtMessages::show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                           const std::string& title) {
  EnsureApplication();
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
}

std::optional<std::string> QtMessages::input(const std::string& prompt, const std::string& title,
                                             const std::string& default_text) {
  EnsureApplication();
  bool ok = false;
  QString text = QInputDialog::getText(nullptr, QString::fromStdString(title),
                                       QString::fromStdString(prompt), QLineEdit::Normal,
                                       QString::fromStdString(default_text), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

}  // namespace keld::dropconv
