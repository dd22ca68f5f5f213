#include "korvan/window/hdisk_window.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>

#include "korvan/engine/disk_space.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

HDiskWindow::HDiskWindow(Korvan& main) : QWidget(nullptr, Qt::Window), main_(main) {
  setObjectName("HDisk");
  setWindowTitle("Hard disk info");
  auto* h = new QHBoxLayout(this);
  Text1 = new QPlainTextEdit(this);
  Text1->setObjectName("Text1");
  Text1->setReadOnly(true);
  Text1->setToolTip("click to quit");
  Text1->setMinimumWidth(300);
  Picture1 = new PictureBox(this);
  Picture1->setObjectName("Picture1");
  Picture1->setToolTip("Click to quit");
  Picture1->setFixedSize(160, 160);
  h->addWidget(Text1);
  h->addWidget(Picture1);
  Text1->viewport()->installEventFilter(this);
  Picture1->installEventFilter(this);
}

QString HDiskWindow::report() const { return Text1->toPlainText(); }

void HDiskWindow::Open() {
  if (isVisible()) {
    raise();
    return;
  }
  // The disk that matters is the one the records go to.
  std::string folder = main_.st.Dossier_Data.empty() ? std::string(".") : main_.st.Dossier_Data;
  auto d = QueryDiskSpace(folder);
  uint64_t free_kb = d ? d->free_bytes / 1024 : 0;
  uint64_t total_kb = d ? d->total_bytes / 1024 : 0;
  int pct = d ? FreePercentage(d->free_bytes, d->total_bytes) : 0;
  std::string r = DiskReport(d ? d->mount_point : folder, free_kb, total_kb, pct);
  Text1->setPlainText(QString::fromStdString(r).replace("\r\n", "\n"));
  show();
  DrawPie(static_cast<double>(free_kb), static_cast<double>(total_kb));
}

void HDiskWindow::DrawPie(double free_kb, double total_kb) {
  PictureBox& p = *Picture1;
  p.Scale(0, 0, 100, 100);
  p.Cls();
  if (total_kb <= 0) return;
  p.Fill = PictureBox::FillStyle::Solid;
  p.FillColor = 255;
  p.Circle(50, 50, 35, 255);
  double angle = 2 * 3.14159265358979 * free_kb / total_kb;
  if (angle > 0.002) {
    p.FillColor = 16711680;
    // A whole free disk is a whole blue disc.
    if (angle >= 2 * 3.14159265358979 - 0.001)
      p.Circle(50, 50, 35, 16711680);
    else
      p.Arc(50, 50, 35, 16711680, 0.001, angle, true);
  }
  p.Fill = PictureBox::FillStyle::Transparent;
  p.Circle(50, 50, 35, 0);
}

bool HDiskWindow::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::MouseButtonPress) {
    hide();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

}  // namespace keld::korvan
