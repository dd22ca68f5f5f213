#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <signal.h>
#include <unistd.h>

#include "common/testing/testsupport.hpp"
#include "platform/group_run.hpp"

using namespace keld;
using keld::testing::TempDir;

namespace {
struct Counting : EventPump {
  int n = 0;
  void pump() override { ++n; }
};

// `sh -c script` leading a process group of its own.
pid_t Leader(const std::string& script) {
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(pid, pid);
  return pid;
}

// Waits for `pid` to end; the bound is reached only by a failure.
bool Gone(pid_t pid) {
  for (const auto until = MonoClock::now() + std::chrono::seconds(30); MonoClock::now() < until;) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string word, state;
    if (!(stat >> word >> word >> state) || state == "Z") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}
}  // namespace

TEST(GroupRun, AnEndedLeaderGivesItsStatusAndEachTurnRuns) {
  Counting pump;
  int turns = 0;
  GroupWait w;
  w.each_turn = [&] { ++turns; };
  GroupEnd end = WaitForGroup(Leader("sleep 0.1; exit 3"), pump, w);
  EXPECT_EQ(end.status, 3);
  EXPECT_FALSE(end.stopped);
  EXPECT_GT(turns, 0);
  EXPECT_GT(pump.n, 0);
  // Ended by a signal: 128 + the signal.
  end = WaitForGroup(Leader("kill -TERM $$"), pump, {});
  EXPECT_EQ(end.status, 128 + SIGTERM);
}

TEST(GroupRun, AGroupThatIgnoresTheRequestIsKilledAfterTheGrace) {
  for (const bool blocking : {true, false}) {
    TempDir d;
    const std::string armed = d / "armed";  // written once the shell ignores SIGTERM
    Counting pump;
    int turns = 0, pumped_at_stop = -1, turns_at_stop = -1;
    MonoClock::time_point stopped_at;
    GroupWait w;
    w.each_turn = [&] { ++turns; };
    w.stop = [&] {
      if (!std::filesystem::exists(armed)) return false;
      pumped_at_stop = pump.n;
      turns_at_stop = turns;
      stopped_at = MonoClock::now();
      return true;
    };
    w.grace = std::chrono::milliseconds(300);
    w.blocking_stop = blocking;
    const GroupEnd end = WaitForGroup(Leader("trap '' TERM; : > '" + armed + "'; sleep 30"), pump, w);
    EXPECT_GE(MonoClock::now() - stopped_at, w.grace);
    EXPECT_LT(MonoClock::now() - stopped_at, std::chrono::seconds(20));  // far short of the sleep
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(end.status, 128 + SIGKILL);
    if (blocking) {
      EXPECT_EQ(pump.n, pumped_at_stop);
      EXPECT_EQ(turns, turns_at_stop);
    } else {
      EXPECT_GE(pump.n, pumped_at_stop + 2);  // the windows were served during the grace
    }
  }
}

TEST(GroupRun, LeftoversAreKilledOnlyWhenAsked) {
  for (const bool kill_leftovers : {true, false}) {
    TempDir d;
    const std::string pidfile = d / "left";
    Counting pump;
    GroupWait w;
    w.stop = [&] { return std::filesystem::exists(pidfile) && std::filesystem::file_size(pidfile) > 0; };
    w.kill_leftovers = kill_leftovers;
    const GroupEnd end = WaitForGroup(
        Leader("sh -c \"trap '' TERM; echo \\$\\$ > '" + pidfile + ".t'; mv '" + pidfile + ".t' '" + pidfile +
               "'; sleep 30\" & wait"),
        pump, w);
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(end.status, 128 + SIGTERM);
    const pid_t left = std::stoi(keld::testing::ReadText(pidfile));
    if (kill_leftovers) {
      EXPECT_TRUE(Gone(left));
    } else {
      EXPECT_EQ(::kill(left, 0), 0);
      ::kill(-getpgid(left), SIGKILL);
      EXPECT_TRUE(Gone(left));
    }
  }
}
