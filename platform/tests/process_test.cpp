#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

#include "common/testing/spawn_check.hpp"
#include "common/testing/testsupport.hpp"
#include "common/testing/wait_until.hpp"
#include "platform/process.hpp"

using namespace keld;
using keld::testing::TempDir;

namespace {
std::string Script(const TempDir& d, const std::string& name, const std::string& body) {
  std::string p = d / name;
  keld::testing::WriteText(p, "#!/bin/sh\n" + body + "\n");
  chmod(p.c_str(), 0755);
  return p;
}

bool WaitFor(const std::string& path) {  // the bound is reached only by a failure
  for (int i = 0; i < 6000; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}
}  // namespace

TEST(Process, StartDoesNotWaitAndPassesArgumentsWhole) {
  TempDir d;
  std::string out = d / "args";
  std::string p = Script(d, "tool", "printf '%s\\n' \"$@\" > '" + out + ".tmp'; mv '" + out + ".tmp' '" + out + "'");
  PosixLauncher L;
  auto pid = L.start({p, {"C:\\DATA\\a b.su", "x|y"}, WindowStyle::Normal, {}});
  ASSERT_TRUE(pid.has_value());
  ASSERT_TRUE(WaitFor(out));
  EXPECT_EQ(keld::testing::ReadText(out), "C:\\DATA\\a b.su\nx|y\n");
}

TEST(Process, MissingProgramIsAFailure) {
  TempDir d;
  PosixLauncher L;
  EXPECT_FALSE(L.start({d / "nothing", {}, WindowStyle::Normal, {}}).has_value());
  IdlePump pump;
  EXPECT_FALSE(L.run_and_wait({d / "nothing", {}, WindowStyle::Normal, {}}, pump).has_value());
  // A file that is there but cannot be executed.
  keld::testing::WriteText(d / "plain", "x");
  EXPECT_FALSE(L.start({d / "plain", {}, WindowStyle::Normal, {}}).has_value());
}

TEST(Process, RunAndWaitGivesTheExitStatusAndPumps) {
  TempDir d;
  struct P : EventPump {
    int n = 0;
    void pump() override { ++n; }
  } pump;
  PosixLauncher L;
  std::string p = Script(d, "fail", "sleep 0.2; exit 3");
  auto st = L.run_and_wait({p, {}, WindowStyle::Minimized, {}}, pump);
  ASSERT_TRUE(st.has_value());
  EXPECT_EQ(*st, 3);
  EXPECT_GT(pump.n, 0);
  std::string sh = Script(d, "inwd", "pwd > out.txt");
  st = L.run_and_wait({sh, {}, WindowStyle::Minimized, d.path()}, pump);
  EXPECT_EQ(*st, 0);
  EXPECT_TRUE(std::filesystem::exists(d / "out.txt"));
  // Its error output kept for the caller, with a setting of its own on top of ours.
  std::string errors = "stale";
  StartRequest told{Script(d, "say", "echo \"say: $KELD_SAY\" >&2; exit 2"), {}, WindowStyle::Minimized, {}};
  told.environment = {"KELD_SAY=no room"};
  told.error_output = &errors;
  EXPECT_EQ(L.run_and_wait(told, pump), 2);
  EXPECT_EQ(errors, "say: no room\n");
}

TEST(Process, EveryWayOfStartingGivesTheChildTheDefaultSignals) {
  PosixLauncher L;
  IdlePump pump;
  const std::pair<const char*, std::function<void(const std::string&)>> ways[] = {
      {"start", [&](const std::string& s) { L.start({s, {}, WindowStyle::Hidden, {}}); }},
      {"run_and_wait", [&](const std::string& s) { L.run_and_wait({s, {}, WindowStyle::Hidden, {}}, pump); }},
      {"run_and_wait keeping errors",
       [&](const std::string& s) {
         std::string errors;
         StartRequest r{s, {}, WindowStyle::Hidden, {}};
         r.error_output = &errors;
         L.run_and_wait(r, pump);
       }},
      {"ReadProgramOutput", [](const std::string& s) { ReadProgramOutput(s, {}); }},
  };
  for (const auto& [name, way] : ways) EXPECT_EQ(keld::testing::CheckSpawnPath(way), "") << name;
}

TEST(Process, RecorderKeepsRequests) {
  ProcessRecorder r;
  r.succeed = false;
  EXPECT_FALSE(r.start({"/x/keysheet", {"a.su"}, WindowStyle::Normal, {}}).has_value());
  ASSERT_EQ(r.started.size(), 1u);
  EXPECT_EQ(r.started[0].args[0], "a.su");
}

TEST(Process, AQueryThatHangsIsKilledWithWhatItStarted) {
  TempDir d;
  // Its child holds the output open, as a desktop service's helper may; or
  // it closes its output and hangs itself. Either way its first line has
  // come long before the bound, and it is killed, its child with it.
  for (const char* body : {"sleep 600 &\necho $!\nwait", "exec 3>&1 >&-\nsleep 600 3>&- &\necho $! >&3\nexec 3>&-\nwait"}) {
    SCOPED_TRACE(body);
    const auto out = ReadProgramOutput(Script(d, "query", body), {}, 64, std::chrono::seconds(3));
    ASSERT_TRUE(out.has_value());
    ASSERT_FALSE(out->text.empty());
    EXPECT_EQ(out->status, 128 + SIGKILL);
    const std::string stat = "/proc/" + std::to_string(std::atoi(out->text.c_str())) + "/stat";
    const bool gone = keld::testing::WaitUntil([&] {
      const std::string s = keld::testing::ReadText(stat);
      return s.empty() || s.find(") Z ") != std::string::npos;
    });
    EXPECT_TRUE(gone) << "the query's child outlived it: " << out->text;
    if (!gone) ::kill(std::atoi(out->text.c_str()), SIGKILL);
  }
}
