// The filter-and-gain batch: the displayed file through sufilter and/or sugain
// by way of filtre.bat, then the output on display.
#include <QLabel>
#include <QLineEdit>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "common/text.hpp"
#include "korvan/engine/filter_batch.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {

std::string S(const QLineEdit* e) { return e->text().toStdString(); }

// The programs the batch line names, which must be in the program folder.
std::vector<std::string> ProgramsOf(const FiltrageCommand& c, const std::string& folder) {
  using Form = FiltrageCommand::Form;
  std::vector<std::string> v;
  if (c.form == Form::FilterOnly || c.form == Form::FilterThenGain) v.push_back(folder + "/sufilter");
  if (c.form == Form::GainOnly || c.form == Form::FilterThenGain) v.push_back(folder + "/sugain");
  return v;
}

}  // namespace

void Korvan::Filtrage_SU() {
  // The window stays live while the batch runs: a second request meanwhile,
  // a shot or the noise monitor, is not started on top of it.
  auto run = work_->begin();
  if (!run) return;
  st.Dossier_Data = S(Text7);
  if (st.Fichier_Affiche == " ") return;
  Ecran->Cls();

  FiltrageInputs in;
  in.in = st.Fichier_Affiche;
  // No current file yet: there is no output name to derive.
  in.out = Trim(st.Fichier_Courant).empty() ? std::string() : FiltreOutputName(st.Fichier_Courant);
  in.LC1 = S(LC1);
  in.LC2 = S(LC2);
  in.HC1 = S(HC1);
  in.HC2 = S(HC2);
  in.AGC = S(AGC);
  in.Rec_time = Val(Rec_time->text().toStdString());
  in.program_folder = sv.program_folder;
  const FiltrageCommand c = Filtrage_SU_Command(in);
  if (c.silent) return;
  if (!c.ok()) {
    sv.msg.ok(c.refusal, c.critical ? MsgIcon::Critical : MsgIcon::None, kTitle);
    return;
  }
  for (const std::string& p : ProgramsOf(c, sv.program_folder)) {
    if (!Existe_file(p)) {
      sv.msg.ok(p + " must be in KORVAN folder !", MsgIcon::Critical, kTitle);
      return;
    }
  }

  auto failed = [&](const std::string& why) {
    // What a failed batch left behind is not a filtered file.
    std::error_code ec;
    std::filesystem::remove(in.out, ec);
    sv.msg.ok(in.in + "  has not been filtered: " + why, MsgIcon::Critical, kTitle);
  };
  const std::string bat = sv.work_folder + "/filtre.bat";
  if (Status s = WriteFileAtomic(bat, FiltreBatchText(c)); !s) {
    sv.msg.ok(in.in + "  has not been filtered: " + bat + " cannot be written (" + s.error + ")",
              MsgIcon::Critical, kTitle);
    return;
  }

  setCursor(Qt::WaitCursor);
  Ecran->setCursor(Qt::WaitCursor);
  // The old output goes only now, so a refused run never loses it; removing it
  // first means an output found afterwards is this run's.
  std::error_code ec;
  std::filesystem::remove(in.out, ec);
  const std::optional<int> status = sv.proc.run_and_wait(
      {"/bin/sh", {bat}, WindowStyle::Minimized, sv.work_folder}, sv.pump, run->stop_check());
  unsetCursor();
  Ecran->setCursor(Qt::CrossCursor);
  if (run->stopped()) {
    // Closed or Quit meanwhile: the batch was ended, and what it had begun
    // to write is not a filtered file.
    std::filesystem::remove(in.out, ec);
    return;
  }

  if (!status) return failed("/bin/sh could not run " + bat);
  if (*status != 0) return failed("the batch " + bat + " ended with status " + std::to_string(*status));
  auto L = ReadSuLayout(in.out);
  if (!L) return failed(L.error());
  if (L->traces < 1) return failed(in.out + " holds no trace");

  sv.msg.ok(FiltreDoneMessage(in.in, c), MsgIcon::Information, kTitle);
  Affiche_SU(in.out);
}

}  // namespace keld::korvan
