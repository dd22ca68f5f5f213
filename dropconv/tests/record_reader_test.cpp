#include <gtest/gtest.h>

#include "common/testing/testsupport.hpp"
#include "dropconv/seg2_export.hpp"
#include "dropconv/tests/records.hpp"

using namespace keld;
using keld::testing::Record;

namespace {

using Strings = std::vector<std::string>;

struct ReadFixture : ::testing::Test {
  keld::testing::TempDir dir;
  ClassSEG2Export shot;
  Status Read(const std::string& text) {
    std::string path = dir / "dati.txt";
    keld::testing::WriteText(path, text);
    return shot.Read(path);
  }
};

}  // namespace

TEST_F(ReadFixture, ReadsTheRecordAsKorvanWritesIt) {
  ASSERT_TRUE(Read(Record{}.Text()).ok());
  EXPECT_EQ(shot.Company(), "KORVAN");
  EXPECT_EQ(shot.Instrument(), "QMR650B");
  EXPECT_EQ(shot.ChannelCount(), 2);
  EXPECT_EQ(shot.SampleCount(), 3);
  EXPECT_EQ(shot.FileStrings(),
            (Strings{"ACQUISITION_DATE 12/03/2024", "ACQUISITION_TIME 10:22:33", "COMPANY KORVAN",
                     "INSTRUMENT QMR650B", "TRACE_SORT AS_ACQUIRED", "UNITS METERS"}));
  EXPECT_EQ(shot.Channel(2).strings,
            (Strings{"CHANNEL_NUMBER 2", "DELAY 0", "DESCALING_FACTOR 1", "RECEIVER_LOCATION 2.5",
                     "SAMPLE_INTERVAL 0.00025", "SOURCE_LOCATION -3"}));
  EXPECT_EQ(shot.Sample(1, 2), -1.5f);
  EXPECT_EQ(shot.Sample(1, 3), 3.125e-05f);
  EXPECT_EQ(shot.Sample(2, 1), 0.5f);
  EXPECT_EQ(shot.Sample(2, 3), 7.0f);
}

TEST_F(ReadFixture, LfLinesReadAsCrLfLines) {
  Record r;
  r.eol = "\n";
  ASSERT_TRUE(Read(r.Text()).ok());
  ClassSEG2Export crlf;
  keld::testing::WriteText(dir / "crlf.txt", Record{}.Text());
  ASSERT_TRUE(crlf.Read(dir / "crlf.txt").ok());
  EXPECT_EQ(shot.FileStrings(), crlf.FileStrings());
  EXPECT_EQ(shot.Channel(1).strings, crlf.Channel(1).strings);
  EXPECT_EQ(shot.Channel(2).samples, crlf.Channel(2).samples);
}

TEST_F(ReadFixture, ChannelNumberIsTheBlockCounter) {
  Record r;
  r.channels = "3";
  r.blocks[0].first = 5;
  r.blocks[1].first = 7;
  r.blocks.push_back({9, {"1", "2", "3"}});
  ASSERT_TRUE(Read(r.Text()).ok());
  EXPECT_EQ(shot.Channel(1).strings[0], "CHANNEL_NUMBER 1");
  EXPECT_EQ(shot.Channel(2).strings[0], "CHANNEL_NUMBER 2");
  // Spacing 2,5 m and source -3 m: the third receiver stands at 5 and the
  // source 3 m before geophone 1, in the same frame: -3.
  EXPECT_EQ(shot.Channel(3).strings[3], "RECEIVER_LOCATION 5");
  EXPECT_EQ(shot.Channel(3).strings[5], "SOURCE_LOCATION -3");
}

TEST_F(ReadFixture, ValuesOfTheKeywordLines) {
  Record r;
  r.company = "Ditta ACME Srl";
  r.time = "ORA: 10:22:33 AM";
  r.interval = "31.25 usec";
  r.blocks[0].second[0] = "1,5E-03";
  ASSERT_TRUE(Read(r.Text()).ok());
  EXPECT_EQ(shot.FileStrings()[1], "ACQUISITION_TIME 10:22:33");
  EXPECT_EQ(shot.FileStrings()[2], "COMPANY ACME");
  EXPECT_EQ(shot.Channel(1).strings[4], "SAMPLE_INTERVAL 3.125E-05");
  EXPECT_FLOAT_EQ(shot.Sample(1, 1), 0.0015f);
}

TEST_F(ReadFixture, AMissingLineLeavesTheKeywordAlone) {
  Record r;
  r.date = "data di oggi";  // keys are case-sensitive: no date is read
  ASSERT_TRUE(Read(r.Text()).ok());
  EXPECT_EQ(shot.FileStrings()[0], "ACQUISITION_DATE ");
}

TEST_F(ReadFixture, ALineHoldingSeveralKeysServesEach) {
  Record r;
  r.company = "Ditta ORA";
  r.time = "";
  // The line after a next-line key is tested against the keys that follow it:
  // here the spacing line holds "Posizione source", whose value is then the
  // next line, the keyword line of the source, which reads as 0.
  r.spacing = "4 m Posizione source";
  ASSERT_TRUE(Read(r.Text()).ok());
  EXPECT_EQ(shot.FileStrings()[1], "ACQUISITION_TIME ORA");
  EXPECT_EQ(shot.FileStrings()[2], "COMPANY ORA");
  EXPECT_EQ(shot.Channel(2).strings[3], "RECEIVER_LOCATION 4");
  EXPECT_EQ(shot.Channel(2).strings[5], "SOURCE_LOCATION 0");
}

TEST_F(ReadFixture, FewerBlocksThanChannelsLeaveZeros) {
  Record r;
  r.channels = "3";
  ASSERT_TRUE(Read(r.Text()).ok());
  EXPECT_TRUE(shot.Channel(3).strings.empty());
  EXPECT_EQ(shot.Sample(3, 1), 0.0f);
  EXPECT_EQ(shot.Sample(3, 3), 0.0f);
}

TEST_F(ReadFixture, ChannelCountLimits) {
  Record r;
  r.channels = "8191";
  EXPECT_TRUE(Read(r.Text()).ok());
  for (const char* bad : {"8192", "-1", "40000", "ventiquattro", "24 ch", ""}) {
    r.channels = bad;
    EXPECT_FALSE(Read(r.Text()).ok()) << bad;
  }
}

TEST_F(ReadFixture, AbsurdSampleCountsFailBeforeAllocating) {
  Record r;
  for (const char* bad : {"-3", "100", "2000000000", "3000000000", "tre", "3.0.0"}) {
    r.samples = bad;
    EXPECT_FALSE(Read(r.Text()).ok()) << bad;
  }
}

TEST_F(ReadFixture, MisplacedOrCutBlocksFail) {
  Record r;
  std::string t = r.Text();
  EXPECT_FALSE(Read(t.substr(0, t.size() - 5)).ok()) << "cut in the last block";
  EXPECT_TRUE(Read(t.substr(0, t.size() - 2)).ok()) << "last line without its end";
  r.blocks.push_back({3, {"1", "2", "3"}});
  EXPECT_FALSE(Read(r.Text()).ok()) << "more blocks than channels";
  EXPECT_FALSE(Read("\"Canale numero 1\"\r\n1\r\n").ok()) << "no channel count";
  EXPECT_FALSE(Read("Numero di canali=\r\n1\r\n\"Canale numero 1\"\r\n1\r\n").ok())
      << "no sample count";
  r = Record{};
  r.blocks[1].second[2] = "1E39";
  EXPECT_FALSE(Read(r.Text()).ok()) << "sample beyond a float";
}

TEST_F(ReadFixture, KeywordLinesWithoutTheirValueFail) {
  for (const char* bad : {"Ditta\r\n", "Strumento:\r\n", "DATA:\r\n", "ORA:\r\n",
                          "Numero di canali=\r\n", "Intervallo di campionamento=",
                          "Numero di campioni=\r\n"})
    EXPECT_FALSE(Read(bad).ok()) << bad;
  EXPECT_FALSE(shot.Read(dir / "missing.txt").ok());
}

TEST_F(ReadFixture, ASecondSampleCountMakesTheArraysAnew) {
  const std::string more = "Numero di campioni=\r\n1\r\n\"Canale numero 3\"\r\n9\r\n";
  Record r;
  r.channels = "3";
  ASSERT_TRUE(Read(r.Text() + more).ok());
  EXPECT_EQ(shot.SampleCount(), 1);
  EXPECT_TRUE(shot.Channel(1).strings.empty());
  EXPECT_EQ(shot.Sample(1, 1), 0.0f);
  EXPECT_EQ(shot.Sample(3, 1), 9.0f);
  EXPECT_EQ(shot.Channel(3).strings[0], "CHANNEL_NUMBER 3");
  EXPECT_FALSE(Read(Record{}.Text() + more).ok()) << "the block counter goes on past 2 channels";
}
