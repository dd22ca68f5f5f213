// "Run batch": the batch saved and checked, run and waited for, its output
// checked, and only then the history and the message that the output is made.
// The whole of it is one run of the window's WorkGuard: a second press does
// nothing, a close of this window or of the main one (Quit) stops the batch.
#include <QLineEdit>
#include <QProgressDialog>
#include <QTextEdit>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "platform/temporaries.hpp"
#include "platform/qtbase/work_guard.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/window/nmo_window.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {

void PickWindow::Command1_Click() {
  auto run = work_->begin();
  if (!run) return;
  VelscanState& st = main_.st;
  MessageBoxes& msg = main_.sv.msg;
  if (st.Picks.empty()) {
    msg.ok("No pick recorded: pick velocities on the gathers before running the batch", MsgIcon::Exclamation, kTitle);
    return;
  }
  auto smute = CDbl(main_.Text11->text().toStdString());
  if (!smute || !(*smute > 0)) {
    msg.ok("Stretch Mute must be a number above 0", MsgIcon::Exclamation, kTitle);
    return;
  }
  // What this run works on, taken once: the main window stays live, and a
  // file opened there meanwhile is not the input of this batch.
  const std::string input = st.Nom_Fichier;
  const std::string line = RichTextBox1->toPlainText().toStdString();
  const std::string folder = st.Repertoire.empty() ? FolderOf(input) : st.Repertoire;
  const std::string workdir = folder.empty() ? std::string("./") : folder;
  const std::string home = main_.sv.work_folder;
  // What the batch replaces is the file its line writes, which the user may
  // have changed in the line itself; the line runs in the input's folder.
  std::string out = st.Fichier_Sortie;
  if (auto o = FindLineOutput(line)) out = o->path;
  if (out.empty()) {
    msg.ok("File name missing", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (out[0] != '/') out = workdir + out;
  if (SameFile(input, out)) {
    msg.ok("Same Input / Output", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (Existe_file(out) && !msg.yes(out + " already exist, replace it ? ", MsgIcon::Question, kTitle)) return;
  if (run->stopped()) return;  // closed while the question was up
  std::string B = workdir + "NMO_and_STACK.bat", moved;
  if (Status s = WriteFileAtomic(B, line); !s) {
    // A folder that cannot be written (a read-only disc): the work folder.
    const std::string elsewhere = home.empty() ? "" : (home.back() == '/' ? home : home + "/") + "NMO_and_STACK.bat";
    if (elsewhere.empty() || !WriteFileAtomic(elsewhere, line)) {
      msg.ok("The batch could not be saved as " + B + ": " + s.error, MsgIcon::Critical, kTitle);
      return;
    }
    moved = st.Saut_Ligne + " (" + B + " could not be written: " + s.error + ")";
    B = elsewhere;
  }
  msg.ok(" The batch has been saved as " + B + moved, MsgIcon::Information, kTitle);
  if (run->stopped()) return;
  Ordre_Batch = line;
  if (!run_batch(*run, B, workdir, out)) return;
  auto h = Ecriture_History(input, out, line, home);
  if (!h)
    msg.ok(h.error(), MsgIcon::Exclamation, kTitle);
  else if (!h->trouble.empty())
    msg.ok(h->trouble + st.Saut_Ligne + " The history has been written as " + h->path, MsgIcon::Information, kTitle);
  msg.ok(out + " has been recorded with NMO and STACK data !", MsgIcon::Information, kTitle);
}

bool PickWindow::run_batch(WorkRun& run, const std::string& B, const std::string& workdir, const std::string& out) {
  const std::string& eol = main_.st.Saut_Ligne;
  MessageBoxes& msg = main_.sv.msg;
  // An output that is there already is moved aside, under a new name of this
  // run's own, until the new one is good: the batch's ">" empties the file
  // the moment it starts. It is no temporary, to be removed when the run or
  // the program ends: when it cannot be put back it is the only copy. If
  // velscan is killed meanwhile, it is moved back over the output.
  std::string kept;
  if (Existe_file(out) == 1) {
    auto aside = MoveAside(out);
    if (!aside) {
      msg.ok("Cannot replace " + out + ": " + aside.error(), MsgIcon::Critical, kTitle);
      return false;
    }
    kept = *aside;
  }
  BatchOutcome o;
  {
    QProgressDialog progress("Running " + QString::fromStdString(B), "Cancel", 0, 0, this);
    progress.setObjectName("BatchProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    // Qt restarts its show timer for a new minimum duration only once the
    // bar holds its first value, which a 0..0 range never gets by itself:
    // without this the dialog, and its Cancel, came after Qt's own 4 s.
    progress.setValue(0);
    connect(&progress, &QProgressDialog::canceled, work_, [this] { work_->stop(); });
    o = RunBatchFile(B, workdir, main_.sv.pump, run.stop_check());
    progress.disconnect(work_);
  }
  std::string why;
  if (!o.started)
    why = "Unable to shell " + B + (o.messages.empty() ? "" : eol + o.messages);
  else if (o.cancelled)
    why = "The batch was cancelled: " + out + " was not made";
  else if (o.status != 0)
    why = "The batch failed (exit status " + std::to_string(o.status) + ")" +
          (o.messages.empty() ? "" : ":" + eol + o.messages);
  else if (Status s = CheckStackOutput(out); !s)
    why = "The batch made no usable output: " + s.error + (o.messages.empty() ? "" : eol + o.messages);
  if (why.empty()) {
    // The batch wrote the stack in place: it is on the disc, under its name,
    // before the old copy goes and before anything says it is recorded.
    const std::string made = FileBehindLink(out);
    if (SyncFile(made)) {
      FlushFolderOf(made);
      if (!kept.empty()) RemoveTemporary(kept);
      return true;
    }
    why = "The stack could not be written to the disc: " + out + ": " + std::strerror(errno);
  }
  // What the batch left under the output's name is its own, never the old
  // file; through a link, which stays, as the old file goes back behind it.
  std::remove(FileBehindLink(out).c_str());
  if (!kept.empty()) {
    if (Status s = MoveFileOver(kept, out); !s) {
      ForgetTemporary(kept);  // left where it is, and said so
      why += eol + " The earlier " + out + " could not be put back (" + s.error + "): it is kept as " + kept;
      msg.ok(why, MsgIcon::Critical, kTitle);  // told even when the window goes
      return false;
    }
  }
  if (!run.closing()) msg.ok(why, MsgIcon::Critical, kTitle);
  return false;
}

}  // namespace keld::velscan
