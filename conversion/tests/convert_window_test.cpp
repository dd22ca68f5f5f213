// The conversion window driven by its control names: captions and proposals
// per type, the checks before a conversion, KGS both ways with the closing
// box, and the Seismic Unix types handed to what is registered for them.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QProgressBar>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
struct ConvertTest : ::testing::Test {
  TempDir d;
  ConversionHarness h{d.path()};
  ConvertWindow* Open(int option) {
    h.Choose(option);
    auto* w = qobject_cast<ConvertWindow*>(h.window->Opened("Option" + std::to_string(option)));
    EXPECT_TRUE(w);
    return w;
  }
  std::string SuFile(const std::string& name, int traces = 24) {
    std::vector<SuTrace> v(static_cast<size_t>(traces));
    for (int i = 0; i < traces; ++i) {
      v[static_cast<size_t>(i)].header.tracf = i + 1;
      v[static_cast<size_t>(i)].header.ns = 16;
      v[static_cast<size_t>(i)].header.dt = 1000;
      v[static_cast<size_t>(i)].samples.assign(16, static_cast<float>(i));
    }
    EXPECT_TRUE(WriteSuFile(d / name, v));
    return d / name;
  }
};
}  // namespace

TEST_F(ConvertTest, CaptionsAndProposalsPerType) {
  struct {
    int option;
    const char* caption;
    const char* title;
    const char* input;
    const char* output;
    bool frame;
  } cases[] = {
      {3, " Conversion KGS Integers to SU ", "KGS Integer File selection", "LINE1.EVD", "LINE1.SU", false},
      {9, " Conversion KGS-FPT to SU", "KGS File selection", "LINE1.DAT", "LINE1.SU", false},
      {11, " Conversion SU to KGS_FPT", "SU File selection", "LINE1.SU", "LINE1.DAT", false},
      {13, " Conversion SEG-D to SU ", "SEG-D File selection", "LINE1.SGDX", "LINE1.SSU", false},
  };
  for (auto c : cases) {
    ConvertWindow* w = Open(c.option);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), c.caption);
    EXPECT_EQ(w->Frame1->isVisibleTo(w), c.frame);
    h.dialogs.files.push_back(d / c.input);
    w->Command3->click();
    EXPECT_EQ(h.dialogs.asked.back().title, c.title);
    EXPECT_EQ(w->Text1->text().toStdString(), d / c.input);
    EXPECT_EQ(w->Text2->text().toStdString(), d / c.output);
    w->close();
  }
  h.state.Conversion_Type = kSegy2Su;
  ConvertWindow segy(h.window->context(), nullptr);
  EXPECT_TRUE(segy.Frame1->isVisibleTo(&segy));
  EXPECT_TRUE(segy.Option1->isChecked());
  EXPECT_EQ(segy.Option1->text(), "Liitle Endian");
  // The output dialog's title is the same for every type; a cancel changes nothing.
  h.dialogs.files.push_back(std::nullopt);
  segy.Text2->setText("keep");
  segy.Command4->click();
  EXPECT_EQ(h.dialogs.asked.back().title, "KGS Integer File selection");
  EXPECT_EQ(segy.Text2->text(), "keep");
}

TEST_F(ConvertTest, ChecksBeforeAnyConversion) {
  ConvertWindow* w = Open(3);
  keld::testing::WriteText(d / "empty.evd", "");
  keld::testing::WriteText(d / "a.evd", "x");
  struct {
    std::string in, out, message;
  } cases[] = {{"", "o.su", "File name missing"},
               {d / "none.evd", "o.su", "Input file " + d / "none.evd" + " does not exist !"},
               {d / "empty.evd", "o.su", "Input file " + d / "empty.evd" + " is empty !"},
               {d / "a.evd", d / "a.evd", "Same Input / Output"},
               {d / "a.evd", d / "../" + std::filesystem::path(d.path()).filename().string() + "/a.evd",
                "Same Input / Output"}};
  for (const auto& c : cases) {
    w->Text1->setText(QString::fromStdString(c.in));
    w->Text2->setText(QString::fromStdString(c.out));
    w->Command2->click();
    EXPECT_EQ(h.messages.last().text, c.message);
  }
  EXPECT_EQ(keld::testing::ReadText(d / "a.evd"), "x");
}

TEST_F(ConvertTest, KgsBothWaysThroughTheWindow) {
  const std::string su = SuFile("LINE1.SU");
  ConvertWindow* w = Open(11);
  h.dialogs.files.push_back(su);
  w->Command3->click();
  for (int i = 0; i < 3; ++i) h.messages.type(std::nullopt);  // cancelled prompts give 0
  w->Command2->click();
  ASSERT_TRUE(h.messages.last().timed) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().text, "Conversion OK");
  EXPECT_EQ(h.messages.last().title, kTitle);
  EXPECT_EQ(h.state.Nb_Ch, 24);  // 24 channels: no data-type prompt
  EXPECT_EQ(h.messages.count("Conversion OK"), 1);
  auto kgs = keld::testing::ReadBytes(d / "LINE1.DAT");
  ASSERT_EQ(kgs.size(), 24u * (240 + 64));
  EXPECT_EQ(get_i16le(&kgs[2]), 24);
  EXPECT_EQ(get_i16le(&kgs[4]), 0);  // the cancelled record key
  QApplication::processEvents();  // the window closes once its run has ended
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(h.window->Opened("Option11"), nullptr);  // closed after the box

  // Option11 stays selected in its frame and would be dispatched again (and
  // set its type last): Option22 of that frame does nothing.
  h.Choose(22);
  ConvertWindow* back = Open(9);
  back->Text1->setText(QString::fromStdString(d / "LINE1.DAT"));
  back->Text2->setText(QString::fromStdString(d / "BACK.SU"));
  h.messages.type("12.6");
  back->Command2->click();
  EXPECT_EQ(h.messages.last().text, "Conversion OK");
  auto traces = ReadSuFile(d / "BACK.SU");
  ASSERT_TRUE(traces);
  EXPECT_EQ(traces->size(), 24u);
  EXPECT_EQ(traces->at(5).header.sdepth, 13);
  EXPECT_EQ(traces->at(5).samples, std::vector<float>(16, 5.0f));
}

TEST_F(ConvertTest, SuToKgsFailureKeepsTheOldFile) {
  std::vector<SuTrace> v(2);
  for (auto& t : v) {
    t.header.ns = 4;
    t.header.offset = 50000;
    t.samples.assign(4, 0.0f);
  }
  ASSERT_TRUE(WriteSuFile(d / "far.su", v));
  keld::testing::WriteText(d / "far.DAT", "older");
  ConvertWindow* w = Open(11);
  w->Text1->setText(QString::fromStdString(d / "far.su"));
  w->Text2->setText(QString::fromStdString(d / "far.DAT"));
  w->Command2->click();
  EXPECT_EQ(h.messages.last().text.rfind("File conversion error", 0), 0u);
  EXPECT_EQ(keld::testing::ReadText(d / "far.DAT"), "older");
  EXPECT_TRUE(w->isVisible());
  // A stacked file asks the data type; its default gives 2.
  v[0].header.offset = v[1].header.offset = 0;
  v[0].header.nhs = 3;
  ASSERT_TRUE(WriteSuFile(d / "stack.su", v));
  w->Text1->setText(QString::fromStdString(d / "stack.su"));
  w->Text2->setText(QString::fromStdString(d / "stack.DAT"));
  h.messages.type("2");
  w->Command2->click();
  EXPECT_EQ(get_i16le(&keld::testing::ReadBytes(d / "stack.DAT")[0]), 2);
}

TEST_F(ConvertTest, SeismicUnixTypesRunWhatIsRegistered) {
  keld::testing::WriteText(d / "A.SGD", "segd");
  ConvertWindow* w = Open(13);
  h.window->context().batch_conversions.erase(kSegd2Su);
  w->Text1->setText(QString::fromStdString(d / "A.SGD"));
  w->Text2->setText(QString::fromStdString(d / "A.SU"));
  w->Command2->click();
  EXPECT_NE(h.messages.last().text.find("is not available yet"), std::string::npos);
  std::vector<ConvertRequest> runs;
  h.window->context().batch_conversions[kSegd2Su] = [&](ConversionContext&, const ConvertRequest& r) {
    runs.push_back(r);
  };
  w->Command2->click();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].input, d / "A.SGD");
  EXPECT_EQ(runs[0].output, d / "A.SU");
  EXPECT_TRUE(w->isVisible());  // the batch conversions leave the window open
}
