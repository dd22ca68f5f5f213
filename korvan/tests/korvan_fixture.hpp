#pragma once
// A korvan main window for tests: settings and work folder in a temporary
// folder, recorders for boxes, dialogs and started programs, the unit
// simulator in process behind the serial port, no pauses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>
#include <memory>

#include "boardsim/sim_port.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_pump.hpp"

namespace keld::korvan::testing {

// The Qt pump with a hook run on every pass, so that a test can press
// "Release Trigger" in the middle of a wait.
struct ScriptedPump : EventPump {
  void pump() override {
    ++passes;
    if (hook) hook();
    qt.pump();
  }
  QtEventPump qt;
  std::function<void()> hook;
  long passes = 0;
};

struct KorvanHarness {
  explicit KorvanHarness(const std::string& dir)
      : env("KELD_WINDIR", dir + "/win"),
        services{messages, launcher, pump, dialogs, port, dir + "/prog", dir + "/work", 1.0, {}, {}} {
    std::filesystem::create_directories(dir + "/win");
    std::filesystem::create_directories(dir + "/prog");
    std::filesystem::create_directories(dir + "/work");
    services.pause_scale = 0;
    services.show_port_dialog = [] {};
    services.beep = [this] { ++beeps; };
  }
  // A window that has run its start-up sequence.
  Korvan& start() {
    window = std::make_unique<Korvan>(state, services);
    window->resize(1000, 700);
    window->Startup();
    return *window;
  }
  std::string ini() const { return std::string(getenv("KELD_WINDIR")) + "/korvan_QMR.ini"; }

  keld::testing::ScopedEnv env;
  KorvanState state;
  MessageRecorder messages;
  ProcessRecorder launcher;
  ScriptedPump pump;
  DialogRecorder dialogs;
  sim::SimPort port;
  KorvanServices services;
  int beeps = 0;
  std::unique_ptr<Korvan> window;
};

template <typename T>
T* Find(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(name);
  if (!c) ADD_FAILURE() << "no control " << name;
  return c;
}

inline QString Text(QWidget* w, const char* name) {
  if (auto* e = w->findChild<QLineEdit*>(name)) return e->text();
  if (auto* l = w->findChild<QLabel*>(name)) return l->text();
  if (auto* c = w->findChild<QComboBox*>(name)) return c->currentText();
  ADD_FAILURE() << "no text control " << name;
  return {};
}

}  // namespace keld::korvan::testing
