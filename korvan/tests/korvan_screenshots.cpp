// Writes screenshots of korvan's window (each language, each tab, at the
// minimum size) and of a simulated shot in each display mode, for a person to
// look at: korvan_screenshots <folder>.
#include <QApplication>
#include <QRadioButton>
#include <QTabWidget>

#include "boardlink/board_link.hpp"
#include "common/profile.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/window/choix_dialog.hpp"

using namespace keld;
using namespace keld::korvan;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string out = argc > 1 ? argv[1] : "/tmp";
  keld::testing::TempDir d;
  const char* lang_names[] = {"", "en", "fr", "it"};
  for (int lang = 1; lang <= 3; ++lang) {
    korvan::testing::KorvanHarness h(d.path() + "/" + lang_names[lang]);
    WritePrivateProfileString("korvan", "langue", std::to_string(lang), "korvan_QMR.ini");
    WritePrivateProfileString("korvan", "board", "24", "korvan_QMR.ini");
    Korvan& w = h.start();
    w.resize(600, 493);
    for (int tab = 0; tab < 4; ++tab) {
      w.SSTab1->setCurrentIndex(tab);
      QApplication::processEvents();
      w.grab().save(QString::fromStdString(out + "/korvan_" + lang_names[lang] + "_tab" + std::to_string(tab) + ".png"));
    }
  }
  korvan::testing::KorvanHarness h(d.path() + "/shot");
  Korvan& w = h.start();
  w.resize(1100, 750);
  w.link().open_port(1);
  w.Total_Channel->setText("24");
  w.Sample_rate->setCurrentIndex(2);  // 2000 Hz
  w.Nb_Sample->setCurrentIndex(2);    // 1024
  w.Command10->setEnabled(true);
  w.Command10->click();
  if (w.choix()) w.choix()->hide();
  QRadioButton* modes[] = {w.Option1, w.Option2, w.Option3, w.Option4};
  const char* names[] = {"mode0_wiggle_filled", "mode6_wiggle", "mode5_variable_area", "mode2_two_colour"};
  for (int m = 0; m < 4; ++m) {
    modes[m]->click();
    QApplication::processEvents();
    w.grab().save(QString::fromStdString(out + "/korvan_shot_" + names[m] + ".png"));
  }
  return 0;
}
