// The grid window: its layout, typing into a cell and writing exactly that
// word with a double-click, and every refusal that leaves the files as they were.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <unistd.h>

#include "keysheet/window/tests/keysheet_fixture.hpp"

using namespace keld;
using namespace keld::keysheet;
using namespace keld::keysheet::testing;

namespace {
struct GridOn48 : ::testing::Test {
  void SetUp() override {
    path = h.su("a.su", 48, 50);
    h.start(path);
    g = h.grid().FlexArray;
    before = keld::testing::ReadBytes(path);
  }
  std::vector<unsigned char> after() const { return keld::testing::ReadBytes(path); }
  // Arrow onto the cell, then type: a new text.
  void TypeInto(int row, int col, std::initializer_list<std::pair<int, Qt::KeyboardModifiers>> keys) {
    Select(*g, row, col);
    QTest::keyClick(g, Qt::Key_Down);
    Select(*g, row, col);
    for (const auto& [k, m] : keys) QTest::keyClick(g, static_cast<Qt::Key>(k), m);
  }
  KeysheetHarness h;
  std::string path;
  Grid* g = nullptr;
  std::vector<unsigned char> before;
};
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kPad = Qt::KeypadModifier;
}  // namespace

TEST_F(GridOn48, LayoutOfTheWindow) {
  Grille& w = *h.window->grid_window();
  EXPECT_EQ(w.windowTitle(), "Visual_KELD 3 Header Editor");
  EXPECT_EQ(g->Cols(), 50);
  EXPECT_EQ(g->Rows(), 87);
  EXPECT_EQ(w.Text2->text(), "1 to  48");
  EXPECT_EQ(w.Label1->text().toStdString(), path);
  EXPECT_EQ(g->TextMatrix(0, 1), "Trace Nb");
  EXPECT_EQ(g->TextMatrix(0, 2), " 1");
  EXPECT_EQ(g->TextMatrix(0, 49), " 48");
  EXPECT_EQ(g->TextMatrix(31, 1), " sstat");
  EXPECT_EQ(g->TextMatrix(86, 0), " 86");
  EXPECT_EQ(g->TextMatrix(1, 4), "3");    // tracl of trace 3
  EXPECT_EQ(g->TextMatrix(39, 2), "50");  // ns
  EXPECT_GE(g->ColWidthTwips(1), 705);  // 700 twips at least, whole pixels of 15
  EXPECT_GE(g->ColWidthTwips(2), 495);  // 500 twips at least
  EXPECT_EQ(g->BackColorAt(1, 2), kWhite);
  // The main window no longer stays on top.
  EXPECT_FALSE(h.window->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(GridOn48, TypedNegativeValueIsWrittenIntoExactlyItsWord) {
  TypeInto(12, 4, {{Qt::Key_Minus, kNone}, {Qt::Key_1, kNone}, {Qt::Key_2, kPad}, {Qt::Key_5, kNone}, {Qt::Key_0, kPad}});
  EXPECT_EQ(g->Text(), "-1250");
  EXPECT_EQ(g->CellBackColor(), kYellow);
  EXPECT_EQ(g->CellForeColor(), kRed);
  DoubleClick(*g, 12, 4);
  // Word 12 (offset, 4 bytes at 36) of trace 3 with 50 samples: bytes 916-919.
  const auto diff = Differences(before, after());
  EXPECT_EQ(diff, (std::vector<size_t>{2 * 440 + 36, 2 * 440 + 37, 2 * 440 + 38, 2 * 440 + 39}));
  int32_t v;
  std::memcpy(&v, after().data() + 2 * 440 + 36, 4);
  EXPECT_EQ(v, -1250);
  EXPECT_EQ(g->CellBackColor(), kLightGrey);
  EXPECT_EQ(g->CellForeColor(), kBlack);
  EXPECT_EQ(g->Text(), "-1250");
  EXPECT_TRUE(h.messages.shown.empty());

  // segyio, outside our code, reads the new value.
  std::string out;
  const std::string py =
      "/usr/bin/python3 -c \"import segyio; f = segyio.su.open('" + path +
      "', endian='little', ignore_geometry=True); print(f.header[2][segyio.su.offset])\"";
  if (keld::testing::RunCommand("/usr/bin/python3 -c 'import segyio'") != 0)
    GTEST_SKIP() << "Debian's python3-segyio is missing: the outside check is skipped";
  ASSERT_EQ(keld::testing::RunCommand(py, &out, false), 0) << out;
  EXPECT_EQ(out, "-1250\n");
}

TEST_F(GridOn48, TenthsOfWord72AndBackspaceAndDelete) {
  TypeInto(72, 2, {{Qt::Key_1, kNone}, {Qt::Key_2, kNone}, {Qt::Key_9, kNone}, {Qt::Key_Backspace, kNone},
                   {Qt::Key_Period, kPad}, {Qt::Key_5, kNone}});
  EXPECT_EQ(g->Text(), "12.5");
  DoubleClick(*g, 72, 2);
  int32_t v;
  std::memcpy(&v, after().data() + 180, 4);
  EXPECT_EQ(v, 125);
  EXPECT_EQ(Differences(before, after()).size(), 1u);  // 125 fits the low byte
  EXPECT_EQ(g->Text(), "12.5");
  QTest::keyClick(g, Qt::Key_Delete);
  EXPECT_EQ(g->Text(), "");
}

TEST_F(GridOn48, RefusedValuesLeaveTheFileAndTheYellowCell) {
  TypeInto(8, 3, {{Qt::Key_4, kNone}, {Qt::Key_0, kNone}, {Qt::Key_0, kNone}, {Qt::Key_0, kNone}, {Qt::Key_0, kNone}});
  DoubleClick(*g, 8, 3);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, "The value does not fit word 8 (trid): it must lie between -32768 and 32767.");
  EXPECT_EQ(g->BackColorAt(8, 3), kYellow);
  EXPECT_EQ(g->TextMatrix(8, 3), "40000");

  TypeInto(39, 3, {{Qt::Key_6, kNone}, {Qt::Key_0, kNone}});  // ns
  DoubleClick(*g, 39, 3);
  ASSERT_EQ(h.messages.shown.size(), 2u);
  EXPECT_NE(h.messages.last().text.find("ns"), std::string::npos);
  EXPECT_EQ(after(), before);

  // Keys on the titles and trace numbers change nothing, not even colours.
  Select(*g, 0, 3);
  QTest::keyClick(g, Qt::Key_7);
  EXPECT_EQ(g->TextMatrix(0, 3), " 2");
  Select(*g, 5, 1);
  QTest::keyClick(g, Qt::Key_7);
  EXPECT_EQ(g->TextMatrix(5, 1), "ep");
}

TEST_F(GridOn48, ReadOnlyFileIsNamedAndKept) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only file is still writable";
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  TypeInto(1, 2, {{Qt::Key_9, kNone}});
  DoubleClick(*g, 1, 2);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_NE(h.messages.last().text.find("read-only"), std::string::npos);
  EXPECT_EQ(g->BackColorAt(1, 2), kYellow);
  EXPECT_EQ(after(), before);
}

TEST_F(GridOn48, FileSwitchedInTheMainWindowNeverGetsTheOldLayout) {
  TypeInto(12, 2, {{Qt::Key_7, kNone}});
  const std::string other = h.su("b.su", 10, 200);
  const auto other_before = keld::testing::ReadBytes(other);
  h.dialogs.files.push_back(other);
  h.window->Command1->click();
  // The grid shows the new file at once: its own ten columns, white cells.
  Grille& w = *h.window->grid_window();
  EXPECT_EQ(w.Fichier_SU, other);
  EXPECT_EQ(w.ns_grille, 200);
  EXPECT_EQ(g->Cols(), 12);
  EXPECT_EQ(g->TextMatrix(39, 2), "200");
  EXPECT_EQ(g->BackColorAt(12, 2), kWhite);
  DoubleClick(*g, 12, 2);
  EXPECT_EQ(keld::testing::ReadBytes(other), other_before);
  EXPECT_EQ(after(), before);

  // A file changed behind the grid's back (another ns) is refused.
  testfiles::WriteBytes(other, testfiles::MakeSu(10, 100, 1000));
  const auto changed = keld::testing::ReadBytes(other);
  TypeInto(1, 3, {{Qt::Key_5, kNone}});
  DoubleClick(*g, 1, 3);
  EXPECT_NE(h.messages.last().text.find("changed"), std::string::npos);
  EXPECT_EQ(keld::testing::ReadBytes(other), changed);
}

TEST_F(GridOn48, TransferAgainReadsTheNewRange) {
  const std::string big = h.su("c.su", 500, 10);
  h.dialogs.files.push_back(big);
  h.window->Command1->click();
  Type(h.window->Text2, "200");
  h.window->Command2->click();
  EXPECT_EQ(g->Cols(), 122);
  EXPECT_EQ(g->TextMatrix(0, 2), " 200");
  EXPECT_EQ(g->TextMatrix(0, 121), " 319");
  EXPECT_EQ(g->TextMatrix(1, 121), "319");
  // The grid's own file dialog, cancelled, changes nothing.
  h.dialogs.files.push_back(std::nullopt);
  h.window->grid_window()->lit_fichier();
  EXPECT_EQ(h.window->grid_window()->Fichier_SU, big);
}

TEST_F(GridOn48, TypingIntoAClickedCellReplacesItsValueF2AndDoubleClickEditInPlace) {
  const auto click = [&](int row, int col) {
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, col)).center());
  };
  click(40, 3);  // dt, 1000
  ASSERT_EQ(g->Text(), "1000");
  QTest::keyClicks(g, "250");
  EXPECT_EQ(g->Text(), "250");
  click(40, 4);
  QTest::keyClick(g, Qt::Key_F2);
  EXPECT_EQ(g->CellBackColor(), kYellow);
  QTest::keyClicks(g, "5");
  EXPECT_EQ(g->Text(), "10005");
  // A double click writes the value and leaves it to be edited further.
  click(40, 5);
  DoubleClick(*g, 40, 5);
  EXPECT_EQ(g->CellBackColor(), kLightGrey);
  QTest::keyClick(g, Qt::Key_Backspace);
  EXPECT_EQ(g->Text(), "100");
  EXPECT_EQ(after(), before);  // 1000 written over 1000
}

TEST_F(GridOn48, EveryColumnShowsItsWidestValueWhole) {
  // Qt's item views elide a text wider than the cell less a margin of the
  // focus frame and a pixel on each side.
  const int margin = 2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1);
  const QFontMetrics fm(g->font());
  TypeInto(74, 2, {{Qt::Key_2, kNone}, {Qt::Key_1, kNone}, {Qt::Key_4, kNone}, {Qt::Key_7, kNone}, {Qt::Key_4, kNone},
                   {Qt::Key_8, kNone}, {Qt::Key_3, kNone}, {Qt::Key_6, kNone}, {Qt::Key_4, kNone}, {Qt::Key_7, kNone}});
  ASSERT_EQ(g->Text(), "2147483647");
  for (int c = 0; c < g->Cols(); ++c)
    for (int r = 0; r < g->Rows(); ++r)
      EXPECT_GE(g->columnWidth(c), fm.horizontalAdvance(g->TextMatrix(r, c)) + margin)
          << "row " << r << " column " << c << ": " << g->TextMatrix(r, c).toStdString();
}

// Both files whose third trace is shorter than the first two: "Header values
// to grid" refuses them and opens no grid; a grid on a sound file that then
// takes such bytes, or that is sent to such a file, takes no write; and
// every message names trace 3, whichever trace was asked for.
TEST(GridOnALengthChange, OpensNoGridTakesNoWriteAndNamesTheTraceThatDiffers) {
  KeysheetHarness h;
  const std::string said = std::string(": ") + keld::testing::kThirdTraceInFile;
  for (const std::string& bad : keld::testing::WriteLengthChangeFiles(h.dir / "data")) {
    SCOPED_TRACE(bad);
    const auto bytes = keld::testing::ReadBytes(bad);
    h.start(bad);
    h.window->Command2->click();
    EXPECT_EQ(h.messages.last().text, bad + said);
    EXPECT_TRUE(!h.window->grid_window() || !h.window->grid_window()->isVisible());

    // A sound file of the same first traces, open in the grid, given the
    // bad file's bytes behind its back: trace 4 of either lies inside the
    // samples, trace 5 of the second where a header of 100 samples stands.
    const std::string good = h.su("good.su", 5, 100);
    h.dialogs.files.push_back(good);
    h.window->Command1->click();
    Grille& w = h.grid();
    ASSERT_TRUE(w.isVisible());
    testfiles::WriteBytes(good, bytes);
    for (int col : {5, 6}) {
      Select(*w.FlexArray, 1, col);
      QTest::keyClick(w.FlexArray, Qt::Key_7);
      DoubleClick(*w.FlexArray, 1, col);
      EXPECT_EQ(h.messages.last().text, good + said) << "column " << col;
    }
    EXPECT_EQ(keld::testing::ReadBytes(good), bytes);

    // The main window sent to the bad file: the grid goes, and takes no write.
    h.dialogs.files.push_back(bad);
    h.window->Command1->click();
    EXPECT_EQ(h.messages.last().text, bad + said);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Enregistre_dans_Header(1, 1, 7).ok());
    EXPECT_EQ(keld::testing::ReadBytes(bad), bytes);
  }
}
