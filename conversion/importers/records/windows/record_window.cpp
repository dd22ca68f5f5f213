#include "conversion/importers/records/windows/record_window.hpp"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "common/numtext.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

Result<FileFront> ReadFront(const std::string& path, std::size_t n) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return Result<FileFront>::failure(path + ": " + std::strerror(errno));
  FileFront front;
  front.bytes.resize(n);
  const std::size_t got = std::fread(front.bytes.data(), 1, n, f);
  front.bytes.resize(got);
  struct stat st {};
  const bool bad = std::ferror(f) || ::fstat(fileno(f), &st) != 0;
  std::fclose(f);
  if (bad) return Result<FileFront>::failure(path + ": read error");
  front.size = static_cast<int64_t>(st.st_size);
  return front;
}

RecordWindow::RecordWindow(ConversionContext& cx, QWidget* parent, const char* name, const char* caption)
    : QWidget(parent, Qt::Window), cx_(cx) {
  setObjectName(name);
  setWindowTitle(caption);
  v_ = new QVBoxLayout(this);
  List1 = new QListWidget(this);
  List1->setObjectName("List1");
  List1->setMinimumSize(420, 120);
  v_->addWidget(List1, 1);
  g_ = new QGridLayout;
  v_->addLayout(g_);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  work_ = new WorkGuard(this);
}

QLineEdit* RecordWindow::Box(const char* name, const char* label, const char* text, const char* tip) {
  auto* e = new QLineEdit(text, this);
  e->setObjectName(name);
  if (tip) e->setToolTip(tip);
  auto* l = new QLabel(label, this);
  l->setBuddy(e);
  g_->addWidget(l, row_, 0);
  g_->addWidget(e, row_++, 1);
  return e;
}

QPushButton* RecordWindow::Button(const char* name, const char* caption, const char* tip) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(name);
  if (tip) b->setToolTip(tip);
  return b;
}

QLabel* RecordWindow::Label(const char* name, const char* text) {
  auto* l = new QLabel(text, this);
  l->setObjectName(name);
  return l;
}

QLabel* RecordWindow::SizeRow(const char* text) {
  QLabel* l = Label("Label8", text);
  g_->addWidget(new QLabel("Input file size", this), row_, 0);
  g_->addWidget(l, row_++, 1);
  return l;
}

QPushButton* RecordWindow::TopButton(const char* name, const char* caption) {
  QPushButton* b = Button(name, caption);
  v_->insertWidget(0, b);
  return b;
}

void RecordWindow::AddRow(QWidget* w) { v_->addWidget(w); }

void RecordWindow::ButtonRow(std::initializer_list<QWidget*> ws) {
  auto* h = new QHBoxLayout;
  for (QWidget* w : ws) h->addWidget(w);
  v_->addLayout(h);
}

void RecordWindow::AddConvertButtons(bool progress_visible) {
  AddRow(ProgressBar1);
  ProgressBar1->setVisible(progress_visible);
  Command1 = Button("Command1", "Convert");
  Command2 = Button("Command2", "Info");
  ButtonRow({Command1, Command2});
  // While a conversion runs, whatever starts or changes one is held; Info
  // stays live. The windows call this once their controls are all made.
  for (QWidget* c : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (c != Command2 && (qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                          qobject_cast<QGroupBox*>(c) || qobject_cast<QComboBox*>(c) || c == List1))
      work_->guard(c);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

QString RecordWindow::Q(const std::string& s) { return QString::fromStdString(s); }

std::optional<std::vector<std::string>> RecordWindow::PickRecords(const char* title, const char* filter,
                                                                  const char* name) {
  FileDialogSpec d;
  d.title = title;
  d.filter = filter;
  d.name = name;
  d.folder = cx_.st.Work_Dir;
  d.must_exist = true;
  auto picked = cx_.sv.dialogs.open_files(d);
  if (!picked || picked->empty()) return std::nullopt;
  std::string folder = std::filesystem::path(picked->front()).parent_path().string();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  cx_.st.Work_Dir = folder;
  return picked;
}

void RecordWindow::SetList(const std::vector<std::string>& files) {
  List1->clear();
  for (const auto& f : files) List1->addItem(QString::fromStdString(f));
}

std::vector<std::string> RecordWindow::ListFiles() const {
  std::vector<std::string> files;
  for (int i = 0; i < List1->count(); ++i) files.push_back(List1->item(i)->text().toStdString());
  return files;
}

void RecordWindow::PickOutput(QLineEdit* box, const char* title, const char* filter, bool save) {
  FileDialogSpec d;
  d.title = title;
  d.filter = filter;
  d.name = "*.SU";
  d.folder = cx_.st.Work_Dir;
  auto picked = save ? cx_.sv.dialogs.save_file(d) : cx_.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) return;
  box->setText(QString::fromStdString(*picked));
}

void RecordWindow::OutputOnDoubleClick(QLineEdit* box, std::function<void()> open) {
  dbl_box_ = box;
  dbl_open_ = std::move(open);
  box->installEventFilter(this);
}

bool RecordWindow::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == dbl_box_ && ev->type() == QEvent::MouseButtonDblClick && dbl_open_) {
    dbl_open_();
    return true;
  }
  return QWidget::eventFilter(obj, ev);
}

std::string RecordWindow::T(const QLineEdit* e) { return e->text().toStdString(); }

std::optional<int32_t> RecordWindow::Whole(const QLineEdit* e, const char* what) {
  auto v = CLng(Val(T(e)));
  if (!v) cx_.sv.msg.ok(std::string(what) + ": " + T(e) + " is too large", MsgIcon::Critical, kTitle);
  return v;
}

void RecordWindow::ShowHelp(const std::string& text, MsgIcon icon, const std::string& title) {
  cx_.sv.msg.ok(text, icon, title);
}

bool RecordWindow::Run(RecordRun run, const RecordReader& read, const Closing& how) {
  auto work = work_->begin();  // a close during one of its boxes waits for the end
  if (!work) return false;
  MessageBoxes& msg = cx_.sv.msg;
  // Counted in 64 bits: records x channels can pass what the bar's int
  // holds, and then the bar moves one step every `scale` traces.
  const int64_t per_record = how.progress_by_record ? 1 : std::max(1, how.channels);
  const int64_t steps = how.progress_by_record ? std::min(run.records, kMaxRecords)
                                               : static_cast<int64_t>(run.records) * per_record;
  const int64_t scale = std::max<int64_t>(steps, 1) / std::numeric_limits<int>::max() + 1;
  ProgressBar1->setMinimum(1);
  ProgressBar1->setMaximum(static_cast<int>(std::max<int64_t>(1, steps / scale)));
  ProgressBar1->setVisible(true);
  run.on_limit = [&] { msg.ok(kMaximumRecords, MsgIcon::None, kProgramTitle); };
  run.on_record = [&](int r, int) {
    ProgressBar1->setValue(static_cast<int>(std::max<int64_t>(1, ((r - 1) * per_record + 1) / scale)));
  };
  if (!how.progress_by_record)
    run.on_trace = [&](int64_t t) {
      ProgressBar1->setValue(static_cast<int>(std::max<int64_t>(1, std::min(t + 1, steps) / scale)));
    };
  // The window answers between traces; a close or Quit stops the run, which
  // then leaves the old output as it was (see WorkGuard).
  run.go_on = [&] { return work->keep_going(cx_.sv.pump); };
  if (!run.files.empty()) cx_.st.Input_File = run.files.front();
  cx_.st.Output_File = run.output;
  setCursor(Qt::WaitCursor);
  const RecordOutcome out = ConvertRecords(run, read);
  unsetCursor();  // the arrow comes back whatever happened
  if (out.stopped) return false;  // closed or Quit: nobody left to tell
  if (!out.ok()) {
    msg.ok(out.error->message(), out.error->critical || out.error->number == 0 ? MsgIcon::Critical : MsgIcon::None,
           out.error->critical ? kTitle : kProgramTitle);
    return false;
  }
  ProgressBar1->setValue(ProgressBar1->maximum());
  // Records past the 99 of a run were left out: that is said first, and no
  // OK; the window stays open for the rest.
  if (out.left_out) {
    msg.ok(LeftOutText(out.left_out, run.output), MsgIcon::Exclamation, kTitle);
    return true;
  }
  msg.ok(how.done, how.icon, how.title);
  if (how.close_window) work->close_window_after();
  return true;
}

}  // namespace keld::conversion
