// The page model of a composition checked against the layout's numbers:
// 56.7 twips a millimetre, columns of Large_plot / N, deflections of D / 1.6.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/testing/testsupport.hpp"
#include "ombrix/page/compose.hpp"
#include "ombrix/tests/ombrix_testing.hpp"

namespace keld::ombrix {
namespace {

using testing::Ops;
using testing::TextOp;

struct Composition : ::testing::Test {
  keld::testing::TempDir dir;
  keld::testing::ScopedEnv win{"KELD_WINDIR", dir.path()};
  std::string path = dir / "LINE1.su";
  Controls c;
  SuSummary su;
  ComposeValues mv;
  PageSetup page;
  Document vp;
  MessageRecorder msg;

  // Six traces of 100 samples at 1 ms on 120 x 100 mm: D = 1134, A = 708.75, V = 56.7.
  void SetUp() override { make(); }
  void make(std::function<void(int, SuTrace&)> edit = {}, int ntr = 6) {
    testing::WriteSection(path, ntr, 100, 1000, edit);
    su = {path, 100, 1000, ntr};
    c.Text2 = "1";
    c.Text3 = std::to_string(ntr);
    c.Text4 = "120";
    c.Text5 = "100";
    c.Text6 = "100";
    c.Text1 = "Line 1";
    c.Text7 = "0";
  }
  ComposeOutcome run() {
    ComposeHooks h;
    h.messages = &msg;
    return DoDocument(vp, page, c, su, mv, h);
  }
  const Page& pg() const { return vp.page(); }
  std::vector<const PageOp*> wiggles() const {
    return Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polyline && o.pts.size() > 50; });
  }
  std::vector<const PageOp*> lobes() const {
    return Ops(pg(), [](const PageOp& o) {
      return o.kind == OpKind::Polygon && o.style.fill_style == 0 && o.style.fill_colour == 0;
    });
  }
  static int32_t X(int col) { return 1134 + 567 + 1134 * (col - 1); }
};

TEST_F(Composition, FrameHeaderTitleAndAxisLabelStandWhereTheLayoutSays) {
  auto out = run();
  ASSERT_TRUE(out.composed);
  EXPECT_TRUE(msg.saw(" The upper margin is enlarged to 40 mm"));
  EXPECT_EQ(out.Text9, "40");
  EXPECT_EQ(page.top, 2268);
  const PageOp& frame = pg().ops.front();
  EXPECT_EQ(frame.kind, OpKind::Polygon);
  EXPECT_EQ(frame.style.fill_style, 1);
  EXPECT_EQ(frame.pts, (std::vector<Pt>{{1134, 2268}, {7938, 2268}, {7938, 7938}, {1134, 7938}}));
  EXPECT_EQ(pg().header_text.rfind(path + "   Velquist Ombrix 2.0   ", 0), 0u);  // fields apart
  EXPECT_EQ(pg().header_colour, 0xC0C0C0u);
  const PageOp* title = TextOp(pg(), "Line 1");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->pts[0], (Pt{1134, 1134}));
  EXPECT_EQ(title->style.font_size, 14);
  const PageOp* axis = TextOp(pg(), "Depth (m)");
  ASSERT_TRUE(axis);
  EXPECT_EQ(axis->pts[0], (Pt{567, 2268 + 2835}));
  EXPECT_EQ(axis->style.angle, 900);
  EXPECT_EQ(mv.Large_plot, 6804);
  EXPECT_EQ(mv.Haut_plot, 5670);
  EXPECT_EQ(mv.S, 100);
}

TEST_F(Composition, EachLiveTraceIsOneWiggleOverItsLobesAndDeadTracesLeaveTheirColumnEmpty) {
  make([](int k, SuTrace& t) {
    if (k == 3) t.header.trid = 2;
  });
  run();
  auto w = wiggles();
  ASSERT_EQ(w.size(), 5u);
  // Columns 1, 2, 4, 5, 6: the first sample of each lies on its own column.
  const int cols[] = {1, 2, 4, 5, 6};
  for (size_t n = 0; n < w.size(); ++n) {
    EXPECT_EQ(w[n]->pts.front().y, 2325);  // T + V
    EXPECT_NEAR(w[n]->pts.front().x, X(cols[n]), 1134 / 1.6 * 6 / 1.0) << n;
  }
  // Scaled by the first trace: trace 2 deflects twice as far (2 A = 1417.5).
  auto dev = [&](const PageOp* op, int col) {
    int32_t m = 0;
    for (const Pt& p : op->pts) m = std::max(m, p.x - X(col));
    return m;
  };
  EXPECT_NEAR(dev(w[0], 1), 708.75, 4);
  EXPECT_NEAR(dev(w[1], 2), 1417.5, 8);
  // Five closed lobes a trace; the second opens on the zero line half a sample above sample 20.
  auto l = lobes();
  EXPECT_EQ(l.size(), 25u);
  EXPECT_EQ(l[0]->pts.front().y, 2325);
  EXPECT_EQ(l[1]->pts.front(), (Pt{X(1), 3374}));
  EXPECT_EQ(l[1]->pts.back().x, X(1));
}

TEST_F(Composition, EqualisationGivesEveryTraceTheSameDeflectionAndInversionSwapsTheColumns) {
  c.Egal = 1;
  run();
  auto eq = wiggles();
  ASSERT_EQ(eq.size(), 6u);
  for (size_t n = 0; n < eq.size(); ++n) {
    int32_t hi = INT32_MIN;
    for (const Pt& p : eq[n]->pts) hi = std::max(hi, p.x - X(int(n) + 1));
    EXPECT_NEAR(hi, std::min(708.75, 7938.0 - X(int(n) + 1)), 4) << n;  // the last columns are clipped at the frame
  }
  c.Egal = 0;
  c.Inverse_trace = 1;
  run();
  auto w = wiggles();
  ASSERT_EQ(w.size(), 6u);
  // Column 2 now holds trace 5, scaled by trace 6 of column 1.
  int32_t hi = INT32_MIN;
  for (const Pt& p : w[1]->pts) hi = std::max(hi, p.x - X(2));
  EXPECT_NEAR(hi, 708.75 * 5 / 6, 4);
}

TEST_F(Composition, PicksAreRedMarksAcrossTheColumn) {
  make([](int, SuTrace& t) { t.header.Pick = 100; });  // 10 ms
  c.Check1 = 1;
  run();
  auto marks = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Line && o.style.pen_colour == 255; });
  ASSERT_EQ(marks.size(), 6u);
  EXPECT_EQ(marks[0]->style.pen_width, 3);
  EXPECT_EQ(marks[0]->pts, (std::vector<Pt>{{X(1) - 378, 2835}, {X(1) + 378, 2835}}));
}

TEST_F(Composition, FlatAndAllNegativeFirstTracesStayInsideTheirColumns) {
  make([](int k, SuTrace& t) {
    for (float& s : t.samples) s = k == 1 ? 0.0f : -std::fabs(s);
  });
  c.combo1 = 1;
  run();
  auto w = wiggles();
  ASSERT_EQ(w.size(), 6u);
  for (const Pt& p : w[0]->pts) EXPECT_EQ(p.x, X(1));
  // A flat first trace gives no scale: the next trace with a sample gives it, by its
  // largest magnitude when it has no positive one, so nothing leaves its column.
  for (const Pt& p : w[1]->pts) EXPECT_LE(std::abs(p.x - X(2)), 710);
  EXPECT_LE(w[1]->pts[5].x, X(2) - 600);
}

TEST_F(Composition, TopographyStartsEachTraceAtItsStaticClampedInsideTheTrace) {
  make([](int k, SuTrace& t) { t.header.tstat = int16_t(k == 1 ? 10 : -40); });
  c.topo = 1;
  run();
  auto zero = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Line && o.pts[0].x == o.pts[1].x && o.pts[0].y == 2268 && o.pts[1].y > 2268; });
  ASSERT_FALSE(zero.empty());
  EXPECT_EQ(zero[0]->pts[1], (Pt{X(1), 2268 + 567}));
  auto w = wiggles();
  ASSERT_EQ(w.size(), 6u);
  EXPECT_EQ(w[0]->pts.front().y, 2268 + 567);
  EXPECT_EQ(w[0]->pts.size(), 90u);   // samples 10 .. 99
  EXPECT_EQ(w[1]->pts.size(), 99u);   // a negative static starts at sample 1
}

TEST_F(Composition, RangesPageChecksAndUnusableFilesAreRefusedBeforeDrawing) {
  struct Case {
    std::function<void(Composition&)> set;
    std::string message;
  } cases[] = {
      {[](Composition& t) { t.c.Text3 = "7"; }, " The traces to draw must lie between 1 and 6"},
      {[](Composition& t) { t.c.Text2 = "0"; }, " The traces to draw must lie between 1 and 6"},
      {[](Composition& t) { t.page.height = int32_t(56.7 * 155); },
       " Your plot height is too large, correct size page or profile height"},
      {[](Composition& t) {
         t.page.height = int32_t(56.7 * 170);
         t.c.fold = 1;
       },
       " Your plot height is too large, correct size page or profile height"},
      {[](Composition& t) { t.c.Text4 = "200"; }, " Your plot width is too large, correct size page or profile width"},
      // Boxes that would make a page without a trace or a label on it.
      {[](Composition& t) { t.c.Text4 = "0"; }, " The plot width must be above 0 mm"},
      {[](Composition& t) { t.c.Text5 = "0"; }, " The profile height must be above 0 mm"},
      {[](Composition& t) { t.c.Text10 = "0"; }, " The label spacing must be 1 or more"},
      {[](Composition& t) { t.c.Text10 = "0.4"; }, " The label spacing must be 1 or more"},
      {[](Composition& t) { t.c.Text10 = "-5"; }, " The label spacing must be 1 or more"},
      {[](Composition& t) { t.c.Text12 = "0"; }, " The trace size factor must not be 0"},
      {[](Composition& t) { t.c.Text12 = "big"; }, " The trace size factor must not be 0"},
      {[](Composition& t) { t.su.dt = 0; }, path + ": sample interval 0 us"},
  };
  for (auto& k : cases) {
    Composition& t = *this;
    t.page = PageSetup{};
    t.c.Text2 = "1", t.c.Text3 = "6", t.c.Text4 = "120", t.c.Text5 = "100", t.c.fold = 0, t.su.dt = 1000;
    t.c.Text10 = "10", t.c.Text12 = "1";
    k.set(t);
    msg.clear();
    vp = Document{};
    auto out = run();
    EXPECT_FALSE(out.composed) << k.message;
    EXPECT_TRUE(pg().ops.empty());
    EXPECT_EQ(msg.last().text.substr(0, k.message.size()), k.message);
  }
  // 170 mm is enough without the fold band.
  page = PageSetup{};
  su.dt = 1000;
  page.height = int32_t(56.7 * 170);
  EXPECT_TRUE(run().composed);
  // A file whose third trace is shorter opens (two headers are read), and
  // the page stops at that trace with the reason.
  const std::vector<std::string> bad = keld::testing::WriteLengthChangeFiles(dir.path());
  for (size_t k = 0; k < bad.size(); ++k) {
    su = {bad[k], 100, 1000, static_cast<int64_t>(4 + k)};  // the traces its length gives
    c.Text3 = std::to_string(4 + k);
    msg.clear();
    vp = Document{};
    EXPECT_FALSE(run().composed) << bad[k];
    ASSERT_FALSE(msg.shown.empty());
    EXPECT_EQ(msg.last().text, bad[k] + ": " + keld::testing::kThirdTraceInFile);
  }
}

}  // namespace
}  // namespace keld::ombrix
