// The boardsim program on its pseudo-terminal, driven through a plain file
// descriptor.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "boardsim/samples.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using keld::testing::TempDir;

namespace {

std::string Program() { return keld::testing::BinDir() + "/boardsim"; }

struct Line {
  explicit Line(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
  ~Line() {
    if (fd >= 0) ::close(fd);
  }
  void send(const board::Packet& p) { ASSERT_EQ(::write(fd, p.data(), p.size()), 15); }
  // Reads until n bytes came or `ms` passed (by default a bound that only a
  // failure reaches).
  std::vector<uint8_t> get(size_t n, int ms = 30000) {
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      uint8_t buf[4096];
      const ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
      if (got > 0) out.insert(out.end(), buf, buf + got);
    }
    return out;
  }
  int fd;
};

}  // namespace

TEST(BoardsimProgram, PrintsWhereItIsLinksAndCleansUp) {
  TempDir dir;
  std::string link = dir / "com1";
  {
    sim::SimProcess p(Program(), {"--link", link});
    ASSERT_TRUE(p.started()) << p.error();
    EXPECT_EQ(p.line(), "boardsim: units on " + p.pty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), p.pty());
    EXPECT_EQ(p.stop(), 0);
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the program";
}

TEST(BoardsimProgram, ReplacesAStaleLinkButNotAFile) {
  TempDir dir;
  std::filesystem::create_symlink("/nowhere", dir / "com1");
  sim::SimProcess p(Program(), {"--link", dir / "com1"});
  EXPECT_TRUE(p.started()) << p.error();
  keld::testing::WriteText(dir / "file", "x");
  std::string out;
  const int rc = keld::testing::RunCommand(Program() + " --link " + keld::testing::ShellQuote(dir / "file"), &out);
  EXPECT_NE(rc, 0);
  EXPECT_NE(out.find("not a symlink"), std::string::npos) << out;
}

TEST(BoardsimProgram, RawLineThatTakesThreeMegabaud) {
  sim::SimProcess p(Program(), {});
  ASSERT_TRUE(p.started()) << p.error();
  Line l(p.pty());
  ASSERT_GE(l.fd, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(l.fd, &t), 0);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  cfsetspeed(&t, B3000000);
  ASSERT_EQ(tcsetattr(l.fd, TCSANOW, &t), 0);
  termios back{};
  ASSERT_EQ(tcgetattr(l.fd, &back), 0);
  EXPECT_EQ(cfgetospeed(&back), speed_t{B3000000});
}

TEST(BoardsimProgram, AnswersAShotByteForByte) {
  sim::SimProcess p(Program(), {"--seed", "3", "--absent", "2"});
  ASSERT_TRUE(p.started()) << p.error();
  Line l(p.pty());
  const board::Packet arm = board::ArmPacket(256, 2000, 0, 1, 0, 0, 0, 0);
  l.send(arm);
  EXPECT_EQ(l.get(4), (std::vector<uint8_t>{0x06, 'T', 'R', 'G'}));
  const sim::ShotSpec s = sim::ShotFromArm(arm, 3, 0);
  for (int b = 0; b < 4; ++b) {
    l.send(board::BlockRequestPacket(1));
    EXPECT_EQ(l.get(192), sim::UnitBlock(s, 1, b)) << "block " << b;
  }
  l.send(board::UnitSelectPacket(4));  // ignored
  l.send(board::BlockRequestPacket(2));  // absent
  EXPECT_TRUE(l.get(1, 200).empty());
  board::Packet odd{};
  odd[0] = 0x42;
  l.send(odd);
  l.send(board::UnitNumberReadPacket());
  EXPECT_EQ(l.get(1), std::vector<uint8_t>{1});
}

TEST(BoardsimProgram, AStrayPieceIsForgottenAndFramingComesBack) {
  sim::SimProcess p(Program(), {});
  ASSERT_TRUE(p.started()) << p.error();
  Line l(p.pty());
  const uint8_t stray[4] = {0xD1, 0, 0, 0};
  ASSERT_EQ(::write(l.fd, stray, 4), 4);
  usleep(1500 * 1000);  // the piece is forgotten after 500 ms alone; room for a busy machine
  l.send(board::UnitNumberReadPacket());
  EXPECT_EQ(l.get(1), std::vector<uint8_t>{1});
}

TEST(BoardsimProgram, TheTriggerWaitsForSigusr1) {
  sim::SimProcess p(Program(), {"--trigger-on-signal"});
  ASSERT_TRUE(p.started()) << p.error();
  Line l(p.pty());
  l.send(board::ArmPacket(256, 2000, 0, 1, 0, 0, 0, 0));
  EXPECT_EQ(l.get(1), std::vector<uint8_t>{0x06});
  EXPECT_TRUE(l.get(1, 300).empty());
  ASSERT_TRUE(p.signal(SIGUSR1));
  EXPECT_EQ(l.get(3), (std::vector<uint8_t>{'T', 'R', 'G'}));
}

TEST(BoardsimProgram, DelayedAndSplitWritesKeepTheirOrder) {
  sim::SimProcess p(Program(), {"--split", "40", "--delay", "1:0:150", "--trigger-delay", "0"});
  ASSERT_TRUE(p.started()) << p.error();
  Line l(p.pty());
  const board::Packet arm = board::ArmPacket(128, 2000, 0, 1, 0, 0, 0, 0);
  l.send(arm);
  EXPECT_EQ(l.get(4).size(), 4u);
  const sim::ShotSpec s = sim::ShotFromArm(arm, 1, 0);
  const auto t0 = std::chrono::steady_clock::now();
  l.send(board::BlockRequestPacket(1));
  l.send(board::BlockRequestPacket(1));
  auto both = l.get(384);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(140));
  auto want = sim::UnitBlock(s, 1, 0);
  const auto b1 = sim::UnitBlock(s, 1, 1);
  want.insert(want.end(), b1.begin(), b1.end());
  EXPECT_EQ(both, want);
}

TEST(BoardsimProgram, BadOptionsGiveUsage) {
  std::string out;
  EXPECT_EQ(keld::testing::RunCommand(Program() + " --frobnicate", &out), 2);
  EXPECT_NE(out.find("unknown option --frobnicate"), std::string::npos) << out;
  EXPECT_NE(out.find("usage: boardsim"), std::string::npos) << out;
  EXPECT_EQ(keld::testing::RunCommand(Program() + " --help", &out), 0);
}
