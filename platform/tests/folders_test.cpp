// The work folder, where records and the files the programs keep beside
// themselves go: never the folder of the executables.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/testing/testsupport.hpp"
#include "platform/folders.hpp"

using keld::testing::ScopedEnv;
using keld::testing::TempDir;

TEST(WorkFolder, KeldHomeThenXdgDataHomeThenTheHomeFolderNeverTheExecutables) {
  TempDir d;
  namespace fs = std::filesystem;
  // The test's own folder is writable: it must still not be chosen.
  ASSERT_TRUE(fs::exists(keld::ProgramFolder()));
  struct Case {
    const char *keld_home, *xdg, *home, *want;
  };
  const std::string root = d.path();
  for (const Case& c : {Case{"kh", "xdg", "home", "kh"}, Case{nullptr, "xdg", "home", "xdg/keld"},
                        Case{nullptr, nullptr, "home", "home/.local/share/keld"},
                        Case{nullptr, "", "home", "home/.local/share/keld"}}) {
    auto set = [&](const char* v) { return v && *v ? root + "/" + v : std::string(); };
    ScopedEnv kh("KELD_HOME", set(c.keld_home)), xdg("XDG_DATA_HOME", set(c.xdg)),
        home("HOME", set(c.home));
    const std::string got = keld::WorkFolder();
    EXPECT_EQ(got, root + "/" + c.want);
    EXPECT_TRUE(fs::is_directory(got)) << "created when missing";
    EXPECT_NE(got, keld::ProgramFolder());
  }
}
