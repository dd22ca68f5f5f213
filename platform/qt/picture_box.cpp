#include "platform/qt/picture_box.hpp"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace keld {

QColor BgrColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

uint32_t ToBgr(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

namespace {

// Pixel coordinates far outside the picture are clamped so that no conversion
// overflows; Qt clips what lies outside anyway.
constexpr double kPixelLimit = 1 << 22;

int ClampPixel(double v) {
  if (!(v == v)) return 0;  // NaN
  return static_cast<int>(std::lround(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

// The images keep 96 dots per inch, as the programs' screens had, so that a
// font size in points gives the text height they expect.
constexpr int kDotsPerMeter = 3780;

QImage NewImage(QSize size, QImage::Format format, QColor fill) {
  QImage img(size, format);
  img.setDotsPerMeterX(kDotsPerMeter);
  img.setDotsPerMeterY(kDotsPerMeter);
  img.fill(fill);
  return img;
}

int MouseButtons(Qt::MouseButtons b) {
  int v = 0;
  if (b & Qt::LeftButton) v |= 1;
  if (b & Qt::RightButton) v |= 2;
  if (b & Qt::MiddleButton) v |= 4;
  return v;
}

int ShiftState(Qt::KeyboardModifiers m) {
  int v = 0;
  if (m & Qt::ShiftModifier) v |= 1;
  if (m & Qt::ControlModifier) v |= 2;
  if (m & Qt::AltModifier) v |= 4;
  return v;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // moves are reported with no button held, too
  ensure_size();
}

PictureBox::~PictureBox() { end_painting(); }

QPainter& PictureBox::painter_on(QImage& dst) {
  if (!painter_ || painter_dev_ != &dst) {
    end_painting();
    painter_ = std::make_unique<QPainter>(&dst);
    painter_dev_ = &dst;
  }
  return *painter_;
}

void PictureBox::end_painting() const { painter_.reset(); }

int PictureBox::PixelWidth() const { return std::max(1, width()); }
int PictureBox::PixelHeight() const { return std::max(1, height()); }

double PictureBox::ScaleLeft() const { return pixels_ ? 0 : left_; }
double PictureBox::ScaleTop() const { return pixels_ ? 0 : top_; }
double PictureBox::ScaleWidth() const { return pixels_ ? PixelWidth() : width_; }
double PictureBox::ScaleHeight() const { return pixels_ ? PixelHeight() : height_; }

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
  if (x2 == x1 || y2 == y1) return;  // no usable coordinate system: keep the old one
  left_ = x1;
  top_ = y1;
  width_ = x2 - x1;
  height_ = y2 - y1;
  pixels_ = false;
}

void PictureBox::ScalePixels() { pixels_ = true; }

QPointF PictureBox::ToPixel(double x, double y) const {
  return {(x - ScaleLeft()) / ScaleWidth() * PixelWidth(), (y - ScaleTop()) / ScaleHeight() * PixelHeight()};
}

QPointF PictureBox::FromPixel(double px, double py) const {
  return {ScaleLeft() + px * ScaleWidth() / PixelWidth(), ScaleTop() + py * ScaleHeight() / PixelHeight()};
}

QPoint PictureBox::px(double x, double y) const {
  QPointF p = ToPixel(x, y);
  return {ClampPixel(p.x()), ClampPixel(p.y())};
}

double PictureBox::pixels_per_x() const { return PixelWidth() / std::abs(ScaleWidth()); }

void PictureBox::ensure_size() {
  QSize want(PixelWidth(), PixelHeight());
  if (image_.size() == want) return;
  end_painting();
  QImage img = NewImage(want, QImage::Format_RGB32, BgrColor(back_));
  QImage ov = NewImage(want, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
  if (!image_.isNull()) {
    QPainter(&img).drawImage(0, 0, image_);
    QPainter(&ov).drawImage(0, 0, overlay_);
  }
  image_ = std::move(img);
  overlay_ = std::move(ov);
}

QImage& PictureBox::target() {
  ensure_size();
  return persistent_ ? image_ : overlay_;
}

void PictureBox::Cls() {
  ensure_size();
  end_painting();
  if (persistent_) image_.fill(BgrColor(back_));
  overlay_.fill(Qt::transparent);
  CurrentX = 0;
  CurrentY = 0;
  update();
  if (persistent_) emit cleared();
}

void PictureBox::SetBackColor(uint32_t bgr) {
  back_ = bgr & 0xFFFFFF;
  ensure_size();
  end_painting();
  image_.fill(BgrColor(back_));
  overlay_.fill(Qt::transparent);
  update();
}

QFont PictureBox::print_font() const {
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(FontSize > 0 ? FontSize : 8);
  return f;
}

template <typename F>
void PictureBox::draw(uint32_t pen_bgr, const QBrush& brush, F&& paint) {
  QImage& dst = target();
  QPen pen(BgrColor(pen_bgr));
  pen.setWidth(std::max(1, DrawWidth));
  pen.setCosmetic(true);
  auto setup = [&](QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    p.setBrush(brush);
    // Under the mask pen a half-covered text pixel has no meaning: text is
    // rendered hard-edged there.
    p.setRenderHint(QPainter::TextAntialiasing, Mode == DrawMode::CopyPen);
  };
  if (Mode == DrawMode::CopyPen || &dst == &image_) {
    QPainter& p = painter_on(dst);
    setup(p);
    p.setCompositionMode(Mode == DrawMode::CopyPen ? QPainter::CompositionMode_SourceOver
                                                   : QPainter::RasterOp_SourceAndDestination);
    paint(p);
  } else {
    end_painting();
    // Mask pen on the overlay: the shape is drawn on a scratch layer, then
    // every pixel it covers becomes (what the screen shows there) AND (its colour).
    QImage scratch = NewImage(overlay_.size(), QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    {
      QPainter p(&scratch);
      setup(p);
      paint(p);
    }
    for (int y = 0; y < scratch.height(); ++y) {
      const QRgb* s = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
      QRgb* o = reinterpret_cast<QRgb*>(overlay_.scanLine(y));
      const QRgb* im = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
      for (int x = 0; x < scratch.width(); ++x) {
        if (qAlpha(s[x]) == 0) continue;
        QRgb screen = qAlpha(o[x]) ? o[x] : im[x];
        o[x] = 0xFF000000u | (screen & s[x] & 0x00FFFFFFu);
      }
    }
  }
  update();
}

void PictureBox::Print(const QString& text) {
  QFont f = print_font();
  QPoint at = px(CurrentX, CurrentY);
  int line_height = 0;
  draw(ForeColor, Qt::NoBrush, [&](QPainter& p) {
    p.setFont(f);
    QFontMetrics fm(f, p.device());
    line_height = fm.height();
    p.drawText(at.x(), at.y() + fm.ascent(), text);
  });
  CurrentX = ScaleLeft();
  CurrentY += line_height * ScaleHeight() / PixelHeight();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, uint32_t color) {
  QPoint a = px(x1, y1), b = px(x2, y2);
  draw(color, Qt::NoBrush, [&](QPainter& p) { p.drawLine(a, b); });
  CurrentX = x2;
  CurrentY = y2;
}

void PictureBox::LineTo(double x, double y, uint32_t color) { Line(CurrentX, CurrentY, x, y, color); }

void PictureBox::Box(double x1, double y1, double x2, double y2, uint32_t color, bool filled) {
  QPoint a = px(x1, y1), b = px(x2, y2);
  QRect r(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
          QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
  bool solid = filled || Fill == FillStyle::Solid;
  QColor inside = BgrColor(filled ? color : FillColor);
  draw(color, Qt::NoBrush, [&](QPainter& p) {
    if (solid) p.fillRect(r, inside);
    if (!filled) p.drawRect(QRect(r.topLeft(), QSize(r.width() - 1, r.height() - 1)));
  });
  CurrentX = x2;
  CurrentY = y2;
}

void PictureBox::PSet(double x, double y, uint32_t color) {
  QPoint a = px(x, y);
  int w = std::max(1, DrawWidth);
  draw(color, Qt::NoBrush, [&](QPainter& p) {
    if (w == 1)
      p.drawPoint(a);
    else
      p.fillRect(QRect(a.x() - w / 2, a.y() - w / 2, w, w), BgrColor(color));
  });
  CurrentX = x;
  CurrentY = y;
}

void PictureBox::Circle(double x, double y, double r, uint32_t color) {
  QPoint c = px(x, y);
  int rad = ClampPixel(std::abs(r) * pixels_per_x());
  QBrush b = Fill == FillStyle::Solid ? QBrush(BgrColor(FillColor)) : QBrush(Qt::NoBrush);
  draw(color, b, [&](QPainter& p) { p.drawEllipse(c, rad, rad); });
  CurrentX = x;
  CurrentY = y;
}

void PictureBox::Arc(double x, double y, double r, uint32_t color, double start, double end, bool pie) {
  QPoint c = px(x, y);
  int rad = ClampPixel(std::abs(r) * pixels_per_x());
  QRect box(c.x() - rad, c.y() - rad, 2 * rad, 2 * rad);
  constexpr double kTurn = 2 * 3.14159265358979323846;
  double span = end - start;
  while (span < 0) span += kTurn;
  // Qt counts angles in sixteenths of a degree, counter-clockwise on screen.
  int a16 = static_cast<int>(std::lround(start * 180 / (kTurn / 2) * 16));
  int s16 = static_cast<int>(std::lround(span * 180 / (kTurn / 2) * 16));
  QBrush b = pie && Fill == FillStyle::Solid ? QBrush(BgrColor(FillColor)) : QBrush(Qt::NoBrush);
  draw(color, b, [&](QPainter& p) {
    if (pie)
      p.drawPie(box, a16, s16);
    else
      p.drawArc(box, a16, s16);
  });
  CurrentX = x;
  CurrentY = y;
}

void PictureBox::Polyline(const QPoint* pts, int n) {
  if (!pts || n < 2) return;
  draw(ForeColor, Qt::NoBrush, [&](QPainter& p) { p.drawPolyline(pts, n); });
}

void PictureBox::Polygon(const QPoint* pts, int n) {
  if (!pts || n < 2) return;
  QBrush b = Fill == FillStyle::Solid ? QBrush(BgrColor(FillColor)) : QBrush(Qt::NoBrush);
  draw(ForeColor, b, [&](QPainter& p) { p.drawPolygon(pts, n, Qt::OddEvenFill); });
}

QImage PictureBox::Snapshot() const {
  end_painting();
  // At the widget's present size, as the next drawing would find it.
  QImage out = NewImage(QSize(PixelWidth(), PixelHeight()), QImage::Format_RGB32, BgrColor(back_));
  QPainter p(&out);
  p.drawImage(0, 0, image_);
  p.drawImage(0, 0, overlay_);
  return out;
}

void PictureBox::paintEvent(QPaintEvent* e) {
  ensure_size();
  end_painting();
  QPainter p(this);
  p.drawImage(e->rect(), image_, e->rect());
  p.drawImage(e->rect(), overlay_, e->rect());
}

void PictureBox::resizeEvent(QResizeEvent*) { ensure_size(); }

void PictureBox::mousePressEvent(QMouseEvent* e) {
  QPointF u = FromPixel(e->position().x(), e->position().y());
  emit mouseDown(MouseButtons(e->button()), ShiftState(e->modifiers()), u.x(), u.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
  QPointF u = FromPixel(e->position().x(), e->position().y());
  emit mouseMove(MouseButtons(e->buttons()), ShiftState(e->modifiers()), u.x(), u.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
  QPointF u = FromPixel(e->position().x(), e->position().y());
  emit mouseUp(MouseButtons(e->button()), ShiftState(e->modifiers()), u.x(), u.y());
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

}  // namespace keld
