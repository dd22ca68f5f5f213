#include "platform/qtbase/qt_messages.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

namespace keld {

namespace {

QMessageBox::Icon QtIcon(MsgIcon i) {
  switch (i) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MsgButtons b) {
  switch (b) {
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok: break;
  }
  return QMessageBox::Ok;
}

}  // namespace

void ConfigureBox(QMessageBox& box, const std::string& text, MsgIcon icon, MsgButtons buttons,
                  const std::string& title) {
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  box.setIcon(QtIcon(icon));
  box.setStandardButtons(QtButtons(buttons));
}

MsgAnswer AnswerOf(int r, MsgButtons buttons) {
  switch (r) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Ok: return MsgAnswer::Ok;
    default: break;
  }
  // Closed without a button: the safe answer.
  return buttons == MsgButtons::YesNo ? MsgAnswer::No
                                      : (buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel);
}

QWidget* BoxParent(QWidget* fallback) {
  QWidget* active = QApplication::activeWindow();
  return active && active->isVisible() ? active : fallback;
}

bool QtMessageBoxes::HasDisplay() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  const QString p = QGuiApplication::platformName();
  return p != "offscreen" && p != "minimal";
}

MsgAnswer QtMessageBoxes::show(const std::string& text, MsgIcon icon, MsgButtons buttons,
                               const std::string& title) {
  if (!HasDisplay()) return fallback_.show(text, icon, buttons, title);
  QMessageBox box(BoxParent(parent_));
  ConfigureBox(box, text, icon, buttons, title);
  return AnswerOf(box.exec(), buttons);
}

std::optional<std::string> QtMessageBoxes::input(const std::string& prompt, const std::string& title,
                                                 const std::string& default_text) {
  if (!HasDisplay()) return fallback_.input(prompt, title, default_text);
  bool ok = false;
  QString t = QInputDialog::getText(BoxParent(parent_), QString::fromStdString(title), QString::fromStdString(prompt),
                                    QLineEdit::Normal, QString::fromStdString(default_text), &ok);
  if (!ok) return std::nullopt;
  return t.toStdString();
}

void QtMessageBoxes::show_timed(const std::string& text, const std::string& title, int ms) {
  if (!HasDisplay()) {
    fallback_.show(text, MsgIcon::Information, MsgButtons::Ok, title);
    return;
  }
  QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, BoxParent(parent_));
  QTimer::singleShot(ms, &box, &QMessageBox::accept);
  box.exec();
}

}  // namespace keld
