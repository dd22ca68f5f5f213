#pragma once
// A conversion start window for tests: settings and work folder in a
// temporary folder, recorders for boxes, dialogs and started programs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <memory>

#include "common/testing/testsupport.hpp"
#include "conversion/shell/start_window.hpp"
#include "platform/qtbase/qt_pump.hpp"

namespace keld::conversion::testing {

struct ConversionHarness {
  explicit ConversionHarness(const std::string& dir, WindowRegistry reg = ConversionWindows())
      : env("KELD_WINDIR", dir + "/win"),
        home("KELD_HOME", dir + "/work"),
        services{messages, launcher, pump, dialogs, dir + "/prog", dir + "/work", [this] { ++beeps; }} {
    std::filesystem::create_directories(dir + "/win");
    std::filesystem::create_directories(dir + "/prog");
    std::filesystem::create_directories(dir + "/work");
    window = std::make_unique<StartWindow>(state, services, std::move(reg));
    window->Form_Load();
    window->show();
  }
  // Clicks an option button of the start window as a user would.
  void Choose(int n) { window->Option(n)->click(); }

  keld::testing::ScopedEnv env, home;
  ConversionState state;
  MessageRecorder messages;
  ProcessRecorder launcher;
  QtEventPump pump;
  DialogRecorder dialogs;
  ConversionServices services;
  int beeps = 0;
  std::unique_ptr<StartWindow> window;
};

template <typename T>
T* Find(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(name);
  if (!c) ADD_FAILURE() << "no control " << name;
  return c;
}

}  // namespace keld::conversion::testing
