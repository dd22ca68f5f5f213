#include "platform/qt/grid.hpp"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <cmath>

#include "platform/qt/picture_box.hpp"

namespace keld {

namespace {
constexpr int kTwipsPerPixel = 15;
// The heading cells' colour, the button face of the programs' grids.
constexpr uint32_t kFixedBack = 0xC0C0C0;
constexpr uint32_t kCellBack = 0xFFFFFF;

// Hands every cell editor to the grid's event filter, so typing into a cell
// meets the same key filter as typing on the grid.
class FilteringDelegate : public QStyledItemDelegate {
 public:
  explicit FilteringDelegate(Grid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* ed = QStyledItemDelegate::createEditor(parent, option, index);
    if (ed) ed->installEventFilter(grid_);
    return ed;
  }

 private:
  Grid* grid_;
};

// The character code of a typed key (printable characters and backspace), or 0
// for keys that type nothing: Enter, Escape and Tab keep their own meaning in
// the grid and its editor.
int TypedKey(const QKeyEvent* e) {
  const QString t = e->text();
  if (t.size() != 1) return 0;
  int c = t[0].unicode();
  if (c == 8 || (c >= 32 && c < 127) || (c >= 160 && c < 256)) return c;
  return 0;
}
}  // namespace

Grid::Grid(QWidget* parent)
    : QTableWidget(parent), back_sel_(ToBgr(palette().color(QPalette::Highlight))),
      fore_sel_(ToBgr(palette().color(QPalette::HighlightedText))) {
  // Headings are the fixed rows and columns themselves, as in the programs' grids.
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A selection band would hide the cells' own colours, which carry meaning.
  setSelectionMode(QAbstractItemView::NoSelection);
  setItemDelegate(new FilteringDelegate(this));
  connect(this, &QTableWidget::currentCellChanged, this, [this](int r, int c, int, int) {
    if (r >= 0) row_ = r;
    if (c >= 0) col_ = c;
  });
}

void Grid::SetRows(int n) {
  setRowCount(std::max(0, n));
  if (row_ >= rowCount()) row_ = std::max(0, rowCount() - 1);
  SetFixedRows(fixed_rows_);
}

void Grid::SetCols(int n) {
  setColumnCount(std::max(0, n));
  if (col_ >= columnCount()) col_ = std::max(0, columnCount() - 1);
  SetFixedCols(fixed_cols_);
}

void Grid::SetFixedRows(int n) {
  fixed_rows_ = std::clamp(n, 0, std::max(0, rowCount()));
  for (int r = 0; r < fixed_rows_; ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (!item(r, c)) SetBackAt(r, c, kFixedBack);
}

void Grid::SetFixedCols(int n) {
  fixed_cols_ = std::clamp(n, 0, std::max(0, columnCount()));
  for (int c = 0; c < fixed_cols_; ++c)
    for (int r = 0; r < rowCount(); ++r)
      if (!item(r, c)) SetBackAt(r, c, kFixedBack);
}

bool Grid::SetRow(int r) {
  if (r < 0 || r >= rowCount()) return false;
  row_ = r;
  if (col_ < columnCount()) setCurrentCell(row_, col_);
  return true;
}

bool Grid::SetCol(int c) {
  if (c < 0 || c >= columnCount()) return false;
  col_ = c;
  if (row_ < rowCount()) setCurrentCell(row_, col_);
  return true;
}

QTableWidgetItem* Grid::cell(int r, int c) {
  if (r < 0 || c < 0 || r >= rowCount() || c >= columnCount()) return nullptr;
  QTableWidgetItem* it = item(r, c);
  if (!it) {
    it = new QTableWidgetItem;
    bool fixed = r < fixed_rows_ || c < fixed_cols_;
    it->setBackground(BgrColor(fixed ? kFixedBack : kCellBack));
    setItem(r, c, it);
  }
  return it;
}

QString Grid::TextMatrix(int r, int c) const {
  const QTableWidgetItem* it = (r >= 0 && c >= 0) ? item(r, c) : nullptr;
  return it ? it->text() : QString();
}

void Grid::SetTextMatrix(int r, int c, const QString& text) {
  if (QTableWidgetItem* it = cell(r, c)) it->setText(text);
}

uint32_t Grid::BackColorAt(int r, int c) const {
  const QTableWidgetItem* it = (r >= 0 && c >= 0) ? item(r, c) : nullptr;
  if (!it || it->background().style() == Qt::NoBrush)
    return (r < fixed_rows_ || c < fixed_cols_) ? kFixedBack : kCellBack;
  return ToBgr(it->background().color());
}

uint32_t Grid::CellBackColor() const { return BackColorAt(row_, col_); }

void Grid::SetBackAt(int r, int c, uint32_t bgr) {
  if (QTableWidgetItem* it = cell(r, c)) it->setBackground(BgrColor(bgr));
}

void Grid::SetCellBackColor(uint32_t bgr) { SetBackAt(row_, col_, bgr); }

uint32_t Grid::ForeColorAt(int r, int c) const {
  const QTableWidgetItem* it = (r >= 0 && c >= 0) ? item(r, c) : nullptr;
  if (!it || it->foreground().style() == Qt::NoBrush) return 0;
  return ToBgr(it->foreground().color());
}

uint32_t Grid::CellForeColor() const { return ForeColorAt(row_, col_); }

void Grid::SetForeAt(int r, int c, uint32_t bgr) {
  if (QTableWidgetItem* it = cell(r, c)) it->setForeground(BgrColor(bgr));
}

void Grid::SetCellForeColor(uint32_t bgr) { SetForeAt(row_, col_, bgr); }

void Grid::SetBackColorSel(uint32_t bgr) {
  back_sel_ = bgr;
  QPalette p = palette();
  p.setColor(QPalette::Highlight, BgrColor(bgr));
  setPalette(p);
}

void Grid::SetForeColorSel(uint32_t bgr) {
  fore_sel_ = bgr;
  QPalette p = palette();
  p.setColor(QPalette::HighlightedText, BgrColor(bgr));
  setPalette(p);
}

int Grid::ColWidthTwips(int c) const {
  if (c < 0 || c >= columnCount()) return 0;
  return columnWidth(c) * kTwipsPerPixel;
}

void Grid::SetColWidthTwips(int c, int twips) {
  if (c < 0 || c >= columnCount()) return;
  setColumnWidth(c, static_cast<int>(std::lround(std::max(0, twips) / double(kTwipsPerPixel))));
}

void Grid::WidenToFit(int c) {
  if (c < 0 || c >= columnCount()) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int widest = 0;
  for (int r = 0; r < rowCount(); ++r) {
    const QTableWidgetItem* it = item(r, c);
    if (!it || it->text().isEmpty()) continue;
    widest = std::max(widest, itemDelegate()->sizeHint(option, indexFromItem(it)).width());
  }
  // The grid line takes a pixel of the column, as in Qt's own fitting.
  if (widest > 0 && widest + 1 > columnWidth(c)) setColumnWidth(c, widest + 1);
}

void Grid::SetRedraw(bool on) {
  setUpdatesEnabled(on);
  if (on) viewport()->update();
}

void Grid::mouseDoubleClickEvent(QMouseEvent* e) {
  const QModelIndex at = indexAt(e->position().toPoint());
  if (at.isValid()) {
    row_ = at.row();
    col_ = at.column();
    setCurrentCell(row_, col_);
  }
  QTableWidget::mouseDoubleClickEvent(e);
  if (at.isValid()) emit DblClick();
}

void Grid::keyPressEvent(QKeyEvent* e) {
  if (int code = VirtualKeyCode(e)) {
    emit keyDown(code, ShiftState(e));
    if (code == 0) {
      e->accept();
      return;
    }
  }
  int key = TypedKey(e);
  if (key) {
    int filtered = key;
    emit keyFilter(filtered);
    if (filtered == 0) {
      e->accept();
      return;
    }
    // A grid whose cells are not editable does nothing with a typed key (no
    // jumping to a cell that starts with that letter).
    if (editTriggers() == QAbstractItemView::NoEditTriggers) {
      e->accept();
      return;
    }
    if (filtered != key) {
      QKeyEvent changed(QEvent::KeyPress, 0, e->modifiers(), QString(QChar(filtered)));
      QTableWidget::keyPressEvent(&changed);
      return;
    }
  }
  QTableWidget::keyPressEvent(e);
}

bool Grid::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::KeyPress) return QTableWidget::eventFilter(watched, e);
  auto* ke = static_cast<QKeyEvent*>(e);
  int key = TypedKey(ke);
  if (!key) return QTableWidget::eventFilter(watched, e);
  int filtered = key;
  emit keyFilter(filtered);
  if (filtered == 0) return true;
  if (filtered != key) {
    QKeyEvent changed(QEvent::KeyPress, 0, ke->modifiers(), QString(QChar(filtered)));
    watched->removeEventFilter(this);
    QApplication::sendEvent(watched, &changed);
    watched->installEventFilter(this);
    return true;
  }
  return QTableWidget::eventFilter(watched, e);
}

int ShiftState(const QKeyEvent* e) {
  const Qt::KeyboardModifiers m = e->modifiers();
  return (m & Qt::ShiftModifier ? 1 : 0) + (m & Qt::ControlModifier ? 2 : 0) + (m & Qt::AltModifier ? 4 : 0);
}

int VirtualKeyCode(const QKeyEvent* e) {
  const int k = e->key();
  if (e->modifiers() & Qt::KeypadModifier) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
    switch (k) {
      case Qt::Key_Asterisk: return 106;
      case Qt::Key_Plus: return 107;
      case Qt::Key_Minus: return 109;
      case Qt::Key_Period:
      case Qt::Key_Comma: return 110;
      case Qt::Key_Slash: return 111;
      default: break;
    }
  }
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return 48 + (k - Qt::Key_0);
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return 65 + (k - Qt::Key_A);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return 112 + (k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default: return 0;
  }
}

}  // namespace keld
