#pragma once
// Helpers of the tests of the tools on the seismogram: a shot recorded on the
// simulator through the shot button, the noise monitor run until a condition
// holds, pixel counts on Ecran, and screenshots when KELD_SCREENSHOTS names a
// folder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "boardlink/board_link.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan::testing {

// Opens port 1 on whatever port the window was given, as the port dialog
// would, and enables the shot and noise buttons.
inline bool OpenPort(Korvan& w) {
  if (!w.link().open_port(1)) {
    ADD_FAILURE() << "port 1: " << w.link().error();
    return false;
  }
  w.Command10->setEnabled(true);
  w.Command6->setEnabled(true);
  return true;
}

// One shot of `channels` channels of 1024 samples at 2000 Hz through the shot
// button; the raw shot is drawn on Ecran afterwards.
inline void Shoot(Korvan& w, int channels = 24) {
  w.Total_Channel->setText(QString::number(channels));
  w.Sample_rate->setCurrentIndex(2);  // 512 us: 2000 Hz
  w.Nb_Sample->setCurrentIndex(2);    // 1024
  w.Command10->click();
}

// Runs "SHOW Noise" and presses "STOP Noise" once `until` holds (checked
// every 10 ms while the monitor runs) or after `limit_ms`. Returns whether
// `until` held; the monitor has ended when it returns.
inline bool RunMonitor(Korvan& w, const std::function<bool()>& until, int limit_ms = 20000,
                       double* stop_seconds = nullptr) {
  bool reached = false;
  const auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point stopped;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!w.Command5->isEnabled()) return;
    bool late = std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limit_ms);
    if (!late && !until()) return;
    reached = !late;
    timer.stop();
    stopped = std::chrono::steady_clock::now();
    w.Command5->click();
  });
  timer.start();
  w.Command6->click();
  if (stop_seconds)
    *stop_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count();
  return reached;
}

inline bool IsRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; }

// Red pixels of a picture in the columns x0 .. x1 (pixels).
inline int RedPixels(const QImage& img, int x0, int x1) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = std::max(0, x0); x <= std::min(img.width() - 1, x1); ++x)
      if (IsRed(img.pixel(x, y))) ++n;
  return n;
}

// Red pixels of Ecran's temporary layer within `r` pixels of a user point.
inline int RedOverlayNear(const PictureBox& pb, double x, double y, int r = 3) {
  QPointF p = pb.ToPixel(x, y);
  const QImage& ov = pb.overlay();
  int n = 0;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) {
      int px = static_cast<int>(p.x()) + dx, py = static_cast<int>(p.y()) + dy;
      if (px < 0 || py < 0 || px >= ov.width() || py >= ov.height()) continue;
      QRgb c = ov.pixel(px, py);
      if (qAlpha(c) > 0 && IsRed(c)) ++n;
    }
  return n;
}

inline void Screenshot(QWidget* w, const std::string& name) {
  const char* dir = std::getenv("KELD_SCREENSHOTS");
  if (!dir || !*dir) return;
  std::string path = std::string(dir) + "/" + name;
  EXPECT_TRUE(w->grab().save(QString::fromStdString(path))) << path;
}

}  // namespace keld::korvan::testing
