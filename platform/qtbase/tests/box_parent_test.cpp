// Boxes and dialogs belong to the window the user works in, so that showing
// one does not bring the program's main window in front of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include "platform/qtbase/dialogs.hpp"

namespace keld {
namespace {

TEST(BoxParent, AFileDialogIsOwnedByTheActiveWindowNotTheMainOne) {
  QWidget main;
  main.show();
  QWidget work(&main, Qt::Window);
  work.show();
  for (int i = 0; i < 500 && QApplication::activeWindow() != &work; ++i) {
    work.activateWindow();
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_EQ(QApplication::activeWindow(), &work);
  QWidget* owner = nullptr;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      owner = d->parentWidget();
      d->reject();
    }
  });
  poll.start(5);
  QtDialogs dialogs(&main);
  EXPECT_FALSE(dialogs.open_file({"SU file selection", "/", "SU|*.SU|", "*.SU", true}));
  EXPECT_EQ(owner, &work);
}

}  // namespace
}  // namespace keld
