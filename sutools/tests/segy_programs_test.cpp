// segyread, segyclean, segyhdrs and segywrite as processes, the way the
// suite's batch lines run them: every real SEG-Y file against segyio's
// reading, round trips through our own programs, and broken files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"

namespace keld {
namespace {

namespace fs = std::filesystem;
using keld::testing::ReadBytes;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using keld::testing::TempDir;
using Bytes = std::vector<unsigned char>;

std::string Prog(const char* name) { return ShellQuote(keld::testing::BinDir() + "/" + name); }

bool HaveSegyio() { return RunCommand("/usr/bin/python3 -c 'import segyio' 2>/dev/null") == 0; }

// One comparison: the SEG-Y file, our SU file, the byte order, the first and
// last trace read (last 0: to the end).
std::string Group(const std::string& sgy, const std::string& su, const std::string& order, int first = 1,
                  int last = 0) {
  return " " + ShellQuote(sgy) + " " + ShellQuote(su) + " " + order + " " + std::to_string(first) + " " +
         std::to_string(last);
}

// Empty when segyio reads every SEG-Y file of the groups as our SU files hold them.
std::string Compare(const std::string& groups) {
  std::string out;
  const int rc = RunCommand(
      "/usr/bin/python3 " + ShellQuote(keld::testing::SourceDir() + "/sutools/tests/segyio_compare.py") + groups, &out);
  return rc == 0 ? "" : out;
}

class SegyPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* p : {"segyread", "segyclean", "segyhdrs", "segywrite"})
      if (access((keld::testing::BinDir() + "/" + p).c_str(), X_OK) != 0) GTEST_SKIP() << p << " is not built";
  }
  // Runs `cmd` from the temporary folder.
  int Run(const std::string& cmd, std::string* out = nullptr) {
    return RunCommand("cd " + ShellQuote(dir.path()) + " && (" + cmd + ")", out);
  }
  TempDir dir;
};

TEST_F(SegyPrograms, EveryTestFileReadsAsSegyioReadsIt) {
  KELD_REQUIRE_TESTDATA(folder, "segy");
  if (!HaveSegyio()) GTEST_SKIP() << "Debian's python3-segyio is missing";
  int files = 0;
  std::string groups;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string f = e.path().string();
    const bool little = f.find("lsb") != std::string::npos;
    const std::string su = dir / (std::to_string(files) + ".su"), auto_su = dir / "auto.su";
    std::string msg;
    ASSERT_EQ(Run(Prog("segyread") + " tape=" + ShellQuote(f) + " conv=1 endian=" + (little ? "1" : "0") + " | " +
                      Prog("segyclean") + " >" + ShellQuote(su),
                  &msg),
              0)
        << f << ": " << msg;
    groups += Group(f, su, little ? "little" : "big");
    // Without endian= the order is found from the headers.
    ASSERT_EQ(Run(Prog("segyread") + " tape=" + ShellQuote(f) + " 2>/dev/null | " + Prog("segyclean") + " >" +
                  ShellQuote(auto_su)),
              0)
        << f;
    EXPECT_EQ(ReadBytes(su), ReadBytes(auto_su)) << f;
    const Bytes text = ReadBytes(dir / "header"), bin = ReadBytes(dir / "binary");
    ASSERT_EQ(text.size(), 3200u);
    ASSERT_EQ(bin.size(), 400u);
    const Bytes orig = ReadBytes(f);
    EXPECT_TRUE(std::equal(text.begin(), text.end(), orig.begin())) << f;
    EXPECT_EQ(get_i16be(bin.data() + 24), little ? get_i16le(orig.data() + 3224) : get_i16be(orig.data() + 3224));
    ++files;
  }
  EXPECT_GE(files, 29);
  EXPECT_EQ(Compare(groups), "");
}

TEST_F(SegyPrograms, TraceRangeAndNsOverride) {
  KELD_REQUIRE_TESTDATA(folder, "segy");
  if (!HaveSegyio()) GTEST_SKIP() << "Debian's python3-segyio is missing";
  const std::string f = folder + "/sedaman_ibm.sgy";
  ASSERT_EQ(Run(Prog("segyread") + " tape=" + ShellQuote(f) + " conv=1 endian=0 trmin= 3 trmax= 24 >part.su"), 0);
  EXPECT_EQ(Compare(Group(f, dir / "part.su", "big", 3, 24)), "");
  // ns= that contradicts the file leaves no whole trace at that length.
  ASSERT_EQ(Run(Prog("segyread") + " tape=" + ShellQuote(f) + " ns= 501 trmax=1 >one.su"), 0);
  EXPECT_EQ(ReadBytes(dir / "one.su").size(), 240u + 4 * 501);
}

TEST_F(SegyPrograms, SuToSegyAndBack) {
  KELD_REQUIRE_TESTDATA(su_folder, "su");
  const std::string su = su_folder + "/su_sub_i386-segy.sample.su";
  const Bytes in = ReadBytes(su);
  const size_t tl = 240 + 4 * 256;
  ASSERT_EQ(in.size(), 40 * tl);
  std::string groups;
  for (const char* conv : {"0", "1"})
    for (const char* endian : {"0", "1"}) {
      SCOPED_TRACE(std::string("conv=") + conv + " endian=" + endian);
      std::string msg;
      ASSERT_EQ(Run(Prog("segyhdrs") + " <" + ShellQuote(su) + " && " + Prog("segywrite") + " <" + ShellQuote(su) +
                        " tape=out.sgy conv=" + conv + " trmin=1 trmax=10000 endian=" + endian +
                        " buffer=1 errmax=0 && " + Prog("segyread") + " tape=out.sgy conv=1 endian=" + endian +
                        " >back.su",
                    &msg),
                0)
          << msg;
      const Bytes out = ReadBytes(dir / "out.sgy"), back = ReadBytes(dir / "back.su");
      ASSERT_EQ(out.size(), 3600 + 40 * tl);
      // A file on standard input is read in place, a pipe trace by trace: the same bytes.
      ASSERT_EQ(Run("cat " + ShellQuote(su) + " | " + Prog("segywrite") + " tape=piped.sgy conv=" + conv +
                    " endian=" + endian),
                0);
      EXPECT_TRUE(ReadBytes(dir / "piped.sgy") == out);
      EXPECT_EQ(endian[0] == '0' ? get_i16be(out.data() + 3224) : get_i16le(out.data() + 3224), conv[0] == '0' ? 5 : 1);
      ASSERT_EQ(back.size(), in.size());
      for (size_t t = 0; t < 40; ++t) {
        EXPECT_EQ(0, std::memcmp(in.data() + t * tl, back.data() + t * tl, 240)) << "header " << t;
        for (size_t k = 0; k < 256; ++k) {
          const float a = get_f32le(in.data() + t * tl + 240 + 4 * k), b = get_f32le(back.data() + t * tl + 240 + 4 * k);
          if (conv[0] == '0') {
            ASSERT_EQ(a, b) << t << " " << k;
          } else {
            ASSERT_NEAR(a, b, std::fabs(a) * 1e-6) << t << " " << k;
          }
        }
      }
      const std::string keep = std::string("out") + conv + endian;
      fs::rename(dir / "out.sgy", dir / (keep + ".sgy"));
      fs::rename(dir / "back.su", dir / (keep + ".su"));
      groups += Group(dir / (keep + ".sgy"), dir / (keep + ".su"), endian[0] == '0' ? "big" : "little");
    }
  if (HaveSegyio()) {
    EXPECT_EQ(Compare(groups), "");
  }
}

// Ten traces, the last cut: trmax=9 takes the nine whole ones and reads no
// further, from a file as from a pipe; segyio reads them back as they were.
TEST_F(SegyPrograms, TrmaxStopsBeforeACutLastTrace) {
  KELD_REQUIRE_TESTDATA(su_folder, "su");
  const Bytes in = ReadBytes(su_folder + "/su_sub_i386-stly.su");
  const size_t tl = 240 + 4 * 512;
  ASSERT_EQ(in.size(), 10 * tl);
  keld::testing::WriteText(dir / "cut.su", std::string(in.begin(), in.end() - 100));
  keld::testing::WriteText(dir / "nine.su", std::string(in.begin(), in.begin() + 9 * tl));
  std::string msg;
  ASSERT_EQ(Run(Prog("segyhdrs") + " <cut.su && " + Prog("segywrite") + " <cut.su tape=out.sgy conv=0 trmax=9 && cat cut.su | " +
                Prog("segywrite") + " tape=piped.sgy conv=0 trmax=9", &msg),
            0)
      << msg;
  EXPECT_EQ(ReadBytes(dir / "out.sgy").size(), 3600 + 9 * tl);
  EXPECT_TRUE(ReadBytes(dir / "piped.sgy") == ReadBytes(dir / "out.sgy"));
  if (HaveSegyio()) {
    EXPECT_EQ(Compare(Group(dir / "out.sgy", dir / "nine.su", "big")), "");
  }
}

TEST_F(SegyPrograms, TheSuiteBatchLinesRunFromAFolderWithBlanks) {
  KELD_REQUIRE_TESTDATA(folder, "segy");
  const std::string work = dir / "field data 1";
  fs::create_directories(work);
  fs::copy_file(folder + "/segyio_small.sgy", work + "/line 1.sgy");
  fs::copy_file(folder + "/segyio_small-lsb.sgy", work + "/line 2.sgy");
  const std::string bin = ShellQuote(keld::testing::BinDir()) + "/";
  auto q = [&](const std::string& name) { return ShellQuote(work + "/" + name); };
  const std::string batch =
      "cd " + ShellQuote(work) + "\n" +
      bin + "segyread tape=" + q("line 1.sgy") + " endian=0 | " + bin + "segyclean >" + q("a.su") + "\n" +
      bin + "segyread tape=" + q("line 2.sgy") + " conv=1 over=0 endian=1 ns= 50 trmin= 1 trmax= 25 | " + bin +
      "segyclean >" + q("b.su") + "\n" +
      bin + "segyread tape=" + q("line 1.sgy") + " >" + q("t.su") + " conv=1 over=0 endian=0 trmin=1 trmax=24\n" +
      bin + "segyread tape=" + q("line 1.sgy") + " >" + q("tmp.su") + " endian=0 conv=1 over=0 trmax=1 ns= 0\n" +
      bin + "segyhdrs <" + q("a.su") + "\n\n" +
      bin + "segywrite <" + q("a.su") + " tape=" + q("a.sgy") + " conv=1 trmin=1 trmax=10000 endian=0 buffer=1 errmax=0\n";
  keld::testing::WriteText(dir / "convert.bat", batch);
  std::string msg;
  ASSERT_EQ(RunCommand("sh " + ShellQuote(dir / "convert.bat"), &msg), 0) << msg;
  const size_t tl = 240 + 4 * 50;
  EXPECT_EQ(ReadBytes(work + "/a.su").size(), 25 * tl);
  EXPECT_EQ(ReadBytes(work + "/a.su"), ReadBytes(work + "/b.su"));
  EXPECT_EQ(ReadBytes(work + "/t.su").size(), 24 * tl);
  EXPECT_EQ(ReadBytes(work + "/tmp.su").size(), tl);
  EXPECT_EQ(ReadBytes(work + "/a.sgy").size(), 3600 + 25 * tl);
}

TEST_F(SegyPrograms, BrokenFilesAreRefusedWithAMessage) {
  KELD_REQUIRE_TESTDATA(folder, "segy");
  const Bytes good = ReadBytes(folder + "/segyio_small.sgy");
  auto write = [&](const std::string& name, Bytes b) {
    keld::testing::WriteText(dir / name, std::string(b.begin(), b.end()));
  };
  write("short.sgy", Bytes(good.begin(), good.begin() + 1000));
  write("reel.sgy", Bytes(good.begin(), good.begin() + 3600));
  write("cut.sgy", Bytes(good.begin(), good.begin() + 3600 + 100));
  Bytes noformat = good;
  noformat[3224] = 0x7F;
  write("format.sgy", noformat);
  Bytes nons = good;
  std::memset(nons.data() + 3220, 0, 2);
  for (size_t t = 3600; t + 240 <= nons.size(); t += 440) std::memset(nons.data() + t + 114, 0, 2);
  write("nons.sgy", nons);
  Bytes junk(5000);
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<unsigned char>(i * 7919 >> 3);
  std::memset(junk.data(), 0, 3200);
  write("junk.sgy", junk);
  struct Case {
    const char* file;
    const char* says;
  };
  for (const Case& c : {Case{"short.sgy", "not a SEG-Y file"}, Case{"reel.sgy", "no whole trace"},
                        Case{"cut.sgy", "no whole trace"}, Case{"format.sgy", "unknown sample format code"},
                        Case{"nons.sgy", "no sample count"}, Case{"junk.sgy", "segyread: "},
                        Case{"missing.sgy", "cannot open"}}) {
    std::string msg;
    EXPECT_NE(Run(Prog("segyread") + " tape=" + c.file + " endian=0 >out.su", &msg), 0) << c.file;
    EXPECT_NE(msg.find(c.says), std::string::npos) << c.file << ": " << msg;
  }
  // segywrite without headers, or with a stream that breaks, leaves no file.
  std::string msg;
  EXPECT_NE(Run("rm -f header binary; " + Prog("segywrite") + " tape=o.sgy </dev/null", &msg), 0);
  EXPECT_NE(msg.find("run segyhdrs first"), std::string::npos) << msg;
  ASSERT_EQ(Run(Prog("segyread") + " tape=" + ShellQuote(folder + "/segyio_small.sgy") + " >s.su"), 0);
  ASSERT_EQ(Run("head -c 5000 s.su >cut.su && " + Prog("segyhdrs") + " <cut.su"), 0);
  for (const std::string& line :
       {Prog("segywrite") + " tape=o.sgy <cut.su", "cat cut.su | " + Prog("segywrite") + " tape=o.sgy"}) {
    EXPECT_NE(Run(line, &msg), 0) << line;
    EXPECT_NE(msg.find("truncated"), std::string::npos) << msg;
  }
  EXPECT_NE(Run(Prog("segywrite") + " tape=o.sgy trmin=99 <s.su", &msg), 0);
  EXPECT_FALSE(fs::exists(dir / "o.sgy"));
  EXPECT_EQ(fs::directory_iterator(dir.path())->path().string().find(".tmp"), std::string::npos);
}

}  // namespace
}  // namespace keld
