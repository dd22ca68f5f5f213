#include "korvan/display/draw_traces.hpp"

#include <vector>

#include "common/su_file.hpp"
#include "korvan/display/normalisation.hpp"
#include "korvan/display/su_info.hpp"
#include "korvan/display/trace_plotter.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

namespace {

class PictureSink : public ShapeSink {
 public:
  explicit PictureSink(PictureBox& pb) : pb_(pb) {}
  void Polyline(const QPoint* pts, int n, uint32_t pen) override {
    pb_.ForeColor = pen;
    pb_.Polyline(pts, n);
  }
  void Polygon(const QPoint* pts, int n, uint32_t pen, uint32_t fill) override {
    pb_.ForeColor = pen;
    pb_.FillColor = fill;
    pb_.Fill = PictureBox::FillStyle::Solid;
    pb_.Polygon(pts, n);
  }

 private:
  PictureBox& pb_;
};

}  // namespace

DrawResult DrawTraces(PictureBox& pb, const std::string& path, const DrawParams& p) {
  DrawResult r;
  auto layout = CheckDisplayFile(path);
  if (!layout) {
    r.error = layout.error();
    return r;
  }
  SuReader rd;
  if (Status st = rd.open(path); !st) {
    r.error = st.error;
    return r;
  }
  const int ns = rd.ns();
  r.Nb_Campioni = ns;
  r.Nb_Tracce = static_cast<int>(std::min<int64_t>(rd.traces(), 0x7FFFFFFF));
  r.Premiere_Trace = 1;
  r.Derniere_Trace = r.Nb_Tracce;
  r.Dernier_Echantillon = ns;
  r.Pas_Echantillon = p.Pas_Echantillon < 1 ? 1 : p.Pas_Echantillon;
  r.Gain_Affichage = p.Gain_Affichage;
  r.Polarite = p.creverse ? -1 : 1;
  r.Demi_Largeur = 500;
  r.Largeur_Totale = (r.Derniere_Trace - r.Premiere_Trace + 1) * 1000.0;

  // A window starting past the file's end (left by a longer file) shows the whole file.
  int premier = p.Premier_Echantillon < ns ? p.Premier_Echantillon : 1;

  const auto fill = pb.Fill;
  const uint32_t fill_colour = pb.FillColor;
  const auto mode = pb.Mode;
  pb.setCursor(Qt::WaitCursor);
  pb.Cls();
  pb.ForeColor = kBlack;
  const double X1 = r.Premiere_Trace * 1000.0;
  const double X2 = (r.Derniere_Trace + 1) * 1000.0;
  pb.Scale(X1, premier, X2, r.Dernier_Echantillon);
  if (premier < 1) premier = 1;
  r.Premier_Echantillon = premier;

  PlotFrame f;
  f.S = static_cast<double>(r.Dernier_Echantillon - premier) / pb.PixelHeight();
  f.U = (X2 - X1) / pb.PixelWidth();
  f.first = premier;
  f.last = r.Dernier_Echantillon;
  f.step = r.Pas_Echantillon;
  f.bottom_row = f.S > 0 ? RoundPixel((f.last - f.first) / f.S) : 0;

  PictureSink sink(pb);
  TracePlotter plot(p, f, sink);
  Normaliser norm(p.egali, f.step);
  std::vector<float> samples(static_cast<size_t>(ns));
  for (int i = r.Premiere_Trace; i <= r.Derniere_Trace; ++i) {
    if (!rd.read_samples(i - 1, samples.data())) {
      // The file changed under us after the checks: keep what is drawn, say why.
      r.error = rd.error();
      break;
    }
    double factor = norm.Next(samples.data(), ns, i == r.Premiere_Trace);
    plot.Plot(samples.data(), ns, i - r.Premiere_Trace, r.Polarite * factor * p.Gain_Affichage);
  }

  pb.Fill = fill;
  pb.FillColor = fill_colour;
  pb.Mode = mode;
  pb.setCursor(Qt::CrossCursor);
  r.drawn = true;
  return r;
}

}  // namespace keld::korvan
