#pragma once
// The port dialog: lists the serial ports that open, takes a port number and
// opens the board link on it. A port that does not open, or refuses
// 3,000,000 baud, is reported and the dialog stays for another choice; only
// a good port enables the program's buttons (the callback) and closes it.
#include <QDialog>

#include <functional>
#include <string>

#include "boardlink/board_link.hpp"
#include "platform/messages.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace keld::board {

struct Rs232Options {
  bool modal = true;                     // korvan waits for it; boardtest does not
  std::string title = "KORVAN QMR650B";  // of the box for a port that does not open
  int probe_first = 1;                   // the ports listed in Label1
  int probe_last = 16;
  // Continue is the dialog's default button and Enter presses it (boardtest);
  // korvan's key filter drops Enter.
  bool enter_continues = false;
};

class Rs232 : public QDialog {
  Q_OBJECT
 public:
  Rs232(BoardLink& link, MessageBoxes& messages, std::function<void()> on_opened,
        Rs232Options options = {}, QWidget* parent = nullptr);

  // Fills Label1 with " COM<n>" for every port that opens and closes.
  void Form_Load();
  // The key filter of Text1: the key code when kept, 0 when dropped.
  int Text1_KeyPress(int key_ascii);
  void Command1_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  BoardLink& link_;
  MessageBoxes& messages_;
  std::function<void()> on_opened_;
  Rs232Options options_;
  QLabel* Label1 = nullptr;
  QLineEdit* Text1 = nullptr;
  QPushButton* Command1 = nullptr;
};

}  // namespace keld::board
