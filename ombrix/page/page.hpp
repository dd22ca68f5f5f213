#pragma once
// The page of a composed section: everything in twips from the page's top-left
// corner, 32-bit coordinates, drawn in order. Built by the composition through
// Document (the drawing operations a print-preview control offers), rendered
// by the one renderer onto any painter. No window code here.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::ombrix {

inline constexpr double kTwipsPerMm = 56.7;

struct Pt {
  int32_t x = 0, y = 0;
  bool operator==(const Pt&) const = default;
};

// The drawing state an operation is drawn with. Colours are 0x00BBGGRR.
struct Style {
  uint32_t pen_colour = 0;
  int32_t pen_width = 0;        // twips; 0 is the thinnest line
  uint32_t fill_colour = 0xFFFFFF;
  int fill_style = 0;           // 0 solid, 1 none
  std::string font_name = "Arial";
  double font_size = 10;        // points
  bool bold = false;
  int angle = 0;                // tenths of a degree, 900 reads upwards
};

enum class OpKind { Line, Polyline, Polygon, Text };

struct PageOp {
  OpKind kind = OpKind::Line;
  Style style;
  std::vector<Pt> pts;  // Line: two points; Text: its top-left corner
  std::string text;
};

struct Page {
  int32_t width = 11906, height = 16838;  // A4 portrait
  std::string header_text;
  double header_size = 9;
  uint32_t header_colour = 0xC0C0C0;
  std::vector<PageOp> ops;
  bool composed = false;  // a document was ended: there is a page to print
};

// The drawing operations of the composition over one Page: pen, fill, font and
// current position as state, each drawing request recorded with that state.
class Document {
 public:
  Style style;
  int32_t CurrentX = 0, CurrentY = 0;

  void StartDoc(int32_t width, int32_t height);
  void EndDoc() { page_.composed = true; }
  void KillDoc();  // an empty preview
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Polyline(std::vector<Pt> pts);
  void Polygon(std::vector<Pt> pts);
  void Print(const std::string& text);  // at CurrentX, CurrentY
  void Header(const std::string& text, double size, uint32_t colour);

  const Page& page() const { return page_; }
  Page& page() { return page_; }

 private:
  void add(OpKind k, std::vector<Pt> pts, std::string text = {});
  Page page_;
};

// The coordinate text of a polyline or polygon: each number after a blank when
// not negative, after its minus sign otherwise (" 1200 3400 1250-20").
std::string PointsText(const std::vector<Pt>& pts);

}  // namespace keld::ombrix
