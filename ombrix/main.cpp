// ombrix: an SU section laid out on a page, previewed, printed and exported.
// The whole command-line text is the path of the SU file.
#include <QApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <clocale>
#include <string>

#include "ombrix/render/render.hpp"
#include "ombrix/window/parameters.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("ombrix");
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  using namespace keld::ombrix;
  InstallFontSubstitutes();
  std::string command_line;
  for (int i = 1; i < argc; ++i) command_line += (i > 1 ? " " : "") + std::string(argv[i]);

  OmbrixState state;
  QtMessageBoxes messages;
  QtDialogs dialogs;
  PosixLauncher launcher;
  QtEventPump pump;
  OmbrixServices services{messages, dialogs, launcher, pump, [] { QApplication::quit(); },
                          [] { QApplication::beep(); }, nullptr,
                          [](QPrinter& p) { return QPageSetupDialog(&p).exec() == QDialog::Accepted; },
                          [](QPrinter& p) { return QPrintDialog(&p).exec() == QDialog::Accepted; }};
  Parameters window(state, services);
  messages.set_parent(&window);
  dialogs.set_parent(&window);
  window.resize(1000, 760);
  window.Form_Load(command_line);
  window.show();
  return app.exec();
}
