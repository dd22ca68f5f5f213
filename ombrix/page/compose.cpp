#include "ombrix/page/compose.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "ombrix/page/colours.hpp"
#include "ombrix/page/overlays.hpp"
#include "ombrix/page/velocity.hpp"

namespace keld::ombrix {

namespace {

int32_t R32(double v) {
  double r = RoundHalfEven(v);
  if (!(r > -2147483648.0)) return INT32_MIN;
  if (!(r < 2147483647.0)) return INT32_MAX;
  return static_cast<int32_t>(r);
}

// The file's date and time for the header line.
std::string FileStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  std::tm tm{};
  localtime_r(&st.st_mtime, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", &tm);
  return buf;
}

// Between the fields of the page's header line.
constexpr const char* kHeaderGap = "   ";

void Fail(const ComposeHooks& h, const std::string& text, MsgIcon icon = MsgIcon::Critical) {
  if (h.messages) h.messages->ok(text, icon, kOmbrixTitle);
}

// The positive lobes of one trace as closed polygons on the zero line.
struct Lobes {
  Document& vp;
  int32_t X;
  bool outside = true;
  std::vector<Pt> pts;
  bool fill_black = false;  // the "Positive only" mode sets the black fill for each lobe
  void step(int i, float s, int32_t x, int32_t y, int32_t ym) {
    if (s > 0) {
      if (i == 1 && outside) {
        pts = {{x, y}};
        outside = false;
      } else if (!outside) {
        pts.push_back({x, y});
      } else {
        pts.push_back({X, ym});
        pts.push_back({x, y});
        outside = false;
      }
    } else if (!outside) {
      pts.push_back({X, ym});
      if (fill_black) {
        vp.style.fill_style = 0;
        vp.style.fill_colour = 0;
      }
      vp.Polygon(std::move(pts));
      pts.clear();
      outside = true;
    }
  }
};

}  // namespace

double Frame::xr(int32_t k) const { return L + mv.D / 2 + mv.D * (k - mv.first); }
int32_t Frame::x(int32_t k) const { return R32(xr(k)); }
int64_t Frame::file_trace(int32_t k) const {
  return c.Inverse_trace == 1 ? int64_t(mv.first) + mv.last - k - 1 : int64_t(k) - 1;
}

ComposeOutcome DoDocument(Document& vp, PageSetup& page, const Controls& c, const SuSummary& su,
                          ComposeValues& mv, const ComposeHooks& hooks) {
  ComposeOutcome out;
  vp.style.pen_colour = 0;
  vp.style.fill_style = 0;
  vp.style.fill_colour = 0xFFFFFF;
  if (su.path.empty()) return out;

  // A file whose summary cannot be used, or a range outside it, is refused
  // before anything is drawn.
  if (su.ns <= 0 || su.traces < 1) {
    Fail(hooks, su.path + ": no whole trace to draw");
    return out;
  }
  if (su.dt <= 0) {
    Fail(hooks, su.path + ": sample interval" + Str(su.dt) + " us, the section cannot be drawn");
    return out;
  }

  // Boxes that would give a page without a trace or a label on it.
  const double width_mm = Val(c.Text4), height_mm = Val(c.Text5);
  const char* absurd = !(width_mm > 0)                    ? " The plot width must be above 0 mm"
                       : !(height_mm > 0)                 ? " The profile height must be above 0 mm"
                       : !(RoundHalfEven(Val(c.Text10)) >= 1) ? " The label spacing must be 1 or more"
                       : Val(c.Text12) == 0               ? " The trace size factor must not be 0"
                                                          : nullptr;
  if (absurd) {
    Fail(hooks, absurd);
    return out;
  }
  mv.Enlarge = Val(c.Text12);
  const double pw_mm = page.width / kTwipsPerMm, ph_mm = page.height / kTwipsPerMm;
  mv.Large_plot = R32(kTwipsPerMm * width_mm);
  mv.Haut_plot = R32(kTwipsPerMm * height_mm);
  const double fold_mm = c.fold == 1 ? 20 : 0;
  mv.Time_plot = Val(c.Text6);
  mv.Time_Line = Val(c.Text7);
  mv.Label_Spacing = Val(c.Text10);
  const double left_mm = Val(c.Text8);
  mv.L = page.left;

  if (c.velocity == 1 && page.top < 3402) {
    Fail(hooks, " The upper margin is enlarged to 60 mm", MsgIcon::Information);
    page.top = 3402;
    out.Text9 = "60";
  } else if (c.velocity != 1 && page.top < 2268) {
    Fail(hooks, " The upper margin is enlarged to 40 mm", MsgIcon::Information);
    page.top = 2268;
    out.Text9 = "40";
  }
  const int32_t T = page.top, L = mv.L;
  mv.T = T;

  const double last_v = RoundHalfEven(Val(c.Text3)), first_v = RoundHalfEven(Val(c.Text2));
  if (first_v < 1 || last_v < 1 || first_v > double(su.traces) || last_v > double(su.traces)) {
    Fail(hooks, " The traces to draw must lie between 1 and" + Str(double(su.traces)));
    return out;
  }
  mv.first = static_cast<int32_t>(first_v);
  mv.last = static_cast<int32_t>(last_v);
  double s_samples = std::floor(mv.Time_plot / su.dt * 1000);
  if (s_samples > su.ns) s_samples = su.ns;
  if (s_samples < 0) s_samples = 0;
  mv.S = static_cast<int32_t>(s_samples);
  const int64_t count = int64_t(mv.last) - mv.first + 1;
  mv.D = count > 0 ? mv.Large_plot / double(count) : mv.Large_plot;
  mv.A = static_cast<float>(mv.D / 1.6);
  // The topography reads the vertical scale: it is set before the overlays.
  mv.V = mv.S > 0 ? mv.Haut_plot / mv.S : 0;

  if (T / kTwipsPerMm + 20 + fold_mm + height_mm > ph_mm) {
    Fail(hooks, " Your plot height is too large, correct size page or profile height");
    return out;
  }
  if (left_mm + 20 + width_mm > pw_mm) {
    Fail(hooks, " Your plot width is too large, correct size page or profile width");
    return out;
  }
  // A fold maximum below 1 would divide by zero or turn the fold band over.
  if (const double fmax = Val(c.Text15); c.fold == 1 && fmax != 0 && !(RoundHalfEven(fmax) >= 1)) {
    Fail(hooks, " The fold maximum must be 1 or more (0 takes it from the trace headers)");
    return out;
  }

  const int32_t W = R32(mv.Large_plot), H = R32(mv.Haut_plot);
  vp.StartDoc(page.width, page.height);
  out.composed = true;
  vp.style.fill_style = 1;
  vp.Polygon({{L, T}, {L + W, T}, {L + W, T + H}, {L, T + H}});

  SuReader reader;
  const bool readable = reader.open(su.path).ok() && reader.ns() == su.ns;
  Frame frame{c, su, mv, hooks, L, T, W, H};
  if (readable) Affichage_Label(vp, frame, reader);

  vp.Header(su.path + kHeaderGap + kOmbrixTitle + kHeaderGap + FileStamp(su.path), 9, 0xC0C0C0);

  vp.CurrentY = c.velocity == 1 ? T - 2500 : R32(T / 2.0);
  vp.CurrentX = L;
  vp.style.font_size = 14;
  vp.Print(c.Text1);
  if (!c.Text13.empty() || !c.Text14.empty()) {
    vp.CurrentY = c.velocity == 1 ? T - 2500 + 350 : R32(T / 2.0 + 350);
    vp.CurrentX = L;
    vp.Print(c.Text13);
    vp.CurrentX = L + W - 300;
    vp.Print(c.Text14);
  }

  if (readable) {
    if (c.fold == 1) Affichage_Fold(vp, frame, reader);
    if (c.topo == 1) Affichage_topo(vp, frame, reader);
    if (c.velocity == 1) Affichage_model_vitesse(vp, frame, reader);
  }

  vp.CurrentX = R32(L / 2.0);
  vp.CurrentY = R32(T + H / 2.0);
  vp.style.font_size = 10;
  vp.style.angle = 900;
  vp.Print(c.time == 1 ? " Time x 2 (ms)" : "Depth (m)");
  vp.style.angle = 1;

  Affichage_line_Temps(vp, frame);

  if (!readable) {
    Fail(hooks, reader.error().empty() ? su.path + ": cannot be read" : reader.error());
    vp.EndDoc();
    return out;
  }

  int mode = c.combo1 >= 0 && c.combo1 <= 4 ? c.combo1 : 0;
  if (c.combo1 < 0) SetModeWord(mv.mode_word, 0);
  if (mv.mode_word == "color") mv.Amplitude = Lecture_INI_Couleur();
  vp.style.fill_style = 0;
  vp.style.fill_colour = 0;
  vp.style.pen_colour = 0;
  if (mv.mode_word.empty()) mv.mode_word = "normal";

  const double dt_ms = su.dt / 1000.0;
  std::vector<float> s(static_cast<size_t>(su.ns) + 1, 0.0f);  // s[1..ns]
  SuTraceHeader th;
  bool scaled = false;
  double F0 = 0;
  for (int32_t k = mv.first; k <= mv.last; ++k) {
    if (hooks.progress) hooks.progress(int64_t(k) - mv.first + 1, count);
    if (hooks.stopped && hooks.stopped()) {
      vp.KillDoc();
      out.composed = false;
      return out;
    }
    const int32_t X = frame.x(k);
    const int64_t j = frame.file_trace(k);
    // A trace that cannot be read (one of another length, say) ends the
    // page: a section with columns silently missing would pass for the file.
    auto unreadable = [&] {
      Fail(hooks, reader.error());
      vp.KillDoc();
      out.composed = false;
      return out;
    };
    if (!reader.read_header(j, th)) return unreadable();
    if (th.trid >= 2) continue;  // dead trace: an empty column
    if (!reader.read_samples(j, s.data() + 1)) return unreadable();

    // The scale comes from the first live trace of the range that is not flat
    // (from every trace with equalisation). A trace with no positive sample is
    // scaled by its largest magnitude; a flat one is a straight line.
    if (c.Egal == 1 || !scaled) {
      float m = 0;
      for (int32_t i = 1; i <= su.ns; ++i) m = std::max(m, s[size_t(i)]);
      if (m <= 0)
        for (int32_t i = 1; i <= su.ns; ++i) m = std::max(m, std::fabs(s[size_t(i)]));
      mv.M = m;
      F0 = m > 0 ? mv.A / (double(m) + 0.000001) : 0;
      scaled = m > 0;
    }
    const double F = F0 * mv.Enlarge;

    if (c.Check1 == 1) {
      vp.style.pen_colour = 255;
      vp.style.pen_width = 3;
      auto p = CInt(th.Pick / 10.0 / dt_ms);
      if (p) {
        const int32_t y = R32(T + mv.V * *p);
        vp.Line(R32(X - mv.D / 3), y, R32(X + mv.D / 3), y);
      }
    }

    int32_t start = 1;
    double taper = 1;
    if (c.topo == 1 && th.tstat != 0) {
      // Clamped inside the trace: a negative static must not read before it.
      start = static_cast<int32_t>(std::clamp(RoundHalfEven(th.tstat / dt_ms), 1.0, double(su.ns)));
      taper = 0;
    }
    auto y_of = [&](int32_t i) { return R32(T + mv.V * i); };
    auto x_of = [&](int32_t i) {
      if (taper < 1 && c.topo == 1) taper += 0.025;
      return R32(X + taper * F * s[size_t(i)]);
    };
    auto ym_of = [&](int32_t i) { return R32((y_of(i) + double(T + mv.V * (i - 1))) / 2); };

    if (mode == 0) {
      vp.style.pen_width = 0;
      vp.style.pen_colour = 0;
      if (start != 1) vp.Line(X, T, X, R32(T + mv.V * start));
      std::vector<Pt> wig;
      Lobes lobes{vp, X, true, {}, false};
      for (int32_t i = start; i <= mv.S - 1; ++i) {
        const int32_t y = y_of(i);
        int32_t x = x_of(i);
        if (k - mv.first <= 4 && x < L) x = L;
        if (mv.last - k <= 4 && x > L + W) x = L + W;
        wig.push_back({x, y});
        lobes.step(i, s[size_t(i)], x, y, ym_of(i));
      }
      vp.Polyline(std::move(wig));
    } else if (mode == 1) {
      vp.style.pen_width = 0;
      vp.style.pen_colour = 0;
      std::vector<Pt> wig;
      for (int32_t i = start; i <= mv.S; ++i) {
        const int32_t y = y_of(i);
        wig.push_back({x_of(i), y});
      }
      vp.Polyline(std::move(wig));
    } else if (mode == 2) {
      vp.style.pen_width = 0;
      vp.style.pen_colour = 0;
      Lobes lobes{vp, X, true, {}, false};
      lobes.fill_black = true;
      for (int32_t i = start; i <= mv.S - 1; ++i) {
        const int32_t y = y_of(i);
        const int32_t x = x_of(i);
        lobes.step(i, s[size_t(i)], x, y, ym_of(i));
      }
    } else {
      vp.style.pen_width = R32(mv.V);
      const int32_t x1 = R32(X - mv.D / 1.9), x2 = R32(X + mv.D / 1.9);
      for (int32_t i = start; i <= mv.S; ++i) {
        const double v = s[size_t(i)];
        const double ratio = mv.M > 0 ? v / mv.M
                                      : (v > 0 ? INFINITY : v < 0 ? -INFINITY : 0.0);
        vp.style.pen_colour = Recherche_couleur(ratio, mv.Amplitude, mv.mode_word);
        const int32_t y = y_of(i);
        vp.Line(x1, y, x2, y);
      }
      vp.style.pen_colour = 0;
      vp.style.pen_width = 0;
    }
  }
  vp.EndDoc();
  return out;
}

}  // namespace keld::ombrix
