#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include "common/text.hpp"
#include "platform/qt/grid.hpp"

using namespace keld;

namespace {
struct Grid3x4 : ::testing::Test {
  Grid g;
  void SetUp() override {
    g.SetRows(3);
    g.SetCols(4);
  }
  void Select(int r, int c) {
    ASSERT_TRUE(g.SetRow(r));
    ASSERT_TRUE(g.SetCol(c));
  }
};
}  // namespace

TEST_F(Grid3x4, SettingARowPastTheLastFailsAndKeepsTheCurrentRow) {
  EXPECT_EQ(g.Rows(), 3);
  EXPECT_EQ(g.Cols(), 4);
  EXPECT_TRUE(g.SetRow(1));
  EXPECT_EQ(g.Row(), 1);
  EXPECT_FALSE(g.SetRow(3));
  EXPECT_EQ(g.Row(), 1);
  EXPECT_FALSE(g.SetRow(-1));
  EXPECT_EQ(g.Row(), 1);
  EXPECT_TRUE(g.SetCol(3));
  EXPECT_FALSE(g.SetCol(4));
  EXPECT_EQ(g.Col(), 3);
}

TEST_F(Grid3x4, TextAndBackgroundOfTheCurrentCell) {
  ASSERT_TRUE(g.SetRow(0));
  ASSERT_TRUE(g.SetCol(2));
  g.SetText("A 3");
  g.SetCellBackColor(0xFF8080);
  EXPECT_EQ(g.TextMatrix(0, 2), "A 3");
  EXPECT_EQ(g.Text(), "A 3");
  EXPECT_EQ(g.CellBackColor(), 0xFF8080u);
  EXPECT_EQ(g.item(0, 2)->background().color(), QColor(0x80, 0x80, 0xFF)) << "light blue on screen";
  g.SetCellBackColor(255);
  g.SetText("F 3");
  EXPECT_EQ(g.BackColorAt(0, 2), 255u);
  EXPECT_EQ(g.item(0, 2)->background().color(), QColor(255, 0, 0));
  EXPECT_EQ(g.TextMatrix(0, 1), "");
  EXPECT_EQ(g.BackColorAt(0, 1), 0xFFFFFFu);
  // Cells outside the grid read empty and take nothing.
  g.SetTextMatrix(5, 0, "x");
  EXPECT_EQ(g.TextMatrix(5, 0), "");
  EXPECT_EQ(g.TextMatrix(-1, 0), "");
}

TEST_F(Grid3x4, ClickingACellMakesItCurrent) {
  g.resize(400, 200);
  g.show();
  int clicked_row = -1, clicked_col = -1;
  QObject::connect(&g, &QTableWidget::cellClicked, [&](int, int) {
    clicked_row = g.Row();
    clicked_col = g.Col();
  });
  g.SetTextMatrix(2, 3, "x");
  QRect r = g.visualItemRect(g.item(2, 3));
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(clicked_row, 2);
  EXPECT_EQ(clicked_col, 3);
}

TEST_F(Grid3x4, ColumnWidthsAreInTwipsFifteenAPixel) {
  g.SetColWidthTwips(0, 2000);
  g.SetColWidthTwips(1, 1050);
  EXPECT_EQ(g.columnWidth(1), 70);
  EXPECT_EQ(g.ColWidthTwips(1), 1050);
  EXPECT_EQ(g.columnWidth(0), 133);
  EXPECT_EQ(g.ColWidthTwips(0), 1995);
  EXPECT_EQ(g.ColWidthTwips(9), 0);
}

TEST_F(Grid3x4, FixedRowsAndColumnsLookLikeHeadings) {
  g.SetFixedRows(1);
  g.SetFixedCols(1);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.BackColorAt(0, 2), 0xC0C0C0u);
  EXPECT_EQ(g.BackColorAt(2, 0), 0xC0C0C0u);
  EXPECT_EQ(g.BackColorAt(2, 2), 0xFFFFFFu);
  g.SetCols(6);  // new heading cells look the same
  EXPECT_EQ(g.BackColorAt(0, 5), 0xC0C0C0u);
}

TEST_F(Grid3x4, RowsShrinkingBelowTheCurrentRowMoveItToTheLast) {
  ASSERT_TRUE(g.SetRow(2));
  g.SetRows(2);
  EXPECT_EQ(g.Row(), 1);
  g.SetRows(0);
  EXPECT_EQ(g.Row(), 0);
  EXPECT_FALSE(g.SetRow(0));
}

TEST_F(Grid3x4, KeyFilterDropsARefusedKey) {
  g.show();
  int beeps = 0;
  std::vector<int> seen;
  QObject::connect(&g, &Grid::keyFilter, [&](int& key) {
    seen.push_back(key);
    key = Filtre_Touche(key, "-0123456789", -1);
    if (key == 0) ++beeps;
  });
  // Typing on a grid that is not editable reaches the filter and changes nothing.
  QTest::keyClick(&g, Qt::Key_X);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 'x');
  EXPECT_EQ(beeps, 1);

  // With editing on, a refused key does not open the editor, an accepted one does,
  // and keys typed into the editor meet the same filter.
  g.setEditTriggers(QAbstractItemView::AnyKeyPressed);
  ASSERT_TRUE(g.SetRow(1));
  ASSERT_TRUE(g.SetCol(1));
  QTest::keyClick(&g, Qt::Key_A);
  EXPECT_EQ(g.findChild<QLineEdit*>(), nullptr) << "a refused key opens no editor";
  QTest::keyClick(&g, Qt::Key_5);
  QLineEdit* ed = g.findChild<QLineEdit*>();
  ASSERT_NE(ed, nullptr) << "an accepted key starts editing the cell";
  QTest::keyClick(ed, Qt::Key_Q);
  QTest::keyClick(ed, Qt::Key_Minus);
  QTest::keyClick(ed, Qt::Key_7);
  EXPECT_EQ(ed->text(), "5-7");
  QTest::keyClick(ed, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor commits on the next turn of the loop
  EXPECT_EQ(g.TextMatrix(1, 1), "5-7");
  EXPECT_EQ(beeps, 3);
}

TEST_F(Grid3x4, KeyDownGetsVirtualKeyCodesAndMayConsumeTheKey) {
  std::vector<std::pair<int, int>> seen;
  QObject::connect(&g, &Grid::keyDown, [&](int& code, int shift) {
    seen.emplace_back(code, shift);
    if (code == 55) code = 0;
  });
  Select(1, 1);
  QTest::keyClick(&g, Qt::Key_7);
  QTest::keyClick(&g, Qt::Key_7, Qt::KeypadModifier);
  QTest::keyClick(&g, Qt::Key_Period, Qt::KeypadModifier);
  QTest::keyClick(&g, Qt::Key_Period);
  QTest::keyClick(&g, Qt::Key_Minus);
  QTest::keyClick(&g, Qt::Key_Delete);
  QTest::keyClick(&g, Qt::Key_Backspace);
  QTest::keyClick(&g, Qt::Key_A, Qt::ShiftModifier);
  QTest::keyClick(&g, Qt::Key_Right);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{
                      {55, 0}, {103, 0}, {110, 0}, {190, 0}, {189, 0}, {46, 0}, {8, 0}, {16, 1}, {65, 1}, {39, 0}}));
  EXPECT_EQ(g.Col(), 2);  // the arrow still moves the current cell
}

TEST_F(Grid3x4, TextColoursSelectionColoursAndDoubleClick) {
  g.SetForeAt(2, 3, 0x0000FF);
  EXPECT_EQ(g.ForeColorAt(2, 3), 0x0000FFu);
  Select(2, 3);
  EXPECT_EQ(g.CellForeColor(), 0x0000FFu);
  g.SetBackColorSel(0xFFFFFF);
  g.SetForeColorSel(0);
  EXPECT_EQ(g.BackColorSel(), 0xFFFFFFu);
  EXPECT_EQ(g.palette().color(QPalette::HighlightedText), QColor(0, 0, 0));
  int clicks = 0;
  QObject::connect(&g, &Grid::DblClick, [&] { ++clicks; });
  g.resize(400, 200);
  g.show();
  const QRect r = g.visualRect(g.model()->index(1, 2));
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.Col(), 2);
}
