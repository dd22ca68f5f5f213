// "Run batch": the batch saved and checked, run and waited for, its output
// checked, and only then the history and the message that the output is made.
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTextEdit>

#include <cstdio>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/window/nmo_window.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {

void PickWindow::Command1_Click() {
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
  const std::string line = RichTextBox1->toPlainText().toStdString();
  const std::string folder = st.Repertoire.empty() ? FolderOf(st.Nom_Fichier) : st.Repertoire;
  const std::string workdir = folder.empty() ? std::string("./") : folder;
  // What the batch replaces is the file its line writes, which the user may
  // have changed in the line itself; the line runs in the input's folder.
  std::string out = st.Fichier_Sortie;
  if (auto o = FindLineOutput(line)) out = o->path;
  if (out.empty()) {
    msg.ok("File name missing", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (out[0] != '/') out = workdir + out;
  if (SameFile(st.Nom_Fichier, out)) {
    msg.ok("Same Input / Output", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (Existe_file(out) && !msg.yes(out + " already exist, replace it ? ", MsgIcon::Question, kTitle)) return;
  std::string B = workdir + "NMO_and_STACK.bat", moved;
  if (Status s = WriteFileAtomic(B, line); !s) {
    // A folder that cannot be written (a read-only disc): the work folder.
    const std::string home = main_.sv.work_folder;
    const std::string elsewhere = home.empty() ? "" : (home.back() == '/' ? home : home + "/") + "NMO_and_STACK.bat";
    if (elsewhere.empty() || !WriteFileAtomic(elsewhere, line)) {
      msg.ok("The batch could not be saved as " + B + ": " + s.error, MsgIcon::Critical, kTitle);
      return;
    }
    moved = st.Saut_Ligne + " (" + B + " could not be written: " + s.error + ")";
    B = elsewhere;
  }
  msg.ok(" The batch has been saved as " + B + moved, MsgIcon::Information, kTitle);
  Ordre_Batch = line;
  if (!run_batch(B, workdir, out)) return;
  auto h = Ecriture_History(st.Nom_Fichier, out, Ordre_Batch, main_.sv.work_folder);
  if (!h)
    msg.ok(h.error(), MsgIcon::Exclamation, kTitle);
  else if (!h->trouble.empty())
    msg.ok(h->trouble + st.Saut_Ligne + " The history has been written as " + h->path, MsgIcon::Information, kTitle);
  msg.ok(out + " has been recorded with NMO and STACK data !", MsgIcon::Information, kTitle);
}

bool PickWindow::run_batch(const std::string& B, const std::string& workdir, const std::string& out) {
  VelscanState& st = main_.st;
  MessageBoxes& msg = main_.sv.msg;
  // An output that is there already is kept aside until the new one is good.
  const std::string kept = out + ".previous";
  const bool had_old = Existe_file(out) == 1;
  if (had_old && !MoveFileOver(out, kept)) {
    msg.ok("Cannot replace " + out, MsgIcon::Critical, kTitle);
    return false;
  }
  cancel_batch = false;
  QProgressDialog progress("Running " + QString::fromStdString(B), "Cancel", 0, 0, this);
  progress.setObjectName("BatchProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  connect(&progress, &QProgressDialog::canceled, this, [this] { cancel_batch = true; });
  BatchOutcome o = RunBatchFile(B, workdir, main_.sv.pump, cancel_batch);
  progress.reset();
  std::string why;
  if (!o.started)
    why = "Unable to shell " + B + (o.messages.empty() ? "" : st.Saut_Ligne + o.messages);
  else if (o.cancelled)
    why = "The batch was cancelled: " + out + " was not made";
  else if (o.status != 0)
    why = "The batch failed (exit status " + std::to_string(o.status) + ")" +
          (o.messages.empty() ? "" : ":" + st.Saut_Ligne + o.messages);
  else if (Status s = CheckStackOutput(out); !s)
    why = "The batch made no usable output: " + s.error + (o.messages.empty() ? "" : st.Saut_Ligne + o.messages);
  if (why.empty()) {
    if (had_old) std::remove(kept.c_str());
    return true;
  }
  std::remove(out.c_str());
  if (had_old) (void)MoveFileOver(kept, out);
  msg.ok(why, MsgIcon::Critical, kTitle);
  return false;
}

}  // namespace keld::velscan
