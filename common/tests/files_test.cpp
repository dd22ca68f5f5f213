// A file beside another found whatever the case of its extension.
#include <gtest/gtest.h>

#include "common/files.hpp"
#include "common/testing/testsupport.hpp"

namespace keld {
namespace {

using keld::testing::TempDir;
using keld::testing::WriteText;

TEST(FindBeside, TheExactNameFirstThenAnyCaseOfTheExtensionButNeverAnotherStem) {
  TempDir d;
  for (const char* f : {"LINE.VEL", "line2.Vel", "Shot.HD", "Shot.hd", "rec.txt.bak", "noext"})
    WriteText(d / f, "x");
  struct Case {
    const char* asked;
    const char* found;  // nullptr: none
  } cases[] = {
      {"LINE.vel", "LINE.VEL"},    {"LINE.VEL", "LINE.VEL"},  {"line2.vel", "line2.Vel"},
      {"Shot.HD", "Shot.HD"},      {"Shot.Hd", "Shot.HD"},    // two candidates: the first in name order
      {"line.vel", nullptr},       {"LINE.vl", nullptr},      {"rec.TXT", nullptr},
      {"NOEXT", nullptr},          {"LINE.", nullptr},
  };
  for (const Case& c : cases) {
    const auto got = FindBeside(d / c.asked);
    if (c.found)
      EXPECT_EQ(got.value_or("none"), d / c.found) << c.asked;
    else
      EXPECT_FALSE(got) << c.asked << " gave " << *got;
  }
  EXPECT_FALSE(FindBeside(d / "missing/LINE.vel"));
}

}  // namespace
}  // namespace keld
