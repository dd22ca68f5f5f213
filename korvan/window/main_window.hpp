#pragma once
// korvan's main window `Korvan`: four tabs (shot display, recording
// parameters, display parameters, geometry), menus, toolbar, and the buttons
// of the shot and the noise monitor. Controls carry their names as object
// names. The handlers live in files by subject (params, settings, geometry,
// numbering, startup, menus, display); this class only holds them together.
#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <memory>

#include "korvan/display/display_params.hpp"
#include "korvan/engine/noise_monitor.hpp"
#include "korvan/engine/shot_cycle.hpp"
#include "korvan/window/korvan_services.hpp"
#include "korvan/window/korvan_state.hpp"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;

namespace keld::board {
class BoardLink;
}

namespace keld {
class PictureBox;
class Grid;
class WorkGuard;
class WorkRun;
}

namespace keld::korvan {

class UnitsWindow;
class ChoixDialog;
class HDiskWindow;
class FolderWindow;
class SegyWindow;
class AddSuFilesWindow;
class txt_to_seg2;
class HyperbolicWindow;

class Korvan : public QMainWindow {
  Q_OBJECT
 public:
  Korvan(KorvanState& state, KorvanServices& services, QWidget* parent = nullptr);
  ~Korvan() override;

  KorvanState& st;
  KorvanServices& sv;
  static constexpr const char* kTitle = "KORVAN QMR650B";

  // --- Start-up and shutdown
  // The start-up sequence, ending with the port dialog. False when the window
  // was closed meanwhile: the program ends then, without its event loop.
  bool Startup();
  void Lecture_SU();            // open an SU file for display
  void Detruit_file(const std::string& name);
  // The file drawn last; Text6 until something is drawn (after a Save as,
  // Text6 holds the next record's name, not the record on display).
  std::string FileOnDisplay() const;
  void Detruit_record();        // deletes the file on display (Fichier_Dessine), after asking
  void sortie();                // quit with the question (once a run on has stopped)
  void TimedPause(double seconds);
  void apply_layout();          // the layout rule of every resize

  // --- Settings file
  void Lit_Config();
  void Ecrit_Config();

  // --- Acquisition parameters
  void Sample_rate_Click();
  void Nb_Sample_Click();
  void Rec_time_Change();
  void Total_Channel_Change();
  void Text14_Change();
  void Text2_Change();
  void Text3_Change();
  void Text7_Change();
  void set_Nb_Sample_text(const QString& t);   // selects the entry; others become 1024
  void set_Sample_rate_text(const QString& t);
  void Options_Filtre();

  // --- Geometry and record numbering
  void Dessine_Geometrie();
  void Init_Grille();
  void sx_Change();
  void fr_Change();
  void lr_Change();
  void Text15_Change();
  void Text19_Change();
  void plan_MouseMove(double x, double y);
  void Record_Suivant();
  void Record_Precedent();

  // --- Display and its settings
  void Lit_Info_SU();
  void Affiche_SU(const std::string& path);
  void Dessine_Traces(const std::string& path);
  void Command11_Click();
  void Command2_Click();
  void Command7_Click();
  void LC1_Change();
  void Picture2_Click();
  void Picture3_Click();
  void freeze_Click();
  void FrizGrid_Click();
  bool channel_frozen(int channel) const;
  DrawParams draw_params() const;                  // the display settings of the controls
  void after_drawing(const std::string& path, const DrawResult& r);
  void scale_strip();

  // --- The shot
  void Command10_Click();
  void declanche_tir();
  ShotResult Acquisition_Tir();
  void Check2_Click();
  ShotParams shot_params();          // the values of the shot, taken when it is armed
  std::string text_record_path() const;  // dati.txt, for the shot and for dropconv
  // The after-shot dialog from the menu and the toolbar: not while a run is on.
  void show_choix();
  ChoixDialog* choix() const { return choix_.get(); }
  // The guard of the window's runs, which the saves of the dialog take too.
  WorkGuard& work() const { return *work_; }
  const ShotResult& last_shot() const { return last_shot_; }

  // --- Menus, toolbar and languages
  void Toolbar1_ButtonClick(const std::string& key);
  void SSTab1_Click();
  void set_language(int language);  // 1 English, 2 French, 3 Italian: the check marks
  void apply_tab_captions();
  void Reset_Carte();
  void show_units();
  void show_hdisk();
  // Toolbar keys whose actions belong to later windows (save, filter, tosu,
  // header, print, help) register here.
  std::map<std::string, std::function<void()>> toolbar_actions_;

  // --- Exports and the programs korvan starts
  void Filtrage_SU();           // filter and gain the displayed file, then show the output
  void show_segy();             // the SEG-Y export window, not modal
  void show_add_su();           // the SU joining window, not modal
  void show_txt_to_seg2();      // the text-to-SEG-2 window, not modal
  void close_segy();            // unloads the SEG-Y export window when it is open
  SegyWindow* segy() const { return segy_.get(); }
  AddSuFilesWindow* add_su() const { return add_su_.get(); }
  txt_to_seg2* txt_seg2() const { return txt_to_seg2_.get(); }

  board::BoardLink& link() { return *link_; }

  // Units window (channel-to-unit addresses and the master unit).
  UnitsWindow* units() const { return units_.get(); }
  QString unit_box_text(int channel) const;  // Text1(channel - 1)

  // --- Noise monitor ("SHOW Noise", "STOP Noise")
  void Command6_Click();
  void Command5_Click();
  void Attente_Monitor();
  void Monitor_Rumore();
  NoiseCounts noise_counts;  // of the monitor running or run last: passes, channels drawn, failed
  // --- Zoom, apparent velocity, spectrum selection and the time strip
  void Ecran_MouseDown(int button, int shift, double x, double y);
  void Ecran_MouseMove(int button, int shift, double x, double y);
  void Ecran_MouseUp(int button, int shift, double x, double y);
  void echelle_MouseDown(int button, int shift, double x, double y);
  void echelle_MouseMove(int button, int shift, double x, double y);
  void echelle_MouseUp(int button, int shift, double x, double y);
  void LinVel_Click();
  void arm_zoom();      // toolbar "loupe"
  void arm_spectre();   // toolbar "herz", menu "Frequency spectrum"
  // --- Hyperbola overlay
  void hyperbol_Click();
  HyperbolicWindow* hyperbolic() const { return hyperbolic_.get(); }

  // --- Controls (object names as the program names them)
  QToolBar* Toolbar1 = nullptr;
  std::map<std::string, QAction*> toolbar_buttons;
  QTabWidget* SSTab1 = nullptr;
  QLabel* Ingrandimento = nullptr;
  QPushButton *Command10 = nullptr, *Command6 = nullptr, *Command5 = nullptr;
  QPushButton *Command2 = nullptr, *Command11 = nullptr;
  QCheckBox* Check2 = nullptr;
  // tab 0
  PictureBox* Ecran = nullptr;
  PictureBox* echelle = nullptr;
  Grid* FrizGrid = nullptr;
  QLineEdit *Text1 = nullptr, *Text13 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Virtual_trigger = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* korvan_logo = nullptr;
  // tab 1
  QGroupBox *Frame4 = nullptr, *Frame5 = nullptr, *Frame8 = nullptr;
  QRadioButton *Option5 = nullptr, *Option6 = nullptr;
  QComboBox *Sample_rate = nullptr, *Nb_Sample = nullptr;
  QLineEdit *Text14 = nullptr, *Total_Channel = nullptr;
  QLabel *Rec_time = nullptr, *F_camp = nullptr;
  QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr, *Text7 = nullptr;
  QPushButton* Command1 = nullptr;
  QRadioButton *F200 = nullptr, *F400 = nullptr, *F60 = nullptr, *F30 = nullptr;
  // tab 2
  QGroupBox *Frame3 = nullptr, *Frame2 = nullptr, *Frame1 = nullptr;
  QPushButton* Command7 = nullptr;
  QComboBox* egali = nullptr;
  QCheckBox *creverse = nullptr, *cclip = nullptr;
  QLineEdit *LC1 = nullptr, *LC2 = nullptr, *HC1 = nullptr, *HC2 = nullptr, *AGC = nullptr;
  QRadioButton *Option1 = nullptr, *Option2 = nullptr, *Option3 = nullptr, *Option4 = nullptr;
  QLabel *Picture1 = nullptr, *Picture2 = nullptr, *Picture3 = nullptr;
  // tab 3
  Grid* GeoGrid = nullptr;
  QPushButton *Command4 = nullptr, *Command3 = nullptr;
  PictureBox* plan = nullptr;
  QLineEdit* Text6 = nullptr;
  QGroupBox* Frame7 = nullptr;
  QLineEdit *Text19 = nullptr, *sx = nullptr, *fr = nullptr, *Text15 = nullptr, *offset = nullptr,
            *lr = nullptr, *Text23 = nullptr, *Text24 = nullptr, *rn = nullptr, *Text11 = nullptr,
            *Text17 = nullptr, *Text18 = nullptr;

  // --- Menu items
  std::map<std::string, QAction*> menu_items;
  QAction* item(const std::string& name) const;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* ev) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void build_shot_tab(QWidget* tab);
  void build_recording_tab(QWidget* tab);
  void build_display_tab(QWidget* tab);
  void build_geometry_tab(QWidget* tab);
  void build_buttons_bar(QWidget* bar);
  void build_menus();
  void build_toolbar();
  void connect_params();
  void connect_geometry();
  void connect_display();
  void connect_shot();
  void connect_tools();
  void open_choix();
  // A port lost since it was last opened (closed, or an error met since) is
  // opened again; false when that fails too, with the link's error().
  bool reopen_lost_port();
  // Before a shot or the noise monitor arms the units: the after-shot dialog
  // hidden, a lost port opened again. False when the run is to end: the
  // window is closing, or the device is not there, said in a box whose last
  // words are `then` (what to do once it is back).
  bool ready_to_arm(const WorkRun& run, const std::string& then);
  void velocity_release(double x, double y);
  bool spectrum_release();
  void zoom_release();
  void beep();
  void show_picture_colours();
  void connect_exports();       // the menu items and toolbar keys of exports and launches

  std::unique_ptr<board::BoardLink> link_;
  std::unique_ptr<UnitsWindow> units_;
  std::unique_ptr<HDiskWindow> hdisk_;
  std::unique_ptr<FolderWindow> folder_;
  std::unique_ptr<ChoixDialog> choix_;
  std::unique_ptr<SegyWindow> segy_;
  std::unique_ptr<AddSuFilesWindow> add_su_;
  std::unique_ptr<txt_to_seg2> txt_to_seg2_;
  ShotResult last_shot_;
  bool ending_ = false;    // the program is ending: close without asking
  bool quit_on_close_ = false;  // END was answered Yes: the close ends the program
  bool starting_ = true;   // the start-up sequence has not reached its end
  std::unique_ptr<HyperbolicWindow> hyperbolic_;
  // The shot, the noise monitor, a filter batch and a reset of the link run
  // inside their handlers, one at a time; a close waits for the one on.
  WorkGuard* work_ = nullptr;
};

// The port dialog of the start-up, modal; a port that works enables the shot
// and noise buttons.
void ShowPortDialog(Korvan& w);

}  // namespace keld::korvan
