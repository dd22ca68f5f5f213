#pragma once
// velscan's window with recorders in place of the boxes, dialogs and launcher.
#include <QLineEdit>
#include <QScrollBar>

#include <string>

#include "common/testing/testsupport.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "velscan/window/nmo_window.hpp"

namespace keld::velscan::testing {

struct VelscanHarness {
  VelscanState state;
  MessageRecorder messages;
  DialogRecorder dialogs;
  ProcessRecorder launcher;
  QtEventPump pump;  // a running batch hands control to the window system
  keld::testing::TempDir work;  // the work folder
  VelscanServices services{messages, dialogs, launcher, pump, "/nonexistent-programs", work.path()};
  NmoWindow window{state, services};
  VelscanHarness() {
    window.resize(900, 600);
    window.show();
  }
  // The CDPs of the traces shown.
  std::vector<int32_t> shown_cdps() const {
    std::vector<int32_t> c;
    for (const auto& h : state.Tableau_Film.headers) c.push_back(h.cdp);
    return c;
  }
};

}  // namespace keld::velscan::testing
