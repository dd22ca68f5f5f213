// The menu bar, the toolbar and its dispatcher, the languages and the tab
// captions.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>

#include "boardlink/board_link.hpp"
#include "korvan/window/folder_window.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

namespace {

struct MenuSpec {
  const char* name;
  const char* caption;
  const char* shortcut;
  bool disabled;
  bool checked;
};

// A plain toolbar image: the button's symbol on a light square.
QIcon ToolIcon(const QString& symbol, QColor colour) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(235, 240, 250));
  p.setPen(QColor(120, 130, 150));
  p.drawRoundedRect(1, 1, 22, 22, 4, 4);
  QFont f = p.font();
  f.setPixelSize(symbol.size() > 2 ? 8 : 11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(colour);
  p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, symbol);
  return QIcon(pm);
}

}  // namespace

void Korvan::build_menus() {
  QMenuBar* bar = menuBar();
  auto add = [&](QMenu* m, const MenuSpec& s) {
    auto* a = m->addAction(QString::fromUtf8(s.caption));
    a->setObjectName(s.name);
    if (s.shortcut && *s.shortcut) a->setShortcut(QKeySequence(s.shortcut));
    a->setEnabled(!s.disabled);
    menu_items[s.name] = a;
    return a;
  };
  auto top_command = [&](const char* name, const char* caption) {
    auto* a = bar->addAction(caption);
    a->setObjectName(name);
    menu_items[name] = a;
    return a;
  };

  QMenu* file = bar->addMenu("File");
  file->setObjectName("File");
  add(file, {"Load_file", "Load an existing SU file", "Ctrl+R", false, false});
  add(file, {"save_file", "Delete current SU file", "Ctrl+Y", false, false});
  add(file, {"Saveas", "Save file as", "", false, false});
  file->addSeparator()->setObjectName("m1");
  add(file, {"addsu", "Add  SU files together", "", false, false});
  QMenu* conv = file->addMenu("File conversion");
  conv->setObjectName("conversion");
  add(conv, {"SU2SEGY", "SU to SEG-Y", "", true, false});
  add(conv, {"SU2SEGD", "SU to SEG-D", "", true, false});
  add(conv, {"txttoSEG2", "txt to SEG-2", "", false, false});
  file->addSeparator()->setObjectName("m3");
  file->addSeparator()->setObjectName("m2");
  add(file, {"fin", "END", "Ctrl+Q", false, false});

  QAction* freeze = top_command("freeze", "Freeze traces");
  freeze->setCheckable(true);

  QMenu* proc = bar->addMenu("Processing");
  proc->setObjectName("Process");
  add(proc, {"RD", "Redisplay", "Ctrl+D", false, false});
  add(proc, {"Filtre", "Filtering", "Ctrl+F", false, false});
  add(proc, {"hyperbol", "Hyperbole fitting", "Ctrl+H", false, false});
  add(proc, {"LinVel", "Linear velocity", "Ctrl+V", false, false})->setCheckable(true);
  add(proc, {"NMO", "Normal Move Out", "Ctrl+M", false, false});
  add(proc, {"Frequency", "Frequency spectrum", "", false, false});

  QMenu* test = bar->addMenu("Test");
  test->setObjectName("test");
  add(test, {"CB", "Check boards", "Ctrl+B", true, false});
  add(test, {"Stool", "System tool", "", false, false});
  add(test, {"sys_pan", "System panel", "", true, false});

  QMenu* util = bar->addMenu("Utility");
  util->setObjectName("util");
  add(util, {"SN", "Noise", "", false, false});
  add(util, {"units", "Units and master unit", "", false, false});
  add(util, {"header", "Header display", "", false, false});
  add(util, {"printrec", "Print record", "F5", false, false});
  add(util, {"HD", "Hard disk space", "Ctrl+P", false, false});
  QMenu* lang = util->addMenu("Language");
  lang->setObjectName("Lang");
  lang->setEnabled(false);
  menu_items["Lang"] = lang->menuAction();
  for (const MenuSpec& s : {MenuSpec{"Lang_it", "Italian", "", false, false},
                            MenuSpec{"Lang_Eng", "English", "", false, true},
                            MenuSpec{"Lang_FR", "Fran\xC3\xA7" "ais", "", false, false}}) {
    QAction* a = add(lang, s);
    a->setCheckable(true);
    a->setChecked(s.checked);
  }
  add(util, {"Help", "Help file", "F1", true, false});
  top_command("Info", "?");

  // What each entry does.
  auto on = [&](const char* name, auto fn) { connect(item(name), &QAction::triggered, this, fn); };
  on("Load_file", [this] { Lecture_SU(); });
  on("save_file", [this] { Detruit_file(st.Fichier_Courant); });
  on("fin", [this] { sortie(); });
  on("freeze", [this] { freeze_Click(); });
  on("RD", [this] { Affiche_SU(Text13->text().toStdString()); });
  on("HD", [this] { show_hdisk(); });
  on("units", [this] { show_units(); });
  on("SN", [this] {
    sv.msg.ok("The noise of every channel is shown with the \"SHOW Noise\" button, "
              "and stopped with \"STOP Noise\".",
              MsgIcon::Information, kTitle);
  });
  connect(Command1, &QPushButton::clicked, this, [this] { folder_->Open(); });
  on("Lang_it", [this] { set_language(3); });
  on("Lang_Eng", [this] { set_language(1); });
  on("Lang_FR", [this] { set_language(2); });
  on("Info", [this] {
    sv.msg.ok("KORVAN QMR650B\r\nField acquisition for the QMR650B seismograph:\r\n"
              "24-bit units on a USB serial link at 3,000,000 baud.",
              MsgIcon::Information, kTitle);
  });
}

void Korvan::build_toolbar() {
  Toolbar1 = addToolBar("Toolbar1");
  Toolbar1->setObjectName("Toolbar1");
  Toolbar1->setMovable(false);
  Toolbar1->setIconSize(QSize(24, 24));
  Toolbar1->addSeparator();
  struct B {
    const char* key;
    const char* tip;
    const char* symbol;
    QColor colour;
  };
  const B buttons[] = {
      {"open", "Load a an existing SU file", "O", QColor(0, 90, 0)},
      {"save", "Save the displayed file", "S", QColor(0, 0, 160)},
      {"reset", "Reset software", "R", QColor(160, 0, 0)},
      {"loupe", "Zoom ", "Z+", QColor(0, 0, 0)},
      {"noloupe", "Full display ", "Z-", QColor(0, 0, 0)},
      {"tosu", "File conversion ", "SGY", QColor(90, 0, 90)},
      {"herz", "Frequency spectrum ", "Hz", QColor(0, 90, 90)},
      {"filter", "Filter + GAIN then display the file ", "F", QColor(160, 80, 0)},
      {"kill", "Delete active file ", "X", QColor(200, 0, 0)},
      {"print", "Print current file", "P", QColor(60, 60, 60)},
      {"help", "Start help file", "?", QColor(0, 0, 160)},
      {"end", "Exit", "E", QColor(120, 0, 0)},
  };
  for (const B& b : buttons) {
    QAction* a = Toolbar1->addAction(ToolIcon(b.symbol, b.colour), b.tip);
    a->setObjectName(QString("Toolbar1_") + b.key);
    a->setToolTip(b.tip);
    a->setStatusTip(b.tip);
    a->setData(QString(b.key));
    toolbar_buttons[b.key] = a;
    std::string key = b.key;
    connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
  }
  // The placeholder at the end (1500 twips wide).
  auto* spacer = new QWidget(Toolbar1);
  spacer->setObjectName("Toolbar1_combo1");
  spacer->setFixedWidth(100);
  Toolbar1->addWidget(spacer);
  Toolbar1->hide();  // shown once the first start-up pause is over
}

void Korvan::Toolbar1_ButtonClick(const std::string& key) {
  if (st.Monitor_Actif) {
    sv.msg.ok("Impossible while noise monitor is running", MsgIcon::Critical, kTitle);
    return;
  }
  if (key == "reset") {
    Reset_Carte();
  } else if (key == "open") {
    Lecture_SU();
  } else if (key == "noloupe") {
    Lit_Info_SU();
    st.Dernier_Echantillon = static_cast<int16_t>(st.Nb_Campioni);
    st.Fichier_Affiche = FileOnDisplay();
    Affiche_SU(st.Fichier_Affiche);
    SSTab1->setCurrentIndex(0);
  } else if (key == "loupe") {
    arm_zoom();
  } else if (key == "kill") {
    Detruit_file(st.Fichier_Courant);
  } else if (key == "herz") {
    arm_spectre();
  } else if (key == "end") {
    sortie();
  } else if (auto it = toolbar_actions_.find(key); it != toolbar_actions_.end()) {
    // save, filter, tosu, header, print, help: the actions of later windows.
    it->second();
  }
}

void Korvan::set_language(int language) {
  item("Lang_it")->setChecked(language == 3);
  item("Lang_Eng")->setChecked(language == 1);
  item("Lang_FR")->setChecked(language == 2);
}

void Korvan::apply_tab_captions() {
  static const char* const english[] = {"Shot display", "Recording parameters", "Display parameters",
                                        "Geometry control"};
  static const char* const italian[] = {"Apertura del file", "Parametri di registratione",
                                        "Parametri di visualizzatione", "Geometria"};
  static const char* const french[] = {"Charge un fichier", "Param\xC3\xA8tres enregistrement",
                                       "Param\xC3\xA8tres d'affichage", "G\xC3\xA9om\xC3\xA8trie"};
  const char* const* captions = english;
  if (item("Lang_it")->isChecked()) captions = italian;
  if (item("Lang_FR")->isChecked()) captions = french;
  for (int i = 0; i < 4; ++i) SSTab1->setTabText(i, QString::fromUtf8(captions[i]));
}

void Korvan::SSTab1_Click() {
  if (SSTab1->tabText(SSTab1->currentIndex()) == "Geometry control") Dessine_Geometrie();
}

void Korvan::Reset_Carte() {
  // The reset's pause hands control to the window system: no shot or monitor
  // starts meanwhile, and a close waits for it.
  auto run = work_->begin();
  if (!run) return;
  Ecran->Scale(-10, -10, 100, 100);
  Ecran->FontSize = 55;
  Ecran->Cls();
  Ecran->ForeColor = 0x0000FF;
  Ecran->CurrentX = 0;
  Ecran->CurrentY = 0;
  Ecran->Print("Reset");
  setCursor(Qt::WaitCursor);
  Ecran->setCursor(Qt::WaitCursor);
  st.Modo_Trigger = 0;
  link().Riapri_Porta();
  Ecran->Cls();
  SSTab1->setCurrentIndex(0);
  unsetCursor();
  Ecran->setCursor(Qt::ArrowCursor);
}

}  // namespace keld::korvan
