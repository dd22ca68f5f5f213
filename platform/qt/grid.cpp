#include "platform/qt/grid.hpp"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
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

Grid::Grid(QWidget* parent) : QTableWidget(parent) {
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

int Grid::ColWidthTwips(int c) const {
  if (c < 0 || c >= columnCount()) return 0;
  return columnWidth(c) * kTwipsPerPixel;
}

void Grid::SetColWidthTwips(int c, int twips) {
  if (c < 0 || c >= columnCount()) return;
  setColumnWidth(c, static_cast<int>(std::lround(std::max(0, twips) / double(kTwipsPerPixel))));
}

void Grid::SetRedraw(bool on) {
  setUpdatesEnabled(on);
  if (on) viewport()->update();
}

void Grid::keyPressEvent(QKeyEvent* e) {
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

}  // namespace keld
