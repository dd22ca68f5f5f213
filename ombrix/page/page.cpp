#include "ombrix/page/page.hpp"

#include <utility>

namespace keld::ombrix {

void Document::StartDoc(int32_t width, int32_t height) {
  page_ = Page{};
  page_.width = width;
  page_.height = height;
}

void Document::KillDoc() {
  int32_t w = page_.width, h = page_.height;
  page_ = Page{};
  page_.width = w;
  page_.height = h;
}

void Document::add(OpKind k, std::vector<Pt> pts, std::string text) {
  PageOp op;
  op.kind = k;
  op.style = style;
  op.pts = std::move(pts);
  op.text = std::move(text);
  page_.ops.push_back(std::move(op));
}

void Document::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  add(OpKind::Line, {{x1, y1}, {x2, y2}});
}

void Document::Polyline(std::vector<Pt> pts) {
  if (pts.size() >= 2) add(OpKind::Polyline, std::move(pts));
}

void Document::Polygon(std::vector<Pt> pts) {
  if (pts.size() >= 2) add(OpKind::Polygon, std::move(pts));
}

void Document::Print(const std::string& text) { add(OpKind::Text, {{CurrentX, CurrentY}}, text); }

void Document::Header(const std::string& text, double size, uint32_t colour) {
  page_.header_text = text;
  page_.header_size = size;
  page_.header_colour = colour;
}

std::string PointsText(const std::vector<Pt>& pts) {
  std::string s;
  auto num = [&](int32_t v) {
    if (v >= 0) s += ' ';
    s += std::to_string(v);
  };
  for (const Pt& p : pts) {
    num(p.x);
    num(p.y);
  }
  return s;
}

}  // namespace keld::ombrix
