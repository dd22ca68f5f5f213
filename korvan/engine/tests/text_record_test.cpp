#include "korvan/engine/text_record.hpp"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>

#include <vector>

#include "common/testing/testsupport.hpp"
#include "korvan/engine/data_paths.hpp"
#include "platform/signals.hpp"

namespace keld::korvan {
namespace {

using keld::testing::ReadText;
using keld::testing::TempDir;

TextRecordInputs Inputs() {
  TextRecordInputs in;
  in.date = "08/12/2024";
  in.time = "14:03:07";
  in.Total_Channel = "2";
  in.Sample_rate = "256";
  in.Nb_Sample = "256";
  in.Text15 = "5";
  in.offset = "2.5";
  return in;
}

// Splits at CRLF; fails the test on a bare LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CRLF";
      break;
    }
    out.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  for (const auto& l : out) EXPECT_EQ(l.find('\n'), std::string::npos) << "bare line feed in " << l;
  return out;
}

std::vector<float> Ramp(int n, float scale) {
  std::vector<float> v(n);
  for (int i = 0; i < n; ++i) v[i] = (i - n / 2) * scale;
  return v;
}

TEST(TextRecord, HeaderLinesAsWritten) {
  auto l = TextRecordHeaderLines(Inputs());
  ASSERT_EQ(l.size(), 16u);
  EXPECT_EQ(l[0], "Ditta KORVAN");
  EXPECT_EQ(l[1], "Strumento: QMR650B");
  EXPECT_EQ(l[2], "I dati numerici sono in formato floating point");
  EXPECT_EQ(l[3], "DATA: 08/12/2024");
  EXPECT_EQ(l[4], "ORA: 14:03:07");
  EXPECT_EQ(l[5], "Numero di canali=");
  EXPECT_EQ(l[6], "2");
  EXPECT_EQ(l[7], "Intervallo di campionamento=");
  EXPECT_EQ(l[8], "250 usec");  // 4000 Hz: the exact interval, not the panel's 256
  EXPECT_EQ(l[9], "Numero di campioni=");
  EXPECT_EQ(l[10], "256");
  EXPECT_EQ(l[11], "Distanza tra geofoni=");
  EXPECT_EQ(l[12], "5 m");
  EXPECT_EQ(l[13], std::string("Posizione source rispetto 1") + '\xB0' + " geofono=");
  EXPECT_EQ(l[14], "-2.5 m");
  EXPECT_EQ(l[15], "\"NOTE:\"");
}

TEST(TextRecord, DegreeSignIsOneByte) {
  auto l = TextRecordHeaderLines(Inputs());
  EXPECT_EQ(l[13].size(), 37u);
  EXPECT_EQ(static_cast<unsigned char>(l[13][27]), 0xB0);
}

TEST(TextRecord, OffsetLineIsTheNegatedValue) {
  TextRecordInputs in = Inputs();
  in.offset = "5";
  EXPECT_EQ(TextRecordHeaderLines(in)[14], "-5 m");
  in.offset = "-10";
  EXPECT_EQ(TextRecordHeaderLines(in)[14], "10 m");
  in.offset = "0";
  EXPECT_EQ(TextRecordHeaderLines(in)[14], "0 m");
  in.offset = " 7.25 ";
  EXPECT_EQ(TextRecordHeaderLines(in)[14], "-7.25 m");
}

TEST(TextRecord, OffsetLineDroppedWhenNotANumber) {
  TextRecordInputs in = Inputs();
  for (const char* bad : {"", "abc", "5 m", "-"}) {
    in.offset = bad;
    auto l = TextRecordHeaderLines(in);
    ASSERT_EQ(l.size(), 15u) << bad;
    EXPECT_EQ(l[13], std::string("Posizione source rispetto 1") + '\xB0' + " geofono=");
    EXPECT_EQ(l[14], "\"NOTE:\"");
  }
}

TEST(TextRecord, EmptySpacingGivesBlankM) {
  TextRecordInputs in = Inputs();
  in.Text15 = "";
  EXPECT_EQ(TextRecordHeaderLines(in)[12], " m");
}

TEST(TextRecord, BoxTextsAreWrittenInLatin1) {
  TextRecordInputs in = Inputs();
  in.Text15 = "5\xC2\xB0";  // UTF-8 degree sign typed into the box
  EXPECT_EQ(TextRecordHeaderLines(in)[12], std::string("5") + '\xB0' + " m");
}

TEST(TextRecord, ChannelLineIsQuoted) {
  EXPECT_EQ(ChannelLine(1), "\"Canale numero 1\"");
  EXPECT_EQ(ChannelLine(24), "\"Canale numero 24\"");
}

TEST(TextRecord, SampleValuesInWriteForm) {
  EXPECT_EQ(SampleText(0.0f), "0");
  EXPECT_EQ(SampleText(-0.0f), "0");
  EXPECT_EQ(SampleText(-1.5f), "-1.5");
  EXPECT_EQ(SampleText(1.5f), "1.5");
  EXPECT_EQ(SampleText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(SampleText(-12345678.0f), "-1.234568E+07");
  EXPECT_EQ(SampleText(1234567.0f), "1234567");
  EXPECT_EQ(SampleText(0.25f), ".25");
  EXPECT_EQ(SampleText(-0.25f), "-.25");
  EXPECT_EQ(SampleText(1.5e-5f), "1.5E-05");
  EXPECT_EQ(SampleText(0.1f), ".1");
  EXPECT_EQ(SampleText(106.365898f), "106.3659");
}

TEST(TextRecord, PathIsInTheDataFolder) {
  EXPECT_EQ(TextRecordPath("/data/"), "/data/dati.txt");
  EXPECT_EQ(TextRecordPath("/data"), "/data/dati.txt");
  EXPECT_EQ(TextRecordPath("/my data/"), "/my data/dati.txt");
}

TEST(TextRecord, TwoChannelShotIs530Lines) {
  TempDir dir;
  std::string path = TextRecordPath(dir.path());
  std::vector<float> ch1 = Ramp(256, 0.5f), ch2 = Ramp(256, -3.0f);
  TextRecordWriter w;
  ASSERT_TRUE(w.Open(path, Inputs()));
  w.Channel(1, ch1);
  w.BeginChannel(2);
  for (float v : ch2) w.Sample(v);  // written as each value is filtered
  ASSERT_TRUE(w.Close());

  auto l = Lines(ReadText(path));
  ASSERT_EQ(l.size(), 530u);
  auto header = TextRecordHeaderLines(Inputs());
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(l[i], header[i]) << i + 1;
  EXPECT_EQ(l[16], "\"Canale numero 1\"");
  for (int i = 0; i < 256; ++i) EXPECT_EQ(l[17 + i], SampleText(ch1[i])) << i;
  EXPECT_EQ(l[17], "-64");
  EXPECT_EQ(l[18], "-63.5");
  EXPECT_EQ(l[17 + 128], "0");
  EXPECT_EQ(l[273], "\"Canale numero 2\"");
  for (int i = 0; i < 256; ++i) EXPECT_EQ(l[274 + i], SampleText(ch2[i])) << i;
  EXPECT_EQ(l[529], "-381");
}

TEST(TextRecord, FailedChannelKeepsItsBlockOfZeros) {
  TempDir dir;
  std::string path = TextRecordPath(dir.path());
  std::vector<float> ch1 = Ramp(256, 0.5f);
  TextRecordWriter w;
  ASSERT_TRUE(w.Open(path, Inputs()));
  w.Channel(1, ch1);
  w.DeadChannel(2, 256);
  ASSERT_TRUE(w.Close());
  auto l = Lines(ReadText(path));
  ASSERT_EQ(l.size(), 530u);
  EXPECT_EQ(l[273], "\"Canale numero 2\"");
  for (int i = 0; i < 256; ++i) EXPECT_EQ(l[274 + i], "0") << i;
}

TEST(TextRecord, FailedFirstChannelKeepsLaterNumbers) {
  TempDir dir;
  std::string path = dir / "dati.txt";
  TextRecordWriter w;
  ASSERT_TRUE(w.Open(path, Inputs()));
  w.DeadChannel(1, 3);
  w.Channel(2, std::vector<float>{1.0f, -1.5f, 2.0f});
  ASSERT_TRUE(w.Close());
  auto l = Lines(ReadText(path));
  ASSERT_EQ(l.size(), 16u + 2 * 4);
  EXPECT_EQ(l[16], "\"Canale numero 1\"");
  EXPECT_EQ(l[17], "0");
  EXPECT_EQ(l[20], "\"Canale numero 2\"");
  EXPECT_EQ(l[22], "-1.5");
}

TEST(TextRecord, AbandonedShotHoldsTheHeaderOnly) {
  TempDir dir;
  std::string path = dir / "dati.txt";
  keld::testing::WriteText(path, std::string(5000, 'x'));  // the last shot's record
  TextRecordWriter w;
  ASSERT_TRUE(w.Open(path, Inputs()));
  ASSERT_TRUE(w.Close());
  auto l = Lines(ReadText(path));
  EXPECT_EQ(l.size(), 16u);
  EXPECT_EQ(l.back(), "\"NOTE:\"");
}

TEST(TextRecord, OpenFailureIsReported) {
  TempDir dir;
  TextRecordWriter w;
  Status s = w.Open(dir / "missing/dati.txt", Inputs());
  EXPECT_FALSE(s);
  EXPECT_NE(s.error.find("missing/dati.txt"), std::string::npos);
  w.Channel(1, std::vector<float>{1.0f});  // skipped, no crash
  EXPECT_FALSE(w.Close());
}

TEST(TextRecord, AWriteFailureIsReportedAndLeavesNothingUnderTheName) {
  keld::testing::TempDir dir;
  const std::string path = dir / "dati.txt";
  keld::testing::WriteText(path, "the record before");
  // A disk that fills up: the file-size limit makes writes fail past 16 KiB.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  IgnoreFileSizeSignal();  // as korvan's start-up does
  struct rlimit small = old;
  small.rlim_cur = 16384;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  TextRecordWriter w;
  Status s = w.Open(path, Inputs());
  w.Channel(1, std::vector<float>(20000, 1.25f));
  if (s) s = w.Close();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(s);
  EXPECT_NE(s.error.find("dati.txt"), std::string::npos) << s.error;
  EXPECT_EQ(keld::testing::ReadText(path), "the record before");
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u) << "no partial file left beside it";
}

TEST(TextRecord, ADeviceUnderTheNameIsNeverReplaced) {
  TextRecordWriter w;
  EXPECT_FALSE(w.Open("/dev/null", Inputs()));
  EXPECT_FALSE(w.Close());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace keld::korvan
