// A shot recorded by korvan on the simulated units, saved with its SEG-2 copy
// through dropconv, read back by seg2su: the samples of its SU record.
#include <gtest/gtest.h>

#include "common/su_file.hpp"
#include "common/testing/wait_until.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "sutools/seg2su_tool.hpp"

using namespace keld;
using namespace keld::korvan::testing;

TEST(KorvanShotSeg2su, TheSeg2CopyGivesTheSamplesOfTheSuRecord) {
  keld::testing::TempDir d;
  KorvanHarness h{d.path()};
  korvan::Korvan& w = h.start();
  ASSERT_TRUE(w.link().open_port(1)) << w.link().error();
  w.Command10->setEnabled(true);
  w.Total_Channel->setText("24");
  w.Nb_Sample->setCurrentIndex(2);   // 1024
  w.Sample_rate->setCurrentIndex(2);  // 512 us
  PosixLauncher real;
  h.launcher.real = &real;
  h.services.program_folder = keld::testing::BinDir();
  w.Command10->click();
  w.choix()->Command1_Click();
  const std::string rec = d.path() + "/work/DATA/FILE1000.SU";
  const std::string sg2 = d.path() + "/work/DATA/FILE1000.SG2";
  ASSERT_TRUE(keld::testing::WaitForFile(sg2));  // dropconv runs on its own
  auto su = ReadSuFile(rec);
  ASSERT_TRUE(su.ok()) << su.error();
  auto back = sutools::ConvertSeg2Files({sg2});
  ASSERT_TRUE(back.ok()) << back.error();
  ASSERT_EQ(back->size(), su->size());
  for (size_t c = 0; c < su->size(); ++c) {
    const SuTrace& a = (*su)[c];
    const SuTrace& b = (*back)[c];
    ASSERT_EQ(b.header.ns, a.header.ns);
    EXPECT_EQ(b.header.dt, a.header.dt);
    EXPECT_EQ(b.header.tracf, a.header.tracf);
    EXPECT_EQ(b.header.year, a.header.year);
    EXPECT_EQ(b.header.day, a.header.day);
    // The text record keeps seven significant digits of each sample.
    for (size_t i = 0; i < a.samples.size(); ++i)
      ASSERT_NEAR(b.samples[i], a.samples[i], 1e-6 * std::max(1.0f, std::fabs(a.samples[i])))
          << "channel " << c + 1 << " sample " << i + 1;
  }
}
