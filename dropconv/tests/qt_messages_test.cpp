// The on-screen boxes of dropconv, under the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "dropconv/qt_messages.hpp"

TEST(QtMessages, ShowsTheTextWithItsTitle) {
  int argc = 1;
  char name[] = "dropconv";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  keld::dropconv::QtMessages boxes(argc, argv);
  QString text, title;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        text = box->text();
        title = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
      }
  });
  boxes.ok("Error 0x000200", keld::MsgIcon::None, "dropconv");
  EXPECT_EQ(text, "Error 0x000200");
  EXPECT_EQ(title, "dropconv");
}
