// The shooting geometry: the derived boxes, the geometry grid, the plan of the
// line, the freeze strip's reset, and the record stepping of ">>" and "<<".
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

#include "common/numtext.hpp"
#include "common/text.hpp"
#include "korvan/engine/geometry.hpp"
#include "korvan/engine/record_numbering.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/qt/grid.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/key_filter.hpp"

namespace keld::korvan {

namespace {
std::string S(const QLineEdit* e) { return e->text().toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
uint32_t Rgb(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }
}  // namespace

void Korvan::connect_geometry() {
  connect(sx, &QLineEdit::textChanged, this, [this] { sx_Change(); });
  connect(fr, &QLineEdit::textChanged, this, [this] { fr_Change(); });
  connect(lr, &QLineEdit::textChanged, this, [this] { lr_Change(); });
  connect(Text15, &QLineEdit::textChanged, this, [this] { Text15_Change(); });
  connect(Text19, &QLineEdit::textChanged, this, [this] { Text19_Change(); });
  auto beeper = [this] { beep(); };
  KeyFilter::Install(Text19, "-.0123456789", beeper);
  KeyFilter::Install(Text23, "-0123456789", beeper);
  connect(GeoGrid, &Grid::keyFilter, this, [this](int& key) {
    key = Filtre_Touche(key, "-0123456789", -1);
    if (key == 0) beep();
  });
  connect(plan, &PictureBox::mouseMove, this, [this](int, int, double x, double y) { plan_MouseMove(x, y); });
  connect(Command3, &QPushButton::clicked, this, [this] { Record_Suivant(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Record_Precedent(); });
}

void Korvan::sx_Change() {
  int c = ChannelCount(S(Total_Channel));
  if (auto t = LastReceiverText(S(fr), S(Text15), c)) lr->setText(Q(*t));
  offset->setText(Q(OffsetText(S(fr), S(sx))));
  if (auto t = StationText(S(sx), S(Text15))) Text17->setText(Q(*t));
  Dessine_Geometrie();
}

void Korvan::fr_Change() {
  int c = ChannelCount(S(Total_Channel));
  if (auto t = LastReceiverText(S(fr), S(Text15), c)) lr->setText(Q(*t));
  offset->setText(Q(OffsetText(S(fr), S(sx))));
  if (auto t = StationText(S(fr), S(Text15))) Text11->setText(Q(*t));
  Dessine_Geometrie();
}

void Korvan::lr_Change() {
  if (auto t = StationText(S(lr), S(Text15))) Text18->setText(Q(*t));
}

void Korvan::Text15_Change() {
  int c = ChannelCount(S(Total_Channel));
  if (auto t = LastReceiverText(S(fr), S(Text15), c)) lr->setText(Q(*t));
  Dessine_Geometrie();
}

void Korvan::Text19_Change() { Dessine_Geometrie(); }

void Korvan::Dessine_Geometrie() {
  int c = ChannelCount(S(Total_Channel));
  GeoGridTexts rows = GeoGridRows(S(fr), S(Text15), S(sx), c);
  GeoGrid->SetRedraw(false);
  GeoGrid->SetFixedRows(1);
  GeoGrid->SetFixedCols(1);
  GeoGrid->SetCols(c + 1);
  GeoGrid->SetRows(3);
  GeoGrid->SetColWidthTwips(0, 2000);
  GeoGrid->SetTextMatrix(0, 0, "");
  GeoGrid->SetTextMatrix(1, 0, Q(std::string(kGeoRow1Label)));
  GeoGrid->SetTextMatrix(2, 0, Q(std::string(kGeoRow2Label)));
  for (int i = 1; i <= c; ++i) {
    GeoGrid->SetColWidthTwips(i, 1050);
    GeoGrid->SetTextMatrix(0, i, Q(rows.row0[i - 1]));
    GeoGrid->SetTextMatrix(1, i, Q(rows.row1[i - 1]));
    GeoGrid->SetTextMatrix(2, i, Q(rows.row2[i - 1]));
  }
  GeoGrid->SetRedraw(true);

  PlanExtents e = PlanExtentsFor(S(fr), S(Text15), S(sx), c);
  PictureBox& p = *plan;
  p.Cls();
  p.Scale(e.left, -100, e.right, 100);
  p.Box(e.left, 0, e.right, 100, Rgb(192, 255, 192), true);
  p.Box(e.left, 0, e.right, -100, Rgb(192, 255, 255), true);
  p.Line(e.left, 0, e.right, 0, Rgb(0, 255, 0));
  double D = e.D;
  std::vector<double> geophones = PlanGeophones(rows);
  for (size_t i = 0; i < geophones.size(); ++i) {
    double g = geophones[i];
    p.Box(g + D, 0, g - D, -10, Rgb(0, 0, 255), true);
    p.Line(g, 0, g, 20, Rgb(0, 0, 255));
    p.PSet(g - 4 * D, -60, Rgb(255, 255, 255));
    p.ForeColor = 0;
    p.FontSize = 6.75;
    p.Print(QString("G%1").arg(i + 1));
  }
  double shot = Val(S(sx));
  p.DrawWidth = 3;
  p.Line(shot, -30, shot, 0, Rgb(255, 0, 0));
  p.PSet(shot - 4 * D, -80, Rgb(192, 255, 255));
  p.ForeColor = 0;
  p.Print("Shot");
  p.DrawWidth = 1;
}

void Korvan::plan_MouseMove(double x, double) { plan->setToolTip(Q(PlanTooltip(x))); }

void Korvan::Init_Grille() {
  auto n = CInt(Val(S(Total_Channel)));
  int c = n && *n > 0 ? *n : 0;
  FrizGrid->SetCols(c);
  FrizGrid->SetRow(0);
  for (int i = 0; i < c; ++i) {
    int twips = FrizGrid->width() * 15;
    FrizGrid->SetColWidthTwips(i, CLng(twips / static_cast<double>(c) * 0.99).value_or(0));
    FrizGrid->SetCol(i);
    FrizGrid->SetText(Q("A " + Str(i + 1)));
    FrizGrid->SetCellBackColor(Rgb(128, 128, 255));
  }
}

namespace {
RecordBoxes Boxes(const Korvan& w) {
  return {S(w.Text2), S(w.Text3), S(w.Text7), S(w.sx), S(w.Text19), S(w.fr), S(w.Text15), S(w.Text23)};
}
}  // namespace

void Korvan::Record_Suivant() {
  RecordStep r = ::keld::korvan::Record_Suivant(Boxes(*this));
  if (!r.message.empty()) sv.msg.ok(r.message, MsgIcon::Critical, kTitle);
  Text3->setText(Q(r.boxes.Text3));
  st.Nome_Attivo = r.Nome_Attivo;
  Text5->setText(Q(st.Nome_Attivo));
  sx->setText(Q(r.boxes.sx));
  fr->setText(Q(r.boxes.fr));
}

void Korvan::Record_Precedent() {
  RecordStep r = ::keld::korvan::Record_Precedent(Boxes(*this));
  if (!r.message.empty()) sv.msg.ok(r.message, MsgIcon::Critical, kTitle);
  Text3->setText(Q(r.boxes.Text3));
  st.Nome_Attivo = r.Nome_Attivo;
  Text5->setText(Q(st.Nome_Attivo));
  sx->setText(Q(r.boxes.sx));
  fr->setText(Q(r.boxes.fr));
}

}  // namespace keld::korvan
