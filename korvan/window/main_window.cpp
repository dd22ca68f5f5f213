#include "korvan/window/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "boardlink/board_link.hpp"
#include "korvan/launch/txt_to_seg2_window.hpp"
#include "korvan/window/add_su_window.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/folder_window.hpp"
#include "korvan/window/hdisk_window.hpp"
#include "korvan/window/segy_window.hpp"
#include "korvan/window/hyperbolic_window.hpp"
#include "korvan/window/units_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::korvan {

Korvan::Korvan(KorvanState& state, KorvanServices& services, QWidget* parent)
    : QMainWindow(parent), st(state), sv(services) {
  setObjectName("Korvan");
  setWindowTitle(kTitle);

  auto* central = new QWidget(this);
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 4, 4, 4);
  SSTab1 = new QTabWidget(central);
  SSTab1->setObjectName("SSTab1");
  const char* captions[] = {"Shot display", "Recording parameters", "Display parameters", "Geometry control"};
  QWidget* tabs[4];
  for (int i = 0; i < 4; ++i) {
    tabs[i] = new QWidget;
    tabs[i]->setObjectName(QString("SSTab1_%1").arg(i));
    SSTab1->addTab(tabs[i], captions[i]);
  }
  build_shot_tab(tabs[0]);
  build_recording_tab(tabs[1]);
  build_display_tab(tabs[2]);
  build_geometry_tab(tabs[3]);
  v->addWidget(SSTab1, 1);
  auto* bar = new QWidget(central);
  build_buttons_bar(bar);
  v->addWidget(bar);
  setCentralWidget(central);

  board::LinkConfig cfg = board::LinkConfig::Korvan();
  cfg.reopen_pause_s *= sv.pause_scale;
  link_ = std::make_unique<board::BoardLink>(sv.port, sv.pump, st.Stop_Attesa, cfg);
  units_ = std::make_unique<UnitsWindow>(*this);
  hdisk_ = std::make_unique<HDiskWindow>(*this);
  folder_ = std::make_unique<FolderWindow>(*this);

  work_ = new WorkGuard(this, {Command10, Command6});
  // A close or Quit during a shot or the noise monitor ends the waits on the
  // units as "Release Trigger" would.
  connect(work_, &WorkGuard::stopping, this, [this] { st.Stop_Attesa = 1; });
  build_menus();
  build_toolbar();
  connect_exports();
  connect_params();
  connect_geometry();
  connect_display();
  connect_shot();
  connect_tools();
  connect(SSTab1, &QTabWidget::tabBarClicked, this, [this](int) {
    // The tab changes after the click; look at the new one then.
    QMetaObject::invokeMethod(this, [this] { SSTab1_Click(); }, Qt::QueuedConnection);
  });
  // 9000 x 7400 twips at 15 twips a pixel.
  setMinimumSize(600, 493);
}

Korvan::~Korvan() = default;

QAction* Korvan::item(const std::string& name) const {
  auto it = menu_items.find(name);
  return it == menu_items.end() ? nullptr : it->second;
}

QString Korvan::unit_box_text(int channel) const { return units_->box_text(channel); }

void Korvan::beep() {
  if (sv.beep)
    sv.beep();
  else
    QApplication::beep();
}

void Korvan::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  if (!starting_) apply_layout();
}

void Korvan::closeEvent(QCloseEvent* e) {
  // The window's own close: the link is reset and the program ends, without a
  // question and without writing the settings. A close during a shot or the
  // noise monitor does not come here: the guard stops the run and closes the
  // window again once it has unwound. The other windows go first; one that
  // still stops a join or an export closes this one again when it has gone.
  if (!CloseProgramWindows(this)) {
    e->ignore();
    return;
  }
  if (!ending_) {
    ending_ = true;
    // Nothing can start while the link is reset: its pause hands control to
    // the window system.
    auto run = work_->begin();
    st.Stop_Attesa = 1;
    link().Riapri_Porta();
  }
  e->accept();
  if (quit_on_close_) QApplication::quit();
}

}  // namespace keld::korvan
