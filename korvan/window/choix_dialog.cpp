#include "korvan/window/choix_dialog.hpp"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "korvan/engine/data_paths.hpp"
#include "korvan/engine/stack.hpp"
#include "korvan/launch/launch.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
constexpr const char* kTitle = Korvan::kTitle;
}  // namespace

std::string Seg2NameFor(const std::string& record) {
  std::filesystem::path p(record);
  if (p.has_extension()) p.replace_extension(".SG2");
  else p += ".SG2";
  return p.string();
}

ChoixDialog::ChoixDialog(Korvan& main) : QDialog(&main), w_(main) {
  setObjectName("choix");
  setWindowTitle(" ");
  setModal(false);
  auto* v = new QVBoxLayout(this);
  auto button = [&](const char* name, const char* caption, const char* tip) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    if (tip) b->setToolTip(tip);
    v->addWidget(b);
    return b;
  };
  Command1 = button("Command1", "Save as", "sAVE THE RECORD WITH THE PROPOSED NAME");
  Command2 = button("Command2", "Stack with (only .su files)", "Add this record to a previous one");
  Command3 = button("Command3", "Erase", "Delete the displayed record");
  Command4 = button("Command4", "Save with another name",
                    "Record the displayed record with a another name you can choose");
  Command5 = button("Command5", "Informations", nullptr);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  // Enter always means "Save as": a button that had the focus (Erase, Stack
  // with) must never become the default and take a shot away with one key.
  for (QPushButton* b : {Command1, Command2, Command3, Command4, Command5}) b->setAutoDefault(false);
  Command1->setDefault(true);
  setMinimumWidth(420);
  // The shot that opens the dialog is still drawing and opening the port
  // again: the buttons come once it has ended.
  connect(&w_.work(), &WorkGuard::finished, this, [this] {
    if (!isVisible()) return;
    offer();
    if (Command1->isEnabled()) Command1->setFocus();
  });
}

bool ChoixDialog::raw_shot_exists() const { return Existe_file(w_.st.Fichier_Temp) == 1; }

void ChoixDialog::Open() {
  double n = Val(S(w_.Text3));
  w_.Affiche_SU(w_.st.Fichier_Temp);
  if (n > 9999) {
    n = 9999;
    w_.sv.msg.ok("Maximum 9999 records", MsgIcon::Critical, kTitle);
  }
  std::string num = CStr(n);
  std::string root = S(w_.Text2);
  // The paths as they are: on Linux an upper-cased path names another file.
  Command1->setText(Q(" Save as " + Nome_Attivo(S(w_.Text7), root, num) + "  " + "and " + root + num + ".SG2"));
  Command2->setText(Q(" Stack with " + w_.st.Dernier_Record));
  offer();
  Command1->setDefault(true);
  show();
  raise();
  if (Command1->isEnabled()) Command1->setFocus();
}

void ChoixDialog::offer() {
  const bool idle = !w_.work().running();
  // Only what a raw shot exists for is offered: after an abandoned shot there
  // is nothing to save, convert, number or stack.
  bool shot = idle && raw_shot_exists();
  Command1->setEnabled(shot);
  Command4->setEnabled(shot);
  Command2->setEnabled(shot && !w_.st.Dernier_Record.empty());
  // Erase deletes only the file on display: none when the screen is blank.
  Command3->setEnabled(idle && !w_.st.Fichier_Dessine.empty());
}

void ChoixDialog::saved_as(const std::string& saved) {
  KorvanState& st = w_.st;
  if (st.Fichier_Dessine == st.Fichier_Temp) st.Fichier_Dessine = saved;
  // The record saved is the current file: what the filter, the header editor
  // and the velocity analysis take next.
  st.Fichier_Courant = saved;
  w_.Text13->setText(Q(saved));
  st.Fichier_Affiche = saved;
  w_.Text5->setText(Q(saved));
}

void ChoixDialog::Command1_Click() {
  // Inside the main window's run until dropconv has ended: no shot rewrites
  // the text record it reads, and a close waits for it.
  auto run = w_.work().begin();
  if (!run) return;
  KorvanState& st = w_.st;
  st.Dossier_Data = S(w_.Text7);
  const std::string R = Nome_Attivo(S(w_.Text7), S(w_.Text2), S(w_.Text3));
  hide();
  auto failed = [&](const std::string& why) {
    w_.sv.msg.ok(R + " has been not recorded, verify path !" + (why.empty() ? "" : "\r\n" + why),
                 MsgIcon::Critical, kTitle);
  };
  if (!raw_shot_exists()) return failed("There is no raw shot (" + st.Fichier_Temp + ").");
  if (Existe_file(R) &&
      !w_.sv.msg.yes(R + " already exists, do you want to erase it ?", MsgIcon::Question, kTitle))
    return;
  if (run->stopped()) return;  // closed while asked: nothing is saved
  // The rename replaces an existing record in one step: it is never deleted first.
  if (Status m = MoveFileOver(st.Fichier_Temp, R); !m) return failed(m.error);
  saved_as(R);
  const std::string G = Seg2NameFor(R);
  st.Dernier_Record = R;
  w_.Record_Suivant();
  w_.SSTab1->setCurrentIndex(3);
  // The SU record is saved whatever becomes of its SEG-2 copy. Save as says
  // nothing when both are whole; closing, there is nobody to tell.
  const Seg2Copy copy = RunDropconv(w_.sv, w_.text_record_path(), G, run->stop_check());
  if (copy.outcome == Seg2Copy::Outcome::Stopped ||
      (copy.outcome == Seg2Copy::Outcome::Made && copy.words.empty()))
    return;
  const Seg2Box box = Seg2CopyBox(R, G, copy);
  w_.sv.msg.ok(box.text, box.icon, kTitle);
}

void ChoixDialog::Command2_Click() {
  KorvanState& st = w_.st;
  const std::string P = st.Dernier_Record;
  Status s = StackOnto(P, st.Fichier_Temp);
  if (!s) {
    w_.sv.msg.ok(s.error, MsgIcon::Critical, kTitle);
    return;  // the dialog stays open
  }
  w_.setWindowTitle(Q("KORVAN ZUL Usb" + P));
  w_.Text13->setText(Q(P));
  st.Fichier_Courant = P;
  st.Fichier_Affiche = P;
  st.Dernier_Record = P;
  hide();
  w_.Dessine_Traces(st.Fichier_Affiche);
  w_.sv.msg.ok(P + " has been recorded", MsgIcon::Information, kTitle);
  w_.SSTab1->setCurrentIndex(3);
}

void ChoixDialog::Command3_Click() {
  hide();
  w_.Detruit_record();
}

void ChoixDialog::Command4_Click() { Sauve_SEG2(); }

void ChoixDialog::Sauve_SEG2() {
  auto run = w_.work().begin();  // as Save as: until dropconv has ended
  if (!run) return;
  KorvanState& st = w_.st;
  hide();
  w_.setCursor(Qt::CrossCursor);
  FileDialogSpec desc{"SU File selection", st.Dossier_Data, "SU|*.SU|All files|*.*|", "*.SU", false};
  auto chosen = w_.sv.dialogs.save_file(desc);
  w_.unsetCursor();
  if (!chosen || chosen->size() < 5) return;  // cancelled: nothing changes
  const std::string F = *chosen;
  if (!raw_shot_exists()) {
    w_.sv.msg.ok(F + " has been not recorded: there is no raw shot (" + st.Fichier_Temp + ")",
                 MsgIcon::Critical, kTitle);
    return;
  }
  if (Existe_file(F) && !w_.sv.msg.yes(F + " already exists, erase the file ?", MsgIcon::None, kTitle)) return;
  if (run->stopped()) return;  // closed while asked: nothing is saved
  if (Status m = MoveFileOver(st.Fichier_Temp, F); !m) {
    w_.sv.msg.ok(F + " has been not recorded, verify path !\r\n" + m.error, MsgIcon::Critical, kTitle);
    return;
  }
  saved_as(F);
  std::string folder = std::filesystem::path(F).parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += "/";
  st.Dossier_Data = folder;
  w_.setWindowTitle(Q("KORVAN ZUL Usb" + F));
  const std::string G = Seg2NameFor(F);
  st.Dernier_Record = F;
  const Seg2Copy copy = RunDropconv(w_.sv, w_.text_record_path(), G, run->stop_check());
  if (copy.outcome == Seg2Copy::Outcome::Stopped) return;  // closing: nobody to tell
  const Seg2Box box = Seg2CopyBox(F, G, copy);
  w_.sv.msg.ok(box.text, box.icon, kTitle);
  w_.SSTab1->setCurrentIndex(3);
}

void ChoixDialog::Command5_Click() {
  hide();
  const std::string e = w_.st.Fin_Ligne;
  std::string t = "How to record files" + e + e + "1.- You can save the file click on SAVE AS   " + e +
                  "2.- You can add this file with the previous one, click on STACK WITH" + e +
                  "3.- You can save the dipslayed file with another name    " + e +
                  "4.- You can delete the recorded file    " + e +
                  "5.- You can return to geometry module to correct or filter the displayed file    " + e +
                  "    then click on SAVE icon to re-display this module. " + e + "    " + e;
  w_.sv.msg.ok(t, MsgIcon::Information, kTitle);
  Open();
}

}  // namespace keld::korvan
