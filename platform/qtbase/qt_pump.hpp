#pragma once
// The event pump of the windowed programs: one pass of Qt's event loop.
#include "platform/pump.hpp"

namespace keld {

class QtEventPump : public EventPump {
 public:
  void pump() override;
};

}  // namespace keld
