// The batch lines, the batch runner, the detection of a SEG-Y input and the
// trial display's layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/bytes.hpp"
#include "common/su_file.hpp"
#include "common/testing/spawn_check.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/segy_batch.hpp"
#include "conversion/shell/rtf_text.hpp"
#include "conversion/shell/segy_input.hpp"
#include "conversion/shell/trial_display.hpp"
#include "conversion/shell/whole_check.hpp"

namespace keld::conversion {
namespace {

using keld::testing::TempDir;

TEST(SegyBatch, LinesQuoteEveryPathAndCarryWholeNumbers) {
  SegyreadBoxes b{1, 0, 0, 1000, 1, 96};
  EXPECT_EQ(SegyConvertLine("/su dir/", b, "/d/a b.sgy", "/p/tempo.su"),
            "'/su dir/segyread' tape='/d/a b.sgy' conv=1 over=0 endian=0 ns=1000 trmin= 1 trmax= 96 | "
            "'/su dir/segyclean' >'/p/tempo.su'");
  b.ns = 0;
  b.trmin = 0;
  EXPECT_EQ(SegyConvertLine("/s/", b, "a", "o"), "'/s/segyread' tape='a' conv=1 over=0 endian=0 | '/s/segyclean' >'o'");
  EXPECT_EQ(SegyTestLine("/s/", {0, 1, 1}, "x'y", "/p/conv_test.su"),
            "'/s/segyread' tape='x'\\''y' >'/p/conv_test.su' conv=0 over=1 endian=1 trmin=1 trmax=24");
  EXPECT_EQ(SegyTrialLine("/s", "f", "/p/tmp.su", 0),
            "'/s/segyread' tape='f' >'/p/tmp.su' endian=0 conv=1 over=0 trmax=1 ns= 0");
  EXPECT_EQ(SegdLine("/s/", "/F/A.SGD", "/F/A.SU"), "'/s/segdread' tape='/F/A.SGD' >'/F/A.SU'");
  EXPECT_EQ(SegyToSuLine("/s/", "i", "o", true), "'/s/segyread' tape='i' endian=1 | '/s/segyclean' >'o'");
  EXPECT_EQ(SegyToSuLine("/s/", "i", "o", false), "'/s/segyread' tape='i' endian=0 | '/s/segyclean' >'o'");
  EXPECT_EQ(AppendLines("/p/tempo.su", "/d/out.SU.part", true),
            (std::vector<std::string>{"cat '/p/tempo.su' >>'/d/out.SU.part'", "rm -f '/p/tempo.su'"}));
  EXPECT_EQ(SuToSegyLines("/s/", "/d/a.su", "/d/a.sgy", {}),
            (std::vector<std::string>{"'/s/segyhdrs' <'/d/a.su'", "",
                                      "'/s/segywrite' <'/d/a.su' tape='/d/a.sgy' conv=1 trmin=1 trmax=10000 endian=0 "
                                      "buffer=1 errmax=0"}));
  EXPECT_EQ(BoxNumber(" 12abc"), 12);
  EXPECT_EQ(BoxNumber("1; rm -rf /"), 1);
  EXPECT_EQ(BoxNumber("x"), 0);
  EXPECT_EQ(BoxNumber("99999999999"), INT32_MAX);
}

TEST(BatchRunner, StatusOutputCancelAndTimeLimit) {
  TempDir dir;
  IdlePump pump;
  auto run = [&](const std::string& text, BatchWait w = {}) {
    EXPECT_TRUE(WriteBatch(dir / "b.bat", {text}));
    return RunBatch(dir / "b.bat", dir.path(), pump, w);
  };
  auto ok = run("echo hello >out.txt; echo said");
  EXPECT_TRUE(ok.ok());
  EXPECT_EQ(ok.output, "said\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "out.txt"));  // ran in the working folder
  auto bad = run("'/no/such/segyread' tape=x");
  EXPECT_EQ(bad.kind, BatchOutcome::Kind::Failed);
  EXPECT_NE(bad.reason().find("/no/such/segyread"), std::string::npos) << bad.reason();
  BatchWait quick;
  quick.time_limit = std::chrono::milliseconds(200);
  const auto t0 = MonoClock::now();
  EXPECT_EQ(run("sleep 30 | cat", quick).kind, BatchOutcome::Kind::TimedOut);
  int polls = 0;
  BatchWait cancel;
  cancel.cancelled = [&] { return ++polls > 3; };
  EXPECT_EQ(run("sleep 30", cancel).kind, BatchOutcome::Kind::Cancelled);
  EXPECT_LT(MonoClock::now() - t0, std::chrono::seconds(10));
  EXPECT_EQ(keld::testing::CheckSpawnPath([&](const std::string& s) { RunBatch(s, dir.path(), pump, {}); }), "");
}

TEST(SegyInput, ByteOrderNsAndCountFromTheHeaders) {
  KELD_REQUIRE_TESTDATA(folder, "segy");
  struct Case {
    const char* file;
    bool little;
    int ns, dt;
    int64_t traces;
  };
  for (const Case& c : {Case{"segyio_small.sgy", false, 50, 4000, 25}, Case{"segyio_small-lsb.sgy", true, 50, 4000, 25},
                        Case{"segyio_f3-lsb.sgy", true, 75, 4000, 414}, Case{"sedaman_2I.sgy", false, 501, 2000, 160}}) {
    const SegyInput in = DetectSegyInput(folder + "/" + c.file);
    EXPECT_TRUE(in.usable) << c.file << ": " << in.why;
    EXPECT_EQ(in.little, c.little) << c.file;
    EXPECT_EQ(in.ns, c.ns) << c.file;
    EXPECT_EQ(in.dt, c.dt) << c.file;
    EXPECT_EQ(in.traces, c.traces) << c.file;
  }
  TempDir dir;
  keld::testing::WriteText(dir / "short.sgy", "not a SEG-Y file");
  EXPECT_FALSE(DetectSegyInput(dir / "short.sgy").usable);
  EXPECT_FALSE(DetectSegyInput(dir / "missing.sgy").usable);
}

TEST(TrialDisplay, LobesLinesAndTip) {
  TempDir dir;
  {
    SuWriter w(dir / "t.su");
    SuTraceHeader h;
    h.ns = 4;
    h.dt = 250;
    const float a[4] = {5, -1, 2.5f, 1};   // largest 5: factor 2, times 2 from the box
    const float b[4] = {0, -3, 0, -1};     // no positive sample: the first trace's factor
    w.write(h, a, 4);
    w.write(h, b, 4);
    ASSERT_TRUE(w.commit());
  }
  auto pic = LayOutTrial(dir / "t.su", 2, 480, 4);
  ASSERT_TRUE(pic) << pic.error();
  ASSERT_EQ(pic->traces.size(), 2u);
  const auto& t1 = pic->traces[0];
  EXPECT_EQ(t1.line[0], (Pixel{30, 1}));  // 5 x 2 x 2 = 20 units right of the zero line at 10
  EXPECT_EQ(t1.line[1], (Pixel{6, 2}));
  ASSERT_EQ(t1.lobes.size(), 2u);
  EXPECT_EQ(t1.lobes[0], (std::vector<Pixel>{{10, 1}, {30, 1}, {10, 2}}));
  EXPECT_EQ(t1.lobes[1].back(), (Pixel{10, 4}));  // the lobe open at the end is closed on the zero line
  EXPECT_EQ(pic->traces[1].line[1], (Pixel{30 - 12, 2}));
  EXPECT_TRUE(pic->traces[1].lobes.empty());
  EXPECT_EQ(TrialTip(250, 45, 400), " 100 ms Trace= 2");
  keld::testing::WriteText(dir / "empty.su", std::string(240, '\0'));
  EXPECT_FALSE(LayOutTrial(dir / "empty.su", 2, 100, 100));
}

}  // namespace
}  // namespace keld::conversion

namespace keld::conversion {
namespace {

TEST(RtfText, ParagraphsKeptControlsDropped) {
  EXPECT_EQ(RtfPlainText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20{\\b Title}\\par\nLine \\'e9t\\'e9\\tab x\\par}"),
            "Title\nLine \xC3\xA9t\xC3\xA9\tx\n");
  EXPECT_EQ(RtfPlainText("{\\*\\generator x;}a\\{b\\}"), "a{b}");
  EXPECT_EQ(RtfPlainText("}}}{\\"), "");  // unbalanced input ends without harm
}

TEST(WholeCheck, ExpectedTracesCountACutOneAndKeepToTheRange) {
  struct {
    int64_t whole;
    bool cut;
    int64_t trmin, trmax, want;
  } cases[] = {{25, false, 0, 0, 25}, {10, true, 0, 0, 11},  {10, true, 1, 9999, 11}, {10, true, 1, 10, 10},
               {25, false, 5, 9, 5},  {25, false, 30, 40, 0}, {25, false, -3, 2, 2},  {0, true, 1, 24, 1}};
  for (const auto& c : cases) EXPECT_EQ(ExpectedTraces(c.whole, c.cut, c.trmin, c.trmax), c.want);
  EXPECT_EQ(WarningLines("segyread: warning: 100 bytes after the last of 10 traces\r\nok\nWARNING: x \n"),
            (std::vector<std::string>{"segyread: warning: 100 bytes after the last of 10 traces", "WARNING: x"}));
  EXPECT_EQ(ShortfallText("/d/a.sgy", 11, 10, {"w1", "w2"}), "/d/a.sgy: 11 traces expected, 10 written\nw1\nw2");
}

}  // namespace
}  // namespace keld::conversion
