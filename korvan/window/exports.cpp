// The menu items and toolbar keys of the exports and of the programs korvan
// starts, and the windows they open.
#include <QAction>

#include "korvan/launch/launch.hpp"
#include "korvan/launch/txt_to_seg2_window.hpp"
#include "korvan/window/add_su_window.hpp"
#include "korvan/window/main_window.hpp"
#include "korvan/window/segy_window.hpp"

namespace keld::korvan {

void Korvan::connect_exports() {
  auto on = [&](const char* name, auto fn) { connect(item(name), &QAction::triggered, this, fn); };
  auto manual = [this] { Ouvre_Manuel(sv, item("Lang_FR")->isChecked(), item("Lang_it")->isChecked()); };
  on("Saveas", [this] { show_choix(); });
  on("addsu", [this] { show_add_su(); });
  on("SU2SEGY", [this] { show_segy(); });  // disabled in the menu; the toolbar reaches it
  on("txttoSEG2", [this] { show_txt_to_seg2(); });
  on("Filtre", [this] { Filtrage_SU(); });
  on("NMO", [this] { Lance_Velscan(st, sv); });
  on("Stool", [this] { Lance_Outil_Usb(sv); });
  on("sys_pan", [this] { Lance_Panneau_Systeme(sv); });
  on("header", [this] { Lance_Editeur(st, sv); });
  on("printrec", [this] { Print_record(st, sv); });
  on("Help", manual);  // disabled in the menu; the toolbar reaches it

  toolbar_actions_["save"] = [this] { show_choix(); };
  toolbar_actions_["filter"] = [this] { Filtrage_SU(); };
  toolbar_actions_["tosu"] = [this] { show_segy(); };
  toolbar_actions_["header"] = [this] { Lance_Editeur(st, sv); };
  toolbar_actions_["print"] = [this] { Print_record(st, sv); };
  toolbar_actions_["help"] = manual;
}

void Korvan::show_segy() {
  if (!segy_) segy_ = std::make_unique<SegyWindow>(*this);
  segy_->Open();
}

void Korvan::close_segy() {
  if (segy_ && segy_->isVisible()) segy_->Unload();
}

void Korvan::show_add_su() {
  if (!add_su_) add_su_ = std::make_unique<AddSuFilesWindow>(*this);
  add_su_->Open();
}

void Korvan::show_txt_to_seg2() {
  if (!txt_to_seg2_) txt_to_seg2_ = std::make_unique<txt_to_seg2>(sv);
  txt_to_seg2_->show();
  txt_to_seg2_->raise();
  txt_to_seg2_->activateWindow();
}

}  // namespace keld::korvan
