// The built program run as a process, without a display: its messages come
// on standard error.
#include <algorithm>
#include <filesystem>
#include <tuple>

#include <unistd.h>

#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "dropconv/tests/records.hpp"

namespace fs = std::filesystem;
using keld::testing::ReadText;
using keld::testing::ShellQuote;

namespace {

struct Program : ::testing::Test {
  keld::testing::TempDir dir;
  std::string rec = dir / "dati.txt";
  std::string out = dir / "dati.sg2";
  std::string said;
  void SetUp() override { keld::testing::WriteText(rec, keld::testing::Record{}.Text()); }
  // Runs dropconv with `args` as the shell sees them; stderr lands in `said`.
  int Run(const std::string& args) {
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " +
                      ShellQuote(keld::testing::BinDir() + "/dropconv") + " " + args;
    return keld::testing::RunCommand(cmd, &said);
  }
  // The box's own text, then the reason on the next line, once.
  void ExpectReasonThenBox() {
    const std::string box = "dropconv: Error 0x000200\n";
    ASSERT_GT(said.size(), box.size()) << said;
    EXPECT_EQ(said.rfind(box, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_EQ(said.back(), '\n');
  }
  size_t Files() const {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path())) ++n;
    return n;
  }
};

}  // namespace

TEST_F(Program, EmptyCommandLine) {
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(said, "dropconv: Error 0x000100\n");
}

TEST_F(Program, NoBar) {
  EXPECT_EQ(Run(ShellQuote(rec) + " " + ShellQuote(out)), 1);
  EXPECT_EQ(said, "dropconv: Error 0x000100\n");
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Program, MissingRecordCreatesNoOutput) {
  EXPECT_EQ(Run(ShellQuote(dir / "missing.txt|" + out)), 2);
  ExpectReasonThenBox();
  EXPECT_NE(said.find("missing.txt"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Program, ReplacesALongerOldFile) {
  keld::testing::WriteText(out, std::string(100000, 'z'));
  EXPECT_EQ(Run(ShellQuote(rec + "|" + out)), 0);
  EXPECT_EQ(said, "");
  auto seg = keld::testing::WalkSeg2(keld::testing::ReadBytes(out));
  ASSERT_EQ(seg.trace.size(), 2u);
  EXPECT_EQ(seg.trace[1].end, static_cast<int64_t>(fs::file_size(out)));
  EXPECT_EQ(Files(), 2u);
}

TEST_F(Program, PathsWithBlanksAsSeveralArguments) {
  std::string o2 = dir / "my shot.sg2";
  fs::copy_file(rec, dir / "my shot.txt");
  // Three arguments: "<dir>/my", "shot.txt|<dir>/my", "shot.sg2".
  EXPECT_EQ(Run(ShellQuote(dir / "my") + " " + ShellQuote("shot.txt|" + dir / "my") + " shot.sg2"),
            0)
      << said;
  EXPECT_TRUE(fs::exists(o2));
}

TEST_F(Program, UnwritableOutputLeavesTheOldFile) {
  // A folder in the place of the output.
  fs::create_directory(out);
  EXPECT_EQ(Run(ShellQuote(rec + "|" + out)), 3);
  ExpectReasonThenBox();
  EXPECT_TRUE(fs::is_directory(out));
  fs::remove(out);

  // A record whose strings overflow the file block, over an older good file.
  keld::testing::WriteText(out, "older file");
  keld::testing::Record big;
  big.company = "Ditta " + std::string(40000, 'A');
  keld::testing::WriteText(rec, big.Text());
  EXPECT_EQ(Run(ShellQuote(rec + "|" + out)), 3);
  ExpectReasonThenBox();
  EXPECT_EQ(ReadText(out), "older file");
  EXPECT_EQ(Files(), 2u) << "no temporary file left";
}

TEST_F(Program, RecordsWhoseCountsDoNotMatchLeaveTheOutputAsItWas) {
  // The reader's own tests hold every message; here the program's answer.
  const std::pair<void (*)(keld::testing::Record&), const char*> cases[] = {
      {[](auto& r) { r.samples = "5"; }, "line 21: channel 1 has 3 values where the sample count is 5"},
      {[](auto& r) { r.interval = "abc usec"; }, "line 9: expected the sample interval in microseconds"},
      {[](auto& r) { r.blocks[0].second[1] = "?"; }, "line 19: expected value 2 of 3 of channel 1"},
  };
  for (const auto& [change, says] : cases) {
    keld::testing::Record r;
    change(r);
    keld::testing::WriteText(rec, r.Text());
    EXPECT_EQ(Run(ShellQuote(rec + "|" + out)), 2) << says;
    ExpectReasonThenBox();
    EXPECT_NE(said.find(says), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(out)) << says;
    keld::testing::WriteText(out, "older file");
    EXPECT_EQ(Run(ShellQuote(rec + "|" + out)), 2) << says;
    EXPECT_EQ(ReadText(out), "older file") << says;
    EXPECT_EQ(Files(), 2u) << says << ": no temporary file left";
    fs::remove(out);
  }
}

TEST_F(Program, TheRecordAsItsOwnOutputIsRefused) {
  const std::string before = ReadText(rec);
  EXPECT_EQ(Run(ShellQuote(rec + "|" + rec)), 4);
  EXPECT_NE(said.find("Same Input / Output"), std::string::npos) << said;
  EXPECT_EQ(ReadText(rec), before);
}

TEST_F(Program, ReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  std::string ro = dir / "ro";
  fs::create_directory(ro);
  keld::testing::WriteText(ro + "/dati.sg2", "older file");
  fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Run(ShellQuote(rec + "|" + ro + "/dati.sg2")), 3);
  fs::permissions(ro, fs::perms::owner_all);
  ExpectReasonThenBox();
  EXPECT_EQ(ReadText(ro + "/dati.sg2"), "older file");
  EXPECT_EQ(std::distance(fs::directory_iterator(ro), fs::directory_iterator()), 1);
}

// Its one line: a record short of channel blocks is converted and the line
// names them; a NUL byte does not cut the quoted line; an empty file has no
// line 0; a failed write names the file once.
TEST_F(Program, ItsLineNamesWhatWasMissingOrWrong) {
  keld::testing::Record short_of_22, with_nul;
  short_of_22.channels = "24";
  with_nul.blocks[0].second[0] = std::string("4\0" "2", 3);
  const std::string lost = dir / "no/dati.sg2", error = "dropconv: Error 0x000200\n";
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {short_of_22.Text(), out, 0, "dropconv: " + rec + ": the record holds no block for channels 3-24 of 24: " +
                                       out + " is written with their traces all zero\n"},
      {with_nul.Text(), out, 2,
       error + rec + ", line 18: expected value 1 of 3 of channel 1, a number, found \"4\\x002\"\n"},
      {"", out, 2, error + rec + ": the file is empty\n"},
      {keld::testing::Record{}.Text(), lost, 3, error + lost + ": No such file or directory\n"},
  };
  for (const auto& [text, output, status, line] : cases) {
    keld::testing::WriteText(rec, text);
    EXPECT_EQ(Run(ShellQuote(rec + "|" + output)), status) << line;
    EXPECT_EQ(said, line);
  }
}
