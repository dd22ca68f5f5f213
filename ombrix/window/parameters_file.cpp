// Start-up, the settings, and the choice and summary of the SU file.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "ombrix/page/colours.hpp"
#include "ombrix/page/settings.hpp"
#include "ombrix/window/parameters.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::ombrix {

namespace {

// The folder part of a path, with its final '/'; a path without one gives
// its first two characters.
std::string Chemin_file(const std::string& path) {
  auto p = path.rfind('/');
  if (p == std::string::npos) return path.substr(0, 2);
  return path.substr(0, p + 1);
}

void SetCheck(QCheckBox* c, int v) {
  if (v == 2) c->setTristate(true);
  c->setCheckState(v == 2 ? Qt::PartiallyChecked : v == 1 ? Qt::Checked : Qt::Unchecked);
}

QString Num(double v) { return QString::fromStdString(CStr(v)); }

}  // namespace

void Parameters::Form_Load(const std::string& command_line) {
  const std::string path = command_line;
  st_.working_folder = Chemin_file(path);
  Lit_Parametres();
  cmbPercent->setCurrentIndex(0);
  cmbZoomMode->setCurrentIndex(0);
  cmbZoomMode_Click();
  ListePolices->clear();
  ListePolices->addItem("Arial");
  ListePolices->addItems(QFontDatabase::families());
  ListePolices->setCurrentIndex(0);
  const QString printer = QPrinterInfo::defaultPrinterName();
  Text17->setText(printer.isEmpty() ? QString("PDF file (no printer)") : printer);
  Text16->setText(QString::fromStdString(path));
  Text1->setText(QString::fromStdString(path));
  if (Existe_file(path) == 1) {
    Lit_Entete_SU(path);
    show();
  }
  read_page_size();
  Text11->setText(QString::fromStdString(paper_size_text()));
  Text8->setText(Num(RoundHalfEven(100 * st_.page.left / kTwipsPerMm) / 100));
  Text9->setText(Num(RoundHalfEven(100 * st_.page.top / kTwipsPerMm) / 100));
  combo1->blockSignals(true);
  combo1->clear();
  for (const char* e : kDisplayTypes) combo1->addItem(e);
  combo1->setCurrentIndex(-1);
  combo1->blockSignals(false);
}

// Reads ns, dt and the trace count and takes the file only when they make a
// file that can be drawn: a big-endian, truncated or empty file is refused with
// the reason, and the file shown before stays the current one.
bool Parameters::Lit_Entete_SU(const std::string& path) {
  auto L = ReadSuLayout(path);
  if (!L) {
    sv_.messages.ok(L.error(), MsgIcon::Critical, kOmbrixTitle);
    return false;
  }
  st_.su.path = path;
  st_.su.ns = L->ns;
  st_.su.dt = L->dt;
  st_.su.traces = L->traces;
  st_.su.delrt = L->delrt;
  Text16->setText(QString::fromStdString(path));
  Text18->setText(QString::fromStdString(path));  // "Active SU File" beside the preview
  Text1->setText(QString::fromStdString(path));
  Text3->setText(QString::number(L->traces));
  Text6->setText(Num(L->dt / 1000.0 * L->ns));
  return true;
}

void Parameters::Choix_Fichier_SU() {
  FileDialogSpec desc;
  desc.title = kOmbrixTitle;
  desc.folder = st_.working_folder;
  desc.filter = "Seismic Unix (SU)|*.SU|All files|*.*|";
  desc.name = "*.SU";
  desc.must_exist = true;
  auto chosen = sv_.dialogs.open_file(desc);
  if (!chosen || chosen->empty()) {
    sv_.messages.ok("Extension must be SU", MsgIcon::None, kOmbrixTitle);
    return;
  }
  const std::string name = *chosen;
  if (Existe_file(name) == 0) {
    sv_.messages.ok(" Input file " + name + " does not exist !", MsgIcon::None, kOmbrixTitle);
    return;
  }
  auto len = FileLength(name);
  if (!len) {
    sv_.messages.ok(std::string(kOmbrixTitle) + " cannot access to " + name, MsgIcon::Critical, kOmbrixTitle);
    return;
  }
  if (*len == 0) {
    sv_.messages.ok("Input file " + name + " is empty !", MsgIcon::None, kOmbrixTitle);
    return;
  }
  if (!Lit_Entete_SU(name)) return;
  std::string folder = std::filesystem::path(name).parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  st_.working_folder = folder;
}

// No other file is taken while a page is composed, printed or exported.
void Parameters::Command2_Click() {
  auto run = work_->begin();
  if (!run) return;
  Choix_Fichier_SU();
  clear_preview();
}

void Parameters::Text1_DblClick() {
  auto run = work_->begin();
  if (!run) return;
  Choix_Fichier_SU();
  clear_preview();
}

void Parameters::Command3_Click() {
  if (sv_.messages.show("Quit parameters module ?", MsgIcon::Question, MsgButtons::OkCancel, kOmbrixTitle) ==
      MsgAnswer::Ok)
    end_program();
}

void Parameters::Lit_Parametres() {
  const Settings s = keld::ombrix::Lit_Parametres();
  st_.Graphical_Prog = s.Graphical_Prog;
  st_.mv.Large_plot = s.Large_plot;
  st_.mv.Enlarge = s.Enlarge;
  st_.mv.Haut_plot = s.Haut_plot;
  st_.mv.Time_plot = s.Time_plot;
  st_.mv.Time_Line = s.Time_Line;
  st_.mv.Label_Spacing = s.Label_Spacing;
  Text4->setText(Num(s.Large_plot / kTwipsPerMm));
  Text12->setText(Num(s.Enlarge));
  Text5->setText(Num(s.Haut_plot / kTwipsPerMm));
  Text6->setText(Num(s.Time_plot));
  Text7->setText(Num(s.Time_Line));
  Text10->setText(Num(s.Label_Spacing));
  Text13->setText(QString::fromStdString(s.Orient1));
  Text14->setText(QString::fromStdString(s.Orient2));
  SetCheck(Egal, s.egal);
  SetCheck(fold, s.fold);
  SetCheck(Inverse_trace, s.inverse);
  SetCheck(topo, s.topo);
  SetCheck(time, s.time);
  SetCheck(Dead, s.dead);
  SetCheck(velocity, s.velocity);
  SetCheck(crop, s.crop);
}

void Parameters::Sauve_Parametres() {
  Settings s;
  s.Graphical_Prog = st_.Graphical_Prog;
  s.Large_plot = st_.mv.Large_plot;
  s.Enlarge = st_.mv.Enlarge;
  s.Haut_plot = st_.mv.Haut_plot;
  s.Time_plot = st_.mv.Time_plot;
  s.Time_Line = st_.mv.Time_Line;
  s.Label_Spacing = st_.mv.Label_Spacing;
  s.Orient1 = Text13->text().toStdString();
  s.Orient2 = Text14->text().toStdString();
  auto v = [](QCheckBox* c) { return c->checkState() == Qt::Checked ? 1 : c->checkState() == Qt::PartiallyChecked ? 2 : 0; };
  s.egal = v(Egal);
  s.fold = v(fold);
  s.inverse = v(Inverse_trace);
  s.topo = v(topo);
  s.time = v(time);
  s.dead = v(Dead);
  s.velocity = v(velocity);
  s.crop = v(crop);
  if (!keld::ombrix::Sauve_Parametres(s))
    sv_.messages.ok("The settings could not be written to ombrix.ini", MsgIcon::Exclamation, kOmbrixTitle);
}

Controls Parameters::ReadControls() const {
  Controls c;
  auto t = [](QLineEdit* e) { return e->text().toStdString(); };
  auto v = [](QCheckBox* b) { return b->checkState() == Qt::Checked ? 1 : b->checkState() == Qt::PartiallyChecked ? 2 : 0; };
  c.Text1 = t(Text1);
  c.Text2 = t(Text2);
  c.Text3 = t(Text3);
  c.Text4 = t(Text4);
  c.Text5 = t(Text5);
  c.Text6 = t(Text6);
  c.Text7 = t(Text7);
  c.Text8 = t(Text8);
  c.Text9 = t(Text9);
  c.Text10 = t(Text10);
  c.Text12 = t(Text12);
  c.Text13 = t(Text13);
  c.Text14 = t(Text14);
  c.Text15 = t(Text15);
  c.fold = v(fold);
  c.topo = v(topo);
  c.CDP = v(CDP);
  c.time = v(time);
  c.velocity = v(velocity);
  c.Egal = v(Egal);
  c.Inverse_trace = v(Inverse_trace);
  c.Check1 = v(Check1);
  c.Dead = v(Dead);
  c.crop = v(crop);
  c.combo1 = combo1->currentIndex();
  return c;
}

// The page size in twips of the printer's paper and orientation.
void Parameters::read_page_size() {
  const QRectF r = printer_->pageLayout().fullRectPoints();
  st_.page.width = static_cast<int32_t>(std::lround(r.width() * 20));
  st_.page.height = static_cast<int32_t>(std::lround(r.height() * 20));
}

std::string Parameters::paper_size_text() const {
  auto w = CInt(st_.page.width / kTwipsPerMm), h = CInt(st_.page.height / kTwipsPerMm);
  return Str(w ? *w : 0) + " x " + Str(h ? *h : 0);
}

}  // namespace keld::ombrix
