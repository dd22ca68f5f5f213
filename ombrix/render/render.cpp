#include "ombrix/render/render.hpp"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <vector>

#include "common/files.hpp"
#include "common/text.hpp"

namespace keld::ombrix {

namespace {

QColor Colour(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QPen PenOf(const Style& s, double hairline) {
  QPen pen(Colour(s.pen_colour));
  if (s.pen_width <= 0 && hairline > 0) {
    pen.setWidthF(hairline);
  } else if (s.pen_width <= 0) {
    pen.setWidthF(0);  // the thinnest line the device draws
    pen.setCosmetic(true);
  } else {
    pen.setWidthF(s.pen_width);
  }
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QFont FontOf(const std::string& name, double points, bool bold) {
  QFont f(QString::fromStdString(name));
  f.setPixelSize(std::max(1, int(points * 20 + 0.5)));  // twips are the painter's units
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setKerning(false);
  return f;
}

std::vector<QPointF> Points(const std::vector<Pt>& pts) {
  std::vector<QPointF> q;
  q.reserve(pts.size());
  for (const Pt& p : pts) q.emplace_back(p.x, p.y);
  return q;
}

void DrawText(QPainter& p, const Style& s, Pt at, const std::string& text, uint32_t colour) {
  const QFont font = FontOf(s.font_name, s.font_size, s.bold);
  p.setFont(font);
  p.setPen(Colour(colour));
  p.save();
  p.translate(at.x, at.y);
  if (s.angle != 0) p.rotate(-s.angle / 10.0);
  p.drawText(QPointF(0, QFontMetricsF(font).ascent()), QString::fromStdString(text));
  p.restore();
}

}  // namespace

void InstallFontSubstitutes() {
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont::insertSubstitution("Times New Roman", "Liberation Serif");
  QFont::insertSubstitution("Courier New", "Liberation Mono");
}

void RenderPage(const Page& page, QPainter& p, const QRectF& target, const std::optional<QRect>& crop,
                double hairline) {
  const QRectF src = crop ? QRectF(*crop) : QRectF(0, 0, page.width, page.height);
  if (src.width() <= 0 || src.height() <= 0) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.fillRect(target, Qt::white);
  p.setClipRect(target);
  p.translate(target.topLeft());
  p.scale(target.width() / src.width(), target.height() / src.height());
  p.translate(-src.topLeft());

  if (!page.header_text.empty()) {
    Style hs;
    hs.font_size = page.header_size;
    DrawText(p, hs, {360, 300}, page.header_text, page.header_colour);
  }
  for (const PageOp& op : page.ops) {
    switch (op.kind) {
      case OpKind::Line:
      case OpKind::Polyline: {
        p.setPen(PenOf(op.style, hairline));
        p.setBrush(Qt::NoBrush);
        auto q = Points(op.pts);
        p.drawPolyline(q.data(), int(q.size()));
        break;
      }
      case OpKind::Polygon: {
        p.setPen(PenOf(op.style, hairline));
        if (op.style.fill_style == 0)
          p.setBrush(Colour(op.style.fill_colour));
        else
          p.setBrush(Qt::NoBrush);
        auto q = Points(op.pts);
        p.drawPolygon(q.data(), int(q.size()));
        break;
      }
      case OpKind::Text:
        if (!op.pts.empty()) DrawText(p, op.style, op.pts[0], op.text, 0);
        break;
    }
  }
  p.restore();
}

QImage PageImage(const Page& page, double dpi, const std::optional<QRect>& crop, double hairline) {
  const QRectF src = crop ? QRectF(*crop) : QRectF(0, 0, page.width, page.height);
  const int w = std::max(1, int(src.width() * dpi / 1440 + 0.5));
  const int h = std::max(1, int(src.height() * dpi / 1440 + 0.5));
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  RenderPage(page, p, QRectF(0, 0, w, h), crop, hairline);
  return img;
}

Status PrintPage(const Page& page, QPrinter& printer, const std::optional<QRect>& guides, double hairline) {
  printer.setFullPage(true);
  QPainter p(&printer);
  if (!p.isActive()) return Status::failure("the printer could not be started");
  const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  RenderPage(page, p, QRectF(0, 0, paper.width(), paper.height()), std::nullopt, hairline);
  if (guides && page.width > 0 && page.height > 0) {
    p.scale(paper.width() / page.width, paper.height() / page.height);
    QPen pen(QColor(128, 128, 255), 0, Qt::DotLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(*guides));
  }
  if (!p.end()) return Status::failure("the printer failed while printing");
  return Status::good();
}

QByteArray PageSvg(const Page& page, const std::optional<QRect>& crop) {
  const QRectF src = crop ? QRectF(*crop) : QRectF(0, 0, page.width, page.height);
  // 96 dots per inch: 15 twips a dot.
  const QSizeF size(src.width() / 15.0, src.height() / 15.0);
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  QSvgGenerator gen;
  gen.setOutputDevice(&buf);
  gen.setSize(size.toSize());
  gen.setViewBox(QRectF(QPointF(0, 0), size));
  gen.setResolution(96);
  gen.setTitle("Velquist Ombrix 2.0");
  {
    QPainter p(&gen);
    RenderPage(page, p, QRectF(QPointF(0, 0), size), crop, kPaperHairline);
  }
  return bytes;
}

QByteArray PagePdf(const Page& page, const std::string& title, const std::optional<QRect>& crop) {
  const QRectF src = crop ? QRectF(*crop) : QRectF(0, 0, page.width, page.height);
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  {
    QPdfWriter w(&buf);
    w.setTitle(QString::fromStdString(title));
    w.setCreator("ombrix");
    w.setResolution(1200);
    w.setPageLayout(QPageLayout(
        QPageSize(QSizeF(src.width() / 20.0, src.height() / 20.0), QPageSize::Point, QString(),
                  QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p(&w);
    RenderPage(page, p, QRectF(0, 0, w.width(), w.height()), crop, kPaperHairline);
  }
  return bytes;
}

Status SavePicture(const Page& page, const std::string& path, const std::optional<QRect>& crop) {
  const bool pdf = path.size() >= 4 && IEquals(std::string_view(path).substr(path.size() - 4), ".pdf");
  const QByteArray bytes = pdf ? PagePdf(page, path, crop) : PageSvg(page, crop);
  if (bytes.isEmpty()) return Status::failure(path + ": the page could not be drawn");
  return WriteFileAtomic(path, std::string(bytes.constData(), size_t(bytes.size())));
}

}  // namespace keld::ombrix
