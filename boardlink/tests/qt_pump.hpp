#pragma once
// The window system's pump for tests that run with Qt.
#include <QCoreApplication>

#include "platform/pump.hpp"

namespace keld::board::testing {

struct QtPump : EventPump {
  void pump() override { QCoreApplication::processEvents(); }
};

}  // namespace keld::board::testing
