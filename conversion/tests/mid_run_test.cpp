// Every window of conversion that runs work, closed and pressed while the
// work runs: batches of slow stand-ins for the Seismic Unix programs, and the
// in-process joins, exports and imports, each stopped at its first hand-back
// to the window system. The program survives, every button that starts or
// changes work is off meanwhile, the window goes once the run has unwound,
// and the output is the old file, never half of a new one.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/bytes.hpp"
#include "common/profile.hpp"
#include "common/su_file.hpp"
#include "conversion/importers/korvan_window.hpp"
#include "conversion/shell/batch_output_window.hpp"
#include "conversion/shell/add_su_window.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/shell/segy_window.hpp"
#include "conversion/shell/su2sgy_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

namespace keld::conversion {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::ConversionHarness;

constexpr const char* kOld = "the old output";

class MidRun : public ::testing::Test {
 protected:
  void SetUp() override {
    h = std::make_unique<ConversionHarness>(dir.path());
    fs::create_directories(data);
    // Stand-ins that write a little, mark that they run, then take their time.
    fs::create_directories(tools);
    const std::string slow = "echo started > \"$(dirname \"$0\")/started\"; exec sleep 60\n";
    Script("segyread", "printf partial\n" + slow);
    Script("segdread", "printf partial\n" + slow);
    Script("segyclean", "exec cat\n");
    Script("segyhdrs", "exit 0\n");
    Script("segywrite", "for a; do case $a in tape=*) printf half > \"${a#tape=}\";; esac; done\n" + slow);
    WritePrivateProfileString("VISUAL_KE", "Directory1", tools + "/", "Visual_KELD.ini");
    keld::testing::WriteText(out, kOld);
    keld::testing::WriteText(dir / "work/tmp.su", "korvan's unsaved shot");
  }
  void TearDown() override {
    h.reset();
    delete timers_;
  }
  void Script(const std::string& name, const std::string& body) {
    const std::string p = tools + "/" + name;
    keld::testing::WriteText(p, "#!/bin/sh\n" + body);
    fs::permissions(p, fs::perms::owner_all);
  }
  // Runs `act` once from the event loop as soon as `ready` holds (at the
  // first hand-back when `ready` is empty).
  void When(std::function<bool()> ready, std::function<void()> act) {
    auto* t = new QTimer(timers_);
    t->setInterval(ready ? 2 : 0);
    QObject::connect(t, &QTimer::timeout, [t, ready, act] {
      if (ready && !ready()) return;
      t->stop();
      act();
    });
    t->start();
  }
  std::function<bool()> Started() {
    return [this] { return fs::exists(tools + "/started"); };
  }
  // The close box: WM_DELETE_WINDOW comes to the native window, which hands
  // the widget a spontaneous close.
  static void CloseAsTheWindowManagerDoes(QWidget* w) {
    QCloseEvent close;
    QApplication::sendEvent(w->windowHandle(), &close);
  }
  // Mid-run: every button but those of `live` is off; the live ones are
  // pressed, `closer` last (by its button, the close box when it is "", the
  // start window's Quit when it is "Quit").
  void PressEveryButton(QWidget* w, std::set<std::string> live, const std::string& closer) {
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
      const std::string name = b->objectName().toStdString();
      if (name.empty() || name.rfind("qt_", 0) == 0 || !b->isVisibleTo(w)) continue;
      if (!live.count(name)) {
        EXPECT_FALSE(b->isEnabled()) << name << " is live during a run";
        b->click();  // does nothing
      } else if (name != closer) {
        b->click();
      }
    }
    const size_t asked = h->dialogs.asked.size();
    if (closer.empty())
      CloseAsTheWindowManagerDoes(w);
    else if (closer == "Quit")
      h->window->Command2->click();
    else
      w->findChild<QAbstractButton*>(QString::fromStdString(closer))->click();
    EXPECT_TRUE(w->isVisible());  // held until the run has unwound
    EXPECT_EQ(h->dialogs.asked.size(), asked);
  }
  // Events until `done` holds (bounded, so a failure ends).
  void Settle(const std::function<bool()>& done) {
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (!done() && Clock::now() < until) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QThread::msleep(1);
    }
  }
  // The output folder holds `n` files: no part of a new output beside the old.
  void OldOutputOnly(size_t n) {
    const std::string now = keld::testing::ReadText(out);
    EXPECT_TRUE(now == kOld) << out << " holds " << now.size() << " bytes, not the old output";
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(data)) names.insert(e.path().filename().string());
    EXPECT_EQ(names.size(), n) << *names.rbegin();
    EXPECT_EQ(keld::testing::ReadText(dir / "work/tmp.su"), "korvan's unsaved shot");
  }
  std::string SuFile(const std::string& name, int traces, int ns = 8) {
    std::vector<SuTrace> v(static_cast<size_t>(traces));
    for (int i = 0; i < traces; ++i) {
      v[static_cast<size_t>(i)].header.ns = static_cast<int16_t>(ns);
      v[static_cast<size_t>(i)].header.dt = 1000;
      v[static_cast<size_t>(i)].header.tracf = i + 1;
      v[static_cast<size_t>(i)].samples.assign(static_cast<size_t>(ns), static_cast<float>(i));
    }
    const std::string p = data + "/" + name;
    EXPECT_TRUE(WriteSuFile(p, v));
    return p;
  }
  QWidget* Open(int option) {
    h->Choose(option);
    return h->window->Opened("Option" + std::to_string(option));
  }

  keld::testing::TempDir dir;
  const std::string data = dir / "field", tools = dir / "tools", out = dir / "field/out.su";
  std::unique_ptr<ConversionHarness> h;
  QObject* timers_ = new QObject;
};

TEST_F(MidRun, ConversionWindowBatchesStopWhenClosedOrCancelled) {
  keld::testing::WriteText(data + "/shot.sgd", "segd");
  for (const char* type : {kSegd2Su, kSegy2Su}) {
    SCOPED_TRACE(type);
    fs::remove(tools + "/started");
    auto* w = dynamic_cast<ConvertWindow*>(Open(13));
    ASSERT_TRUE(w);
    QPointer<QWidget> alive = w;
    h->state.Conversion_Type = type;
    w->Text1->setText(QString::fromStdString(data + "/shot.sgd"));
    w->Text2->setText(QString::fromStdString(out));
    When(Started(), [&] {
      w->Command2_Click();  // a second run is refused
      PressEveryButton(w, {"Command1"}, "Command1");  // Cancel closes
    });
    const auto t0 = Clock::now();
    w->Command2->click();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(30));
    EXPECT_TRUE(h->messages.shown.empty()) << h->messages.last().text;  // nobody left to tell
    Settle([&] { return alive.isNull(); });
    EXPECT_TRUE(alive.isNull());
    OldOutputOnly(2);
  }
}

TEST_F(MidRun, AFailedBatchKeepsTheOldOutputAndQuitClosesItsWindowToo) {
  Script("segdread", "printf partial; echo 'segdread: no SEG-D header' >&2; exit 1\n");
  keld::testing::WriteText(data + "/shot.sgd", "segd");
  h->window->Check1->setChecked(false);  // batch windows stay open
  auto* w = dynamic_cast<ConvertWindow*>(Open(13));
  ASSERT_TRUE(w);
  w->Text1->setText(QString::fromStdString(data + "/shot.sgd"));
  w->Text2->setText(QString::fromStdString(out));
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_EQ(h->messages.last().text, out + " kept as it was:\nsegdread: no SEG-D header");
  OldOutputOnly(2);
  auto batch = w->findChild<QWidget*>("BatchOutput");
  ASSERT_TRUE(batch && batch->isVisible());
  // Quit: every window goes, the batch window with them, then the program.
  h->window->Command2->click();
  Settle([&] { return !h->window->isVisible(); });
  for (QWidget* t : QApplication::topLevelWidgets()) EXPECT_FALSE(t->isVisible()) << t->objectName().toStdString();
}

TEST_F(MidRun, SegyImportRunsStopWhenClosedAndCancelled) {
  auto segy = keld::testing::TestData("segy");
  if (!segy) GTEST_SKIP() << "test data folder is missing beside the checkout";
  fs::copy_file(*segy + "/segyio_small.sgy", data + "/a.sgy");
  // The conversion run, then the test run, each closed mid-run; then a run
  // stopped by its Cancel button, which leaves the window open.
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    fs::remove(tools + "/started");
    h->messages.clear();
    auto* w = dynamic_cast<SegyWindow*>(Open(2));
    ASSERT_TRUE(w);
    QPointer<QWidget> alive = w;
    h->dialogs.multi.push_back(std::vector<std::string>{data + "/a.sgy"});
    w->Command1->click();
    w->Text2->setText(QString::fromStdString(out));
    h->messages.answer(MsgAnswer::Yes);  // the output exists: replace it
    When(Started(), [&] {
      w->Select_i();  // refused, like the handlers below
      w->Command2_Click();
      w->Command5_Click();
      if (k < 2)
        PressEveryButton(w, {"Command6"}, k == 0 ? "Quit" : "");
      else
        w->Command6->click();
    });
    k == 1 ? w->Command5->click() : w->Command2_Click();
    const std::string scratch = w->ScratchFolder();
    if (k < 2) {
      EXPECT_TRUE(h->messages.shown.size() <= 1u) << h->messages.last().text;
      Settle([&] { return alive.isNull() && (k != 0 || !h->window->isVisible()); });
      EXPECT_TRUE(alive.isNull());
      EXPECT_FALSE(fs::exists(scratch));
      if (k == 0) {
        EXPECT_FALSE(h->window->isVisible());  // Quit ends the program once the run has unwound
      }
    } else {
      // Asked for: told as a stop, not as a problem.
      EXPECT_EQ(h->messages.last().text, "Conversion stopped: " + out + " kept as it was");
      EXPECT_EQ(h->messages.last().icon, MsgIcon::Information);
      EXPECT_TRUE(w->Command5->isEnabled());
      EXPECT_FALSE(w->Command6->isEnabled());
      w->close();
    }
    OldOutputOnly(2);
  }
}

TEST_F(MidRun, AKilledSegyImportLeavesNoFileNorItsFolder) {
  auto segy = keld::testing::TestData("segy");
  if (!segy) GTEST_SKIP() << "test data folder is missing beside the checkout";
  fs::copy_file(*segy + "/segyio_small.sgy", data + "/a.sgy");
  auto* w = dynamic_cast<SegyWindow*>(Open(2));
  ASSERT_TRUE(w);
  h->dialogs.multi.push_back(std::vector<std::string>{data + "/a.sgy"});
  w->Command1->click();
  w->Text2->setText(QString::fromStdString(out));
  h->messages.answer(MsgAnswer::Yes);  // the output exists: replace it
  // A copy of the program killed mid-run (its SIGTERM handler acts on the
  // same files and batch): the batch, its SU file and the joined part go,
  // then the window's folder.
  std::string scratch;
  bool killed = false, folder_left = true;
  When(Started(), [&] {
    if (const pid_t pid = ::fork(); pid == 0) {
      ::raise(SIGTERM);
      ::_exit(1);
    } else {
      int status = 0;
      killed = ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
    }
    scratch = w->ScratchFolder();
    folder_left = fs::exists(scratch);
  });
  w->Command2_Click();
  EXPECT_TRUE(killed);
  EXPECT_FALSE(folder_left) << scratch;
  w->close();
  OldOutputOnly(2);
}

TEST_F(MidRun, SuToSegyStopsWhenClosed) {
  const std::string su = SuFile("line.su", 4);
  auto* w = dynamic_cast<Su2SgyWindow*>(Open(15));
  ASSERT_TRUE(w);
  QPointer<QWidget> alive = w;
  h->dialogs.files.push_back(su);
  w->Command3->click();
  w->Text2->setText(QString::fromStdString(out));
  When(Started(), [&] { PressEveryButton(w, {"Command1", "Command5"}, "Command1"); });
  w->Command2->click();
  EXPECT_EQ(h->messages.texts(), (std::vector<std::string>{out + " already exists, delete this file ?",
                                                            Su2SgyHelpText("\r\n")}));  // Info stays live
  Settle([&] { return alive.isNull(); });
  EXPECT_TRUE(alive.isNull());
  OldOutputOnly(2);
}

TEST_F(MidRun, ClosingABatchWindowStopsItsBatch) {
  const std::string su = SuFile("line.su", 4);
  auto* w = dynamic_cast<Su2SgyWindow*>(Open(15));
  ASSERT_TRUE(w);
  w->time_limit = std::chrono::minutes(2);  // far past the bound below: only the close ends the batch in time
  h->dialogs.files.push_back(su);
  w->Command3->click();
  w->Text2->setText(QString::fromStdString(out));
  When(Started(), [&] {
    auto* batch = w->findChild<QWidget*>("BatchOutput");
    ASSERT_TRUE(batch && batch->isVisible());
    batch->close();
  });
  const auto t0 = Clock::now();
  w->Command2->click();
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(30));  // the stand-in sleeps for 60
  EXPECT_EQ(h->messages.last().text, "Conversion stopped: " + out + " kept as it was");
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->Command2->isEnabled());
  OldOutputOnly(2);
}

TEST_F(MidRun, MessagesNameTheUsersFilesNotTheirTemporaries) {
  // Programs that speak of the file they were handed: the temporary beside
  // the output.
  Script("segywrite",
         "for a; do case $a in tape=*) echo \"segywrite: cannot write ${a#tape=}; ${a#tape=} not written\" >&2; "
         "exit 1;; esac; done\n");
  Script("segdread", "printf partial\n");
  h->window->Check1->setChecked(false);  // batch windows stay open
  const std::string hidden = data + "/.";
  const std::string su = SuFile("line.su", 4), sgy = data + "/line.sgy";
  auto* w = dynamic_cast<Su2SgyWindow*>(Open(15));
  ASSERT_TRUE(w);
  h->dialogs.files.push_back(su);
  w->Command3->click();
  w->Text2->setText(QString::fromStdString(sgy));
  w->Command2->click();
  std::string m = h->messages.last().text;
  EXPECT_NE(m.find("segywrite: cannot write " + sgy + "; " + sgy + " not written"), std::string::npos) << m;
  EXPECT_EQ(m.find(hidden), std::string::npos) << m;
  auto* batch = w->findChild<BatchOutputWindow*>("BatchOutput");
  ASSERT_TRUE(batch);
  EXPECT_EQ(batch->Output->toPlainText().toStdString().find(hidden), std::string::npos);

  keld::testing::WriteText(data + "/shot.sgd", "segd");
  auto* cw = dynamic_cast<ConvertWindow*>(Open(13));
  ASSERT_TRUE(cw);
  cw->Text1->setText(QString::fromStdString(data + "/shot.sgd"));
  cw->Text2->setText(QString::fromStdString(out));
  cw->Command2->click();
  m = h->messages.last().text;
  EXPECT_EQ(m.rfind(out + " kept as it was:\n" + out, 0), 0u) << m;  // the check of what was written
  EXPECT_EQ(m.find(hidden), std::string::npos) << m;
  OldOutputOnly(3);
}

TEST_F(MidRun, ImportsStopBetweenTracesWhenClosedOrQuit) {
  // "Other files to Seismic Unix" on six records of 64 channels of 8,000
  // 16-bit samples, and RAMAC and DT1 profiles of 8,000 traces of 512 (8 and
  // 9 MB): each closed by its close box, then by the start window's Quit, at
  // the first hand-back after a trace was written.
  std::vector<std::string> records;
  const std::string rec(64 * 8000 * 2, '\x01');
  for (int r = 1; r <= 6; ++r) {
    records.push_back(data + "/r" + std::to_string(r) + ".dat");
    keld::testing::WriteText(records.back(), rec);
  }
  const std::string rd3 = data + "/line.rd3", dt1 = data + "/line.DT1";
  keld::testing::WriteText(rd3, std::string(8000 * 512 * 2, '\x02'));
  std::string trace(128 + 512 * 2, '\x03'), profile;
  put_f32le(reinterpret_cast<uint8_t*>(trace.data()) + 8, 512);  // its points per trace
  for (int i = 0; i < 8000; ++i) profile += trace;
  keld::testing::WriteText(dt1, profile);
  const struct {
    int option;
    std::vector<std::pair<const char*, std::string>> boxes;  // in this order: RAMAC's input names an output
    const char* convert;
    std::set<std::string> live;           // Info
    size_t boxes_shown;                   // the output's question, Info's text
  } imports[] = {
      {7, {{"Text3", "64"}, {"Text4", "8000"}, {"Text7", "0"}, {"Text8", "0"}, {"Text2", out}}, "Command1",
       {"Command2"}, 1},
      {12, {{"Text1", rd3}, {"Text5", out}, {"Text2", "8000"}, {"Text6", "512"}, {"Text4", "0.5"}}, "Command1", {}, 1},
      {17, {{"Text1", dt1}, {"Text2", out}, {"Text8", "8000"}, {"Text6", "512"}, {"Text5", "0.5"}}, "Command3",
       {"Command5"}, 2},
  };
  for (const auto& k : imports)
    for (const std::string closer : {"", "Quit"}) {
      SCOPED_TRACE(std::to_string(k.option) + " " + closer);
      QWidget* w = Open(k.option);
      ASSERT_TRUE(w);
      QPointer<QWidget> alive = w;
      if (k.option == 7) {
        h->dialogs.multi.push_back(records);
        w->findChild<QPushButton*>("Command5")->click();
      }
      for (const auto& [box, text] : k.boxes) w->findChild<QLineEdit*>(box)->setText(QString::fromStdString(text));
      auto* bar = w->findChild<QProgressBar*>("ProgressBar1");
      bool acted = false;
      When([bar] { return bar->value() >= 2; }, [&] {
        acted = true;
        PressEveryButton(w, k.live, closer);
      });
      w->findChild<QPushButton*>(k.convert)->click();
      EXPECT_TRUE(acted);  // the run handed control back before its end
      ASSERT_EQ(h->messages.shown.size(), k.boxes_shown) << h->messages.last().text;  // nothing after the run
      for (const auto& m : h->messages.shown) EXPECT_EQ(m.text.find("OK"), std::string::npos) << m.text;
      Settle([&] { return alive.isNull() && (closer.empty() || !h->window->isVisible()); });
      EXPECT_TRUE(alive.isNull());
      OldOutputOnly(records.size() + 3);
      h = std::make_unique<ConversionHarness>(dir.path());
    }
}

TEST_F(MidRun, JoinExportsKgsAndKorvanImportStopAtTheirFirstHandBack) {
  const std::string a = SuFile("a.su", 6), b = SuFile("b.su", 6);
  {  // join
    auto* w = dynamic_cast<AddSuWindow*>(Open(20));
    ASSERT_TRUE(w);
    QPointer<QWidget> alive = w;
    w->Affiche_file({a, b});
    w->Text2->setText(QString::fromStdString(out));
    When({}, [&] {
      w->Command2_Click();
      PressEveryButton(w, {}, "");
    });
    w->Command2->click();
    Settle([&] { return alive.isNull(); });
    EXPECT_TRUE(alive.isNull());
    OldOutputOnly(3);
  }
  {  // KGS integer to SU
    std::string kgs(2 * (240 + 2 * 8), '\0');
    kgs[114] = kgs[240 + 16 + 114] = 8;
    keld::testing::WriteText(data + "/k.evd", kgs);
    auto* w = dynamic_cast<ConvertWindow*>(Open(3));
    ASSERT_TRUE(w);
    QPointer<QWidget> alive = w;
    w->Text1->setText(QString::fromStdString(data + "/k.evd"));
    w->Text2->setText(QString::fromStdString(out));
    When({}, [&] { PressEveryButton(w, {"Command1"}, ""); });
    w->Command2->click();
    Settle([&] { return alive.isNull(); });
    EXPECT_TRUE(alive.isNull());
    OldOutputOnly(4);
  }
  {  // the maker's per-channel ASCII records
    for (const char* f : {"r.A01", "r.A02"}) keld::testing::WriteText(data + "/" + f, "1\n2\n3\n4\n");
    auto* w = dynamic_cast<KorvanWindow*>(Open(6));
    ASSERT_TRUE(w);
    QPointer<QWidget> alive = w;
    for (const char* f : {"r.A01", "r.A02"}) w->List1->addItem(QString::fromStdString(data + "/" + f));
    w->Text2->setText("2");
    w->Text3->setText("1");
    w->Text4->setText("500");
    w->Text6->setText("4");
    w->Text5->setText(QString::fromStdString(out));
    When({}, [&] { PressEveryButton(w, {"Command4", "Command2"}, "Command2"); });
    w->Command1->click();
    Settle([&] { return alive.isNull(); });
    EXPECT_TRUE(alive.isNull());
    OldOutputOnly(6);
  }
  // The exports of the start window: Quit during each stops it, writes
  // nothing, and ends the program once the export has unwound.
  for (int option : {8, 24}) {
    SCOPED_TRACE(option);
    h = std::make_unique<ConversionHarness>(dir.path());
    h->dialogs.files.push_back(a);
    h->messages.type("1");
    h->messages.type("6");
    When({}, [&] { PressEveryButton(h->window.get(), {"Command2", "Command3"}, "Command2"); });
    h->Choose(option);
    Settle([&] { return !h->window->isVisible(); });
    EXPECT_FALSE(h->window->isVisible());
    EXPECT_FALSE(fs::exists(data + "/a.01"));
    EXPECT_FALSE(fs::exists(data + "/a.txt"));
    OldOutputOnly(6);
  }
}

}  // namespace
}  // namespace keld::conversion
