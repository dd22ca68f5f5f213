#include "conversion/shell/start_window.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/files.hpp"
#include "conversion/shell/module1.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

const WindowFactory* WindowRegistry::find_window(const std::string& key) const {
  auto it = windows_.find(key);
  return it == windows_.end() ? nullptr : &it->second;
}

const WindowAction* WindowRegistry::find_action(const std::string& key) const {
  auto it = actions_.find(key);
  return it == actions_.end() ? nullptr : &it->second;
}

const std::vector<LanceStep>& LanceOrder() {
  static const std::vector<LanceStep> order = {
      {"Option1", nullptr},     {"Option24", nullptr}, {"Option2", kSegy2Su}, {"Option3", kKgsInt2Su},
      {"Option4", nullptr},     {"Option5", nullptr},  {"Option6", nullptr},  {"Option7", nullptr},
      {"Option8", nullptr},     {"Option9", kKgs2Su},  {"Option10", nullptr}, {"Option11", kSu2Kgs},
      {"Option12", nullptr},    {"Option14", nullptr}, {"Option13", kSegd2Su}, {"Option15", nullptr},
      {"Option16", nullptr},    {"Option17", nullptr}, {"Option18", nullptr}, {"Option19", nullptr},
      {"Option20", nullptr},    {"Option23", nullptr},
  };
  return order;
}

std::string NotAvailableText(const std::string& caption) {
  return "\"" + caption + "\" is not available yet in this version of conversion";
}

std::string NotPartOfSuiteText(const std::string& program, const std::string& what, const std::string& folder) {
  return program + ", the maker's " + what + " viewer, is not part of this suite: put it in " + folder +
         " to use this choice";
}

namespace {

struct OptionDesc {
  int n;
  const char* caption;
};

struct FrameDesc {
  const char* name;
  const char* caption;
  std::vector<OptionDesc> options;
};

const std::vector<FrameDesc>& Frames() {
  static const std::vector<FrameDesc> frames = {
      {"Frame1",
       "To Seismic Unix",
       {{1, "SEG-2 to Seismic Unix"},
        {2, "SEG-Y to Seismic Unix"},
        {3, "KGS integer to Seismic Unix"},
        {4, "ES-1225 to Seismic Unix"},
        {5, "ABEM Mark 3 to Seismic Unix"},
        {6, "Korvan to Seismic Unix"},
        {7, "Other files to Seismic Unix"},
        {9, "KGS floating to Seismic Unix"},
        {10, "OYO McSEIS-170"},
        {13, "SEG-D to Seismic Unix"},
        {14, "Bison 5000 to Seismic Unix"},
        {16, "PASI LCM-12 Ascii"},
        {19, "Ambrogeo"},
        {21, "Option21"},
        {23, "ASCII to SU"}}},
      {"Frame2",
       "Reverse conversion",
       {{8, "Seismic Unix to Ascii (1 file/channel)"},
        {11, "Seismic Unix to KGS floating"},
        {15, "Seismic Unix to SEG-Y"},
        {20, "Add SU files"},
        {22, "Option22"},
        {24, "Seismic Unix to ASCII (1 file with x channels)"}}},
      {"Frame3",
       "Radar files to SU",
       {{12, "RAMAC Radar files"}, {17, "EKKO Pulse DT1 to Seismic Unix"}, {18, "GSSI DZT radar to SU"}}},
      {"Frame4", "Display field data", {{25, "SEG-2"}, {26, "SEG-Y"}, {27, "GSSI Radar file"}}},
  };
  return frames;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

StartWindow::StartWindow(ConversionState& st, ConversionServices& sv, WindowRegistry registry)
    : QWidget(nullptr), cx_{st, sv, {}, {}}, registry_(std::move(registry)) {
  cx_.show = [this](const std::string& key) { ShowWindow(key); };
  cx_.batch_conversions = registry_.batches();
  setObjectName("conversion");
  setWindowTitle("Velquist Seismic file conversion ");
  auto* v = new QVBoxLayout(this);
  auto* frames = new QHBoxLayout;
  for (const auto& f : Frames()) {
    auto* box = new QGroupBox(f.caption, this);
    box->setObjectName(f.name);
    if (std::string(f.name) == "Frame1") box->setToolTip("Select a file format and press on CONVERT");
    auto* fv = new QVBoxLayout(box);
    for (const auto& o : f.options) {
      auto* b = new QRadioButton(o.caption, box);
      b->setObjectName(QString("Option%1").arg(o.n));
      fv->addWidget(b);
      options_[o.n] = b;
      // Option21 and Option22 do nothing.
      if (o.n == 21 || o.n == 22) continue;
      if (o.n == 25)
        connect(b, &QRadioButton::clicked, this, [this] { Option25_Click(); });
      else if (o.n == 26)
        connect(b, &QRadioButton::clicked, this, [this] { Option26_Click(); });
      else if (o.n == 27)
        connect(b, &QRadioButton::clicked, this, [this] { Option27_Click(); });
      else
        connect(b, &QRadioButton::clicked, this, [this] { Lance(); });
    }
    fv->addStretch();
    frames->addWidget(box);
  }
  v->addLayout(frames);

  Check1 = new QCheckBox("Close SU windows automatically", this);
  Check1->setObjectName("Check1");
  Check1->setToolTip("This option can make problems, you can cancel this option ");
  Check1->setChecked(true);
  v->addWidget(Check1);

  auto* buttons = new QHBoxLayout;
  Command3 = new QPushButton("Info", this);
  Command3->setObjectName("Command3");
  Command3->setToolTip("How to use this module");
  Command4 = new QPushButton("Seismic file explorer", this);
  Command4->setObjectName("Command4");
  Command4->setToolTip("\"Use this option to pick a value ine any file\"");
  Command2 = new QPushButton("Quit", this);
  Command2->setObjectName("Command2");
  Command2->setToolTip("Click here when conversion is done");
  buttons->addWidget(Command3);
  buttons->addWidget(Command4);
  buttons->addStretch();
  buttons->addWidget(Command2);
  v->addLayout(buttons);

  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  // While an export runs, no option acts (each would run its own again).
  work_ = new WorkGuard(this, {Check1, Command4});
  for (QGroupBox* f : findChildren<QGroupBox*>()) work_->guard(f);
}

StartWindow::~StartWindow() = default;

QRadioButton* StartWindow::Option(int n) const {
  auto it = options_.find(n);
  return it == options_.end() ? nullptr : it->second;
}

void StartWindow::Form_Load() {
  cx_.st.Shell_Prefix = kShellPrefixClose;
  cx_.st.CrLf = "\r\n";
  Lit_ini(cx_.st);
}

void StartWindow::Lance() {
  auto run = work_->begin();
  if (!run) return;
  cx_.st.Shell_Prefix = Check1->isChecked() ? kShellPrefixClose : "";
  for (const auto& step : LanceOrder()) {
    if (run->stopped()) return;  // Quit during an export: nothing more
    QRadioButton* b = findChild<QRadioButton*>(step.option);
    if (!b || !b->isChecked()) continue;
    if (std::string(step.option) == "Option1") {
      Start_Seg2su();
      continue;
    }
    if (step.conversion_type) cx_.st.Conversion_Type = step.conversion_type;
    ShowWindow(step.option, run.get());
  }
}

QWidget* StartWindow::Opened(const std::string& key) const {
  auto it = opened_.find(key);
  return it == opened_.end() ? nullptr : it->second.data();
}

void StartWindow::ShowWindow(const std::string& key) { ShowWindow(key, nullptr); }

void StartWindow::ShowWindow(const std::string& key, WorkRun* run) {
  if (const WindowAction* act = registry_.find_action(key)) {
    std::unique_ptr<WorkRun> own;
    if (!run) {
      own = work_->begin();
      if (!own) return;
      run = own.get();
    }
    (*act)(cx_, this, *run);
    return;
  }
  QWidget* w = Opened(key);
  if (!w) {
    const WindowFactory* make = registry_.find_window(key);
    if (make) w = (*make)(cx_, this);
    if (!w) {
      QString caption = key == "Command4" ? Command4->text() : QString::fromStdString(key);
      if (auto* b = findChild<QRadioButton*>(Q(key))) caption = b->text();
      cx_.sv.msg.ok(NotAvailableText(caption.toStdString()), MsgIcon::Information, kTitle);
      return;
    }
    // A window closed by its user is gone; the next choice makes a new one.
    w->setAttribute(Qt::WA_DeleteOnClose);
    opened_[key] = w;
  }
  w->show();
  w->raise();
  w->activateWindow();
}

void StartWindow::Start_Seg2su() {
  StartRequest req;
  req.program = cx_.sv.program_folder + "/seg2su";
  req.style = WindowStyle::Normal;
  if (!Existe_file(req.program) || !cx_.sv.proc.start(req))
    cx_.sv.msg.ok("SEG2SU.EXE must be in the same folder as CONVERSION.EXE", MsgIcon::None, "");
}

void StartWindow::StartViewer(const std::string& program, const std::string& what, bool check_exists) {
  const std::string path = cx_.sv.program_folder + "/" + program;
  // The maker's viewers do not come with the suite: a missing one says so.
  const std::string not_ours = cx_.st.CrLf + NotPartOfSuiteText(program, what, cx_.sv.program_folder);
  if (check_exists && !Existe_file(path)) {
    cx_.sv.msg.ok("Download TOLVEX.EXE from web and put this file in BIN folder" + not_ours, MsgIcon::Critical, kTitle);
    return;
  }
  StartRequest req;
  req.program = path;
  req.workdir = cx_.sv.program_folder;
  req.style = WindowStyle::Normal;
  if (!Existe_file(path) || !cx_.sv.proc.start(req))
    cx_.sv.msg.ok("Unable to shell application:" + path + (Existe_file(path) ? "" : not_ours), MsgIcon::None, "");
}

void StartWindow::Option25_Click() { StartViewer("lorplot", "SEG-2", false); }
void StartWindow::Option26_Click() { StartViewer("lorploty", "SEG-Y", false); }
void StartWindow::Option27_Click() { StartViewer("tolvex", "radar", true); }

void StartWindow::Command2_Click() { close(); }

void StartWindow::Command3_Click() {
  static const char* const lines[] = {
      "Select the type of file and press on CONVERT",
      " If you don't know what type of file your seismograph",
      " produce, you must read the owner manual. ",
      " If your seismograph don't appears on the panel  ",
      " you can contact Velquist.  ",
      " E-mail us some file sample and all available informations ",
      " Number of samples, sample rate, traces per record...  ",
      " ALL TYPE OF FILES CAN BE CONVERTED !",
      " If you are familiar with \u00a8seismic data use OTHER FILE TO SU menu !",
      " This module can convert nearly all type of seismic file ",
  };
  std::string text;
  for (const char* l : lines) text += std::string(l) + "\r\n";
  cx_.sv.msg.ok(text, MsgIcon::Information, kTitle);
}

void StartWindow::Command4_Click() { ShowWindow("Command4"); }

void StartWindow::closeEvent(QCloseEvent* e) {
  // Closing the start window ends the program: every other window goes
  // first, each once its run has stopped (batch output windows too); this
  // one goes by itself when none is left. Its own export, if one runs, has
  // been stopped before this is reached (the guard holds the close).
  if (!CloseProgramWindows(this)) {
    e->ignore();
    return;
  }
  e->accept();
}

}  // namespace keld::conversion
