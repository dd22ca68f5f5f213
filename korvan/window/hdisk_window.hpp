#pragma once
// The disk-space window `HDisk`, "Hard disk info": free and total kilobytes of
// the data disk, the free percentage, a warning when it is nearly full, and a
// pie of free (blue) against used (red) space. A click closes it.
#include <QWidget>

class QPlainTextEdit;

namespace keld {
class PictureBox;
}

namespace keld::korvan {

class Korvan;

class HDiskWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HDiskWindow(Korvan& main);
  // Computes and shows everything, as loading the window does. A window that
  // is still open is only brought forward.
  void Open();
  QString report() const;

  QPlainTextEdit* Text1 = nullptr;
  PictureBox* Picture1 = nullptr;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void DrawPie(double free_kb, double total_kb);
  Korvan& main_;
};

}  // namespace keld::korvan
