#pragma once
// The main window `excelf`, "Header value  display": the SU file, the range of
// traces, the words for the spreadsheet and the choice of editor (the
// spreadsheet program or the grid window `grille`).
#include <QWidget>

#include <memory>
#include <string>

#include "keysheet/window/keysheet_state.hpp"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace keld::keysheet {

class Grille;

class Excelf : public QWidget {
  Q_OBJECT
 public:
  Excelf(KeysheetState& st, KeysheetServices& sv);
  ~Excelf() override;

  // Start-up with the whole command-line argument text as the SU path
  // (empty: no file yet).
  void Form_Load(const std::string& argument);

  // The file dialog and the file summary (File button, double-click on Text1).
  bool lit_fichier();  // whether a file was taken
  // Makes `path` the file of the program: reads its summary, shows it in Text1
  // and resets the range. A file that is no SU file is refused with a message
  // and changes nothing. Returns whether it was taken.
  bool Prend_fichier(const std::string& path);
  // Appends the 86 selection-list lines to Combo1.
  void Texte_Combo();
  // Opens the help page of the program, or says that it is missing.
  void Aide();

  void Command1_Click();
  void Command2_Click();
  void Command4_Click();
  void Command5_Click();
  void Check1_Click();
  void Combo1_Click(int position);
  void Option1_Click();
  void Option2_Click();
  void Text2_Change();
  void Text3_Change();

  // The spreadsheet transfer of the chosen words.
  void Transfert_Tableur();

  Grille* grid_window() const { return grille_.get(); }
  bool grid_editor() const;

  KeysheetState& st;
  KeysheetServices& sv;

  QLineEdit* Text1;
  QPushButton* Command1;
  QLabel* Label1;
  QLineEdit* Text2;
  QLabel* Label2;
  QLineEdit* Text3;
  QGroupBox* Frame1;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QGroupBox* Frame2;
  QCheckBox* Check1;
  QComboBox* Combo1;
  QLabel* Label3;
  QLineEdit* Text4;
  QPushButton* Command2;
  QPushButton* Command4;
  QPushButton* Command5;
  QProgressBar* ProgressBar1;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void SetBox(QLineEdit* box, const QString& text);  // sets a range box and runs its rule
  std::unique_ptr<Grille> grille_;
  bool in_rule_ = false;
};

}  // namespace keld::keysheet
