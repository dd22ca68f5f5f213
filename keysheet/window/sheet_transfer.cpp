// The spreadsheet transfer of the main window: the chosen words of the range
// go to a copy of the template beside the SU file, the user edits it in the
// spreadsheet program, and on Yes the whole sheet is checked, then written.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "keysheet/core/range_rules.hpp"
#include "keysheet/core/sheet_transfer.hpp"
#include "keysheet/core/su_summary.hpp"
#include "keysheet/window/excelf.hpp"
#include "platform/messages.hpp"
#include "platform/sheet/exchange.hpp"

namespace keld::keysheet {

namespace {
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Keeps the range boxes disabled for the whole transfer, so that the
// write-back covers the traces handed out.
struct RangeLock {
  RangeLock(QLineEdit* a, QLineEdit* b) : a_(a), b_(b) {
    a_->setEnabled(false);
    b_->setEnabled(false);
  }
  ~RangeLock() {
    a_->setEnabled(true);
    b_->setEnabled(true);
  }
  RangeLock(const RangeLock&) = delete;
  RangeLock& operator=(const RangeLock&) = delete;
  QLineEdit *a_, *b_;
};
}  // namespace

void Excelf::Transfert_Tableur() {
  MessageBoxes& boxes = sv.messages;
  if (Check1->isChecked())
    for (int w = 1; w <= 80; ++w) st.Mot_choisi[static_cast<size_t>(w)] = 1;
  if (st.ns <= 0 || st.Nb_traces <= 0) return;

  const std::string path = Text1->text().toStdString();
  const std::string model = st.Directory1 + kTemplateName;
  const std::string copy = SheetCopyPath(path);
  if (!Existe_file(model)) {
    boxes.ok("You must have HEADER.XLS in your KELD\\BIN Folder", MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (SameFile(copy, path)) {
    boxes.ok("Same Input / Output", MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  // The layout of the file that is read and written, taken from it now: the
  // file box may name another file than the one last opened.
  auto file = ReadSuSummary(path);
  if (!file) {
    boxes.ok(file.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  const TraceRange range = SheetRange(Val(Text2->text().toStdString()), Val(Text3->text().toStdString()),
                                      file->traces);
  if (range.first > range.last) {
    boxes.ok("No trace of the file lies between the first and the last trace.", MsgIcon::Exclamation,
             kKeysheetTitle);
    return;
  }
  // The size the sheet may come back with, checked before it is handed out.
  const auto limits = SheetLimits(range.last - range.first + 1);
  if (!limits) {
    boxes.ok(limits.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (Existe_file(copy) &&
      !boxes.yes(copy + " already exists and will be erased", MsgIcon::Question, kKeysheetTitle))
    return;

  RangeLock lock(Text2, Text3);
  const int ns = file->ns;
  const WordChoice chosen = st.Mot_choisi;
  int64_t handed_out = 0;
  {
    BusyCursor busy;
    ProgressBar1->show();
    ProgressBar1->setRange(0, 2);
    ProgressBar1->setValue(0);
    auto words = ReadWordRange(path, ns, range.first, range.last - range.first + 1);
    if (!words) {
      ProgressBar1->hide();
      boxes.ok(words.error(), MsgIcon::Exclamation, kKeysheetTitle);
      return;
    }
    std::vector<TraceWords> traces;
    traces.reserve(words->size());
    for (size_t i = 0; i < words->size(); ++i)
      if ((*words)[i]) traces.push_back({range.first + static_cast<int64_t>(i), *(*words)[i]});
    words->clear();
    handed_out = static_cast<int64_t>(traces.size());
    ProgressBar1->setValue(1);
    Status written = sv.sheets.write(model, copy, kSheetName, BuildSheet(traces, chosen), *limits);
    ProgressBar1->hide();
    if (!written) {
      boxes.ok(written.error + " " + path + " is as it was.", MsgIcon::Exclamation, kKeysheetTitle);
      return;
    }
  }
  if (Status shown = sv.sheets.show(copy); !shown) {
    boxes.ok(shown.error + " The SU file is unchanged.", MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  if (boxes.show("Save modification and close EXCEL ?", MsgIcon::Question, MsgButtons::YesNo, "Header edit") !=
      MsgAnswer::Yes)
    return;

  BusyCursor busy;
  auto sheet = sv.sheets.read(copy, kSheetName, *limits);
  if (!sheet) {
    boxes.ok("Nothing was written: " + sheet.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  const int64_t last = range.first + handed_out - 1;
  auto writes = ReadBackSheet(*sheet, range.first, last, chosen, ns);
  if (!writes) {
    boxes.ok(writes.error(), MsgIcon::Exclamation, kKeysheetTitle);
    return;
  }
  // The file must still hold the ns it was read with: it is checked there.
  if (Status s = WriteWords(path, ns, *writes); !s)
    boxes.ok(s.error, MsgIcon::Exclamation, kKeysheetTitle);
}

}  // namespace keld::keysheet
