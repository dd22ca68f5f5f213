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

// The batch's output is whole when it holds every trace of the input, with
// the input's samples per trace, and nothing after the last of them.
Status CheckFilteredWhole(const std::string& in, const std::string& part, const std::string& out) {
  auto L = ReadSuLayout(part);
  if (!L) return Status::failure(out + " was not written whole (" + L.error() + ")");
  if (!L->whole())
    return Status::failure(out + " ends in a partial trace");
  if (auto I = ReadSuLayout(in); I && (I->traces != L->traces || I->ns != L->ns))
    return Status::failure(out + " holds " + std::to_string(L->traces) + " traces of " + std::to_string(L->ns) +
                           " samples where " + in + " holds " + std::to_string(I->traces) + " of " +
                           std::to_string(I->ns));
  return Status::good();
}

}  // namespace

void Korvan::Filtrage_SU() {
  // The window stays live while the batch runs: a second request meanwhile,
  // a shot or the noise monitor, is not started on top of it.
  auto run = work_->begin();
  if (!run) return;
  st.Dossier_Data = S(Text7);
  if (st.Fichier_Affiche == " ") return;

  FiltrageInputs in;
  in.in = st.Fichier_Affiche;
  // The output is named after the file filtered: the raw shot on display
  // before it is saved gives its own filtered copy, never another record's.
  in.out = Trim(in.in).empty() ? std::string() : FiltreOutputName(in.in);
  in.LC1 = S(LC1);
  in.LC2 = S(LC2);
  in.HC1 = S(HC1);
  in.HC2 = S(HC2);
  in.AGC = S(AGC);
  in.Rec_time = Val(Rec_time->text().toStdString());
  in.program_folder = sv.program_folder;
  FiltrageCommand c = Filtrage_SU_Command(in);
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

  // The old output stays until a new one is whole: the batch writes a
  // temporary of this run, which the run removes whatever happens unless it
  // has taken the output's name.
  // What was on display before the run cleared it comes back when the run
  // fails: the screen is never left blank over a file still there.
  std::string shown;
  auto failed = [&](const std::string& why) {
    if (!shown.empty()) Dessine_Traces(shown);
    sv.msg.ok(in.in + "  has not been filtered: " + why, MsgIcon::Critical, kTitle);
  };
  auto part = run->temporary_beside(in.out);
  if (!part) return failed(part.error());
  in.part = *part;
  c = Filtrage_SU_Command(in);
  const std::string bat = sv.work_folder + "/filtre.bat";
  if (Status s = WriteFileAtomic(bat, FiltreBatchText(c)); !s)
    return failed(bat + " cannot be written (" + s.error + ")");

  // Every check has passed: only now does the display give way to the run.
  shown = st.Fichier_Dessine;
  Ecran->Cls();
  setCursor(Qt::WaitCursor);
  Ecran->setCursor(Qt::WaitCursor);
  const std::optional<int> status = sv.proc.run_and_wait(
      {"/bin/sh", {bat}, WindowStyle::Minimized, sv.work_folder}, sv.pump, run->stop_check());
  unsetCursor();
  Ecran->setCursor(Qt::CrossCursor);
  if (run->stopped()) return;  // closed or Quit meanwhile: the batch was ended

  if (!status) return failed("/bin/sh could not run " + bat);
  if (*status != 0) return failed("the batch " + bat + " ended with status " + std::to_string(*status));
  if (Status whole = CheckFilteredWhole(in.in, *part, in.out); !whole) return failed(whole.error);
  if (Status m = MoveFileOver(*part, in.out); !m) return failed(m.error);

  sv.msg.ok(FiltreDoneMessage(in.in, c), MsgIcon::Information, kTitle);
  Affiche_SU(in.out);
}

}  // namespace keld::korvan
