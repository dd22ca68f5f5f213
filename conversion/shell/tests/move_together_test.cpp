// Outputs that take their names together, with a signal at each point of the
// move: all old or all new, and nothing else in the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/files.hpp"
#include "common/testing/signal_points.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/shell/move_together.hpp"

using namespace keld;
using keld::testing::PointOutcome;
using keld::testing::WriteText;
namespace fs = std::filesystem;

TEST(MoveTogether, ASignalAtAnyPointLeavesAllOldOrAllNewAndNoHiddenCopy) {
  // out0 and out2 (a link to file2) replace old files; out1 is new.
  const std::set<std::string> all_old = {"file2=2", "out0=0", "out2=2"},
                              all_new = {"file2=new2", "out0=new0", "out1=new1", "out2=new2"};
  int k = 1;
  for (PointOutcome got = PointOutcome::Signalled; got == PointOutcome::Signalled && k < 60; ++k) {
    keld::testing::TempDir d;
    got = keld::testing::RunWithSignalAt(
        k, [&] { WriteText(d / "out0", "0"), WriteText(d / "file2", "2"), fs::create_symlink("file2", d / "out2"); },
        [&] {
          std::vector<conversion::Move> moves;
          for (int i = 0; i < 3; ++i) {
            const std::string to = d / ("out" + std::to_string(i));
            auto from = CreateFileBeside(to);
            WriteText(*from, "new" + std::to_string(i));
            moves.push_back({*from, to});
          }
          (void)conversion::MoveTogether(moves);
        });
    std::set<std::string> seen;
    for (const auto& e : fs::directory_iterator(d.path()))
      seen.insert(e.path().filename().string() + "=" + keld::testing::ReadText(e.path()));
    EXPECT_TRUE(fs::is_symlink(d / "out2")) << k;
    EXPECT_NE(got, PointOutcome::Other) << k;
    if (seen != all_new) {
      EXPECT_EQ(seen, all_old) << "signalled at " << k;
    }
  }
  EXPECT_LT(k, 60);
}
