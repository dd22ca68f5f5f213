// The preview tab: composing the page when the tab opens, zoom, page and
// printer set-up, print, clipboard, the picture file, the outside graphical
// program and "End".
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPageLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QBuffer>

#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/text.hpp"
#include "ombrix/page/colours.hpp"
#include "ombrix/render/render.hpp"
#include "ombrix/window/parameters.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::ombrix {

namespace {

// A picture is SVG unless its name asks for PDF; a name that says neither
// (".wmf", as users of the old program type, or none) gets ".svg", so that
// the name tells what the file holds.
std::string WithPictureExtension(const std::string& name) {
  if (name.size() >= 4) {
    const std::string_view ext = std::string_view(name).substr(name.size() - 4);
    if (IEquals(ext, ".svg") || IEquals(ext, ".pdf")) return name;
  }
  return name + ".svg";
}

}  // namespace

void Parameters::SSTab1_Click(int index) {
  if (SSTab1->tabText(index) == "Print preview") {
    vp->setVisible(true);
    DoDocument();
  } else {
    vp->setVisible(false);
  }
}

void Parameters::DoDocument() {
  auto run = work_->begin();
  if (!run) return;
  if (combo1->currentIndex() < 0) combo1->setCurrentIndex(0);
  const Controls c = ReadControls();
  ComposeHooks hooks;
  hooks.messages = &sv_.messages;
  hooks.working_folder = st_.working_folder;
  hooks.progress = [this](int64_t done, int64_t total) {
    if (!ProgressBar1->isVisible() || done == 1) {
      ProgressBar1->setRange(1, int(std::max<int64_t>(1, total)));
      ProgressBar1->setVisible(true);
    }
    ProgressBar1->setValue(int(done));
    sv_.pump.pump();
  };
  hooks.stopped = run->stop_check();  // closed or ended meanwhile: no page
  hooks.locate_vel = [this](const std::string& folder) {
    FileDialogSpec desc;
    desc.title = "Velocity model selection";
    desc.folder = folder;
    desc.filter = "*.VEL|*.VEL|";
    desc.name = "*.VEL";
    desc.must_exist = true;
    return sv_.dialogs.open_file(desc);
  };
  setCursor(Qt::WaitCursor);
  // The composition hands control to the window at every trace: it draws from
  // a copy of the file's summary taken now, and no other file can be loaded
  // until it ends, so the samples it reads always fit the buffer it sized.
  const SuSummary su = st_.su;
  const ComposeOutcome out = keld::ombrix::DoDocument(st_.vp, st_.page, c, su, st_.mv, hooks);
  if (out.Text9) Text9->setText(QString::fromStdString(*out.Text9));
  ProgressBar1->setVisible(false);
  unsetCursor();
  if (!out.composed) st_.vp.KillDoc();
  vp->updatePreview();
}

void Parameters::clear_preview() {
  st_.vp.KillDoc();
  vp->updatePreview();
}

// Print, clipboard and picture file need a page: off while the preview is
// blank (nothing loaded yet, a refused layout, a cleared preview). Every
// change of the page happens in a run, so this follows the end of each run,
// once the guard has given the controls back.
void Parameters::show_page_buttons() {
  const bool page = st_.vp.page().composed;
  for (QPushButton* b : {cmdPrint, Command11, Record_WMF}) b->setEnabled(page);
}

void Parameters::cmbPercent_Click() {
  const double pct = Val(cmbPercent->currentText().toStdString());
  vp->setZoomMode(QPrintPreviewWidget::CustomZoom);
  if (pct > 0) vp->setZoomFactor(pct / 100);
}

void Parameters::cmbZoomMode_Click() {
  const int p = cmbZoomMode->currentIndex();
  if (p == 0) {
    vp->setViewMode(QPrintPreviewWidget::SinglePageView);
    cmbPercent_Click();
    cmbPercent->setEnabled(true);
    return;
  }
  cmbPercent->setEnabled(false);
  switch (p) {
    case 1:  // thumbnails of the pages
      vp->setViewMode(QPrintPreviewWidget::AllPagesView);
      break;
    case 2:
      vp->setViewMode(QPrintPreviewWidget::FacingPagesView);
      vp->setZoomMode(QPrintPreviewWidget::FitInView);
      break;
    case 4:
      vp->setViewMode(QPrintPreviewWidget::SinglePageView);
      vp->setZoomMode(QPrintPreviewWidget::FitToWidth);
      break;
    default:  // the whole page, stretched into the view
      vp->setViewMode(QPrintPreviewWidget::SinglePageView);
      vp->setZoomMode(QPrintPreviewWidget::FitInView);
      break;
  }
}

void Parameters::chkPhysicalPage_Click() { st_.physical_page = !st_.physical_page; }

void Parameters::chkShowGuides_Click() {
  st_.show_guides = chkShowGuides->isChecked();
  vp->updatePreview();
}

void Parameters::cmdPageSetup_Click() {
  auto run = work_->begin();
  if (!run) return;
  if (sv_.page_setup) sv_.page_setup(*printer_);
  const QMarginsF m = printer_->pageLayout().margins(QPageLayout::Millimeter);
  Text8->setText(QString::fromStdString(CStr(m.left())));
  Text9->setText(QString::fromStdString(CStr(m.top())));
  clear_preview();
  read_page_size();
  Text11->setText(QString::fromStdString(paper_size_text()));
  clear_preview();
}

void Parameters::cmdPrinterSetup_Click() {
  auto run = work_->begin();
  if (!run) return;
  const int32_t w0 = st_.page.width, h0 = st_.page.height;
  if (sv_.printer_setup) sv_.printer_setup(*printer_);
  read_page_size();
  if (st_.page.width != w0 || st_.page.height != h0) {
    clear_preview();
    Text11->setText(QString::fromStdString(paper_size_text()));
    const QString name = printer_->printerName();
    Text17->setText(name.isEmpty() ? QString("PDF file (no printer)") : name);
  }
}

// Prints the composed page; with no printer on the machine the page goes to a
// PDF file beside the SU file, and the user is told where.
void Parameters::cmdPrint_Click() {
  if (!st_.vp.page().composed) return;
  auto run = work_->begin();
  if (!run) return;
  const bool printer = sv_.has_printer ? sv_.has_printer() : !QPrinterInfo::availablePrinters().isEmpty();
  if (printer) {
    printer_->setOutputFormat(QPrinter::NativeFormat);
    const Status s = PrintPage(st_.vp.page(), *printer_);
    // A printer that cannot be used loses its name in Qt: the printer box
    // still shows it.
    const QString name = printer_->printerName().isEmpty() ? Text17->text() : printer_->printerName();
    if (!s)
      sv_.messages.ok("The page could not be printed on " + name.toStdString() + ": " + s.error,
                      MsgIcon::Critical, kOmbrixTitle);
    return;
  }
  const std::string& su = st_.su.path;
  const std::string name = (su.size() >= 2 ? su.substr(0, su.size() - 2) : su) + "pdf";
  if (Existe_file(name) == 1 &&
      !sv_.messages.yes("No printer is installed: the page goes to " + name +
                            ", which already exists. Replace this file ?",
                        MsgIcon::Question, kOmbrixTitle))
    return;
  Status s = SavePicture(st_.vp.page(), name);
  if (s)
    sv_.messages.ok("No printer is installed: the page has been written to " + name, MsgIcon::Information,
                    kOmbrixTitle);
  else
    sv_.messages.ok("No printer is installed and the PDF file could not be written: " + s.error,
                    MsgIcon::Critical, kOmbrixTitle);
}

void Parameters::ListePolices_Click() {
  if (ListePolices->currentIndex() < 0) return;
  st_.vp.style.font_name = ListePolices->currentText().toStdString();
}

std::optional<QRect> Parameters::crop_rect() const {
  if (crop->checkState() != Qt::Checked) return std::nullopt;
  const int32_t L = st_.page.left, T = st_.page.top;
  return QRect(QPoint(L, T), QPoint(L + int32_t(st_.mv.Large_plot), T + int32_t(st_.mv.Haut_plot)));
}

void Parameters::Command11_Click() {
  if (!st_.vp.page().composed) return;
  auto run = work_->begin();
  if (!run) return;
  const auto r = crop_rect();
  auto* mime = new QMimeData;
  mime->setImageData(PageImage(st_.vp.page(), 150, r));
  mime->setData("image/svg+xml", PageSvg(st_.vp.page(), r));
  QApplication::clipboard()->clear();
  QApplication::clipboard()->setMimeData(mime);
}

// The picture file: SVG (PDF when the name ends in ".pdf"), written beside its
// name and renamed over an older file only when complete.
void Parameters::Record_WMF_Click() {
  if (!st_.vp.page().composed) return;
  auto run = work_->begin();
  if (!run) return;
  const std::string& su = st_.su.path;
  const std::string proposed = (su.size() >= 2 ? su.substr(0, su.size() - 2) : su) + "svg";
  auto answer = sv_.messages.input("Enter the file name", "WMF file option", proposed);
  if (!answer || answer->empty()) return;
  const std::string name = WithPictureExtension(*answer);
  if (Existe_file(name) == 1 &&
      !sv_.messages.yes(name + " alreday exists, replace this file ?", MsgIcon::Question, kOmbrixTitle))
    return;
  Status s = SavePicture(st_.vp.page(), name, crop_rect());
  if (!s) {
    sv_.messages.ok("Error nb " + Str(75) + "  " + s.error + " happens", MsgIcon::Critical, kOmbrixTitle);
    return;
  }
  const int64_t bytes = FileLength(name).value_or(0);
  sv_.messages.ok(name + Str(RoundHalfEven(bytes / 1000.0)) + " Kb has been recorded", MsgIcon::Information,
                  kOmbrixTitle);
}

void Parameters::Command14_Click() {
  if (st_.Graphical_Prog.size() <= 4) {
    sv_.messages.ok("You must locate your program", MsgIcon::Information, kOmbrixTitle);
    FileDialogSpec desc;
    desc.title = "Graphical tool selection";
    desc.folder = st_.working_folder;
    desc.filter = "Programs|*|";
    desc.name = "*.EXE";
    desc.must_exist = true;
    auto chosen = sv_.dialogs.open_file(desc);
    if (!chosen || chosen->size() <= 4) return;  // cancelled: the old program stays
    st_.Graphical_Prog = *chosen;
  }
  StartRequest req;
  req.program = st_.Graphical_Prog;
  req.style = WindowStyle::Normal;
  sv_.launcher.start(req);
}

void Parameters::Command13_Click() {
  Sauve_Parametres();
  end_program();
}

void Parameters::end_program() {
  // During a composition the window is closed instead: the composition stops,
  // and the program ends with its last window once the handler has unwound.
  if (work_->running())
    close();
  else if (sv_.quit)
    sv_.quit();
}

}  // namespace keld::ombrix
