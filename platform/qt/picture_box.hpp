#pragma once
// A picture box: an off-screen image the window shows, with a user coordinate
// system set by Scale(left, top, right, bottom), a current drawing position,
// fore, fill and back colours, text printed at the current position, lines,
// boxes, points, circles and pies in user coordinates, and polylines and
// polygons in device pixels (as the seismogram display hands them over).
//
// Drawing goes to the persistent image while persistent drawing is on (the
// default), and to a temporary overlay while it is off; Cls clears the image
// and the overlay when persistent drawing is on, the overlay alone when it is
// off. Rubber bands and the hyperbola live on the overlay, the record on the
// image.
//
// Colours are 0x00BBGGRR values, as the programs store them.
#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace keld {

QColor BgrColor(uint32_t bgr);
uint32_t ToBgr(const QColor& c);

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  enum class DrawMode { CopyPen, MaskPen };   // MaskPen: result = screen AND pen
  enum class FillStyle { Solid, Transparent };

  explicit PictureBox(QWidget* parent = nullptr);
  ~PictureBox() override;

  // Coordinate system: (x1, y1) is the top-left corner, (x2, y2) the
  // bottom-right one; either axis may run backwards.
  void Scale(double x1, double y1, double x2, double y2);
  void ScalePixels();  // back to device pixels, origin top-left
  // In pixel mode these follow the widget's size.
  double ScaleLeft() const;
  double ScaleTop() const;
  double ScaleWidth() const;
  double ScaleHeight() const;
  int PixelWidth() const;
  int PixelHeight() const;
  QPointF ToPixel(double x, double y) const;
  QPointF FromPixel(double px, double py) const;

  // Clears the picture; emits cleared() when the persistent image went (a
  // clear of the temporary layer alone leaves what is drawn).
  void Cls();
  void set_persistent(bool on) { persistent_ = on; }  // AutoRedraw
  bool persistent() const { return persistent_; }

  uint32_t BackColor() const { return back_; }
  void SetBackColor(uint32_t bgr);   // also clears, as setting a back colour does
  uint32_t ForeColor = 0;
  uint32_t FillColor = 0;
  FillStyle Fill = FillStyle::Transparent;
  DrawMode Mode = DrawMode::CopyPen;
  int DrawWidth = 1;
  double FontSize = 8;
  double CurrentX = 0, CurrentY = 0;

  // Text at the current position in the fore colour; the position then moves to
  // the start of the next line (x back to the scale's left edge).
  void Print(const QString& text);
  void Line(double x1, double y1, double x2, double y2, uint32_t color);
  void LineTo(double x, double y, uint32_t color);  // from the current position; moves it
  // A box in `color`: filled with `color` when `filled`, else outlined (or filled
  // with FillColor when Fill is Solid).
  void Box(double x1, double y1, double x2, double y2, uint32_t color, bool filled);
  void PSet(double x, double y, uint32_t color);    // also moves the current position
  // Circle of radius r (in horizontal units); with start and end angles
  // (radians, counter-clockwise from three o'clock) an arc, drawn as a pie when
  // `pie`. Filled with FillColor when Fill is Solid.
  void Circle(double x, double y, double r, uint32_t color);
  void Arc(double x, double y, double r, uint32_t color, double start, double end, bool pie);

  // Device-pixel shapes in the fore colour; polygons filled with FillColor
  // when Fill is Solid.
  void Polyline(const QPoint* pts, int n);
  void Polygon(const QPoint* pts, int n);

  // The picture as shown: the image with the overlay over it.
  QImage Snapshot() const;
  const QImage& image() const {
    end_painting();
    return image_;
  }
  const QImage& overlay() const {
    end_painting();
    return overlay_;
  }

  QSize sizeHint() const override { return {400, 300}; }

  // Mouse events in user coordinates (button: 1 left, 2 right, 4 middle).
  void send_mouse_down(int button, double x, double y) { emit mouseDown(button, 0, x, y); }
  void send_mouse_move(int button, double x, double y) { emit mouseMove(button, 0, x, y); }
  void send_mouse_up(int button, double x, double y) { emit mouseUp(button, 0, x, y); }

 signals:
  void mouseDown(int button, int shift, double x, double y);
  void mouseMove(int button, int shift, double x, double y);
  void mouseUp(int button, int shift, double x, double y);
  void clicked();
  void cleared();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QImage& target();
  void ensure_size();
  // Runs `paint` on the target with the pen, brush and draw mode set up:
  // pen in `pen` (DrawWidth wide), brush `brush` or none.
  template <typename F>
  void draw(uint32_t pen, const QBrush& brush, F&& paint);
  QPoint px(double x, double y) const;       // user point to the nearest pixel
  double pixels_per_x() const;               // horizontal pixels per user unit (absolute)
  QFont print_font() const;
  // One painter stays open on the target between drawing calls (a seismogram
  // is thousands of polygons); it is closed before anything else touches the images.
  QPainter& painter_on(QImage& dst);
  void end_painting() const;
  mutable std::unique_ptr<QPainter> painter_;
  QImage* painter_dev_ = nullptr;
  double left_ = 0, top_ = 0, width_ = 1, height_ = 1;
  bool pixels_ = true;
  bool persistent_ = true;
  uint32_t back_ = 0xFFFFFF;
  QImage image_, overlay_;
};

}  // namespace keld
