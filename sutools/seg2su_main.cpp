// seg2su FILE... >OUT.su converts on the command line; without arguments it
// shows its window.
#include <QApplication>

#include <cstdio>

#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "sutools/seg2su_window.hpp"
#include "common/files.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  if (argc > 1 || !keld::QtMessageBoxes::HasDisplay()) {
    keld::UseLargeStandardBuffers();
    return keld::sutools::Seg2suMain(argc, argv, stdout, stderr);
  }
  QApplication app(argc, argv);
  keld::sutools::Seg2suWindow* w = nullptr;
  keld::QtDialogs dialogs;
  keld::QtMessageBoxes boxes;
  w = new keld::sutools::Seg2suWindow(dialogs, boxes);
  dialogs.set_parent(w);
  boxes.set_parent(w);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  return app.exec();
}
