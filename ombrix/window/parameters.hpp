#pragma once
// The window "Parameters" of ombrix: three tabs ("Parameters", "Print preview",
// "Setup"). The controls carry the object names the program has always used,
// the handlers the names of their events; the composition, the rendering and
// the settings live in the page and render libraries.
#include <QWidget>

#include <memory>
#include <string>

#include "ombrix/page/compose.hpp"
#include "ombrix/window/ombrix_services.hpp"
#include "ombrix/window/ombrix_state.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPrintPreviewWidget;
class QPrinter;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace keld {
class WorkGuard;
}

namespace keld::ombrix {

class Parameters : public QWidget {
 public:
  Parameters(OmbrixState& st, OmbrixServices& sv, QWidget* parent = nullptr);
  ~Parameters() override;

  // Form_Load with the whole command-line text.
  void Form_Load(const std::string& command_line);

  void Choix_Fichier_SU();
  bool Lit_Entete_SU(const std::string& path);
  void DoDocument();
  Controls ReadControls() const;
  void Lit_Parametres();
  void Sauve_Parametres();
  QPrinter& printer() { return *printer_; }

  // Event handlers.
  void Command2_Click();
  void Text1_DblClick();
  void Command3_Click();
  void SSTab1_Click(int index);
  void combo1_Click(int index);
  void cmbPercent_Click();
  void cmbZoomMode_Click();
  void chkPhysicalPage_Click();
  void chkShowGuides_Click();
  void cmdPageSetup_Click();
  void cmdPrinterSetup_Click();
  void cmdPrint_Click();
  void ListePolices_Click();
  void Command11_Click();
  void Record_WMF_Click();
  void Command14_Click();
  void Command13_Click();

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void build_parameters_tab(QWidget* tab);
  void build_preview_tab(QWidget* tab);
  void build_setup_tab(QWidget* tab);
  void install_box_rules();
  void normalise(QLineEdit* box, const QString& text);
  void clear_preview();
  void show_page_buttons();
  void read_page_size();
  std::string paper_size_text() const;
  std::optional<QRect> crop_rect() const;
  void end_program();

  OmbrixState& st_;
  OmbrixServices& sv_;
  std::unique_ptr<QPrinter> printer_;
  // A composition, a print, an export, a file choice or a set-up dialog runs
  // inside its handler, one at a time; a close stops it and waits for it.
  WorkGuard* work_ = nullptr;

 public:
  // Controls, by their names.
  QTabWidget* SSTab1 = nullptr;
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr,
            *Text6 = nullptr, *Text7 = nullptr, *Text8 = nullptr, *Text9 = nullptr, *Text10 = nullptr,
            *Text11 = nullptr, *Text12 = nullptr, *Text13 = nullptr, *Text14 = nullptr,
            *Text15 = nullptr, *Text16 = nullptr, *Text17 = nullptr, *Text18 = nullptr;
  QPushButton *Command2 = nullptr, *Command3 = nullptr, *cmdPrint = nullptr, *Command11 = nullptr,
              *Record_WMF = nullptr, *Command14 = nullptr, *Command13 = nullptr,
              *cmdPageSetup = nullptr, *cmdPrinterSetup = nullptr;
  QComboBox *combo1 = nullptr, *cmbPercent = nullptr, *cmbZoomMode = nullptr, *ListePolices = nullptr;
  QCheckBox *fold = nullptr, *topo = nullptr, *CDP = nullptr, *time = nullptr, *velocity = nullptr,
            *Egal = nullptr, *Inverse_trace = nullptr, *crop = nullptr, *Dead = nullptr,
            *Check1 = nullptr, *chkPhysicalPage = nullptr, *chkShowGuides = nullptr;
  QPrintPreviewWidget* vp = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
};

}  // namespace keld::ombrix
