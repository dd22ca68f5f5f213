#pragma once
// The SU joining window `Add_SU_files`: pick the SU files of one line, see the
// shape of the first, name the output, join them one after the other, and
// delete the single files once they are safely in the output. Shown without
// blocking the main window.
#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::korvan {

class Korvan;
struct AfficheFileResult;

class AddSuFilesWindow : public QWidget {
  Q_OBJECT
 public:
  explicit AddSuFilesWindow(Korvan& main);
  // Shows the window; one that is open is only brought forward.
  void Open();

  // A pick in the old dialog form ("folder name name ...") or as full paths:
  // fills the list and the shape boxes and proposes the output name.
  void Affiche_file(const std::string& dialog_result);
  void Affiche_files(const std::vector<std::string>& paths);

  void Command1_Click();  // pick the files
  void Command2_Click();  // join
  void Command6_Click();  // help

  QPushButton* Command1 = nullptr;
  QListWidget* List1 = nullptr;
  QLineEdit *Text4 = nullptr, *Text5 = nullptr, *Text9 = nullptr;
  QCheckBox* Check1 = nullptr;
  QPushButton* Command4 = nullptr;
  QLineEdit* Text2 = nullptr;
  QPushButton *Command2 = nullptr, *Command6 = nullptr;
  QLineEdit* Text10 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 private:
  void Show(const AfficheFileResult& r);
  void Pointers(bool busy);
  Korvan& main_;
  WorkGuard* work_ = nullptr;
};

}  // namespace keld::korvan
