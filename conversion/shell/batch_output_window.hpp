#pragma once
// The small window that shows what a batch prints while it runs ("in a
// normal window"); it closes by itself at the end of the batch when the
// start window asks SU windows to close automatically. Closing it while its
// batch runs stops the batch, as the Cancel of the window that started it
// does: the output never goes on out of sight.
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"
#include "conversion/shell/whole_check.hpp"

class QPlainTextEdit;

namespace keld {
class WorkRun;
}

namespace keld::conversion {

class BatchOutputWindow : public QWidget {
  Q_OBJECT
 public:
  BatchOutputWindow(const std::string& title, QWidget* parent);
  void append(const std::string& text);
  // The batch ended: its whole output in place of the pieces shown (names
  // put right), then `last_line`; closes itself when `close_by_itself`.
  void finished(const std::string& output, bool close_by_itself, const std::string& last_line);

  QPlainTextEdit* Output = nullptr;
  // Called when the window is closed while its batch runs.
  std::function<void()> on_close_while_running;

 protected:
  void closeEvent(QCloseEvent* e) override;
};

// Runs `batch` for `run` of `parent`'s WorkGuard and waits for it (see
// RunBatch) at most `limit`, in a new folder of its own (a temporary folder
// of the system, removed afterwards): what the programs leave in the folder
// they run in (segyread's and segyhdrs's `header` and `binary`) never meets
// another run's files or the user's. A stop of the run stops the batch.
// `shown` puts the output in a BatchOutputWindow while it runs; a close of
// that window stops the run, and so the batch. The outcome's output and what
// the window shows name the user's files in place of the temporaries of
// `names`.
BatchOutcome RunBatchShown(ConversionContext& cx, QWidget* parent, WorkRun& run, const std::string& batch, bool shown,
                           const std::vector<StandsFor>& names = {},
                           std::chrono::milliseconds limit = BatchWait{}.time_limit);

// True when `run` was stopped; `text` (why nothing more is done) is then told
// unless the stop came from a close of the window, which has nobody to tell.
bool TellStopped(ConversionContext& cx, const WorkRun& run, const std::string& text);

// The busy pointer over a window for the life of the object: it returns on
// every way out of a handler.
class BusyPointer {
 public:
  explicit BusyPointer(QWidget* w);
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  QWidget* w_;
};

}  // namespace keld::conversion
