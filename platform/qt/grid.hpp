#pragma once
// A grid of text cells over QTableWidget, with the operations the windows use:
// row and column counts, fixed rows and columns, the current cell, cell text
// and background colour, column widths in twips, repaint off and on. Setting a
// current row or column past the last fails (the setter returns false and
// nothing changes), as the programs expect.
#include <QTableWidget>

class QKeyEvent;
class QMouseEvent;

#include <cstdint>

namespace keld {

class Grid : public QTableWidget {
  Q_OBJECT
 public:
  explicit Grid(QWidget* parent = nullptr);

  int Rows() const { return rowCount(); }
  int Cols() const { return columnCount(); }
  void SetRows(int n);
  void SetCols(int n);
  void SetFixedRows(int n);  // the first n rows look like headings
  void SetFixedCols(int n);
  int FixedRows() const { return fixed_rows_; }
  int FixedCols() const { return fixed_cols_; }

  int Row() const { return row_; }
  int Col() const { return col_; }
  bool SetRow(int r);
  bool SetCol(int c);

  QString TextMatrix(int r, int c) const;
  void SetTextMatrix(int r, int c, const QString& text);
  QString Text() const { return TextMatrix(row_, col_); }  // current cell
  void SetText(const QString& text) { SetTextMatrix(row_, col_, text); }
  uint32_t CellBackColor() const;               // current cell, 0x00BBGGRR
  void SetCellBackColor(uint32_t bgr);
  uint32_t BackColorAt(int r, int c) const;
  void SetBackAt(int r, int c, uint32_t bgr);
  uint32_t CellForeColor() const;               // text colour of the current cell
  void SetCellForeColor(uint32_t bgr);
  uint32_t ForeColorAt(int r, int c) const;
  void SetForeAt(int r, int c, uint32_t bgr);
  // Colours of the current cell's highlight (background and text).
  uint32_t BackColorSel() const { return back_sel_; }
  uint32_t ForeColorSel() const { return fore_sel_; }
  void SetBackColorSel(uint32_t bgr);
  void SetForeColorSel(uint32_t bgr);

  int ColWidthTwips(int c) const;               // 15 twips a pixel
  void SetColWidthTwips(int c, int twips);
  // Widens column c, when needed, so that its widest text shows whole; never
  // narrows it.
  void WidenToFit(int c);
  void SetRedraw(bool on);

  // Clicks on a cell make it current and emit cellClicked (QTableWidget's).
  // Typed keys (their character code, as the key filters take it) go through
  // keyFilter first: a handler that sets the key to 0 drops it. Cells are not
  // editable unless edit triggers are set; when they are, the keys typed into
  // a cell's editor go through the same filter.
  //
  // Every key pressed on the grid is first offered to keyDown with its
  // virtual-key code (VirtualKeyCode below); a handler that sets the code to 0
  // consumes the key. A double-click on a cell makes it current and emits
  // DblClick.
 signals:
  void keyFilter(int& key);
  void keyDown(int& key_code, int shift);
  void DblClick();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QTableWidgetItem* cell(int r, int c);  // the item of a cell, created when missing
  int fixed_rows_ = 0, fixed_cols_ = 0;
  int row_ = 0, col_ = 0;
  uint32_t back_sel_, fore_sel_;
};

// The virtual-key code of a key event, as the programs number keys: 8
// backspace, 13 enter, 33-40 page up, page down, end, home and the arrows, 46
// delete, 48-57 digits, 65-90 letters, 96-105 the keypad's digits, 106-111 the
// keypad's * + (separator) - . /, 112-123 F1-F12, 186-192 and 219-222 the
// punctuation keys (189 minus, 190 point). 0 for a key without a code.
int VirtualKeyCode(const QKeyEvent* e);
// 1 shift, 2 control, 4 alt, added together.
int ShiftState(const QKeyEvent* e);

}  // namespace keld
