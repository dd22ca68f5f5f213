#include "platform/qtbase/qt_pump.hpp"

#include <QCoreApplication>
#include <QThread>

namespace keld {

void QtEventPump::pump() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // A wait loop would otherwise hold a core at full load while it waits for
  // the units; a few microseconds keep the link far faster than the wire.
  QThread::usleep(20);
}

}  // namespace keld
