// Every program of the suite started without arguments under a virtual X
// display of its own shows its window, found by its title and class. Without
// any display, the programs that also run on the command line say why.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/testing/testsupport.hpp"
#include "common/testing/virtual_display.hpp"

using namespace keld::testing;

TEST(ProgramWindows, EveryProgramShowsItsWindowWithoutArguments) {
  TempDir d;
  const VirtualDisplay display(d / "xvfb.log");
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start: " << ReadText(d / "xvfb.log");
  struct Expected {
    const char *program, *title;
  };
  // dropconv has no window: with no argument it shows its message box.
  const Expected expected[] = {
      {"korvan", "QMR650B "}, {"dropconv", "dropconv"}, {"conversion", "Velquist Seismic file conversion "},
      {"keysheet", "Header value  display"}, {"velscan", "Visual_KELD velscan 1.01"},
      {"ombrix", "OMBRIX Drawing parameters"}, {"boardtest", "QMR650 Blackfin  Test"},
      {"seg2su", "SEG-2 to Seismic Unix"}, {"rtoaw", "DZT to ASCII"},
  };
  std::vector<std::unique_ptr<StartedProcess>> programs;
  for (const Expected& e : expected) {  // each with folders of its own
    const std::string home = d / e.program;
    std::filesystem::create_directories(home + "/run");
    std::filesystem::permissions(home + "/run", std::filesystem::perms::owner_all);
    programs.push_back(std::make_unique<StartedProcess>(
        std::vector<std::string>{BinDir() + "/" + e.program},
        CleanEnvironment({"DISPLAY=" + display.name(), "HOME=" + home, "KELD_HOME=" + home, "KELD_WINDIR=" + home,
                          "XDG_RUNTIME_DIR=" + home + "/run"}),
        d / (std::string(e.program) + ".log")));
  }
  // Generous for a loaded machine and a sanitizer build; a program that ends
  // without its window is not waited for.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
  std::vector<bool> found(std::size(expected));
  for (bool waiting = true; waiting && std::chrono::steady_clock::now() < deadline;) {
    waiting = false;
    for (size_t i = 0; i < std::size(expected); ++i) {
      if (!found[i]) found[i] = display.ShowsWindow(expected[i].program, expected[i].title);
      waiting = waiting || (!found[i] && programs[i]->running());
    }
    if (waiting) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_TRUE(found[i]) << expected[i].program << " showed no window \"" << expected[i].title
                          << "\"; it said: " << ReadText(d / (std::string(expected[i].program) + ".log"));
}

TEST(ProgramWindows, WithoutADisplayTheCommandLineProgramsSaySo) {
  for (const std::string program : {"seg2su", "rtoaw"}) {
    std::string said;
    EXPECT_NE(RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + ShellQuote(BinDir() + "/" + program),
                         &said),
              0);
    EXPECT_NE(said.find(program + ": no display to show the window on"), std::string::npos) << said;
  }
}
