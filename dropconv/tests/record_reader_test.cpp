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

TEST_F(ReadFixture, RecordsWhoseCountsDoNotMatchTheirValuesAreRefused) {
  // The default record: 16 header lines, "Canale numero 1" on line 17 and its
  // 3 values on 18-20, "Canale numero 2" on 21 and its values on 22-24.
  struct Case {
    const char* what;
    void (*change)(Record&);
    const char* says;
  };
  const Case cases[] = {
      {"a sample count above the values", [](Record& r) { r.samples = "5"; },
       "line 21: channel 1 has 3 values where the sample count is 5"},
      {"a sample count below the values", [](Record& r) { r.samples = "2"; },
       "line 20: channel 1 has more values than the sample count 2: expected \"Canale numero 2\" or "
       "the end of the file, found \"3.125E-05\""},
      {"a value after the last block", [](Record& r) { r.blocks[1].second.push_back("8"); },
       "line 25: channel 2 has more values than the sample count 3"},
      {"an interval that is not a number", [](Record& r) { r.interval = "abc usec"; },
       "line 9: expected the sample interval in microseconds (\"250 usec\"), found \"abc usec\""},
      {"an interval of 0", [](Record& r) { r.interval = "0 usec"; },
       "line 9: expected the sample interval in microseconds"},
      {"a sample that is not a number", [](Record& r) { r.blocks[1].second[1] = "x"; },
       "line 23: expected value 2 of 3 of channel 2, a number, found \"x\""},
      {"an empty sample line", [](Record& r) { r.blocks[0].second[0] = ""; },
       "line 18: expected value 1 of 3 of channel 1, a number, found \"\""},
  };
  for (const Case& c : cases) {
    Record r;
    c.change(r);
    Status s = Read(r.Text());
    EXPECT_FALSE(s.ok()) << c.what;
    EXPECT_NE(s.error.find(c.says), std::string::npos) << c.what << ": " << s.error;
    EXPECT_EQ(s.error.rfind(dir / "dati.txt", 0), 0u) << c.what << ": " << s.error;
  }
  // A record without an interval line, or without a channel count, says so.
  EXPECT_NE(Read("Numero di canali=\r\n0\r\n").error.find("line 2: the end of the file, and no sample interval"),
            std::string::npos);
  EXPECT_NE(Read("Intervallo di campionamento=\r\n250 usec\r\n").error.find("no channel count"),
            std::string::npos);
  // Blank lines after the last block are no values.
  EXPECT_TRUE(Read(Record{}.Text() + "\r\n  \r\n").ok());
}

TEST_F(ReadFixture, ANominalIntervalOfTheRecorderIsItsExactOne) {
  // Records of older korvan versions carry the panel's 1024 us for 1000 Hz.
  const char* table[][2] = {{"128 usec", "0.000125"}, {"256 usec", "0.00025"}, {"512 usec", "0.0005"},
                            {"1024 usec", "0.001"},   {"2048 usec", "0.002"},  {"4096 usec", "0.004"},
                            {"1000 usec", "0.001"},   {"300", "0.0003"}};
  for (const auto& [line, seconds] : table) {
    Record r;
    r.interval = line;
    ASSERT_TRUE(Read(r.Text()).ok()) << line;
    EXPECT_EQ(shot.Channel(1).strings[4], std::string("SAMPLE_INTERVAL ") + seconds) << line;
    EXPECT_DOUBLE_EQ(shot.SampleInterval(), std::stod(seconds)) << line;
  }
}

TEST_F(ReadFixture, ChannelCountLimits) {
  Record r;
  r.channels = "8191";
  r.samples = "0";
  r.blocks.clear();
  for (int c = 1; c <= 8191; ++c) r.blocks.push_back({c, {}});
  EXPECT_TRUE(Read(r.Text()).ok());
  r = Record{};
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
  // The blocks read before it are dropped: those channels then have none,
  // which is no failure: they are missing, with zero samples and no strings.
  const std::string more = "Numero di campioni=\r\n1\r\n\"Canale numero 3\"\r\n9\r\n";
  Record r;
  r.channels = "3";
  ASSERT_TRUE(Read(r.Text() + more).ok());
  EXPECT_EQ(shot.MissingChannels(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(shot.Channel(1).strings.empty());
  EXPECT_EQ(shot.SampleCount(), 1);
  EXPECT_EQ(shot.Sample(3, 1), 9.0f);
  EXPECT_FALSE(Read(Record{}.Text() + more).ok()) << "the block counter goes on past 2 channels";
}
