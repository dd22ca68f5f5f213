// Display modes, amplitude colours, labels, topography, fold band, time lines
// and velocity tables on the page model, against the layout's numbers.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/numtext.hpp"
#include "common/testing/testsupport.hpp"
#include "ombrix/page/colours.hpp"
#include "ombrix/page/compose.hpp"
#include "ombrix/page/velocity.hpp"
#include "ombrix/tests/ombrix_testing.hpp"

namespace keld::ombrix {
namespace {

using testing::Ops;
using testing::TextOp;

TEST(Colours, EachSampleFallsInItsBinByItsRatioToTheTraceMaximum) {
  const ColourTable d = DefaultColourTable();
  struct Case {
    double ratio;
    uint32_t colour, grey;
  } cases[] = {
      {0, d[8], 0x7F7F7F},      {0.05, d[8], 0x7F7F7F},  {0.2, d[9], 0x6F6F6F},  {0.5, d[12], 0x3F3F3F},
      {0.875, d[15], 0x0F0F0F}, {1.0, d[15], 0x0F0F0F},  {INFINITY, d[15], 0x0F0F0F},
      {-0.05, d[7], 0x8F8F8F},  {-0.3, d[5], 0xAFAFAF},  {-0.875, d[0], 0xFFFFFF}, {-1.0, d[0], 0xFFFFFF},
      {-3.0, d[0], 0xFFFFFF},
  };
  for (const Case& c : cases) {
    ColourTable t = d;
    EXPECT_EQ(Recherche_couleur(c.ratio, t, "color"), c.colour) << c.ratio;
    EXPECT_EQ(Recherche_couleur(c.ratio, t, "grey"), c.grey) << c.ratio;
  }
  EXPECT_EQ(d[0], 0x011096u);
  EXPECT_EQ(d[15], 0xA92301u);
}

TEST(Colours, ALowAmplitude6SwitchesToTheBuiltInPaletteAndTheFileIsReadWhole) {
  keld::testing::TempDir dir;
  keld::testing::ScopedEnv win("KELD_WINDIR", dir.path());
  EXPECT_EQ(Lecture_INI_Couleur(), DefaultColourTable());
  keld::testing::WriteText(dir / "Visual_KELD.ini", "[VISUAL_KE]\nAmplitude6=0\nAmplitude2=255 red\n");
  ColourTable t = Lecture_INI_Couleur();
  EXPECT_EQ(t[1], 255u);
  EXPECT_EQ(Recherche_couleur(-1, t, "color"), 0x740A01u);
  EXPECT_EQ(Recherche_couleur(1, t, "color"), 0x1E2499u);
  EXPECT_EQ(t, BuiltInPalette());
  std::string word = "grey";
  SetModeWord(word, 7);
  EXPECT_EQ(word, "grey");
  SetModeWord(word, 3);
  EXPECT_EQ(word, "color");
}

struct Overlays : ::testing::Test {
  keld::testing::TempDir dir;
  keld::testing::ScopedEnv win{"KELD_WINDIR", dir.path()};
  std::string path = dir / "LINE5.su";
  Controls c;
  SuSummary su;
  ComposeValues mv;
  PageSetup page;
  Document vp;
  MessageRecorder msg;
  std::deque<std::optional<std::string>> vel_answers;
  int vel_asked = 0;

  // 20 traces of 100 samples at 1 ms on 180 x 100 mm: D = 510.3, V = 56.7.
  void make(std::function<void(int, SuTrace&)> edit = {}) {
    testing::WriteSection(path, 20, 100, 1000, edit);
    su = {path, 100, 1000, 20};
    c.Text2 = "1";
    c.Text3 = "20";
    c.Text4 = "180";
    c.Text5 = "100";
    c.Text6 = "100";
    c.Text7 = "0";
  }
  void SetUp() override { make(); }
  ComposeOutcome run() {
    ComposeHooks h;
    h.messages = &msg;
    h.locate_vel = [this](const std::string&) {
      ++vel_asked;
      auto a = vel_answers.empty() ? std::nullopt : vel_answers.front();
      if (!vel_answers.empty()) vel_answers.pop_front();
      return a;
    };
    vp = Document{};
    return DoDocument(vp, page, c, su, mv, h);
  }
  const Page& pg() const { return vp.page(); }
  int32_t T() const { return page.top; }
  static int32_t X(int k) { return int32_t(RoundHalfEven(1134 + 510.3 / 2 + 510.3 * (k - 1))); }
  std::vector<const PageOp*> texts_at_y(int32_t y) const {
    return Ops(pg(), [y](const PageOp& o) { return o.kind == OpKind::Text && o.pts[0].y == y; });
  }
};

TEST_F(Overlays, ColourModesDrawOneStrokePerSampleInItsColour) {
  c.combo1 = 3;
  mv.mode_word = "color";
  run();
  auto strokes = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Line && o.style.pen_width == 57; });
  ASSERT_EQ(strokes.size(), 20u * 100);
  // Trace 1, sample 5 is near its maximum, sample 15 near its minimum.
  const PageOp* s5 = strokes[4];
  EXPECT_EQ(s5->style.pen_colour, 0xA92301u);
  const int32_t x1 = int32_t(RoundHalfEven(X(1) - 510.3 / 1.9)), x2 = int32_t(RoundHalfEven(X(1) + 510.3 / 1.9));
  EXPECT_EQ(s5->pts, (std::vector<Pt>{{x1, 2268 + 284}, {x2, 2268 + 284}}));
  EXPECT_EQ(strokes[14]->style.pen_colour, 0x011096u);
  mv.mode_word = "grey";
  c.combo1 = 4;
  c.Egal = 1;
  run();
  strokes = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Line && o.style.pen_width == 57; });
  EXPECT_EQ(strokes[100 * 19 + 4]->style.pen_colour, 0x0F0F0Fu);
  EXPECT_EQ(strokes[100 * 19 + 14]->style.pen_colour, 0xFFFFFFu);
}

TEST_F(Overlays, LabelsEveryNthTraceWithTracePrintOrCdpNumbers) {
  c.Text2 = "3";
  c.Text10 = "5";
  run();
  // The caption heads the row of numbers, on its left.
  auto labels = texts_at_y(2268 - 300);
  ASSERT_EQ(labels.size(), 5u);
  EXPECT_EQ(labels[0]->text, "Trace");
  EXPECT_EQ(labels[0]->pts[0].x, 1134 - 550);
  labels.erase(labels.begin());
  const char* want[] = {" 3", " 8", " 13", " 18"};
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(labels[size_t(n)]->text, want[n]);
    EXPECT_EQ(labels[size_t(n)]->pts[0].x,
              int32_t(RoundHalfEven(1134 + 10206.0 / 18 / 2 + 10206.0 / 18 * 5 * n)) - 100);
  }
  c.CDP = 1;
  c.Inverse_trace = 1;
  run();
  labels = texts_at_y(2268 - 300);
  EXPECT_EQ(labels[0]->text, "CDP");
  EXPECT_EQ(labels[1]->text, " 120");  // the first column shows the last trace
}

TEST_F(Overlays, TopographyRunsFromEdgeToEdgeThroughEachTracesStatic) {
  make([](int k, SuTrace& t) { t.header.tstat = int16_t(k); });
  c.topo = 1;
  run();
  auto topo = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polyline && o.style.pen_colour == 0x008000; });
  ASSERT_EQ(topo.size(), 1u);
  EXPECT_EQ(topo[0]->style.pen_width, 20);
  ASSERT_EQ(topo[0]->pts.size(), 22u);
  EXPECT_EQ(topo[0]->pts.front(), (Pt{1134, int32_t(RoundHalfEven(2268 + 56.7))}));
  EXPECT_EQ(topo[0]->pts[3], (Pt{X(3), int32_t(RoundHalfEven(2268 + 56.7 * 3))}));
  EXPECT_EQ(topo[0]->pts.back(), (Pt{1134 + 10206, int32_t(RoundHalfEven(2268 + 56.7 * 20))}));
}

TEST_F(Overlays, FoldBandScalesToTheFoldMaximumAndWarnsWhenItIsOne) {
  make([](int k, SuTrace& t) { t.header.nhs = int16_t(k % 2 ? 12 : 0); });
  c.fold = 1;
  c.Text15 = "24";
  run();
  const int32_t bottom = 2268 + 5670 + 1100;
  auto curve = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polyline && o.style.pen_colour == 255; });
  ASSERT_EQ(curve.size(), 1u);
  EXPECT_EQ(curve[0]->style.pen_width, 10);
  EXPECT_EQ(curve[0]->pts[1], (Pt{X(1), bottom - 390}));  // halfway up the band
  EXPECT_EQ(curve[0]->pts[2], (Pt{X(2), bottom}));          // a fold of 0 on the bottom line
  auto area = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polygon && o.style.fill_colour == 0xE0E0E0; });
  ASSERT_EQ(area.size(), 1u);
  EXPECT_EQ(area[0]->pts.back(), (Pt{1134, bottom}));
  ASSERT_TRUE(TextOp(pg(), "Fold  24"));
  EXPECT_EQ(TextOp(pg(), "Fold  24")->pts[0], (Pt{1134 - 650, 2268 + 5670 + 200}));
  EXPECT_EQ(TextOp(pg(), "Fold 1")->pts[0], (Pt{1134 - 650, bottom - 100}));
  EXPECT_FALSE(msg.saw("Fold max=1 !"));
  make([](int, SuTrace& t) { t.header.nhs = 1; });
  c.Text15 = "0";
  run();
  EXPECT_TRUE(msg.saw("Fold max=1 !"));
  EXPECT_FALSE(TextOp(pg(), "Fold 1"));
  curve = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polyline && o.style.pen_colour == 255; });
  EXPECT_EQ(curve[0]->pts[1].y, bottom - 780);
}

TEST_F(Overlays, AFoldMaximumBelowOneIsRefusedBeforeDrawing) {
  c.fold = 1;
  for (const char* text : {"0.4", "-2", "0.6"}) {
    c.Text15 = text;
    msg.clear();
    const bool refused = std::string(text) != "0.6";  // 0.6 rounds to 1
    EXPECT_EQ(run().composed, !refused) << text;
    EXPECT_EQ(msg.saw(" The fold maximum must be 1 or more (0 takes it from the trace headers)"), refused) << text;
  }
}

TEST_F(Overlays, TimeLinesEveryStepWithTheirTimes) {
  c.Text7 = "20";
  su.delrt = 100;  // the section starts at 100 ms: the first line, 20 ms down, is 120 ms
  run();
  auto lines = Ops(pg(), [](const PageOp& o) {
    return o.kind == OpKind::Line && o.pts[0].x == 1134 && o.pts[1].x == 1134 + 10206;
  });
  ASSERT_EQ(lines.size(), 5u);
  for (int n = 0; n < 5; ++n) EXPECT_EQ(lines[size_t(n)]->pts[0].y, 2268 + 1134 * (n + 1));
  // Every line has its time, the top edge of the section (100 ms) as well.
  const char* want[] = {" 100", " 120", " 140", " 160", " 180", " 200"};
  for (int n = 0; n < 6; ++n) {
    const PageOp* t = TextOp(pg(), want[n]);
    ASSERT_TRUE(t) << want[n];
    EXPECT_EQ(t->pts[0], (Pt{1134 - 400, 2268 + 1134 * n - 100}));
  }
  // The caption of the trace numbers stands on their row, clear of the top time.
  const PageOp* caption = TextOp(pg(), "Trace");
  ASSERT_TRUE(caption);
  EXPECT_EQ(caption->pts[0], (Pt{1134 - 550, 2268 - 300}));
}

std::string Model(double cdp, std::vector<double> times, std::vector<double> vnmo, std::vector<double> vint) {
  std::string s = std::to_string(int(cdp));
  for (auto* v : {&times, &vnmo, &vint}) {
    v->resize(10, 0);
    s += "\n";
    for (double x : *v) s += " " + CStr(x) + ",";
  }
  return s + "\n";
}

TEST_F(Overlays, VelocityTablesStandAboveTheColumnsOfTheirCdps) {
  keld::testing::WriteText(dir / "LINE5.vel", Model(105, {200, 400}, {1500, 1800}, {1600, 2400}) +
                                                  Model(107, {50, 100, 0, 300}, {1, 2, 0, 4}, {1, 2, 0, 4}));
  c.velocity = 1;
  auto out = run();
  EXPECT_EQ(out.Text9, "60");
  ASSERT_EQ(T(), 3402);
  const int32_t y = 3402 - 1700, x = X(5);
  auto frames = Ops(pg(), [](const PageOp& o) { return o.kind == OpKind::Polygon && o.pts.size() == 4 && o.pts[1].x - o.pts[0].x == 1300; });
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0]->pts, (std::vector<Pt>{{x, y}, {x + 1300, y}, {x + 1300, y + 560}, {x, y + 560}}));
  EXPECT_EQ(frames[1]->pts[2].y, y + 560);  // rows end at the first zero time
  const PageOp* head = TextOp(pg(), "  ms Vnmo  Vint ");
  ASSERT_TRUE(head);
  EXPECT_TRUE(head->style.bold);
  EXPECT_EQ(head->style.font_name, "Arial");
  EXPECT_EQ(head->pts[0], (Pt{x + 100, y + 30}));
  const PageOp* row2 = TextOp(pg(), "   400  1800  2400");
  ASSERT_TRUE(row2);
  EXPECT_EQ(row2->pts[0], (Pt{x + 100, y + 400}));
  EXPECT_FALSE(row2->style.bold);
  EXPECT_TRUE(TextOp(pg(), "     50        1        1"));
  EXPECT_FALSE(TextOp(pg(), "   300        4        4"));
  auto marker = Ops(pg(), [x](const PageOp& o) { return o.kind == OpKind::Line && o.pts[0] == Pt{x, 3402}; });
  ASSERT_FALSE(marker.empty());
  EXPECT_EQ(marker.back()->pts[1], (Pt{x, 3402 - 1200}));
  EXPECT_EQ(VelCell(50), "     50");
}

TEST_F(Overlays, ABadOrMissingModelFileIsNamedAndTheChosenOneRemembered) {
  c.velocity = 1;
  const std::string other = dir / "model.VEL";
  keld::testing::WriteText(other, Model(103, {100}, {1500}, {1500}));
  vel_answers = {std::nullopt, other};
  run();
  EXPECT_TRUE(msg.saw("You must locate your VEL file"));
  EXPECT_FALSE(TextOp(pg(), "  ms Vnmo  Vint "));
  run();
  EXPECT_TRUE(TextOp(pg(), "  ms Vnmo  Vint "));
  run();
  EXPECT_EQ(vel_asked, 2);
  EXPECT_TRUE(TextOp(pg(), "  ms Vnmo  Vint "));

  // The model beside the section is found whatever the case of its extension.
  keld::testing::WriteText(dir / "LINE5.VEL", Model(103, {100}, {1500}, {1500}));
  mv.vel_file.clear();
  run();
  EXPECT_TRUE(vel_asked == 2 && TextOp(pg(), "  ms Vnmo  Vint "));
  std::filesystem::remove(dir / "LINE5.VEL");

  const std::string bad[] = {"1 2 3", Model(1, {}, {}, {}) + " 5", "105 abc", [] {
                               std::string s;
                               for (int i = 0; i < 11; ++i) s += Model(1, {}, {}, {});
                               return s;
                             }()};
  for (const std::string& text : bad) {
    keld::testing::WriteText(dir / "LINE5.vel", text);
    msg.clear();
    run();
    ASSERT_FALSE(msg.shown.empty());
    EXPECT_EQ(msg.last().text.rfind(dir / "LINE5.vel" + ": not a velocity model file", 0), 0u) << msg.last().text;
    EXPECT_FALSE(TextOp(pg(), "  ms Vnmo  Vint "));
  }
}

}  // namespace
}  // namespace keld::ombrix
