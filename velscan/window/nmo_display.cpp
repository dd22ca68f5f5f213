// The record or gather drawn raw or NMO-corrected on Ecran, the stacked
// amplitude panel, and the handlers of the controls that redraw them.
#include <QCheckBox>
#include <QLineEdit>
#include <QPoint>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/numtext.hpp"
#include "platform/qt/picture_box.hpp"
#include "velscan/window/nmo_window.hpp"

namespace keld::velscan {

namespace {
constexpr uint32_t kRed = 255, kBlue = 16711680, kGrey = 8421504, kBlack = 0;
QString Q(const std::string& s) { return QString::fromStdString(s); }
double ValQ(const QLineEdit* e) { return Val(e->text().toStdString()); }

std::vector<bool> DeadFlags(const Gather& g) {
  std::vector<bool> d(static_cast<size_t>(g.count()));
  for (int j = 0; j < g.count(); ++j) d[static_cast<size_t>(j)] = g.dead(j);
  return d;
}
}  // namespace

bool NmoWindow::load_current(int32_t key) {
  std::optional<KeyIndex::Span> span;
  if (st.Mode_CDP != 0) {
    span = st.scan.cdp_index.find(key);
  } else if (st.records_by_count) {
    const int64_t n = st.Traces_Par_Record, first = (static_cast<int64_t>(key) - 1) * n;
    if (key >= 1 && first < st.scan.layout.traces) {
      span = KeyIndex::Span{key, {}};
      for (int64_t i = first; i < std::min(first + n, st.scan.layout.traces); ++i) span->traces.push_back(i);
    }
  } else {
    span = st.scan.fldr_index.find(key);
  }
  if (!span) return false;
  SuReader r;
  std::string why;
  if (Status s = r.open(st.Nom_Fichier); !s) {
    sv.msg.ok(s.error, MsgIcon::Critical, kTitle);
    return false;
  }
  if (r.ns() != st.ns || !ReadGather(r, span->traces, st.Tableau_Film, why)) {
    sv.msg.ok(why.empty() ? st.Nom_Fichier + " has changed since it was scanned" : why, MsgIcon::Critical, kTitle);
    return false;
  }
  if (!st.records_by_count) st.Traces_Par_Record = static_cast<int32_t>(span->traces.size());
  ++quiet_;
  Text10->setText(QString::number(span->traces.size()));
  --quiet_;
  return true;
}

void NmoWindow::geometry_from(const SuTraceHeader& h) {
  int32_t word;
  std::memcpy(&word, &h.d2, 4);
  st.scalco = h.scalco;
  st.Espacement = ReceiverSpacing(word, h.scalco);
  st.Offset1 = ApplyScalco(h.offset, h.scalco);
  ++quiet_;
  Text7->setText(Q(CStr(st.Espacement)));
  Text8->setText(Q(CStr(st.Offset1)));
  --quiet_;
}

Window NmoWindow::display_window() const {
  Window w;
  if (Check1->isChecked()) {
    w.first = std::clamp(VScroll2->value() - 1, 0, std::max(0, st.ns - 1));
    w.last = std::min(st.ns - 1, w.first + static_cast<int>(RoundHalfEven(st.ns / 2.0)));
  } else {
    w.first = 0;
    w.last = st.ns - 1;
  }
  w.step = std::max(1, (w.last - w.first) / std::max(1, Ecran->PixelHeight()));
  return w;
}

void NmoWindow::draw_traces(const float* data, const std::vector<double>& gains, const Window& w) {
  const Gather& g = st.Tableau_Film;
  const int n = g.count();
  double f = ValQ(Text13);
  if (f == 0) f = 1;
  Ecran->Scale(0, w.first, 2000.0 * n, std::max(w.last, w.first + 1));
  Ecran->ForeColor = kBlack;
  std::vector<QPoint> pts;
  for (int j = 0; j < n; ++j) {
    const double b = 2000.0 * j + 1000;  // centre line of the trace's column
    if (g.dead(j)) {
      Ecran->Line(b, w.first, b, w.last, kRed);
      continue;
    }
    const int bx = static_cast<int>(std::lround(Ecran->ToPixel(b, 0).x()));
    const double gain = gains[static_cast<size_t>(j)];
    const float* t = data + static_cast<size_t>(j) * g.ns;
    pts.clear();
    for (int i = w.first; i <= w.last; i += w.step) {
      const double d = RoundHalfEven(f * gain * t[i]);
      QPointF p = Ecran->ToPixel(b + d, i);
      const int y = static_cast<int>(std::lround(p.y()));
      pts.emplace_back(static_cast<int>(std::lround(p.x())), y);
      if (d > 0) pts.emplace_back(bx, y);  // positive lobes go back to the centre line
    }
    Ecran->ForeColor = kBlack;
    Ecran->Polyline(pts.data(), static_cast<int>(pts.size()));
  }
}

void NmoWindow::Display_CDP() {
  if (!st.scanned) return;
  st.CDP_Courant = CLng(ValQ(Text12)).value_or(0);
  auto span = st.scan.cdp_index.find(st.CDP_Courant);
  if (!span) {
    sv.msg.ok("CDP not found", MsgIcon::Critical, kTitle);
    return;
  }
  st.CDP_Courant = span->key;
  ++quiet_;
  Text3->setText(QString::number(st.CDP_Courant));
  Text12->setText(QString::number(st.CDP_Courant));
  HScroll1->setValue(st.CDP_Courant);
  --quiet_;
  Display_Film();
}

void NmoWindow::Display_Film() {
  st.Mode_Affichage = "film";
  if (!st.scanned) return;
  Text9->setText("");
  const int32_t key = CLng(ValQ(Text3)).value_or(0);
  if (!load_current(key)) return;
  const Gather& g = st.Tableau_Film;
  ++quiet_;
  if (st.Mode_CDP == 0) {
    const int mid = std::min(g.count() - 1, static_cast<int>(RoundHalfEven(g.count() / 2.0)));
    Text12->setText(QString::number(g.headers[static_cast<size_t>(mid)].cdp));
  }
  --quiet_;
  geometry_from(g.headers.front());
  Ecran->Cls();
  semblance->Cls();
  const Window w = display_window();
  st.Premier_Echantillon = w.first;
  st.Dernier_Echantillon = w.last;
  st.Pas = w.step;
  const auto dead = DeadFlags(g);
  draw_traces(g.samples.data(), TraceGains(g.samples.data(), g.count(), g.ns, dead, w), w);
}

void NmoWindow::Display_NMO(int velocity) {
  const Gather& g = st.Tableau_Film;
  if (!st.scanned || st.ns == 0 || g.count() == 0) return;
  Ecran->Cls();
  st.Espacement = ValQ(Text7);
  st.Offset1 = ValQ(Text8);
  double m = ValQ(Text11);
  if (m < 1) m = 1;
  if (!HasHeaderOffsets(g)) {
    // The boxes stand in for the offsets the file does not hold.
    while (st.Espacement < 0.01) {
      auto typed = sv.msg.input("Receiver spacing", kTitle, "5");
      if (!typed) return;
      st.Espacement = Val(*typed);
      ++quiet_;
      Text7->setText(Q(CStr(st.Espacement)));
      --quiet_;
    }
    if (st.Offset1 == 0 && !st.offset_asked) {
      st.offset_asked = true;
      auto typed = sv.msg.input("Offset distance (negative for shot ahead of receivers) ", kTitle, "-50");
      if (typed) {
        st.Offset1 = Val(*typed);
        ++quiet_;
        Text8->setText(Q(CStr(st.Offset1)));
        --quiet_;
      }
    }
  }
  if (velocity <= 0) return;
  const auto offsets = GatherOffsets(g, st.Espacement, st.Offset1);
  const auto corrected = NmoGather(g, offsets, velocity, m, st.dt, st.delrt);
  const Window w = display_window();
  st.Premier_Echantillon = w.first;
  st.Dernier_Echantillon = w.last;
  st.Pas = w.step;
  const auto dead = DeadFlags(g);
  const auto gains = TraceGains(corrected.data(), g.count(), g.ns, dead, w);
  PanelSums sums = StackPanel(corrected.data(), g.count(), g.ns, dead, gains, w);
  st.Somme_NMO = std::move(sums.sum);
  st.Max_Somme = sums.max;
  draw_traces(corrected.data(), gains, w);
  Display_Semblance();
}

void NmoWindow::Display_Semblance() {
  st.Mode_Affichage = "nmo";
  semblance->Cls();
  if (st.ns <= 0) return;
  if (st.Max_Somme == 0) st.Max_Somme = 1000;
  const double M = st.Max_Somme;
  const Window w = display_window();
  semblance->Scale(-M, w.first, M, std::max(w.last, w.first + 1));
  semblance->DrawWidth = 1;
  const double s = std::max<double>(1, RoundHalfEven(M / 5));
  for (double x = -M; x <= M; x += s) semblance->Line(x, 0, x, st.ns - 1, kBlue);
  for (int i = 0; i < st.ns && i < static_cast<int>(st.Somme_NMO.size()); i += std::max(1, st.Pas)) {
    const float v = st.Somme_NMO[static_cast<size_t>(i)];
    semblance->Line(0, i, v, i, v < 0 ? kBlue : kRed);
  }
  const int u = static_cast<int>(RoundHalfEven(st.ns / 10.0));
  if (u > 0)
    for (int i = 0; i < st.ns; i += u) Ecran->Line(0, i, 2000.0 * st.Tableau_Film.count(), i, kGrey);
}

void NmoWindow::HScroll1_Change() {
  if (quiet_) return;
  ++quiet_;
  if (st.Mode_CDP != 0) {
    st.CDP_Courant = HScroll1->value();
    Text12->setText(QString::number(st.CDP_Courant));
    --quiet_;
    Display_CDP();
  } else {
    Text3->setText(QString::number(HScroll1->value()));
    --quiet_;
    Display_Film();
  }
}

void NmoWindow::HScroll1_Scroll() { Text9->setText(""); }

void NmoWindow::Text3_Change() {
  if (quiet_) return;
  Display_Film();
}

void NmoWindow::Check1_Click() {
  if (st.Mode_Affichage != "nmo")
    Display_Film();
  else
    Display_NMO(VScroll1->value());
}

void NmoWindow::Text13_Change() {
  if (quiet_) return;
  Check1_Click();
}

void NmoWindow::Text5_Change() { VScroll1->setMinimum(CLng(ValQ(Text5)).value_or(VScroll1->minimum())); }
void NmoWindow::Text6_Change() { VScroll1->setMaximum(CLng(ValQ(Text6)).value_or(VScroll1->maximum())); }

void NmoWindow::VScroll1_Change() {
  Text9->setText(Q(Str(VScroll1->value()) + " m/s"));
  if (VScroll1->value() > 0) Display_NMO(VScroll1->value());
}

void NmoWindow::VScroll1_Scroll() { Text9->setText(Q(Str(VScroll1->sliderPosition()) + " m/s")); }

void NmoWindow::VScroll2_Change() {
  if (st.Mode_Affichage == "nmo")
    Display_NMO(VScroll1->value());
  else
    Display_Film();
}

namespace {
QString TimeTip(const VelscanState& st, double y) {
  return QString::number(static_cast<long long>(RoundHalfEven(st.delrt + y * st.dt / 1000.0))) + " ms";
}
}  // namespace

void NmoWindow::Ecran_MouseMove(double y) {
  if (st.dt > 0) Ecran->setToolTip(TimeTip(st, y));
}

void NmoWindow::semblance_MouseMove(double y) {
  if (st.dt > 0) semblance->setToolTip(TimeTip(st, y));
}

}  // namespace keld::velscan
