#include "conversion/shell/batch_output_window.hpp"

#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace keld::conversion {

BatchOutputWindow::BatchOutputWindow(const std::string& title, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("BatchOutput");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromStdString(title));
  auto* v = new QVBoxLayout(this);
  Output = new QPlainTextEdit(this);
  Output->setObjectName("Output");
  Output->setReadOnly(true);
  Output->setMinimumSize(480, 200);
  v->addWidget(Output);
}

void BatchOutputWindow::append(const std::string& text) {
  Output->moveCursor(QTextCursor::End);
  Output->insertPlainText(QString::fromStdString(text));
}

void BatchOutputWindow::finished(bool close_by_itself, const std::string& last_line) {
  if (!last_line.empty()) append("\n" + last_line + "\n");
  if (close_by_itself) close();
}

BatchOutcome RunBatchShown(ConversionContext& cx, QWidget* parent, const std::string& batch, bool shown,
                           const BatchWait& wait) {
  QPointer<BatchOutputWindow> out;
  BatchWait w = wait;
  if (shown) {
    out = new BatchOutputWindow(batch, parent);
    out->show();
    w.on_output = [&out, &wait](const std::string& piece) {
      if (out) out->append(piece);
      if (wait.on_output) wait.on_output(piece);
    };
  }
  BatchOutcome r = RunBatch(batch, cx.sv.work_folder, cx.sv.pump, w);
  if (out) out->finished(cx.st.Close_SU_Windows(), r.ok() ? std::string() : r.reason());
  return r;
}

BusyPointer::BusyPointer(QWidget* w) : w_(w) {
  if (w_) w_->setCursor(Qt::WaitCursor);
}
BusyPointer::~BusyPointer() {
  if (w_) w_->unsetCursor();
}

}  // namespace keld::conversion
