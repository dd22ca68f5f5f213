#pragma once
// The data-folder window `Folder_loc`: a drive list (`Drive1`: the mounted
// file systems), a folder list (`Dir1`), and "OK and EXIT", which asks before
// the chosen folder becomes the data folder.
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace keld::korvan {

class Korvan;

class FolderWindow : public QWidget {
  Q_OBJECT
 public:
  explicit FolderWindow(Korvan& main);
  void Open();
  QString path() const;                 // the folder of Dir1
  void set_path(const QString& folder);
  void Drive1_Change();
  void Command1_Click();

  QComboBox* Drive1 = nullptr;
  QTreeView* Dir1 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* Command1 = nullptr;

 private:
  Korvan& main_;
  QFileSystemModel* model_ = nullptr;
  QString current_;
};

}  // namespace keld::korvan
