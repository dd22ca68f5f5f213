// What a record import holds in memory: the program's every allocation is
// counted here (operator new of this test program), and converting records
// of 16 MB through "Other files to Seismic Unix" may hold a few traces at a
// time, never a record, let alone the record and its samples decoded.
#include <gtest/gtest.h>
#include <malloc.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

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
