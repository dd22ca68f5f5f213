#pragma once
// Helpers of the export and launch tests: SU files of a shot written into the
// harness's data folder, whole files as bytes, and stand-in programs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QAction>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "korvan/engine/tests/segy_test_files.hpp"
#include "korvan/tests/korvan_fixture.hpp"

namespace keld::korvan::testing {

inline std::vector<uint8_t> Bytes(const std::string& path) {
  auto b = ReadWholeFile(path);
  return b ? *b : std::vector<uint8_t>{};
}

// A shot of `traces` x `ns` with a different value in every header field.
inline std::string WriteShot(const std::string& path, int traces, int ns, int dt = 250) {
  EXPECT_TRUE(WriteSuFile(path, testfiles::Shot(traces, ns, dt)).ok()) << path;
  return path;
}

// Writes an executable shell script.
inline void ShellScript(const std::string& path, const std::string& body) {
  keld::testing::WriteText(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec);
}

// Runs a menu item as a click on it would (refused when it is disabled).
inline bool Choose(Korvan& w, const char* name) {
  QAction* a = w.item(name);
  if (!a) {
    ADD_FAILURE() << "no menu item " << name;
    return false;
  }
  if (!a->isEnabled()) return false;
  a->trigger();
  return true;
}

// Clicks a toolbar button, or dispatches a key that has no button.
inline void Toolbar(Korvan& w, const std::string& key) {
  auto it = w.toolbar_buttons.find(key);
  if (it != w.toolbar_buttons.end())
    it->second->trigger();
  else
    w.Toolbar1_ButtonClick(key);
}

inline std::string DataDir(const KorvanHarness& h) { return h.services.work_folder + "/DATA"; }

inline bool Until(const std::function<bool()>& done) {  // the event loop runs meanwhile; 20 s at most
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done() && std::chrono::steady_clock::now() < end) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

inline int Leftovers(const std::string& dir) {  // temporaries written beside an output
  int n = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) n += e.path().filename().string()[0] == '.';
  return n;
}

}  // namespace keld::korvan::testing
