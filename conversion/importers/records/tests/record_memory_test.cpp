// What a record import holds in memory: the program's every allocation is
// counted here (operator new of this test program), and converting records
// of 16 MB through "Other files to Seismic Unix", or radar profiles of 16 MB
// through their windows, may hold a few traces at a time, never a record or
// a profile, let alone its samples decoded.
#include <gtest/gtest.h>
#include <malloc.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "conversion/tests/conversion_fixture.hpp"

namespace {
std::atomic<int64_t> g_now{0}, g_peak{0};

void* Counted(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  const int64_t now = g_now += static_cast<int64_t>(malloc_usable_size(p));
  for (int64_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
  }
  return p;
}
void Freed(void* p) noexcept {
  if (!p) return;
  g_now -= static_cast<int64_t>(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) { return Counted(n); }
void* operator new[](std::size_t n) { return Counted(n); }
void operator delete(void* p) noexcept { Freed(p); }
void operator delete[](void* p) noexcept { Freed(p); }
void operator delete(void* p, std::size_t) noexcept { Freed(p); }
void operator delete[](void* p, std::size_t) noexcept { Freed(p); }

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;

TEST(RecordMemory, BigRecordsAreConvertedInBoundedPieces) {
  keld::testing::TempDir d;
  ConversionHarness h(d.path());
  h.Choose(7);
  QWidget* w = h.window->Opened("Option7");
  ASSERT_TRUE(w);
  // Two records of 256 channels of 32,000 16-bit samples (16,384,000 bytes),
  // no headers; sample i of channel c is c + i, cut to 16 bits.
  constexpr int kChannels = 256, kNs = 32000;
  std::string rec(static_cast<size_t>(kChannels) * kNs * 2, '\0');
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < kNs; ++i) {
      const auto v = static_cast<uint16_t>(c + i);
      rec[(static_cast<size_t>(c) * kNs + i) * 2] = static_cast<char>(v & 0xFF);
      rec[(static_cast<size_t>(c) * kNs + i) * 2 + 1] = static_cast<char>(v >> 8);
    }
  for (const char* r : {"r1.dat", "r2.dat"}) keld::testing::WriteText(d / r, rec);
  rec = std::string();
  h.dialogs.multi.push_back(std::vector<std::string>{d / "r1.dat", d / "r2.dat"});
  Find<QPushButton>(w, "Command5")->click();
  for (auto [box, text] : {std::pair{"Text3", "256"}, {"Text4", "32000"}, {"Text5", "250"}, {"Text7", "0"},
                           {"Text8", "0"}})
    Find<QLineEdit>(w, box)->setText(text);
  Find<QRadioButton>(w, "Option1")->setChecked(true);
  Find<QLineEdit>(w, "Text2")->setText(QString::fromStdString(d / "out.su"));

  const int64_t before = g_peak = g_now.load();
  Find<QPushButton>(w, "Command1")->click();
  const int64_t held = g_peak - before;
  ASSERT_EQ(h.messages.last().text, "OK, Conversion done");
  EXPECT_EQ(FileLength(d / "out.su"), 2 * kChannels * (240 + 4 * int64_t{kNs}));
  // A trace is 128 KB; the record 16 MB and its samples as floats 32 MB.
  EXPECT_LT(held, 4 << 20) << "bytes held at the peak of the conversion";
}

TEST(RecordMemory, RadarProfilesAreConvertedATraceAtATime) {
  // RAMAC and DT1 profiles of 4,000 traces of 2,000 16-bit samples (16 MB):
  // their windows may hold a few traces, never the profile.
  keld::testing::TempDir d;
  ConversionHarness h(d.path());
  constexpr int kTraces = 4000, kNs = 2000;
  std::string trace(128 + 2 * kNs, '\x05'), dt1;
  put_f32le(reinterpret_cast<uint8_t*>(trace.data()) + 8, kNs);  // its points per trace
  for (int i = 0; i < kTraces; ++i) dt1 += trace;
  keld::testing::WriteText(d / "p.DT1", dt1);
  keld::testing::WriteText(d / "p.rd3", std::string(size_t{kTraces} * kNs * 2, '\x05'));
  dt1 = trace = std::string();
  const struct {
    int option;
    const char* convert;
    std::vector<std::pair<const char*, std::string>> boxes;  // the input first: it names an output
  } cases[] = {{12, "Command1", {{"Text1", d / "p.rd3"}, {"Text5", d / "p.su"}, {"Text2", "4000"}, {"Text6", "2000"}}},
               {17, "Command3", {{"Text1", d / "p.DT1"}, {"Text2", d / "p.su"}, {"Text8", "4000"}, {"Text6", "2000"}}}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.option);
    h.Choose(k.option);
    QWidget* w = h.window->Opened("Option" + std::to_string(k.option));
    ASSERT_TRUE(w);
    for (const auto& [box, text] : k.boxes) Find<QLineEdit>(w, box)->setText(QString::fromStdString(text));
    const int64_t before = g_peak = g_now.load();
    Find<QPushButton>(w, k.convert)->click();
    const int64_t held = g_peak - before;
    ASSERT_EQ(h.messages.last().text.rfind("OK", 0), 0u) << h.messages.last().text;
    EXPECT_EQ(FileLength(d / "p.su"), kTraces * (240 + 4 * int64_t{kNs}));
    // A trace is 8 KB; the profile 16 MB and its samples as floats 32 MB.
    EXPECT_LT(held, 4 << 20) << "bytes held at the peak of the conversion";
  }
}
