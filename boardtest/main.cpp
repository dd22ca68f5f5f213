// boardtest: the test console of the acquisition units.
#include <QApplication>

#include <clocale>

#include "boardlink/qt/qt_serial_port.hpp"
#include "boardtest/window/analog.hpp"
#include "platform/folders.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("boardtest");
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  boardtest::BoardtestState state;
  QtMessageBoxes messages;
  QtEventPump pump;
  board::QtSerialPort port;
  boardtest::BoardtestServices services{messages, pump, port, WorkFolder()};
  boardtest::Analog window(state, services);
  window.resize(1024, 720);
  messages.set_parent(&window);
  window.Form_Load();
  return app.exec();
}
