#include "dropconv/qt_messages.hpp"
#include "platform/qtbase/qt_messages.hpp"

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
  ConfigureBox(box, text, icon, buttons, title);
  return AnswerOf(box.exec(), buttons);
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
