#pragma once
// The small window that shows what a batch prints while it runs ("in a
// normal window"); it closes by itself at the end of the batch when the
// start window asks SU windows to close automatically.
#include <QWidget>

#include <string>

#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"

class QPlainTextEdit;

namespace keld::conversion {

class BatchOutputWindow : public QWidget {
  Q_OBJECT
 public:
  BatchOutputWindow(const std::string& title, QWidget* parent);
  void append(const std::string& text);
  // The batch ended: closes itself when `close_by_itself`.
  void finished(bool close_by_itself, const std::string& last_line);

  QPlainTextEdit* Output = nullptr;
};

// Runs `batch` in the work folder and waits for it (see RunBatch); `shown`
// puts its output in a BatchOutputWindow while it runs.
BatchOutcome RunBatchShown(ConversionContext& cx, QWidget* parent, const std::string& batch, bool shown,
                           const BatchWait& wait);

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
