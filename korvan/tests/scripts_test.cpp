// scripts/run-bench.sh over a build folder made by hand: it runs the
// benchmark programs only (not CMake's bench_*_autogen folders), and their
// scratch files go to a folder of its own that it removes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "common/testing/testsupport.hpp"

using keld::testing::ReadText;
using keld::testing::ShellQuote;
using keld::testing::TempDir;
using keld::testing::WriteText;

TEST(RunBench, RunsEveryBenchmarkProgramAndLeavesNothingInTheTemporaryFolder) {
  namespace fs = std::filesystem;
  TempDir d;
  fs::create_directories(d / "build/bench/bench_one_autogen/include");
  fs::create_directories(d / "tmp");
  for (const char* name : {"bench_one", "bench_two"}) {
    const std::string p = d / (std::string("build/bench/") + name);
    WriteText(p, "#!/bin/sh\necho ran >> " + ShellQuote(d / "ran.txt") +
                     "\ntouch \"$TMPDIR/scratch\" && echo \"$TMPDIR\" >> " + ShellQuote(d / "tmpdirs.txt") + "\n");
    chmod(p.c_str(), 0755);
  }
  WriteText(d / "build/bench/bench_notes.txt", "not a program");
  std::string out;
  const int rc = keld::testing::RunCommand(
      "TMPDIR=" + ShellQuote(d / "tmp") + " sh " + ShellQuote(keld::testing::SourceDir() + "/scripts/run-bench.sh") +
          " " + ShellQuote(d / "build"),
      &out, true);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_EQ(ReadText(d / "ran.txt"), "ran\nran\n");
  EXPECT_NE(out.find("== bench_one"), std::string::npos) << out;
  EXPECT_EQ(out.find("autogen"), std::string::npos) << out;
  EXPECT_TRUE(fs::is_empty(d / "tmp")) << "the scratch folder is removed";
  EXPECT_NE(ReadText(d / "tmpdirs.txt").find(d / "tmp/keld-bench."), std::string::npos);
}
