#pragma once
// The window `Add_SU_files` of conversion: pick SU files, name the output,
// and join them one after the other into it (the suite's one join, which
// deletes an input, when asked, only once the output holds its bytes). A
// selection of more than 99 files takes the first 99 and says so, then and
// first again after each join of it, which is then never "OK".
#include <QWidget>

#include <string>
#include <vector>

#include "conversion/shell/context.hpp"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace keld {
class WorkGuard;
}

namespace keld::conversion {

class AddSuWindow : public QWidget {
  Q_OBJECT
 public:
  AddSuWindow(ConversionContext& cx, QWidget* parent);

  // Lists the picked files, proposes the output and shows the first's shape.
  void Affiche_file(const std::vector<std::string>& paths);
  void Command1_Click();  // pick
  void Command2_Click();  // join

  QPushButton *Command1 = nullptr, *Command2 = nullptr;
  QListWidget* List1 = nullptr;
  QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr, *Text9 = nullptr,
            *Text10 = nullptr;
  QCheckBox* Check1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

 private:
  ConversionContext& cx_;
  WorkGuard* work_ = nullptr;
  std::string selection_left_out_;  // what the last selection left out past 99 files ("" for none)
};

}  // namespace keld::conversion
