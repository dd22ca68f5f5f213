// The composed page of a real file through every output: PDF rasterised by
// pdftoppm, and SVG rendered back by Qt, against the renderer's own image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <sys/resource.h>

#include <filesystem>
#include <functional>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "ombrix/page/compose.hpp"
#include "ombrix/render/render.hpp"
#include "ombrix/tests/image_compare.hpp"
#include "platform/signals.hpp"

namespace keld::ombrix {
namespace {

using keld::testing::RunCommand;
using keld::testing::ShellQuote;

bool HasTool(const char* name) { return RunCommand(std::string("command -v ") + name + " >/dev/null") == 0; }

// The first shot of the demo file on an A4 page, with the given extras.
Page DemoPage(const std::string& su_path, std::function<void(Controls&)> extra = {},
              const std::string& vel_file = {}) {
  auto L = ReadSuLayout(su_path);
  EXPECT_TRUE(L.ok());
  SuSummary su{su_path, L->ns, L->dt, L->traces};
  Controls c;
  c.Text1 = "Shots static NMO";
  c.Text2 = "1";
  c.Text3 = "96";
  c.Text4 = "160";
  c.Text5 = "200";
  c.Text6 = "250";
  c.Text7 = "50";
  c.Text13 = "West";
  c.Text14 = "East";
  if (extra) extra(c);
  PageSetup page;
  ComposeValues mv;
  Document vp;
  MessageRecorder msg;
  ComposeHooks h;
  h.messages = &msg;
  h.locate_vel = [&](const std::string&) { return std::optional<std::string>(vel_file); };
  EXPECT_TRUE(DoDocument(vp, page, c, su, mv, h).composed);
  return vp.page();
}

struct Exports : ::testing::Test {
  void SetUp() override { InstallFontSubstitutes(); }
  keld::testing::TempDir dir;
};

TEST_F(Exports, PdfRasterisedMatchesTheRenderersImageAndCarriesTheTitle) {
  KELD_REQUIRE_TESTDATA(su, "su");
  if (!HasTool("pdftoppm") || !HasTool("pdftotext")) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) missing";
  // A quarter of the shot: hairlines are drawn a little wider by the rasteriser,
  // so the comparison keeps the page from being all hairlines.
  const Page page = DemoPage(su + "/su_demos_shots_static_nmo_w_le.su", [](Controls& c) { c.Text3 = "24"; });
  const std::string pdf = dir / "page.pdf";
  ASSERT_TRUE(SavePicture(page, pdf).ok());
  // 0.25 pt lines are one dot wide at 288 dots per inch.
  ASSERT_EQ(RunCommand("pdftoppm -r 288 -png -singlefile " + ShellQuote(pdf) + " " + ShellQuote(dir / "page")), 0);
  QImage raster(QString::fromStdString(dir / "page.png"));
  ASSERT_FALSE(raster.isNull());
  const QImage own = PageImage(page, 288, std::nullopt, kPaperHairline);
  EXPECT_LE(std::abs(raster.width() - own.width()), 1);
  EXPECT_LE(std::abs(raster.height() - own.height()), 1);
  EXPECT_TRUE(testing::SameImage(raster, own, 4.0));
  std::string text;
  ASSERT_EQ(RunCommand("pdftotext " + ShellQuote(pdf) + " -", &text, false), 0);
  EXPECT_NE(text.find("Shots static NMO"), std::string::npos) << text;
  EXPECT_NE(text.find("Depth (m)"), std::string::npos);
}

TEST_F(Exports, APageWithEveryOverlayReachesThePdfWithItsTexts) {
  KELD_REQUIRE_TESTDATA(su, "su");
  if (!HasTool("pdftoppm") || !HasTool("pdftotext")) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) missing";
  const std::string file = su + "/su_demos_shots_static_nmo_w_le.su";
  SuReader r;
  ASSERT_TRUE(r.open(file).ok());
  SuTraceHeader h;
  ASSERT_TRUE(r.read_header(4, h));
  const std::string vel = dir / "model.vel";
  keld::testing::WriteText(vel, std::to_string(h.cdp) + " 120 180 240 0 0 0 0 0 0 0\n" +
                                    "2980 3010 3050 0 0 0 0 0 0 0\n3333 3111 3222 0 0 0 0 0 0 0\n");
  const Page page = DemoPage(file, [](Controls& c) {
    c.Text3 = "24";
    c.fold = c.topo = c.velocity = 1;
    c.Text15 = "5";
    c.Text5 = "180";
  }, vel);
  const std::string pdf = dir / "full.pdf";
  ASSERT_TRUE(SavePicture(page, pdf).ok());
  std::string text;
  ASSERT_EQ(RunCommand("pdftotext " + ShellQuote(pdf) + " -", &text, false), 0);
  for (const char* want : {"Fold 1", "Fold 5", "Vnmo", "Vint", "3010", "3222", "150", "250", "Trace"})
    EXPECT_NE(text.find(want), std::string::npos) << want << " in\n" << text;
  ASSERT_EQ(RunCommand("pdftoppm -r 288 -png -singlefile " + ShellQuote(pdf) + " " + ShellQuote(dir / "full")), 0);
  EXPECT_TRUE(testing::SameImage(QImage(QString::fromStdString(dir / "full.png")),
                                 PageImage(page, 288, std::nullopt, kPaperHairline), 4.0));
}

TEST_F(Exports, SvgRendersBackToTheSamePageAndCropKeepsOnlyTheSection) {
  KELD_REQUIRE_TESTDATA(su, "su");
  const Page page = DemoPage(su + "/su_demos_shots_static_nmo_w_le.su");
  const std::string svg = dir / "page.svg";
  ASSERT_TRUE(SavePicture(page, svg).ok());
  QSvgRenderer r(QString::fromStdString(svg));
  ASSERT_TRUE(r.isValid());
  const QImage own = PageImage(page, 50, std::nullopt, kPaperHairline);
  QImage back(own.size(), QImage::Format_RGB32);
  back.fill(Qt::white);
  {
    QPainter p(&back);
    r.render(&p, QRectF(0, 0, back.width(), back.height()));
  }
  EXPECT_TRUE(testing::SameImage(back, own));
  // Cropped to the section: 160 x 200 mm at 15 twips a dot.
  const QRect crop(1134, 2268, 9072, 11340);
  QSvgRenderer rc(PageSvg(page, crop));
  EXPECT_TRUE(rc.isValid());
  EXPECT_NEAR(rc.viewBoxF().width(), 9072 / 15.0, 1);
  EXPECT_NEAR(rc.viewBoxF().height(), 11340 / 15.0, 1);
}

TEST_F(Exports, TheSvgDrawsInOtherProgramsAsMuchInkAsThePdf) {
  KELD_REQUIRE_TESTDATA(su, "su");
  if (!HasTool("pdftoppm") || !HasTool("rsvg-convert")) GTEST_SKIP() << "pdftoppm or rsvg-convert missing";
  const Page page = DemoPage(su + "/su_demos_shots_static_nmo_w_le.su", [](Controls& c) { c.Text3 = "48"; });
  ASSERT_TRUE(SavePicture(page, dir / "ink.svg").ok() && SavePicture(page, dir / "ink.pdf").ok());
  // At 288 dots per inch (the SVG has 96) a 0.25 pt line is one dot wide.
  ASSERT_EQ(RunCommand("rsvg-convert -z 3 -b white -o " + ShellQuote(dir / "svg.png") + " " + ShellQuote(dir / "ink.svg")), 0);
  ASSERT_EQ(RunCommand("pdftoppm -r 288 -png -singlefile " + ShellQuote(dir / "ink.pdf") + " " + ShellQuote(dir / "pdf")), 0);
  auto ink = [](const std::string& png) {  // the share of dark pixels
    const QImage g = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_Grayscale8);
    long dark = 0;
    for (int y = 0; y < g.height(); ++y)
      for (int x = 0; x < g.width(); ++x) dark += g.constScanLine(y)[x] < 128;
    return double(dark) / std::max(1.0, double(g.width()) * g.height());
  };
  const double pdf = ink(dir / "pdf.png");
  EXPECT_GT(pdf, 0.02);
  EXPECT_NEAR(ink(dir / "svg.png"), pdf, 0.05 * pdf);
}

TEST_F(Exports, AFailedSaveKeepsTheOlderFile) {
  KELD_REQUIRE_TESTDATA(su, "su");
  const Page page = DemoPage(su + "/su_demos_shots_static_nmo_w_le.su");
  const std::string svg = dir / "old.svg";
  keld::testing::WriteText(svg, "older picture");
  // Files may grow to 4 KB only: the write of the new picture fails midway.
  IgnoreFileSizeSignal();  // as ombrix's start-up does
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status s = SavePicture(page, svg);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(keld::testing::ReadText(svg), "older picture");
  for (auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename(), "old.svg") << "left behind: " << e.path();
}

}  // namespace
}  // namespace keld::ombrix
