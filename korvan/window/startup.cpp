// Start-up and shutdown of the main window, opening an SU file, the layout of
// every resize, and the record deletion of the menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include <filesystem>

#include "boardlink/board_link.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "korvan/window/folder_window.hpp"
#include "korvan/window/hdisk_window.hpp"
#include "korvan/display/su_info.hpp"
#include "korvan/window/main_window.hpp"
#include "korvan/window/units_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

void Korvan::TimedPause(double seconds) {
  if (sv.pause_scale <= 0) {
    sv.pump.pump();
    return;
  }
  keld::TimedPause(sv.pump, seconds * sv.pause_scale);
}

void Korvan::show_units() { units_->show(); units_->raise(); }
void Korvan::show_hdisk() { hdisk_->Open(); }

bool Korvan::Startup() {
  starting_ = true;
  std::error_code ec;
  std::filesystem::create_directories(sv.work_folder + "/DATA", ec);
  st.Dossier_Depart = folder_->path().toStdString();
  setCursor(Qt::WaitCursor);
  Ecran->setCursor(Qt::WaitCursor);
  SSTab1->setCurrentIndex(0);
  setWindowTitle(kTitle);
  show();
  korvan_logo->setGeometry(Ecran->rect());
  korvan_logo->show();
  korvan_logo->raise();
  st.Fin_Ligne = "\r\n";
  egali->clear();
  egali->addItems({"True amplitude", "Normal trace equalization", "Average trace equalization",
                   "Trace equalization 1/4 length"});
  egali->setCurrentIndex(1);

  Lit_Config();

  st.Nb_Campioni = CLng(Val(Nb_Sample->currentText().toStdString())).value_or(0);
  if (st.Nb_Campioni == 0) sv.msg.ok("Impossible", MsgIcon::Critical, kTitle);
  Total_Channel->setText(QString::number(st.Nb_Canali));
  Dessine_Geometrie();
  sv.pump.pump();
  // The window can be closed (or END chosen) at every hand-over to the
  // window system from here on: the program then ends where it stands.
  if (ending_) return false;
  setWindowTitle(QString("QMR650B ") + QString::fromStdString(st.Fichier_Courant));
  Text5->setText(QString::fromStdString(st.Fichier_Courant));
  show_picture_colours();
  Text7->setText(QString::fromStdString(st.Dossier_Data));
  st.Premier_Echantillon = 1;
  st.Dernier_Echantillon = 1024;
  if (st.Gain_Affichage == 0) st.Gain_Affichage = 1.0f;
  st.Mode_Affichage = 0;
  Ingrandimento->setText(QString::fromStdString(CStrSingle(st.Gain_Affichage)));
  Init_Grille();
  ProgressBar1->setRange(1, 20);
  ProgressBar1->show();

  TimedPause(1);
  if (ending_) return false;

  ProgressBar1->hide();
  korvan_logo->hide();
  Toolbar1->show();
  apply_tab_captions();
  unsetCursor();
  Ecran->setCursor(Qt::ArrowCursor);
  // Numbers are read and written with "." whatever the desktop's locale, so
  // the decimal-separator warning of other systems has nothing to catch here.
  for (int i = 1; i <= 48; ++i)
    st.Tabella_Indirizzi[i] = CInt(Val(units_->box_text(i).toStdString())).value_or(0);

  TimedPause(2);
  if (ending_) return false;

  SSTab1->setCurrentIndex(1);
  starting_ = false;
  if (sv.show_port_dialog) sv.show_port_dialog();
  return !ending_;
}

void Korvan::show_picture_colours() {
  auto paint = [](QLabel* l, uint32_t bgr) {
    QPalette p = l->palette();
    p.setColor(QPalette::Window, BgrColor(bgr));
    l->setPalette(p);
  };
  paint(Picture1, st.Couleur_Remplissage);
  paint(Picture2, st.Couleur_Positive);
  paint(Picture3, st.Couleur_Negative);
}

void Korvan::apply_layout() {
  // Qt's layouts give Ecran, the strip, the grid and the tabs their sizes and
  // keep the window at its minimum; what is left is to show the current file
  // again at the new size. Text5 names the record to be written next most of
  // the time, so it becomes the current file only when it exists.
  std::string t5 = Text5->text().toStdString();
  if (Existe_file(t5)) st.Fichier_Courant = t5;
  if (korvan_logo->isVisible()) korvan_logo->setGeometry(Ecran->rect());
  Lit_Info_SU();
  Affiche_SU(st.Fichier_Courant);
}

void Korvan::Lecture_SU() {
  setCursor(Qt::CrossCursor);
  FileDialogSpec desc{"SU File selection", st.Dossier_Data, "SU|*.SU|All files|*.*|", "*.SU", true};
  auto chosen = sv.dialogs.open_file(desc);
  unsetCursor();
  if (!chosen) return;  // cancelled: nothing changes
  const std::string path = *chosen;
  // A file that cannot be shown changes nothing: the current file, the
  // caption, the boxes and the settings stay as they were, and the reader
  // says why.
  auto len = FileLength(path);
  if (!len || *len < 5) {
    sv.msg.ok(path + "is empty", MsgIcon::Critical, kTitle);
    return;
  }
  if (auto check = CheckDisplayFile(path); !check.ok()) {
    sv.msg.ok(check.error(), MsgIcon::Critical, kTitle);
    return;
  }
  if (auto info = ReadSuInfo(path); !info.ok()) {
    sv.msg.ok(info.error(), MsgIcon::Critical, kTitle);
    return;
  }
  st.Fichier_Courant = path;
  setWindowTitle(QString::fromStdString("KORVAN ZUL Usb " + path));
  Text1->setText(QString::fromStdString(path));
  Text13->setText(QString::fromStdString(path));
  st.Fichier_Affiche = path;
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += "/";
  st.Dossier_Data = folder;
  Lit_Info_SU();
  Affiche_SU(st.Fichier_Courant);
  Ecran->setCursor(Qt::ArrowCursor);
  Toolbar1->setEnabled(true);
}

void Korvan::Detruit_file(const std::string&) { Detruit_record(); }

void Korvan::Detruit_record() {
  // Only the file on display is ever named: never the record to be written
  // next, which may be an older record of the same number.
  const std::string n = st.Fichier_Dessine;
  if (n.empty()) {
    sv.msg.ok("There is no file on display to delete", MsgIcon::Critical, kTitle);
    return;
  }
  if (!sv.msg.yes("Do you want really delete " + n, MsgIcon::Question, kTitle)) return;
  std::error_code ec;
  bool gone = std::filesystem::remove(n, ec);
  if (gone)
    sv.msg.ok(n + " has been erased", MsgIcon::Exclamation, kTitle);
  else
    sv.msg.ok(n + " has not been erased" + (ec ? ": " + ec.message() : std::string(": no such file")),
              MsgIcon::Critical, kTitle);
  Ecran->Cls();
}

void Korvan::sortie() {
  if (!sv.msg.yes(std::string("Do you want to quit ") + kTitle, MsgIcon::Question, kTitle)) return;
  Ecrit_Config();
  // The close resets the link and ends the program; during a shot or the
  // noise monitor it first stops the run and waits for it to unwind.
  quit_on_close_ = true;
  close();
}

}  // namespace keld::korvan

#include "boardlink/window/rs232.hpp"

namespace keld::korvan {

void ShowPortDialog(Korvan& w) {
  board::Rs232 dialog(w.link(), w.sv.msg, [&w] {
    w.Command10->setEnabled(true);
    w.Command6->setEnabled(true);
  }, board::Rs232Options{}, &w);
  dialog.exec();
}

}  // namespace keld::korvan
