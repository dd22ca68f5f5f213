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
  if (st.Fichier_Sortie.empty()) {
    msg.ok("File name missing", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (SameFile(st.Nom_Fichier, st.Fichier_Sortie)) {
    msg.ok("Same Input / Output", MsgIcon::Exclamation, kTitle);
    return;
  }
  if (Existe_file(st.Fichier_Sortie) &&
      !msg.yes(st.Fichier_Sortie + " already exist, replace it ? ", MsgIcon::Question, kTitle))
    return;
  const std::string folder = st.Repertoire.empty() ? FolderOf(st.Nom_Fichier) : st.Repertoire;
  const std::string B = (folder.empty() ? std::string("./") : folder) + "NMO_and_STACK.bat";
  const std::string line = RichTextBox1->toPlainText().toStdString();
  if (Status s = WriteFileAtomic(B, line); !s) {
    msg.ok("The batch could not be saved as " + B + ": " + s.error, MsgIcon::Critical, kTitle);
    return;
  }
  msg.ok(" The batch has been saved as " + B, MsgIcon::Information, kTitle);
  Ordre_Batch = line;
  if (!run_batch(B)) return;
  if (Status s = Ecriture_History(st.Nom_Fichier, st.Fichier_Sortie, Ordre_Batch); !s)
    msg.ok(s.error, MsgIcon::None, "velscan");
  msg.ok(st.Fichier_Sortie + " has been recorded with NMO and STACK data !", MsgIcon::Information, kTitle);
}

bool PickWindow::run_batch(const std::string& B) {
  VelscanState& st = main_.st;
  MessageBoxes& msg = main_.sv.msg;
  // An output that is there already is kept aside until the new one is good.
  const std::string out = st.Fichier_Sortie, kept = out + ".previous";
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
  BatchOutcome o = RunBatchFile(B, FolderOf(B), main_.sv.pump, cancel_batch);
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
