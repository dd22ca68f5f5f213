// The conversion program as a whole: it starts without a display and without
// a settings file and stays up until it is ended.
#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"

using namespace keld::testing;

TEST(ConversionProgram, StartsOffscreenWithoutSettingsAndStaysUp) {
  TempDir d;
  std::string out;
  int rc = RunCommand("cd " + ShellQuote(d.path()) + " && KELD_WINDIR=" + ShellQuote(d.path()) +
                          " KELD_HOME=" + ShellQuote(d.path()) + " QT_QPA_PLATFORM=offscreen timeout 2 " +
                          ShellQuote(BinDir() + "/conversion"),
                      &out);
  EXPECT_EQ(rc, 124) << out;  // still running when timeout ended it
}
