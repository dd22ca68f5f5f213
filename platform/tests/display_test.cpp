// Whether the environment offers a display, before any window system starts.
#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "platform/display.hpp"

using keld::testing::ScopedEnv;

TEST(Display, FromTheEnvironment) {
  struct Case {
    const char *display, *wayland, *platform;
    bool shows;
  };
  const Case cases[] = {
      {"", "", "", false},
      {":0", "", "", true},
      {"", "wayland-0", "", true},
      {":0", "", "offscreen", false},
      {":0", "", "minimal", false},
      {":0", "", "xcb", true},
      {"", "", "xcb", false},
      {":0", "", "wayland", false},
      {"", "wayland-0", "wayland;xcb", true},
      {":0", "", "wayland;xcb", true},
      {"", "", "offscreen;xcb", false},
      {"", "", "vnc", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.display) + "|" + c.wayland + "|" + c.platform);
    ScopedEnv d("DISPLAY", c.display), w("WAYLAND_DISPLAY", c.wayland), p("QT_QPA_PLATFORM", c.platform);
    EXPECT_EQ(keld::DisplayInEnvironment(), c.shows);
  }
}
