// Each record importer window shown from the start window, driven by its
// control names: select records, convert, and the SU file read back here and
// by segyio as an outside check.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <cstring>
#include <filesystem>
#include <functional>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "conversion/importers/records/abem.hpp"
#include "conversion/importers/records/windows/record_windows.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
using Buf = std::string;
void Put(Buf& b, std::size_t at, const void* p, std::size_t n) {
  if (b.size() < at + n) b.resize(at + n, '\0');
  std::memcpy(&b[at], p, n);
}
void Put16(Buf& b, std::size_t at, int16_t v) { Put(b, at, &v, 2); }
void Put32(Buf& b, std::size_t at, int32_t v) { Put(b, at, &v, 4); }

// A record of 3 channels of 4 samples (value 10 c + i) in each format.
Buf Abem() {
  Buf b;
  for (int l = 1; l <= 113; ++l) b += (l == 7 ? "1000" : l == 113 ? "3" : "") + std::string("\r\n");
  b.resize(2048, '\0');
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) Put16(b, 2048 + ((c - 1) * 4 + i) * 2, static_cast<int16_t>(10 * c + i));
  return b;
}
Buf Layout() {  // H 16, T 8, 32-bit integers
  Buf b(16, 'h');
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) Put32(b, 16 + c * 8 + ((c - 1) * 4 + i) * 4, 10 * c + i);
  return b;
}
Buf Es1225() {
  Buf b(100 + 3 * (48 + 8), '\0');
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) Put16(b, 98 + (c - 1) * 56 + i * 2, static_cast<int16_t>(10 * c + i));
  return b;
}
Buf Bison() {
  Buf b = "BISN\r\n";
  for (int l = 2; l <= 18; ++l) b += (l == 15 ? "03" : l == 17 ? "04" : l == 18 ? "1.00" : "xx") + std::string("\r\n");
  b += "\x03\x03";
  const std::size_t h = b.size();
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 5; ++i) Put16(b, h + ((c - 1) * 5 + i) * 2, static_cast<int16_t>(i == 4 ? 0 : 10 * c + i));
  return b;
}
Buf Pasi() {
  Buf b;
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) b += std::to_string(10 * c + i) + (i == 3 ? "\r\n" : ", ");
  return b;
}
Buf Oyo() {
  Buf b(6144, ' ');
  auto text = [&](std::size_t at, const char* s) { std::memcpy(&b[at], s, std::strlen(s)); };
  text(2816, "   7");
  text(2866, "   3");
  text(2870, "   4");
  text(2875, "1.000");
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) Put32(b, 6144 + ((c - 1) * 4 + i) * 4, 10 * c + i);
  return b;
}
Buf Ambrogeo() {
  Buf b;
  for (int l = 1; l <= 37; ++l) b += (l == 5 ? " 01 02  09" : l == 8 ? "12" : l == 9 ? "4" : l == 11 ? "1000" : "0") + std::string("\n");
  for (int i = 0; i < 4; ++i)
    for (int k = 1; k <= 24; ++k) b += std::to_string(k <= 3 ? 10 * k + i : 0) + (k == 24 ? "\n" : ",");
  return b;
}

struct Case {
  int option;
  const char* window;
  const char* select;  // button that selects the records
  Buf (*record)();
  std::function<void(QWidget*, MessageRecorder&)> fill;  // boxes the header does not give
  int channels;
  int fldr2;  // fldr of the second record's traces
  int dt = 1000;
};

void SetBox(QWidget* w, const char* name, const char* text) { Find<QLineEdit>(w, name)->setText(text); }
}  // namespace

TEST(RecordWindows, EachWindowConvertsTwoRecords) {
  const Case cases[] = {
      {5, "abem", "Command4", Abem, nullptr, 3, 2},
      {7, "sisforme", "Command5", Layout,
       [](QWidget* w, MessageRecorder&) {
         SetBox(w, "Text3", "3"), SetBox(w, "Text4", "4"), SetBox(w, "Text7", "16"), SetBox(w, "Text8", "8");
         SetBox(w, "Text5", "1000");
         Find<QRadioButton>(w, "Option2")->setChecked(true);
       },
       3, 2},
      {4, "es1225", "Command3", Es1225,
       [](QWidget* w, MessageRecorder&) {
         SetBox(w, "Text3", "3"), SetBox(w, "Text4", "4");
         Find<QComboBox>(w, "Combo1")->setCurrentIndex(0);  // 25 ms over 4 samples
       },
       3, 0, 6250},
      {14, "Bison", "Command5", Bison, nullptr, 3, 0},
      {16, "pasi", "Command5", Pasi,
       [](QWidget* w, MessageRecorder&) { SetBox(w, "Text3", "3"), SetBox(w, "Text4", "4"), SetBox(w, "Text5", "1000"); },
       3, 2},
      {10, "oyo", "Command3", Oyo, nullptr, 3, 7},
      {19, "Ambrogeo", "Command5", Ambrogeo, [](QWidget* w, MessageRecorder&) { SetBox(w, "Text1", "3"); }, 3, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.window);
    TempDir d;
    ConversionHarness h(d.path());
    h.Choose(k.option);
    QWidget* w = h.window->Opened("Option" + std::to_string(k.option));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), k.window);
    for (const char* r : {"r1.rec", "r2.rec"}) keld::testing::WriteText(d / r, k.record());
    h.dialogs.multi.push_back(std::vector<std::string>{d / "r1.rec", d / "r2.rec"});
    h.messages.type(std::string(k.option == 10 ? "3" : "1000"));  // oyo's channels, Ambrogeo's rate
    Find<QPushButton>(w, k.select)->click();
    if (k.fill) k.fill(w, h.messages);
    SetBox(w, "Text2", (d / "out.su").c_str());
    Find<QPushButton>(w, "Command1")->click();
    const std::string out = d / "out.su";
    auto su = ReadSuFile(out);
    ASSERT_TRUE(su.ok()) << h.messages.last().text;
    ASSERT_EQ(su->size(), 2u * k.channels);
    const SuTrace& t = (*su)[k.channels + 1];  // record 2, channel 2
    EXPECT_EQ(t.header.tracf, 2);
    EXPECT_EQ(t.header.fldr, k.fldr2);
    EXPECT_EQ(t.header.ns, 4);
    EXPECT_EQ(t.header.dt, k.dt);
    EXPECT_EQ(t.samples, (std::vector<float>{20, 21, 22, 23}));
    std::string said;
    ASSERT_EQ(keld::testing::RunCommand("/usr/bin/python3 -c \"import segyio; f = segyio.su.open('" + out +
                                            "', endian='little', ignore_geometry=True); "
                                            "print(f.tracecount, len(f.samples), f.trace[4][1])\"",
                                        &said),
              0)
        << said;
    EXPECT_EQ(said, std::to_string(2 * k.channels) + " 4 21.0\n");
  }
}

TEST(RecordWindows, AHugeTypedChannelCountIsRefusedAndTheBarHoldsIt) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(5);
  QWidget* w = h.window->Opened("Option5");
  ASSERT_TRUE(w);
  keld::testing::WriteText(d / "r.abm", Abem());
  h.dialogs.multi.push_back(std::vector<std::string>(22, d / "r.abm"));
  Find<QPushButton>(w, "Command4")->click();
  SetBox(w, "Text3", "100000000");
  SetBox(w, "Text2", (d / "out.su").c_str());
  Find<QPushButton>(w, "Command1")->click();
  const std::string said = h.messages.last().text;
  EXPECT_NE(said.find("100000000 channels"), std::string::npos) << said;
  EXPECT_NE(said.find("holds 2072 bytes"), std::string::npos) << said;
  EXPECT_FALSE(std::filesystem::exists(d / "out.su"));
  // 22 records of 100,000,000 traces pass an int: the bar counts two traces
  // a step, so its end stands for the last trace and its start for the first.
  auto* bar = Find<QProgressBar>(w, "ProgressBar1");
  EXPECT_EQ(bar->maximum(), 1'100'000'000);
  EXPECT_EQ(bar->value(), 1);
}

TEST(RecordWindows, RecordsPastTheNinetyNinthAreSaidLeftOutAndNoOk) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(5);
  QPointer<QWidget> w = h.window->Opened("Option5");
  ASSERT_TRUE(w);
  keld::testing::WriteText(d / "r.abm", Abem());
  h.dialogs.multi.push_back(std::vector<std::string>(101, d / "r.abm"));
  Find<QPushButton>(w, "Command4")->click();
  SetBox(w, "Text2", (d / "out.su").c_str());
  Find<QPushButton>(w, "Command1")->click();
  EXPECT_EQ(h.messages.texts(),
            (std::vector<std::string>{"Maximum 99 records", "Records 100 to 101 left out: Maximum 99 records\r\n" +
                                                                d / "out.su" + " holds the first 99"}));
  EXPECT_EQ(ReadSuFile(d / "out.su")->size(), 99u * 3);
  QApplication::processEvents();
  EXPECT_TRUE(w && w->isVisible());  // the window closes itself only after a whole conversion
}

TEST(RecordWindows, ACloseDuringTheClosingBoxWaitsForTheConversion) {
  TempDir d;
  ConversionHarness h(d.path());
  h.Choose(5);
  QPointer<QWidget> w = h.window->Opened("Option5");
  ASSERT_TRUE(w);
  keld::testing::WriteText(d / "r1.rec", Abem());
  h.dialogs.multi.push_back(std::vector<std::string>{d / "r1.rec"});
  Find<QPushButton>(w, "Command4")->click();
  SetBox(w, "Text2", (d / "out.su").c_str());
  bool during = false;
  h.messages.while_shown = [&](const MessageShown&) {
    // The user, while the box is up: Convert and the selection are off, a
    // close waits for the conversion to end.
    during = true;
    EXPECT_FALSE(Find<QPushButton>(w, "Command1")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(w, "Command4")->isEnabled());
    w->close();
    EXPECT_TRUE(w->isVisible());
  };
  Find<QPushButton>(w, "Command1")->click();
  h.messages.while_shown = nullptr;
  EXPECT_TRUE(during);
  EXPECT_EQ(ReadSuFile(d / "out.su")->size(), 3u);
  for (int i = 0; i < 50 && w; ++i) {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  EXPECT_TRUE(w.isNull());
}

TEST(RecordWindows, AHeaderIsReadFromTheFrontWithTheWholeFileReadersWords) {
  TempDir d;
  const std::string rec = Abem();
  keld::testing::WriteText(d / "r.abm", rec);
  auto front = ReadFront(d / "r.abm", kAbemHeaderBytes);
  ASSERT_TRUE(front);
  EXPECT_EQ(front->size, static_cast<int64_t>(rec.size()));
  EXPECT_EQ(std::string(front->bytes.begin(), front->bytes.end()), rec.substr(0, kAbemHeaderBytes));
  auto whole = ReadWholeFile(d / "r.abm");
  ASSERT_TRUE(whole);
  const AbemHeader a = ReadAbemHeader(Bytes(front->bytes.data(), front->bytes.size()), front->size);
  const AbemHeader b = ReadAbemHeader(Bytes(whole->data(), whole->size()));
  EXPECT_EQ(a.dt, b.dt);
  EXPECT_EQ(a.channels, b.channels);
  EXPECT_EQ(a.ns, b.ns);
  ASSERT_TRUE(b.ns);
  auto shorter = ReadFront(d / "r.abm", rec.size() + 100);  // all of a shorter file
  ASSERT_TRUE(shorter);
  EXPECT_EQ(shorter->bytes.size(), rec.size());
  for (const std::string& path : {d / "missing.abm", d.path()}) {  // no such file; a folder
    auto w = ReadWholeFile(path);
    auto f = ReadFront(path, kAbemHeaderBytes);
    ASSERT_FALSE(w);
    ASSERT_FALSE(f);
    EXPECT_EQ(f.error(), w.error());
  }
}
