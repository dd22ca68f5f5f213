// rtoaw IN.DZT OUT.txt converts on the command line; without arguments it
// shows its window, or says on standard error why it cannot.
#include <QApplication>

#include <cstdio>

#include "conversion/rtoaw/dzt.hpp"
#include "conversion/rtoaw/rtoaw_window.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/window_display.hpp"
#include "platform/signals.hpp"

namespace {
int Usage() {
  std::fputs("rtoaw - GSSI DZT radar file to comma-separated columns\n\n"
             "  rtoaw IN.DZT OUT.txt\n\n"
             "One line per sample, one column per trace, as signed values (8- and 16-bit\n"
             "samples about the middle of their range); a file of several channels gives\n"
             "OUT_ch1.txt, OUT_ch2.txt, ... Without arguments on a display, a window asks\n"
             "for the files.\n",
             stderr);
  return 1;
}
}  // namespace

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  if (argc > 1) {
    if (argc != 3) return Usage();
    keld::rtoaw::DztHeader h;
    auto names = keld::rtoaw::ConvertDzt(argv[1], argv[2], &h);
    if (!names) {
      std::fprintf(stderr, "rtoaw: %s\n", names.error().c_str());
      return 1;
    }
    std::printf("%s\n", keld::rtoaw::DescribeDzt(h).c_str());
    for (const std::string& n : *names) std::printf("%s\n", n.c_str());
    return 0;
  }
  auto app = keld::OpenWindowDisplay(argc, argv, "rtoaw");
  if (!app) return Usage();
  keld::QtDialogs dialogs;
  keld::QtMessageBoxes boxes;
  auto* w = new keld::rtoaw::RtoawWindow(dialogs, boxes);
  dialogs.set_parent(w);
  boxes.set_parent(w);
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->show();
  return app->exec();
}
