// seg2su FILE... >OUT.su converts on the command line; without arguments it
// shows its window, or says on standard error why it cannot.
#include <QApplication>

#include <cstdio>

#include "common/files.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/window_display.hpp"
#include "platform/signals.hpp"
#include "sutools/seg2su_window.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  if (argc > 1) {
    keld::UseLargeStandardBuffers();
    return keld::sutools::Seg2suMain(argc, argv, stdout, stderr);
  }
  auto app = keld::OpenWindowDisplay(argc, argv, "seg2su");
  if (!app) return keld::sutools::Seg2suMain(argc, argv, stdout, stderr);  // how to run it without one
  keld::QtDialogs dialogs;
  keld::QtMessageBoxes boxes;
  auto* w = new keld::sutools::Seg2suWindow(dialogs, boxes);
  dialogs.set_parent(w);
  boxes.set_parent(w);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  return app->exec();
}
