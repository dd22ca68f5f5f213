#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "dropconv/dropconv_main.hpp"
#include "dropconv/tests/records.hpp"

using namespace keld;
using namespace keld::dropconv;

namespace {

struct MainFixture : ::testing::Test {
  keld::testing::TempDir dir;
  MessageRecorder boxes;
  std::string rec = dir / "dati.txt";
  std::string out = dir / "dati.sg2";
  void SetUp() override { keld::testing::WriteText(rec, keld::testing::Record{}.Text()); }
  void ExpectOneBox(const char* text) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.last().text, text);
    EXPECT_EQ(boxes.last().title, "dropconv");
    EXPECT_EQ(boxes.last().buttons, MsgButtons::Ok);
  }
  // "Error 0x000200", then the reason on its own line.
  void ExpectErrorBox(const std::string& reason_part) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& t = boxes.last().text;
    EXPECT_EQ(t.rfind("Error 0x000200\n", 0), 0u) << t;
    EXPECT_NE(t.find(reason_part, 15), std::string::npos) << t;
    EXPECT_EQ(boxes.last().title, "dropconv");
  }
};

// Unsets a variable for the life of the object.
struct NoEnv {
  std::string name;
  std::optional<std::string> old;
  explicit NoEnv(const char* n) : name(n) {
    if (const char* v = getenv(n)) old = v;
    unsetenv(n);
  }
  ~NoEnv() {
    if (old) setenv(name.c_str(), old->c_str(), 1);
  }
};

}  // namespace

TEST_F(MainFixture, ConvertsWithoutAMessage) {
  EXPECT_EQ(Main(rec + "|" + out, boxes), kExitOk);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(MainFixture, FieldsAfterTheSecondAreIgnored) {
  EXPECT_EQ(Main(rec + "|" + out + "|other|more", boxes), kExitOk);
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(MainFixture, AnIncompleteCommandLine) {
  EXPECT_EQ(Main("", boxes), kExitCommandLine);
  ExpectOneBox("Error 0x000100");
  boxes.clear();
  EXPECT_EQ(Main(rec + " " + out, boxes), kExitCommandLine);
  ExpectOneBox("Error 0x000100");
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(MainFixture, AFailedReadCreatesNoOutput) {
  EXPECT_EQ(Main(dir / "missing.txt|" + out, boxes), kExitReadFailed);
  ExpectErrorBox("missing.txt");
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(MainFixture, FieldsAreNotTrimmed) {
  EXPECT_EQ(Main(rec + " |" + out, boxes), kExitReadFailed);
  ExpectErrorBox("dati.txt ");
}

TEST_F(MainFixture, AFailedWriteIsReported) {
  EXPECT_EQ(Main(rec + "|" + dir / "no/folder.sg2", boxes), kExitWriteFailed);
  ExpectErrorBox("no/folder.sg2");
  boxes.clear();
  EXPECT_EQ(Main(rec + "|", boxes), kExitWriteFailed);
  ExpectErrorBox(": ");
}

TEST_F(MainFixture, TheRecordAsItsOwnOutputIsRefusedAndKept) {
  const std::string before = keld::testing::ReadText(rec);
  for (std::string same : {rec, dir / "./dati.txt"}) {
    boxes.clear();
    EXPECT_EQ(Main(rec + "|" + same, boxes, nullptr), kExitSameFile);
    ExpectOneBox("Same Input / Output");
    EXPECT_EQ(keld::testing::ReadText(rec), before);
  }
}

TEST_F(MainFixture, TheReasonBehindError0x000200GoesToStandardError) {
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  EXPECT_EQ(Main(dir / "missing.txt|" + out, boxes, err), kExitReadFailed);
  ExpectErrorBox("missing.txt");
  std::rewind(err);
  char buf[512] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, err);
  std::fclose(err);
  const std::string said(buf, n);
  EXPECT_EQ(said.rfind("dropconv: ", 0), 0u) << said;
  EXPECT_NE(said.find("missing.txt"), std::string::npos) << said;
  EXPECT_EQ(said.back(), '\n');
}

TEST(CommandLine, ArgumentsJoinWithSingleBlanks) {
  const char* argv[] = {"dropconv", "/data/my", "shot.txt|/data/my", "shot.sg2"};
  EXPECT_EQ(JoinArguments(4, argv), "/data/my shot.txt|/data/my shot.sg2");
  EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLine, DisplayFromTheEnvironment) {
  NoEnv d("DISPLAY"), w("WAYLAND_DISPLAY"), q("QT_QPA_PLATFORM");
  EXPECT_FALSE(HasDisplay());
  {
    keld::testing::ScopedEnv x("DISPLAY", ":0");
    EXPECT_TRUE(HasDisplay());
    keld::testing::ScopedEnv off("QT_QPA_PLATFORM", "offscreen");
    EXPECT_FALSE(HasDisplay());
  }
  keld::testing::ScopedEnv wl("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(HasDisplay());
}
