#include "conversion/shell/batch_output_window.hpp"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include <filesystem>

#include "common/files.hpp"
#include "platform/qtbase/work_guard.hpp"

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

void BatchOutputWindow::finished(const std::string& output, bool close_by_itself, const std::string& last_line) {
  on_close_while_running = nullptr;
  Output->setPlainText(QString::fromStdString(output));
  if (!last_line.empty()) append("\n" + last_line + "\n");
  if (close_by_itself) close();
}

void BatchOutputWindow::closeEvent(QCloseEvent* e) {
  if (auto stop = std::move(on_close_while_running)) {
    on_close_while_running = nullptr;
    stop();
  }
  e->accept();
}

namespace {

// A new folder among the system's temporary ones, where one left by a
// killed run does no harm.
std::string RunFolderPattern() {
  std::error_code ec;
  const auto tmp = std::filesystem::temp_directory_path(ec);
  return ((ec ? std::filesystem::path("/tmp") : tmp) / "keld-run-XXXXXX").string();
}

}  // namespace

BatchOutcome RunBatchShown(ConversionContext& cx, QWidget* parent, WorkRun& run, const std::string& batch, bool shown,
                           const std::vector<StandsFor>& names, std::chrono::milliseconds limit) {
  TempFolder folder(RunFolderPattern());
  if (folder.path().empty()) {
    BatchOutcome r;
    r.output = "no folder of its own for the batch";
    return r;
  }
  QPointer<BatchOutputWindow> out;
  BatchWait w;
  w.time_limit = limit;
  w.cancelled = run.stop_check();
  if (shown) {
    out = new BatchOutputWindow(batch, parent);
    // The window's own run stops with the batch, as by its Cancel.
    out->on_close_while_running = [&run] { run.stop(); };
    out->show();
    w.on_output = [&out, &names](const std::string& piece) {
      if (out) out->append(UserNames(piece, names));
    };
  }
  BatchOutcome r = RunBatch(batch, folder.path(), cx.sv.pump, w);
  r.output = UserNames(r.output, names);
  if (out) out->finished(r.output, cx.st.Close_SU_Windows(), r.ok() ? std::string() : r.reason());
  return r;
}

bool TellStopped(ConversionContext& cx, const WorkRun& run, const std::string& text) {
  if (!run.stopped()) return false;
  if (!run.closing()) cx.sv.msg.ok(text, MsgIcon::Information, kTitle);
  return true;
}

BusyPointer::BusyPointer(QWidget* w) : w_(w) {
  if (w_) w_->setCursor(Qt::WaitCursor);
}
BusyPointer::~BusyPointer() {
  if (w_) w_->unsetCursor();
}

}  // namespace keld::conversion
