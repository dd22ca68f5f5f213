#include "korvan/window/folder_window.hpp"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "korvan/window/main_window.hpp"

namespace keld::korvan {

FolderWindow::FolderWindow(Korvan& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("Folder_loc");
  setWindowTitle("Data folder");
  auto* v = new QVBoxLayout(this);
  Label1 = new QLabel("Data folder location", this);
  Label1->setObjectName("Label1");
  Drive1 = new QComboBox(this);
  Drive1->setObjectName("Drive1");
  for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
    if (!s.isValid() || !s.isReady()) continue;
    QString root = s.rootPath();
    if (root.startsWith("/proc") || root.startsWith("/sys") || root.startsWith("/dev") || root.startsWith("/run"))
      continue;
    Drive1->addItem(root);
  }
  if (Drive1->findText(QDir::homePath()) < 0) Drive1->addItem(QDir::homePath());
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath("/");
  Dir1 = new QTreeView(this);
  Dir1->setObjectName("Dir1");
  Dir1->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) Dir1->hideColumn(c);
  Dir1->header()->hide();
  Dir1->setMinimumSize(300, 260);
  Command1 = new QPushButton("OK and EXIT", this);
  Command1->setObjectName("Command1");
  v->addWidget(Label1);
  v->addWidget(Drive1);
  v->addWidget(Dir1, 1);
  v->addWidget(Command1);
  set_path(QDir::currentPath());
  connect(Drive1, &QComboBox::currentIndexChanged, this, [this](int) { Drive1_Change(); });
  // The folder the list shows as current, however it got there: a click, the
  // arrow keys, typing its name.
  connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) {
            if (i.isValid()) current_ = model_->filePath(i);
          });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

QString FolderWindow::path() const { return current_; }

void FolderWindow::set_path(const QString& folder) {
  current_ = QDir::cleanPath(folder);
  QModelIndex i = model_->index(current_);
  if (i.isValid()) {
    Dir1->setCurrentIndex(i);
    Dir1->scrollTo(i);
  }
}

void FolderWindow::Open() {
  show();
  raise();
}

void FolderWindow::Drive1_Change() {
  QString root = Drive1->currentText();
  if (QDir(root).exists()) set_path(root);
}

void FolderWindow::Command1_Click() {
  QString p = path();
  if (!p.endsWith('/')) p += '/';
  // The folder becomes the data folder only when the operator says Yes.
  if (main_.sv.msg.yes("Data will be recorded in the folder " + p.toStdString(), MsgIcon::None,
                       Korvan::kTitle)) {
    main_.Text7->setText(p);  // its change rule sets the data folder
    hide();
  }
}

}  // namespace keld::korvan
