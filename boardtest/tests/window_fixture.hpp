#pragma once
// The console window over a port: the in-process simulator or a real one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>

#include <chrono>
#include <functional>
#include <memory>

#include "boardtest/window/analog.hpp"
#include "common/testing/testsupport.hpp"
#include "platform/qtbase/qt_pump.hpp"

namespace keld::boardtest::testing {

struct Console {
  explicit Console(board::SerialPort& port, board::LinkConfig link = Quick())
      : services{messages, pump, port, dir.path(), link, false} {}
  static board::LinkConfig Quick() {
    board::LinkConfig c = board::LinkConfig::Boardtest();
    c.block_timeout_ms = 200;
    return c;
  }
  Analog& start() {
    window = std::make_unique<Analog>(state, services);
    window->resize(900, 600);
    window->Form_Load();
    return *window;
  }
  bool open_port() {
    if (!window->link().open_port(1)) {
      ADD_FAILURE() << "port 1: " << window->link().error();
      return false;
    }
    return true;
  }
  void tick_rows(std::initializer_list<std::pair<int, const char*>> rows) {
    for (auto [row, unit] : rows) {
      window->TextRow[static_cast<size_t>(row)]->setText(unit);
      window->CheckRow[static_cast<size_t>(row)]->setChecked(true);
    }
  }
  // Runs the event loop until `done` holds or `ms` have passed.
  static bool RunUntil(const std::function<bool()>& done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      if (done()) return true;
    }
    return false;
  }
  keld::testing::TempDir dir;
  MessageRecorder messages;
  QtEventPump pump;
  BoardtestState state;
  BoardtestServices services;
  std::unique_ptr<Analog> window;
};

inline std::string Caption(Analog& w, int row) {
  return w.CheckRow[static_cast<size_t>(row)]->text().toStdString();
}

}  // namespace keld::boardtest::testing
