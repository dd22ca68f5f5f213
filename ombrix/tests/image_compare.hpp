#pragma once
// Two renderings of one page at one resolution compared with room for
// anti-aliasing: over their common size (a rasteriser may round the page up by
// a dot), averaged over 4 x 4 blocks of grey; the blocks may differ a little
// everywhere and a lot almost nowhere.
#include <QImage>

#include <cmath>
#include <cstdio>

namespace keld::ombrix::testing {

inline bool SameImage(const QImage& a0, const QImage& b0, double mean_limit = 3.0, double big_share = 0.01) {
  const QSize size = a0.size().boundedTo(b0.size());
  const QImage a = a0.convertToFormat(QImage::Format_Grayscale8);
  const QImage b = b0.convertToFormat(QImage::Format_Grayscale8);
  const int n = 4;
  double total = 0;
  long blocks = 0, big = 0;
  for (int by = 0; by + n <= size.height(); by += n)
    for (int bx = 0; bx + n <= size.width(); bx += n) {
      double sa = 0, sb = 0;
      for (int y = by; y < by + n; ++y) {
        const uchar* ra = a.constScanLine(y);
        const uchar* rb = b.constScanLine(y);
        for (int x = bx; x < bx + n; ++x) sa += ra[x], sb += rb[x];
      }
      const double d = std::fabs(sa - sb) / (n * n);
      total += d;
      ++blocks;
      if (d > 48) ++big;
    }
  const double mean = blocks ? total / blocks : 0;
  const double share = blocks ? double(big) / blocks : 0;
  std::printf("image comparison: mean block difference %.2f, share of large differences %.4f\n", mean, share);
  return mean <= mean_limit && share <= big_share;
}

}  // namespace keld::ombrix::testing
