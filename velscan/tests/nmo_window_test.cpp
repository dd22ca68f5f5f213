// The window `NMO` driven headless by its controls: scans, gathers shown,
// the NMO panel and picks made by mouse clicks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

#include "common/header_io.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/radar.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"
#include "velscan/testing/synthetic_cdp.hpp"
#include "velscan/tests/velscan_fixture.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {
namespace {

using keld::testing::TempDir;
using testing::SyntheticCdp;
using testing::VelscanHarness;

TEST(VelscanWindow, VaryingFoldShowsExactlyEachGathersTraces) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {1, 2, 3, 3, 3, 2};
  WriteCdpFile(d / "fold.su", s);
  VelscanHarness h;
  h.messages.answer(MsgAnswer::Yes);  // " contains sorted data ? "
  h.messages.type("100");             // the CDP to show
  h.window.Form_Load(d / "fold.su");
  ASSERT_EQ(h.messages.shown.size(), 2u) << h.messages.texts().front();
  EXPECT_EQ(h.messages.shown[0].text, d / "fold.su" + " contains sorted data ? ");
  EXPECT_EQ(h.messages.shown[1].default_text, "102");  // the middle CDP
  EXPECT_EQ(h.state.Mode_CDP, 1);
  EXPECT_EQ(h.window.Label1->text(), "CDP");
  EXPECT_EQ(h.shown_cdps(), std::vector<int32_t>{100});
  for (int cdp = 101; cdp <= 105; ++cdp) {
    h.window.HScroll1->setValue(cdp);
    EXPECT_EQ(h.shown_cdps(), std::vector<int32_t>(static_cast<size_t>(s.folds[cdp - 100]), cdp)) << cdp;
    EXPECT_EQ(h.window.Text10->text().toInt(), s.folds[cdp - 100]);
    EXPECT_EQ(h.window.Text3->text(), QString::number(cdp));
  }
  // Outside the file's CDPs: the message, and the display stays.
  h.window.Text12->setText("99");
  h.window.Display_CDP();
  EXPECT_EQ(h.messages.last().text, "CDP not found");
  EXPECT_EQ(h.shown_cdps(), std::vector<int32_t>(2, 105));
  EXPECT_EQ(h.state.Mode_Affichage, "film");
}

TEST(VelscanWindow, CdpGathersOfAShotOrderedFile) {
  KELD_REQUIRE_TESTDATA(su, "su");
  const std::string file = su + "/su_demos_shots_static_nmo_w_le.su";
  VelscanHarness h;
  h.state.Mode_CDP = 1;               // the previous file was CDP-sorted
  h.messages.answer(MsgAnswer::No);   // " seems to be raw field data ? ": keeps CDP mode
  h.messages.type("300");
  h.window.Form_Load(file);
  EXPECT_EQ(h.messages.shown[0].text, file + " seems to be raw field data ? ");
  auto all = ReadSuFile(file);
  ASSERT_TRUE(all.ok());
  for (int asked : {300, 10, 11, 604, 605, 200}) {
    if (asked != 300) h.window.HScroll1->setValue(asked);
    // The CDP itself, or the next one present above it.
    int cdp = 1 << 30;
    for (const auto& t : all.value())
      if (t.header.cdp >= asked) cdp = std::min(cdp, t.header.cdp);
    size_t in_file = 0;
    for (const auto& t : all.value()) in_file += t.header.cdp == cdp;
    EXPECT_GT(in_file, 0u);
    EXPECT_EQ(h.shown_cdps(), std::vector<int32_t>(in_file, cdp)) << "cdp " << asked;
    EXPECT_EQ(h.window.Text12->text().toInt(), cdp);
  }
  // The NMO display runs on it with the stored offsets: no question asked.
  const size_t boxes = h.messages.shown.size();
  h.window.VScroll1->setValue(3000);
  EXPECT_EQ(h.messages.shown.size(), boxes);
  EXPECT_EQ(h.state.Mode_Affichage, "nmo");
  EXPECT_EQ(h.window.Text9->text(), " 3000 m/s");
  EXPECT_GT(h.state.Max_Somme, 0);
}

TEST(VelscanWindow, RecordModeOnTheGroundRollShot) {
  KELD_REQUIRE_TESTDATA(su, "su");
  const std::string file = su + "/su_demos_groundroll_raw_le.su";
  VelscanHarness h;
  h.messages.answer(MsgAnswer::No);  // not sorted: record mode
  h.messages.type("0");              // asked again while below 1
  h.messages.type("120");
  h.window.Form_Load(file);
  EXPECT_EQ(h.messages.count("Traces per record"), 2);
  EXPECT_EQ(h.window.Label1->text(), "FLDR");
  EXPECT_EQ(h.state.Tableau_Film.count(), 120);
  h.window.VScroll1->setValue(1500);
  h.window.Check1->click();  // half time, NMO display redrawn
  EXPECT_EQ(h.state.Mode_Affichage, "nmo");
  EXPECT_EQ(h.state.Premier_Echantillon, 0);
  EXPECT_EQ(h.state.Dernier_Echantillon, 500);
  EXPECT_EQ(h.messages.shown.size(), 3u);  // nothing but the questions
}

TEST(VelscanWindow, CancelledQuestionsAbandonAndCancelledDialogChangesNothing) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {3, 3};
  s.store_offsets = false;
  WriteCdpFile(d / "a.su", s);
  VelscanHarness h;
  h.messages.answer(MsgAnswer::No);  // record mode
  h.messages.type(std::nullopt);     // "Traces per record" cancelled
  h.window.Form_Load(d / "a.su");
  EXPECT_FALSE(h.state.scanned);
  EXPECT_EQ(h.state.Tableau_Film.count(), 0);
  // A cancelled file dialog: no scan, no box.
  h.messages.clear();
  h.dialogs.files.push_back(std::nullopt);
  h.window.Command1->click();
  EXPECT_EQ(h.dialogs.asked.back().title, "SU File selection");
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.window.Text1->text().toStdString(), d / "a.su");
  // Chosen through the dialog; the file has no offsets, so the boxes serve:
  // the spacing question comes back while below 0.01 and ends when cancelled.
  h.dialogs.files.push_back(d / "a.su");
  h.messages.answer(MsgAnswer::Yes);
  h.messages.type("101");
  h.window.Command1->click();
  ASSERT_TRUE(h.state.scanned);
  h.window.Text7->setText("0");
  h.messages.type("0.005");
  h.messages.type(std::nullopt);
  h.window.VScroll1->setValue(2000);
  EXPECT_EQ(h.messages.count("Receiver spacing"), 2);
  EXPECT_NE(h.state.Mode_Affichage, "nmo");
  // Answered: then the offset is asked once, and 0 is a valid answer.
  h.messages.type("100");
  h.messages.type("0");
  h.window.VScroll1->setValue(2100);
  h.window.VScroll1->setValue(2200);
  EXPECT_EQ(h.messages.count("Offset distance (negative for shot ahead of receivers) "), 1);
  EXPECT_EQ(h.state.Mode_Affichage, "nmo");
}

TEST(VelscanWindow, ACancelledScanLeavesNothingToPickOn) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {4, 4, 4};
  WriteCdpFile(d / "p.su", s);
  VelscanHarness h;
  h.messages.answer(MsgAnswer::Yes);
  h.messages.type("101");
  h.window.Form_Load(d / "p.su");
  h.window.VScroll1->setValue(1500);
  h.window.Save_Pick(101, 200, 1500);
  h.window.Command2->click();
  // A second file that cannot be read (no SU file; one whose third trace is
  // shorter, found by the scan): nothing shown, no picks, and a click on the
  // panel proposes nothing.
  keld::testing::WriteText(d / "bad.su", "not an SU file");
  std::vector<std::string> bad = keld::testing::WriteLengthChangeFiles(d.path());
  bad.insert(bad.begin(), d / "bad.su");
  for (const std::string& f : bad) {
    SCOPED_TRACE(f);
    h.dialogs.files.push_back(f);
    h.window.Command1->click();
    if (f != d / "bad.su") EXPECT_EQ(h.messages.last().text, f + ": " + keld::testing::kThirdTraceInFile);
    EXPECT_EQ(h.state.Tableau_Film.count(), 0);
    EXPECT_TRUE(h.state.Picks.empty());
    EXPECT_EQ(h.window.pick_window()->Grid->TextMatrix(1, 1), "0");
    const size_t boxes = h.messages.shown.size();
    h.window.Ecran->send_mouse_down(1, 1000, 250);
    EXPECT_EQ(h.messages.shown.size(), boxes);
    EXPECT_TRUE(h.state.Picks.empty());
  }
}

// The receiver spacing of the word at byte 188 from the files of two
// writers: the radar importer's d2 (a float, 10.0 = bits 1092616192) and the
// header editor's integer, written in place as its grid does.
TEST(VelscanWindow, ReceiverSpacingOfImportedAndEditedFiles) {
  TempDir d;
  std::vector<uint8_t> rd3(2 * 64 * 24);
  for (size_t i = 0; i < rd3.size(); i += 2) rd3[i] = static_cast<uint8_t>(i % 97);
  conversion::RadarParams rp;
  rp.ns = 64;
  rp.traces = 24;
  rp.interval_ns = 1;
  rp.spacing = 10;
  auto imported = conversion::ImportRamac(rd3, rp, {});
  ASSERT_TRUE(imported.ok()) << imported.error();
  ASSERT_TRUE(WriteSuFile(d / "radar.su", imported->traces).ok());
  auto open = [&](VelscanHarness& h) {
    h.messages.answer(MsgAnswer::Yes);  // " seems to be stacked data, continue ? " (nhs 95)
    h.messages.answer(MsgAnswer::Yes);  // " seems to be raw field data ? "
    h.messages.type("24");
    h.window.Form_Load(d / "radar.su");
    return h.window.Text7->text().toStdString();
  };
  VelscanHarness imported_file;
  EXPECT_EQ(open(imported_file), "10");
  InPlaceFile f;
  ASSERT_TRUE(f.open(d / "radar.su", true).ok());
  ASSERT_TRUE(WriteSuWord(f, 64, 1, *FindHeaderWord(74), 12).ok());
  f.close();
  VelscanHarness edited_file;
  EXPECT_EQ(open(edited_file), "12");
}

TEST(VelscanWindow, ClicksRecordPicksWithTheirTimeAndVelocity) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {4, 4, 4};
  s.dt_us = 500;
  s.ns = 1200;
  WriteCdpFile(d / "p.su", s);
  VelscanHarness h;
  h.messages.answer(MsgAnswer::Yes);
  h.messages.type("101");
  h.window.Form_Load(d / "p.su");
  h.window.VScroll1->setValue(1500);
  h.messages.clear();
  h.messages.answer(MsgAnswer::Yes);
  h.window.Ecran->send_mouse_down(1, 1000, 250);
  EXPECT_EQ(h.messages.last().text,
            "Press YES to save this pick CDP=101 Velocity=1'500  Time=125.0 ms\n\r"
            " Press CANCEL to record and display all picks and launch NMO");
  EXPECT_EQ(h.messages.last().buttons, MsgButtons::YesNoCancel);
  h.messages.answer(MsgAnswer::No);
  h.window.Ecran->send_mouse_down(1, 1000, 300);
  h.window.VScroll1->setValue(1800);
  h.messages.answer(MsgAnswer::Yes);
  h.window.Ecran->send_mouse_down(1, 1000, 250);  // same CDP and time: replaces
  h.window.HScroll1->setValue(102);
  h.window.VScroll1->setValue(2000);
  h.messages.answer(MsgAnswer::Cancel);  // records, then shows the pick window
  h.window.Ecran->send_mouse_down(1, 1000, 801);
  ASSERT_NE(h.window.pick_window(), nullptr);
  EXPECT_TRUE(h.window.pick_window()->isVisible());
  std::vector<Pick> want = {{101, 125, 1800}, {102, 400, 2000}};
  EXPECT_EQ(h.state.Picks.rows(), want);
  // The time under the pointer, and the manual that is not there.
  h.window.Ecran->send_mouse_move(0, 1000, 250);
  EXPECT_EQ(h.window.Ecran->toolTip(), "125 ms");
  h.window.Command3->click();
  EXPECT_EQ(h.messages.last().text, "Unable to shell /nonexistent-programs/manual/visual_keld5.htm");
  // After a record display the velocity box is empty: the pick is refused.
  h.window.HScroll1->setValue(101);
  h.messages.answer(MsgAnswer::Yes);
  h.window.Ecran->send_mouse_down(1, 1000, 100);
  EXPECT_EQ(h.messages.last().text, "No pick recorded: the velocity must be above 0 m/s");
  EXPECT_EQ(h.state.Picks.size(), 2u);
  // A new scan forgets the picks.
  h.messages.answer(MsgAnswer::Yes);
  h.messages.type("101");
  h.window.Recherche_FLDR(d / "p.su");
  EXPECT_TRUE(h.state.Picks.empty());
}

TEST(VelscanWindow, PanelFavoursTheReflectionsVelocity) {
  TempDir d;
  SyntheticCdp s;
  s.folds = {10};
  WriteCdpFile(d / "one.su", s);
  VelscanHarness h;
  h.messages.answer(MsgAnswer::Yes);
  h.messages.type("100");
  h.window.Form_Load(d / "one.su");
  auto bar = [&](int v) {
    h.window.VScroll1->setValue(v);
    return h.state.Somme_NMO[200];  // t0 = 0.4 s at 2 ms
  };
  // The step of the drawing must hit sample 200: a tall panel.
  h.window.resize(900, 1400);
  const float at2000 = bar(2000);
  EXPECT_GT(at2000, bar(1600));
  EXPECT_GT(at2000, bar(2400));
  // A single trace is drawn centred.
  EXPECT_EQ(h.window.Ecran->ScaleWidth(), 2000 * 10);
}

}  // namespace
}  // namespace keld::velscan
