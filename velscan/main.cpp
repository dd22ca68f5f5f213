// velscan: NMO velocity analysis of an SU file, started with its path.
#include <QApplication>

#include <clocale>

#include "platform/folders.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/signals.hpp"
#include "velscan/window/nmo_window.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("velscan");
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  velscan::VelscanState state;
  QtMessageBoxes messages;
  QtDialogs dialogs;
  PosixLauncher launcher;
  QtEventPump pump;
  velscan::VelscanServices services{messages, dialogs, launcher, pump, ProgramFolder(), WorkFolder()};
  velscan::NmoWindow window(state, services);
  messages.set_parent(&window);
  dialogs.set_parent(&window);
  window.resize(1100, 760);
  window.show();
  window.Form_Load(velscan::CommandLinePath(argc, argv));
  return app.exec();
}
