#pragma once
// keysheet's main window for tests: settings and work folders in a temporary
// folder, recorders for boxes, dialogs and documents, the fake spreadsheet.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <memory>

#include "common/testing/testsupport.hpp"
#include "keysheet/tests/su_files.hpp"
#include "keysheet/window/excelf.hpp"
#include "keysheet/window/grille.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/sheet/exchange.hpp"

namespace keld::keysheet::testing {

struct KeysheetHarness {
  KeysheetHarness()
      : win("KELD_WINDIR", dir / "win"), home("KELD_HOME", dir / "work"),
        sv{messages, dialogs, launcher, sheets, dir / "prog"} {
    for (const char* d : {"win", "work", "prog", "data"}) std::filesystem::create_directories(dir / d);
  }
  Excelf& start(const std::string& argument) {
    window = std::make_unique<Excelf>(st, sv);
    window->show();
    window->Form_Load(argument);
    return *window;
  }
  // A hand-made SU file in the data folder.
  std::string su(const std::string& name, int traces, int ns, int dt = 1000) {
    const std::string path = dir / ("data/" + name);
    testfiles::WriteBytes(path, testfiles::MakeSu(traces, ns, dt));
    return path;
  }
  Grille& grid() {
    window->Command2_Click();
    Grille* g = window->grid_window();
    EXPECT_NE(g, nullptr);
    return *g;
  }

  keld::testing::TempDir dir;
  keld::testing::ScopedEnv win, home;
  KeysheetState st;
  MessageRecorder messages;
  DialogRecorder dialogs;
  ProcessRecorder launcher;
  FakeSpreadsheet sheets;
  KeysheetServices sv;
  std::unique_ptr<Excelf> window;
};

// Types into a box as a user does, one key at a time.
inline void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

// Makes a cell current, as a click on it does.
inline void Select(Grid& g, int row, int col) {
  ASSERT_TRUE(g.SetRow(row));
  ASSERT_TRUE(g.SetCol(col));
}

inline void DoubleClick(Grid& g, int row, int col) {
  const QRect r = g.visualRect(g.model()->index(row, col));
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, r.center());
}

// The positions where two byte strings differ.
inline std::vector<size_t> Differences(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  std::vector<size_t> out;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) out.push_back(i);
  if (a.size() != b.size()) out.push_back(std::min(a.size(), b.size()));
  return out;
}

}  // namespace keld::keysheet::testing
