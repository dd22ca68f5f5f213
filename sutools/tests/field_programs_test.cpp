// segdread and seg2su as the batch lines and scripts run them: the SU stream
// on standard output, messages and a failing status for damaged files, and
// nothing on standard output then.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"

using keld::testing::RunCommand;
using keld::testing::ShellQuote;

namespace {

std::string Prog(const std::string& name) { return ShellQuote(keld::testing::BinDir() + "/" + name); }

// Runs `cmd` with its own redirections kept (the helper adds 2>&1 after it).
int RunSh(const std::string& cmd, std::string* out = nullptr) { return RunCommand("{ " + cmd + "; }", out); }

void CopyCut(const std::string& from, const std::string& to, size_t keep) {
  auto b = keld::testing::ReadBytes(from);
  b.resize(std::min(keep, b.size()));
  std::ofstream(to, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

}  // namespace

TEST(FieldPrograms, SegdreadAsTheBatchLineRunsIt) {
  KELD_REQUIRE_TESTDATA(dir, "segd");
  keld::testing::TempDir tmp;
  const std::string in = dir + "/su_demos_3stomp_test.segd";
  ASSERT_EQ(RunSh(Prog("segdread") + " tape=" + ShellQuote(in) + " >" + ShellQuote(tmp / "out.su")), 0);
  auto su = keld::ReadSuFile(tmp / "out.su");
  ASSERT_TRUE(su.ok()) << su.error();
  ASSERT_EQ(su->size(), 6u);
  EXPECT_EQ((*su)[5].header.tracf, 6);
  EXPECT_EQ((*su)[5].header.ns, 4001);

  CopyCut(in, tmp / "cut.segd", 50000);
  std::string msg;
  EXPECT_NE(RunSh(Prog("segdread") + " tape=" + ShellQuote(tmp / "cut.segd") + " >" + ShellQuote(tmp / "cut.su") +
                           " 2>" + ShellQuote(tmp / "err.txt")),
            0);
  EXPECT_EQ(std::filesystem::file_size(tmp / "cut.su"), 0u);
  EXPECT_NE(keld::testing::ReadText(tmp / "err.txt").find("file ends at 50000"), std::string::npos)
      << keld::testing::ReadText(tmp / "err.txt");
  EXPECT_NE(RunSh(Prog("segdread") + " tape=" + ShellQuote(tmp / "none.segd") + " >/dev/null", &msg), 0);
  EXPECT_NE(msg.find("none.segd"), std::string::npos) << msg;
  EXPECT_NE(RunSh(Prog("segdread") + " >/dev/null", &msg), 0);
  EXPECT_NE(msg.find("SEGDREAD"), std::string::npos) << msg;
  EXPECT_NE(RunSh(Prog("segdread") + " tap=x >/dev/null", &msg), 0);
  EXPECT_NE(msg.find("unknown parameter tap="), std::string::npos) << msg;
}

TEST(FieldPrograms, Seg2suJoinsFilesAndRefusesDamagedOnes) {
  KELD_REQUIRE_TESTDATA(dir, "seg2");
  keld::testing::TempDir tmp;
  const std::string a = dir + "/su_thirdparty_329.dat", b = dir + "/ph5_15001.dat";
  ASSERT_EQ(RunSh("QT_QPA_PLATFORM=offscreen " + Prog("seg2su") + " " + ShellQuote(a) + " " + ShellQuote(b) +
                       " >" + ShellQuote(tmp / "out.su") + " 2>" + ShellQuote(tmp / "said.txt")),
            0);
  // 329.dat is sampled every 62.5 us, 15001.dat every 500 us: only the first
  // is rounded, and the run says so.
  EXPECT_EQ(keld::testing::ReadText(tmp / "said.txt"),
            "seg2su: " + a + ": sample interval 62.5 us written as 63 us: SU holds whole microseconds\n");
  // Traces of different lengths: read them one by one through the stream.
  auto bytes = keld::testing::ReadBytes(tmp / "out.su");
  EXPECT_EQ(bytes.size(), 3u * (240 + 4 * 4096) + 60u * (240 + 4 * 4000));

  CopyCut(b, tmp / "cut.dat", 500000);
  std::string msg;
  EXPECT_NE(RunSh(Prog("seg2su") + " " + ShellQuote(a) + " " + ShellQuote(tmp / "cut.dat") + " >" +
                           ShellQuote(tmp / "cut.su") + " 2>" + ShellQuote(tmp / "err.txt")),
            0);
  EXPECT_EQ(std::filesystem::file_size(tmp / "cut.su"), 0u);
  EXPECT_NE(keld::testing::ReadText(tmp / "err.txt").find("cut.dat: trace"), std::string::npos)
      << keld::testing::ReadText(tmp / "err.txt");
}
