// keysheet FILE: shows and changes the trace-header words of an SU file. The
// whole argument text is the path (korvan passes the current SU file).
#include <QApplication>

#include <clocale>
#include <string>

#include "keysheet/window/excelf.hpp"
#include "platform/folders.hpp"
#include "platform/process.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/sheet/exchange.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("keysheet");
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  std::string path;
  for (int i = 1; i < argc; ++i) path += (i > 1 ? " " : "") + std::string(argv[i]);
  keysheet::KeysheetState state;
  QtMessageBoxes messages;
  QtDialogs dialogs;
  PosixLauncher launcher;
  DesktopSpreadsheet sheets(launcher);
  keysheet::KeysheetServices services{messages, dialogs, launcher, sheets, ProgramFolder()};
  keysheet::Excelf window(state, services);
  messages.set_parent(&window);
  dialogs.set_parent(&window);
  window.show();
  window.Form_Load(path);
  return app.exec();
}
