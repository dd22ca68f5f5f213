// Outputs written beside their names: the modes they end with, names as long
// as a folder takes, and temporaries removed when the process is killed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "platform/signals.hpp"
#include "platform/temporaries.hpp"
#include "common/testing/signal_points.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using keld::testing::ReadText;
using keld::testing::TempDir;
using keld::testing::WriteText;
namespace fs = std::filesystem;

namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

class Umask {
 public:
  explicit Umask(mode_t m) : old_(::umask(m)) {}
  ~Umask() { ::umask(old_); }

 private:
  mode_t old_;
};

}  // namespace

TEST(OutputFiles, NewOutputsTakeTheUmasksModeAndReplacedOnesKeepTheirs) {
  Umask mask(027);
  TempDir d;
  WriteText(d / "old", "old");
  ASSERT_EQ(::chmod((d / "old").c_str(), 0604), 0);
  // Written whole beside the name (AtomicFile), and by a batch into a file
  // made beside the name, then moved over it.
  auto by_batch = [&](const std::string& out) {
    auto tmp = CreateFileBeside(out);
    ASSERT_TRUE(tmp.ok()) << tmp.error();
    WriteText(*tmp, "new");
    ASSERT_TRUE(MoveFileOver(*tmp, out).ok());
  };
  ASSERT_TRUE(WriteFileAtomic(d / "new1", std::string("new")).ok());
  by_batch(d / "new2");
  EXPECT_EQ(ModeOf(d / "new1"), 0640u);
  EXPECT_EQ(ModeOf(d / "new2"), 0640u);
  ASSERT_TRUE(WriteFileAtomic(d / "old", std::string("new")).ok());
  EXPECT_EQ(ModeOf(d / "old"), 0604u);
  ASSERT_EQ(::chmod((d / "old").c_str(), 0660), 0);
  by_batch(d / "old");
  EXPECT_EQ(ModeOf(d / "old"), 0660u);
  EXPECT_EQ(ReadText(d / "old"), "new");
}

TEST(OutputFiles, ALinkStaysALinkAndItsFileIsReplaced) {
  TempDir d;
  fs::create_directory(d / "real");
  WriteText(d / "real/a.su", "old a");
  WriteText(d / "real/b.su", "old b");
  fs::create_symlink(d / "real/a.su", d / "a.su");
  fs::create_symlink("real/b.su", d / "b.su");  // relative, as users make them
  ASSERT_TRUE(WriteFileAtomic(d / "a.su", std::string("new a")).ok());
  auto tmp = CreateFileBeside(d / "b.su");
  ASSERT_TRUE(tmp.ok());
  WriteText(*tmp, "new b");
  ASSERT_TRUE(MoveFileOver(*tmp, d / "b.su").ok());
  for (const char* name : {"a.su", "b.su"}) {
    EXPECT_TRUE(fs::is_symlink(d / name)) << name;
    EXPECT_EQ(ReadText(d / ("real/" + std::string(name))), std::string("new ") + name[0]);
  }
  EXPECT_EQ(Names(d.path()).size(), 3u);
  EXPECT_EQ(Names(d / "real").size(), 2u);
}

TEST(OutputFiles, TemporariesFitWhereverTheOutputsNameFits) {
  TempDir d;
  // 255 bytes: the longest name of the usual file systems, in ASCII and in
  // two-byte characters (the temporary's name is cut at a character).
  std::string e_acute;
  for (int i = 0; i < 127; ++i) e_acute += "\xC3\xA9";
  for (const std::string& name : {std::string(255, 'a'), std::string(240, 'b') + ".sgy", e_acute + "x"}) {
    SCOPED_TRACE(name.size());
    const std::string out = d / name;
    ASSERT_TRUE(WriteFileAtomic(out, std::string("data")).ok());
    EXPECT_EQ(ReadText(out), "data");
    auto tmp = CreateFileBeside(out);
    ASSERT_TRUE(tmp.ok()) << tmp.error();
    // A temporary of the temporary, as a program run on it would make.
    auto inner = CreateFileBeside(*tmp);
    ASSERT_TRUE(inner.ok()) << inner.error();
    const std::string shown = fs::path(*tmp).filename().string();
    EXPECT_LE(shown.size(), 255u);
    EXPECT_EQ(shown[0], '.');
    // "." + a beginning of the name, cut between characters, + ".XXXXXX".
    const std::string kept = shown.substr(1, shown.size() - 8);
    EXPECT_EQ(name.compare(0, kept.size(), kept), 0);
    EXPECT_NE(kept.back(), '\xC3') << "cut inside a character";
    ASSERT_TRUE(MoveFileOver(*inner, out).ok());
    fs::remove(*tmp);
  }
  EXPECT_EQ(Names(d.path()).size(), 3u);
}

TEST(OutputFiles, AProcessEndedBySignalLeavesTheOldFileAndNoTemporary) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    TempDir d;
    WriteText(d / "out.su", "old");
    WriteText(d / "list.txt", "old list");
    WriteText(d / "stack.su", "old stack");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      AtomicFile f(d / "out.su");
      f.write(std::string(100000, 'x'));
      (void)CreateFileBeside(d / "list.txt");
      (void)CreateFileBeside(d / "new.txt");
      // An old output set aside while a batch writes a new one in its place.
      auto aside = CreateFileBeside(d / "stack.su");
      if (aside && MoveFileOver(d / "stack.su", *aside)) RegisterSetAside(*aside, d / "stack.su");
      WriteText(d / "stack.su", "half a new stack");
      ::kill(::getpid(), sig);
      ::pause();
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(Names(d.path()), (std::set<std::string>{"out.su", "list.txt", "stack.su"}));
    EXPECT_EQ(ReadText(d / "out.su"), "old");
    EXPECT_EQ(ReadText(d / "stack.su"), "old stack");
  }
}

// A threaded program killed while it holds many files: a second SIGTERM and
// a SIGINT, sent to its other threads while the clean-up runs, wait for that
// clean-up to end. The old outputs are back, and nothing else is left.
TEST(OutputFiles, SignalsDuringTheCleanUpWaitForItsEnd) {
  bool mid_way = false;
  for (int attempt = 0; attempt < 5 && !mid_way; ++attempt) {
    TempDir d;
    WriteText(d / "a.su", "old a");
    WriteText(d / "b.su", "old b");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // The temporaries first: the clean-up removes them first, t0's first.
      for (int i = 0; i < 3000; ++i) (void)CreateFileBeside(d / ("t" + std::to_string(i)));
      for (const char* old : {"a.su", "b.su"})
        if (MoveAside(d / old)) WriteText(d / old, "half a new one");
      pid_t tids[3] = {::gettid(), 0, 0};
      std::atomic<int> ready{0};
      for (int k = 1; k <= 2; ++k) std::thread([&, k] { tids[k] = ::gettid(); ++ready; for (;;) ::pause(); }).detach();
      while (ready < 2) std::this_thread::yield();
      (void)!::write(fds[1], tids, sizeof tids);
      for (;;) ::pause();
    }
    pid_t tids[3] = {};
    ASSERT_EQ(::read(fds[0], tids, sizeof tids), static_cast<ssize_t>(sizeof tids));
    std::string first;
    for (const auto& name : Names(d.path()))
      if (name.rfind(".t0.", 0) == 0) first = d / name;
    ASSERT_EQ(::tgkill(pid, tids[0], SIGTERM), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::access(first.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    mid_way = ReadText(d / "a.su") != "old a";  // the old outputs go back after the temporaries
    ::tgkill(pid, tids[1], SIGTERM);
    ::tgkill(pid, tids[2], SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(Names(d.path()), (std::set<std::string>{"a.su", "b.su"})) << Names(d.path()).size() << " names";
    EXPECT_EQ(ReadText(d / "a.su") + ReadText(d / "b.su"), "old aold b");
    ::close(fds[0]);
    ::close(fds[1]);
  }
  EXPECT_TRUE(mid_way) << "the clean-up always ended before the second signal";
}

// True once process `pid` has ended (gone, or a zombie nobody reaped yet).
bool Ended(pid_t pid) {
  for (int i = 0; i < 500; ++i) {
    std::string stat;
    if (FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r")) {
      char buf[512] = {};
      stat = std::fgets(buf, sizeof buf, f) ? buf : "";
      std::fclose(f);
    }
    const auto close = stat.rfind(')');
    if (stat.empty() || (close != std::string::npos && stat.compare(close + 2, 1, "Z") == 0)) return true;
    ::usleep(10000);
  }
  return false;
}

// A program killed just after it started a batch, while another of its
// threads is between making a file and registering it: the batch's group was
// registered before the start returned, so it ends with the program, and the
// clean-up waits for the file's registration before it removes what is
// registered.
TEST(OutputFiles, AKilledProgramEndsTheBatchItJustStartedAndWaitsForAFileBeingMade) {
  TempDir d;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const pid_t batch = ForkChild(ChildGroup::Own);
    if (batch == 0) {
      ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    (void)!::write(fds[1], &batch, sizeof batch);
    std::thread([&] {
      const RegistryStep step;
      WriteText(d / "made.su", "half");
      ::kill(::getpid(), SIGTERM);  // held off this thread: the main thread takes it
      ::usleep(100 * 1000);
      RegisterTemporary(d / "made.su");
    }).join();
    ::pause();
    ::_exit(0);
  }
  ::close(fds[1]);
  pid_t batch = -1;
  ASSERT_EQ(::read(fds[0], &batch, sizeof batch), static_cast<ssize_t>(sizeof batch));
  ::close(fds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(Ended(batch)) << "the batch outlived the program that started it";
  if (!Ended(batch)) ::kill(batch, SIGKILL);
  EXPECT_FALSE(Existe_file(d / "made.su")) << "a file being made when the signal came is left";
}

TEST(OutputFiles, ACommittedOutputOutlivesALaterSignal) {
  TempDir d;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    (void)WriteFileAtomic(d / "done.su", std::string("whole"));
    auto tmp = CreateFileBeside(d / "moved.su");
    if (tmp) {
      WriteText(*tmp, "whole");
      (void)MoveFileOver(*tmp, d / "moved.su");
    }
    ::kill(::getpid(), SIGTERM);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_EQ(Names(d.path()), (std::set<std::string>{"done.su", "moved.su"}));
  EXPECT_EQ(ReadText(d / "moved.su"), "whole");
}

// Every way a temporary is made, with a signal at each of its registry calls
// while the thread making it is held there (a slow disc, a busy machine): the
// old file is as it was and nothing is beside it.
TEST(OutputFiles, ASignalAtAnyPointOfMakingATemporaryLeavesNothingBehind) {
  const std::pair<const char*, std::function<void(const std::string&)>> ways[] = {
      {"CreateFileBeside", [](const std::string& d) { (void)CreateFileBeside(d + "/out.su"); }},
      {"AtomicFile", [](const std::string& d) { AtomicFile(d + "/old.su").write(std::string("new")); }},
      {"TempFolder", [](const std::string& d) { TempFolder run(d + "/run.XXXXXX"); }},
      {"KeepBeside", [](const std::string& d) { (void)KeepBeside(d + "/old.su"); }},
      {"MoveAside", [](const std::string& d) { if (MoveAside(d + "/old.su")) WriteText(d + "/old.su", "new"); }}};
  for (const auto& [name, way] : ways) {
    int k = 1;
    for (; k < 40; ++k) {
      TempDir d;
      const auto got =
          keld::testing::RunWithSignalAt(k, [&] { WriteText(d / "old.su", "old"); }, [&, &way = way] { way(d.path()); });
      ASSERT_NE(got, keld::testing::PointOutcome::Other) << name << " at " << k;
      if (got == keld::testing::PointOutcome::RanToTheEnd) break;
      EXPECT_EQ(Names(d.path()), std::set<std::string>{"old.su"}) << name << " at " << k;
      EXPECT_EQ(ReadText(d / "old.su"), "old") << name << " at " << k;
    }
    EXPECT_GT(k, 2) << name;
    EXPECT_LT(k, 40) << name;
  }
}
