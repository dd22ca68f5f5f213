// Opening a file for display: one the display cannot read changes nothing
// and says why; one it can read leaves the acquisition panel's samples,
// interval and recording time in agreement. And the gain button's bound.
#include <gtest/gtest.h>

#include <QComboBox>

#include <cmath>
#include <filesystem>

#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "korvan/tests/korvan_fixture.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

std::string WriteSu(const std::string& path, int ns, int dt, int traces) {
  SuWriter w(path);
  SuTraceHeader h;
  h.ns = static_cast<int16_t>(ns);
  h.dt = static_cast<int16_t>(dt);
  std::vector<float> x(static_cast<size_t>(ns), 1.0f);
  for (int t = 0; t < traces; ++t) w.write(h, x.data(), ns);
  w.commit();
  return path;
}

// Recording time, samples and frequency as the panel shows them agree.
void ExpectPanelAgrees(Korvan& w) {
  const double ns = Val(w.Nb_Sample->currentText().toStdString());
  const double dt = 1e6 / Val(w.F_camp->text().toStdString());
  // The label shows three decimals at most.
  EXPECT_NEAR(Val(w.Rec_time->text().toStdString()), ns * dt / 1e6, 5e-4 + 1e-9)
      << w.Rec_time->text().toStdString() << " beside " << ns << " samples at " << dt << " us";
}

}  // namespace

TEST(KorvanOpen, AFileTheDisplayCannotReadChangesNothingAndSaysWhy) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  const std::string good = WriteSu(d / "good.su", 1024, 512, 3);
  h.dialogs.files.push_back(good);
  w.Lecture_SU();
  ASSERT_EQ(h.state.Fichier_Courant, good);
  const QString caption = w.windowTitle(), t5 = w.Text5->text(), t6 = w.Text6->text();
  const std::string folder = h.state.Dossier_Data;

  std::vector<std::string> bad;
  keld::testing::WriteText(d / "cut.su", std::string(300, '\0'));  // less than one trace
  bad.push_back(d / "cut.su");
  std::vector<uint8_t> big = keld::testing::ReadBytes(good);  // the same file, big-endian ns
  std::swap(big[114], big[115]);
  std::swap(big[116], big[117]);
  std::filesystem::create_directories(d / "other");
  keld::testing::WriteText(d / "other/be.su", std::string(big.begin(), big.end()));
  bad.push_back(d / "other/be.su");
  if (auto su = keld::testing::TestData("su")) bad.push_back(*su + "/segyio_small.su");
  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    h.messages.clear();
    h.dialogs.files.push_back(path);
    w.Lecture_SU();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
    EXPECT_GT(h.messages.last().text.size(), 10u);
    EXPECT_EQ(h.state.Fichier_Courant, good);
    EXPECT_EQ(w.windowTitle(), caption);
    EXPECT_EQ(w.Text5->text(), t5);
    EXPECT_EQ(w.Text6->text(), t6);
    EXPECT_EQ(h.state.Dossier_Data, folder);
  }
}

TEST(KorvanOpen, SamplesIntervalAndRecordingTimeShownTogetherAgree) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  // A count the samples list cannot show (64 at 4 ms, as in the Seismic Unix
  // tutorial's file): the panel keeps the next shot's values.
  const std::string odd = WriteSu(d / "odd.su", 64, 4000, 2);
  h.dialogs.files.push_back(odd);
  w.Lecture_SU();
  EXPECT_EQ(h.state.Fichier_Courant, odd);
  ExpectPanelAgrees(w);
  // One it can show: the panel takes the file's values.
  const std::string ours = WriteSu(d / "ours.su", 2048, 256, 2);
  h.dialogs.files.push_back(ours);
  w.Lecture_SU();
  EXPECT_EQ(w.Nb_Sample->currentText(), "2048");
  EXPECT_EQ(w.Sample_rate->currentText(), "256");
  EXPECT_EQ(w.F_camp->text(), "4000");
  ExpectPanelAgrees(w);
  if (auto su = keld::testing::TestData("su")) {
    h.dialogs.files.push_back(*su + "/su_tutorial_data.su");
    w.Lecture_SU();
    ExpectPanelAgrees(w);
  }
}

TEST(KorvanDisplay, TheGainButtonStopsAtWhatItsLabelShows) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  for (int i = 0; i < 200; ++i) w.Command11->click();
  EXPECT_EQ(w.Ingrandimento->text(), "65536.0");
  EXPECT_EQ(h.state.Gain_Affichage, 65536.0f);
  w.Command2->click();
  EXPECT_EQ(w.Ingrandimento->text(), "32768.0");
}
