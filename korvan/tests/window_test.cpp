// The main window driven by its control names: start-up defaults, settings
// written at quit and read at the next start, absurd settings, parameters,
// key filters, geometry, record numbering, languages and tabs.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QFileSystemModel>
#include <QTreeView>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "common/profile.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/window/units_window.hpp"
#include "korvan/window/folder_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

void TypeKey(QWidget* w, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
}

void WriteIni(KorvanHarness& h, const std::string& text) { keld::testing::WriteText(h.ini(), text); }

}  // namespace

TEST(KorvanStartup, NoSettingsFileGivesEveryDefault) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  EXPECT_EQ(Text(&w, "Text19"), "10");
  EXPECT_EQ(Text(&w, "Text15"), "10");
  EXPECT_EQ(Text(&w, "Text23"), "0");
  EXPECT_EQ(Text(&w, "sx"), "0");
  EXPECT_EQ(Text(&w, "Text24"), "0");
  EXPECT_EQ(Text(&w, "fr"), "10");
  EXPECT_EQ(Text(&w, "Text2"), "FILE");
  EXPECT_EQ(Text(&w, "Text3"), "1000");
  EXPECT_EQ(h.state.Freq_Campionamento, 250);
  EXPECT_EQ(Text(&w, "Sample_rate"), "4096");
  EXPECT_EQ(Text(&w, "F_camp"), "250");
  EXPECT_EQ(Text(&w, "Nb_Sample"), "1024");
  EXPECT_EQ(h.state.Nb_Campioni, 1024);
  EXPECT_EQ(Text(&w, "Rec_time"), "4.096");  // 1024 samples at 250 Hz (every 4000 us)
  EXPECT_EQ(h.state.Couleur_Remplissage, 0u);
  EXPECT_EQ(h.state.Couleur_Positive, 255u);
  EXPECT_EQ(h.state.Couleur_Negative, 16711680u);
  EXPECT_EQ(Text(&w, "Ingrandimento"), "2");
  EXPECT_EQ(Text(&w, "LC1"), "10");
  EXPECT_EQ(Text(&w, "LC2"), "20");
  EXPECT_EQ(Text(&w, "HC1"), "8000");
  EXPECT_EQ(Text(&w, "HC2"), "16000");
  EXPECT_EQ(Text(&w, "AGC"), "0");
  for (int k = 1; k <= 47; ++k) EXPECT_EQ(w.units()->box_text(k), QString::number(k));
  EXPECT_EQ(w.units()->box_text(48), "248");
  EXPECT_EQ(h.state.Tabella_Indirizzi[48], 248);
  EXPECT_TRUE(w.Option5->isChecked());
  EXPECT_EQ(h.state.Polarita_Trigger, 0);
  // "board" (1) comes after "Recording1" (12).
  EXPECT_EQ(Text(&w, "Total_Channel"), "1");
  EXPECT_EQ(h.state.Nb_Canali, 1);
  EXPECT_FALSE(w.item("Lang_Eng")->isChecked());
  EXPECT_FALSE(w.item("Lang_FR")->isChecked());
  EXPECT_FALSE(w.item("Lang_it")->isChecked());
  EXPECT_EQ(w.SSTab1->tabText(0), "Shot display");
  EXPECT_EQ(w.SSTab1->currentIndex(), 1);
  // The data folder is always the work folder's DATA, made at start-up.
  EXPECT_EQ(Text(&w, "Text7").toStdString(), d.path() + "/work/DATA");
  EXPECT_TRUE(std::filesystem::is_directory(d.path() + "/work/DATA"));
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.shown[0].text;
}

TEST(KorvanStartup, SettingsWrittenAtQuitComeBackAtTheNextStart) {
  TempDir d;
  {
    KorvanHarness h(d.path());
    Korvan& w = h.start();
    w.Text19->setText("7");
    w.Text15->setText("2.5");
    w.fr->setText("-5");
    w.sx->setText("12");
    w.Text2->setText("AB");
    w.Text3->setText("1234");
    w.Total_Channel->setText("12");
    w.Sample_rate->setCurrentIndex(3);   // 1024 us, 1000 Hz
    w.Nb_Sample->setCurrentIndex(3);     // 2048
    w.Option6->setChecked(true);
    w.units()->set_box_text(3, "77");
    w.LC2->setText("25");
    w.set_language(2);
    h.messages.answer(MsgAnswer::Yes);
    w.sortie();
    EXPECT_EQ(h.messages.shown.back().text, "Do you want to quit KORVAN QMR650B");
  }
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  EXPECT_EQ(Text(&w, "Text19"), "7");
  EXPECT_EQ(Text(&w, "Text15"), "2.5");
  EXPECT_EQ(Text(&w, "fr"), "-5");
  EXPECT_EQ(Text(&w, "sx"), "12");
  EXPECT_EQ(Text(&w, "Text2"), "AB");
  EXPECT_EQ(Text(&w, "Text3"), "1235");  // written one higher
  EXPECT_EQ(Text(&w, "Total_Channel"), "12");
  EXPECT_EQ(Text(&w, "Sample_rate"), "1024");
  EXPECT_EQ(h.state.Freq_Campionamento, 1000);
  EXPECT_EQ(Text(&w, "Nb_Sample"), "2048");
  EXPECT_EQ(Text(&w, "Rec_time"), "2.048");  // 2048 samples at 1000 Hz
  EXPECT_TRUE(w.Option6->isChecked());
  EXPECT_EQ(h.state.Polarita_Trigger, 1);
  EXPECT_EQ(w.units()->box_text(3), "77");
  EXPECT_EQ(Text(&w, "LC2"), "25");
  EXPECT_TRUE(w.item("Lang_FR")->isChecked());
  EXPECT_EQ(w.SSTab1->tabText(3), QString::fromUtf8("G\xC3\xA9om\xC3\xA8trie"));
  // The file keeps the writer's spellings.
  std::string ini = keld::testing::ReadText(h.ini());
  EXPECT_NE(ini.find("Rec_file1=AB"), std::string::npos);
  EXPECT_NE(ini.find("Break=False"), std::string::npos);
}

TEST(KorvanStartup, AbsurdSettingsGiveAUsableWindow) {
  TempDir d;
  KorvanHarness h(d.path());
  WriteIni(h,
           "[korvan]\r\nRecording1=abc\r\nRecording3=16000\r\nRecording4=777\r\nRecording5=zz\r\n"
           "board=-3\r\nUnit5=300\r\nUnit6=-1\r\nUnit7=12.5\r\nEnlarge=0\r\nlangue=4\r\nBreak=maybe\r\n"
           "Color1=xyz\r\nGeometry2=0\r\n");
  Korvan& w = h.start();
  EXPECT_EQ(Text(&w, "Nb_Sample"), "1024");        // a count not offered
  EXPECT_EQ(h.state.Nb_Campioni, 1024);
  EXPECT_EQ(Text(&w, "Sample_rate"), "512");       // 16000 Hz is not offered
  EXPECT_EQ(h.state.Freq_Campionamento, 2000);
  EXPECT_EQ(Text(&w, "Rec_time"), "0.512");        // recomputed, not "zz": 1024 at 2000 Hz
  EXPECT_EQ(w.units()->box_text(5), "5");          // outside a byte: refused
  EXPECT_EQ(w.units()->box_text(6), "6");
  EXPECT_EQ(w.units()->box_text(7), "7");
  EXPECT_EQ(h.state.Nb_Canali, 0);                 // a negative count counts as none
  EXPECT_EQ(w.FrizGrid->Cols(), 0);
  EXPECT_EQ(h.state.Gain_Affichage, 1.0f);         // a zero gain becomes 1
  EXPECT_TRUE(w.Option5->isChecked() != w.Option6->isChecked());
  EXPECT_FALSE(w.item("Lang_FR")->isChecked() || w.item("Lang_it")->isChecked() || w.item("Lang_Eng")->isChecked());
  // Spacing 0: the receivers all sit at fr and the stations keep their texts.
  EXPECT_EQ(Text(&w, "lr"), Text(&w, "fr"));
  // The shot refuses the channel count.
  w.Command10->setEnabled(true);
  w.Command10_Click();
  EXPECT_TRUE(h.messages.saw("Check the number of boards"));
  EXPECT_TRUE(w.Command10->isEnabled());
  EXPECT_EQ(w.SSTab1->currentIndex(), 1);
}

TEST(KorvanParameters, RulesOfTheBoxes) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Sample_rate->setCurrentIndex(0);
  EXPECT_EQ(Text(&w, "F_camp"), "8000");
  EXPECT_EQ(Text(&w, "Rec_time"), "0.128");  // 1024 samples at 8000 Hz (every 125 us)
  EXPECT_TRUE(w.F400->isChecked());
  EXPECT_FALSE(w.F30->isEnabled());
  w.Sample_rate->setCurrentIndex(3);
  EXPECT_EQ(Text(&w, "F_camp"), "1000");
  EXPECT_TRUE(w.F60->isChecked());
  EXPECT_TRUE(w.F200->isEnabled());
  w.Sample_rate->setCurrentIndex(5);
  EXPECT_TRUE(w.F30->isChecked());
  w.Nb_Sample->setCurrentIndex(6);  // 10922
  EXPECT_EQ(Text(&w, "Rec_time"), "43.688");  // 10922 samples at 250 Hz
  w.Total_Channel->setText("30");
  EXPECT_EQ(Text(&w, "Total_Channel"), "24");
  EXPECT_EQ(h.state.Nb_Canali, 24);
  EXPECT_EQ(w.FrizGrid->Cols(), 24);
  EXPECT_EQ(w.FrizGrid->TextMatrix(0, 0), "A  1");
  w.Total_Channel->setText("7");
  EXPECT_EQ(h.state.Nb_Tracce, 7);
  w.Total_Channel->setText("");
  EXPECT_EQ(h.state.Nb_Tracce, 7);
  w.Nb_Sample->setCurrentIndex(2);  // 1024
  w.Text14->setText("600");
  EXPECT_EQ(Text(&w, "Text14"), "512");
  w.Nb_Sample->setCurrentIndex(0);  // 256
  w.Text14->setText("600");
  EXPECT_EQ(Text(&w, "Text14"), "128");
  w.Text3->setText("999");
  EXPECT_EQ(Text(&w, "Text3"), "1000");
  w.Text3->setText("4567");
  EXPECT_EQ(Text(&w, "rn"), "4567");
  w.Text2->setText("A B");
  // Blanks leave the root, never the folder; folder and name join as a path.
  w.Text7->setText("/my data");
  w.Text3->setText("1001");
  EXPECT_EQ(h.state.Nome_Attivo, "/my data/AB1001.SU");
  EXPECT_EQ(Text(&w, "Text5"), "/my data/AB1001.SU");
  EXPECT_EQ(Text(&w, "Text6"), "/my data/AB1001.SU");
}

TEST(KorvanParameters, KeyFiltersOfTheNumericBoxes) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Total_Channel->clear();
  w.Total_Channel->setFocus();
  TypeKey(w.Total_Channel, Qt::Key_A, "a");
  TypeKey(w.Total_Channel, Qt::Key_Period, ".");
  EXPECT_EQ(h.beeps, 2);
  TypeKey(w.Total_Channel, Qt::Key_7, "7");
  EXPECT_EQ(Text(&w, "Total_Channel"), "7");
  TypeKey(w.Total_Channel, Qt::Key_Backspace, "\b");
  EXPECT_EQ(Text(&w, "Total_Channel"), "");
  w.Text19->clear();
  TypeKey(w.Text19, Qt::Key_Period, ".");
  TypeKey(w.Text19, Qt::Key_5, "5");
  EXPECT_EQ(Text(&w, "Text19"), ".5");
  int before = h.beeps;
  TypeKey(w.Text23, Qt::Key_Period, ".");
  TypeKey(w.Text3, Qt::Key_Return, "\r");
  EXPECT_EQ(h.beeps, before + 2);
  // The geometry grid filters what is typed into its cells.
  int key = 'x';
  emit w.GeoGrid->keyFilter(key);
  EXPECT_EQ(key, 0);
  key = '5';
  emit w.GeoGrid->keyFilter(key);
  EXPECT_EQ(key, '5');
  // The root takes any key.
  w.Text2->clear();
  TypeKey(w.Text2, Qt::Key_Q, "q");
  EXPECT_EQ(Text(&w, "Text2"), "q");
}

TEST(KorvanGeometry, GridAndDerivedBoxesWorkedByHand) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Total_Channel->setText("24");
  w.Text15->setText("5");
  w.sx->setText("1");
  w.sx->setText("0");
  w.fr->setText("2.5");
  EXPECT_EQ(Text(&w, "lr"), "117.5");
  EXPECT_EQ(Text(&w, "offset"), "2.5");
  EXPECT_EQ(Text(&w, "Text11"), "0");   // 0.5 to the even neighbour
  EXPECT_EQ(Text(&w, "Text18"), "24");  // 23.5 to 24
  EXPECT_EQ(Text(&w, "Text17"), "0");
  ASSERT_EQ(w.GeoGrid->Cols(), 25);
  ASSERT_EQ(w.GeoGrid->Rows(), 3);
  EXPECT_EQ(w.GeoGrid->TextMatrix(1, 0), "Distance along the line (m)");
  EXPECT_EQ(w.GeoGrid->TextMatrix(2, 0), "Shot geophone distance (m)");
  EXPECT_EQ(w.GeoGrid->TextMatrix(0, 1), "1");
  EXPECT_EQ(w.GeoGrid->TextMatrix(1, 1), "2.5");
  EXPECT_EQ(w.GeoGrid->TextMatrix(2, 1), "2.5");
  EXPECT_EQ(w.GeoGrid->TextMatrix(1, 24), "117.5");
  // What a shot takes into channel 1's header.
  ShotParams p = w.shot_params();
  SuTraceHeader h1 = Ecrit_Entete_Trace(p.header, 1);
  EXPECT_EQ(h1.offset, 2);
  EXPECT_EQ(h1.gx, 2);
  EXPECT_EQ(h1.cdp, 1);
  EXPECT_EQ(h1.sx, 0);
  SuTraceHeader h24 = Ecrit_Entete_Trace(p.header, 24);
  EXPECT_EQ(h24.gx, 118);      // 117.5 to the even neighbour
  EXPECT_EQ(h24.offset, 118);
  EXPECT_EQ(h24.cdp, 59);      // (0 + 118) / 2
  // A shot inside the spread: negative offsets before it.
  w.sx->setText("50");
  p = w.shot_params();
  EXPECT_EQ(Ecrit_Entete_Trace(p.header, 1).offset, -48);   // 2.5 - 50 = -47.5 -> -48
  EXPECT_EQ(Ecrit_Entete_Trace(p.header, 1).cdp, -19);      // (10 + -48) / 2
  EXPECT_EQ(Text(&w, "Text17"), "10");
  // The plan's tool tip.
  w.plan_MouseMove(12.34, 0);
  EXPECT_EQ(w.plan->toolTip(), "  12.3 m ");
}

TEST(KorvanNumbering, BothLimits) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Text19->setText("5");
  w.Text15->setText("2");
  w.Text23->setText("3");
  w.sx->setText("0");
  w.fr->setText("10");
  w.Text3->setText("9999");
  w.Record_Suivant();
  EXPECT_TRUE(h.messages.saw("Maximum 9999 records"));
  EXPECT_EQ(Text(&w, "Text3"), "9999");
  EXPECT_EQ(Text(&w, "sx"), "5");
  EXPECT_EQ(Text(&w, "fr"), "16");
  w.Text3->setText("1000");
  w.Record_Precedent();
  EXPECT_TRUE(h.messages.saw("Minimum record number =1000"));
  EXPECT_EQ(Text(&w, "Text3"), "1000");
  EXPECT_EQ(Text(&w, "sx"), "0");
  EXPECT_EQ(Text(&w, "fr"), "10");
  h.messages.clear();
  w.Command3->click();  // ">>"
  EXPECT_EQ(Text(&w, "Text3"), "1001");
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(Text(&w, "Text5").toStdString(), d.path() + "/work/DATA/FILE1001.SU");
}

TEST(KorvanMenus, LanguageChecksChangeNoCaptionWhileRunning) {
  TempDir d;
  KorvanHarness h(d.path());
  WriteIni(h, "[korvan]\nlangue=3\n");
  Korvan& w = h.start();
  EXPECT_TRUE(w.item("Lang_it")->isChecked());
  EXPECT_EQ(w.SSTab1->tabText(0), "Apertura del file");
  EXPECT_EQ(w.SSTab1->tabText(1), "Parametri di registratione");
  w.item("Lang_Eng")->trigger();
  EXPECT_TRUE(w.item("Lang_Eng")->isChecked());
  EXPECT_FALSE(w.item("Lang_it")->isChecked());
  EXPECT_EQ(w.SSTab1->tabText(0), "Apertura del file");
  // The language submenu and the items of later windows are disabled.
  EXPECT_FALSE(w.item("Lang")->isEnabled());
  EXPECT_FALSE(w.item("SU2SEGD")->isEnabled());
  EXPECT_FALSE(w.item("CB")->isEnabled());
  EXPECT_EQ(w.item("Load_file")->shortcut(), QKeySequence("Ctrl+R"));
  EXPECT_EQ(w.item("addsu")->text(), "Add  SU files together");
  EXPECT_EQ(w.item("save_file")->text(), "Delete current SU file");
}

TEST(KorvanMenus, ToolbarRefusedDuringTheNoiseMonitor) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  h.state.Monitor_Actif = -1;
  w.Toolbar1_ButtonClick("loupe");
  EXPECT_TRUE(h.messages.saw("Impossible while noise monitor is running"));
  EXPECT_EQ(h.state.Mode_Zoom, 0);
  h.state.Monitor_Actif = 0;
  w.Toolbar1_ButtonClick("loupe");
  EXPECT_EQ(h.state.Mode_Zoom, 1);
  w.Toolbar1_ButtonClick("combo1");  // the placeholder does nothing
  ASSERT_EQ(w.toolbar_buttons.size(), 12u);
  EXPECT_EQ(w.toolbar_buttons["filter"]->toolTip(), "Filter + GAIN then display the file ");
}

TEST(KorvanWindow, MinimumSizeAndClosing) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.resize(100, 100);
  EXPECT_GE(w.width(), 600);
  EXPECT_GE(w.height(), 493);
  // The window's own close asks nothing and writes no settings.
  w.close();
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(h.ini()));
}

TEST(KorvanStartup, ClosedDuringItsStartUpTheProgramEnds) {
  // A start-up left alone hands control to the window system a few times
  // (the two pauses among them), then shows the port dialog.
  long hand_overs = 0;
  {
    TempDir d;
    KorvanHarness h(d.path());
    int port_dialogs = 0;
    h.services.show_port_dialog = [&] { ++port_dialogs; };
    h.window = std::make_unique<Korvan>(h.state, h.services);
    EXPECT_TRUE(h.window->Startup());
    hand_overs = h.pump.passes;
    EXPECT_EQ(port_dialogs, 1);
  }
  ASSERT_GE(hand_overs, 2);
  // Closed (or END answered Yes) at any of them: no port dialog for a
  // closed program, and the start-up says the program ends.
  for (bool end : {false, true}) {
    for (long at = 1; at <= hand_overs; ++at) {
      SCOPED_TRACE(std::string(end ? "END" : "close box") + " at hand-over " + std::to_string(at));
      TempDir d;
      KorvanHarness h(d.path());
      int port_dialogs = 0;
      h.services.show_port_dialog = [&] { ++port_dialogs; };
      h.window = std::make_unique<Korvan>(h.state, h.services);
      Korvan& w = *h.window;
      h.pump.hook = [&] {
        if (h.pump.passes != at) return;
        if (end) w.sortie();
        else w.close();
      };
      EXPECT_FALSE(w.Startup());
      EXPECT_EQ(port_dialogs, 0);
      EXPECT_FALSE(w.isVisible());
    }
  }
}

TEST(KorvanWindow, DiskSpaceAndDataFolderWindows) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.item("HD")->trigger();
  QWidget* hdisk = nullptr;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (t->objectName() == "HDisk") hdisk = t;
  ASSERT_NE(hdisk, nullptr);
  QString report = hdisk->findChild<QPlainTextEdit*>("Text1")->toPlainText();
  EXPECT_TRUE(report.startsWith("INFO ON DRIVE: "));
  EXPECT_TRUE(report.contains("Free Space Percentage: "));
  // Data folder: No changes nothing, Yes takes the folder.
  QWidget* folder = nullptr;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (t->objectName() == "Folder_loc") folder = t;
  ASSERT_NE(folder, nullptr);
  w.Command1->click();
  auto* fw = static_cast<FolderWindow*>(folder);
  fw->set_path(QString::fromStdString(d.path()));
  std::string before = h.state.Dossier_Data;
  h.messages.answer(MsgAnswer::No);
  fw->Command1_Click();
  EXPECT_EQ(h.state.Dossier_Data, before);
  EXPECT_TRUE(fw->isVisible());
  h.messages.answer(MsgAnswer::Yes);
  fw->Command1_Click();
  EXPECT_EQ(h.state.Dossier_Data, d.path() + "/");
  EXPECT_EQ(h.messages.last().text, "Data will be recorded in the folder " + d.path() + "/");
  EXPECT_FALSE(fw->isVisible());
  // A folder reached with the keyboard (the list's current item moves, no
  // click) is the one taken.
  std::filesystem::create_directories(d.path() + "/by keys");
  auto* model = static_cast<QFileSystemModel*>(fw->Dir1->model());
  fw->Dir1->setCurrentIndex(model->index(QString::fromStdString(d.path() + "/by keys")));
  fw->Command1_Click();
  EXPECT_EQ(h.state.Dossier_Data, d.path() + "/by keys/");
}
