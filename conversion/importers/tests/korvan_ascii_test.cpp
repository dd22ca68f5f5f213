// The maker's per-channel ASCII records: items, the information file, the
// selection, and whole records converted and read back field by field.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "common/bytes.hpp"
#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/korvan_ascii.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;
using keld::testing::WriteText;

namespace {
// An information file with the given channels, records, time (ms) and samples.
std::string Adt(int channels, int records, int ms, int samples, const char* eol = "\r\n") {
  std::string e = eol;
  return "\"KORVAN\"," + e + "\"QMR\",1,2" + e + std::to_string(channels) + "," + std::to_string(records) + ",0" + e +
         std::to_string(ms) + "," + std::to_string(samples) + ",0,\"text\"" + e + "0,0,0,0,0,0,0" + e;
}
// A channel file of `n` samples: value = 1000 * channel + k (k from 1).
std::string Channel(int channel, int n, const char* eol) {
  std::string s;
  for (int k = 1; k <= n; ++k) s += " " + std::to_string(1000 * channel + k) + ".5" + eol;
  return s;
}
void SetTime(const std::string& path, int year, int mon, int mday, int hour, int min) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = mon - 1;
  tm.tm_mday = mday;
  tm.tm_hour = hour;
  tm.tm_min = min;
  tm.tm_isdst = -1;
  utimbuf t{mktime(&tm), mktime(&tm)};
  ASSERT_EQ(utime(path.c_str(), &t), 0);
}
}  // namespace

TEST(KorvanAscii, ItemsOfTextFiles) {
  EXPECT_EQ(TextItems("a, \"b c\",3\r\n 4\n\n5"), (std::vector<std::string>{"a", "b c", "3", "4", "", "5"}));
  EXPECT_EQ(TextItems("1,2,\r\n3", 2), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(TextItems("1,\n2"), (std::vector<std::string>{"1", "2"}));  // a comma at a line end
}

TEST(KorvanAscii, InformationFile) {
  for (const char* eol : {"\r\n", "\n"}) {
    auto info = ParseAdt(Adt(24, 1, 1024, 2048, eol));
    ASSERT_TRUE(info) << info.error();
    EXPECT_EQ(info->channels, 24);
    EXPECT_EQ(info->records, 1);
    EXPECT_EQ(info->recording_ms, 1024);
    EXPECT_EQ(info->samples, 2048);
    EXPECT_EQ(info->sample_interval, 500);
  }
  EXPECT_EQ(ParseAdt(Adt(3, 1, 100, 300)).value().sample_interval, 333);
  EXPECT_EQ(ParseAdt(Adt(3, 1, 1, 16)).value().sample_interval, 62);  // 62.5: a half goes to the even one
  EXPECT_FALSE(ParseAdt(Adt(3, 1, 100, 3)));       // 33333 us does not fit
  EXPECT_FALSE(ParseAdt(Adt(3, 1, 1000, 0)));      // no samples
  EXPECT_FALSE(ParseAdt(Adt(3, 1, 32000, 100)));   // 320000 us does not fit
  EXPECT_FALSE(ParseAdt(Adt(70000, 1, 100, 100)));  // channels beyond 16 bits
  EXPECT_FALSE(ParseAdt("1,2,3\r\n"));             // too short
  EXPECT_EQ(AdtOutputName("/data/REC1.ADT"), "/data/REC1.SU");
}

TEST(KorvanAscii, SelectionKeepsChannelFilesAndTheirCase) {
  TempDir d;
  auto sel = SelectChannelFiles({d / "REC1.A01", d / "REC1.A02", d / "REC1.ADT"});
  EXPECT_EQ(sel.files, (std::vector<std::string>{d / "REC1.A01", d / "REC1.A02"}));
  EXPECT_EQ(sel.output, d / "korvan.su");
  EXPECT_EQ(SelectChannelFiles({d / "one file.A07"}).files.size(), 1u);  // one file, a blank in its name
  WriteText(d / "REC1.ADT", Adt(2, 1, 10, 10));
  EXPECT_EQ(*CompanionAdt(d / "REC1.A01"), d / "REC1.ADT");  // found ignoring case
  WriteText(d / "REC1.adt", Adt(2, 1, 10, 10));
  EXPECT_EQ(*CompanionAdt(d / "REC1.A01"), d / "REC1.adt");  // the exact name first
  EXPECT_FALSE(CompanionAdt(d / "REC2.A01"));
}

TEST(KorvanAscii, DateWordsAreTheTrueDayOfTheYear) {
  TempDir d;
  WriteText(d / "a", "1");
  SetTime(d / "a", 2003, 3, 14, 15, 7);
  auto w = FileDateWords(d / "a");
  ASSERT_TRUE(w);
  EXPECT_EQ(w->year, 3);
  EXPECT_EQ(w->day, 73);
  EXPECT_EQ(w->hour, 15);
  EXPECT_EQ(w->minute, 7);
  EXPECT_FALSE(FileDateWords(d / "missing"));
}

TEST(KorvanAscii, ConvertsRecordsFieldByField) {
  TempDir d;
  KorvanImport job;
  job.channels = 3;
  job.records = 2;
  job.ns = 5;
  job.dt = 500;
  job.date = {3, 73, 15, 7};
  job.output = d / "out.su";
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      std::string f = d / ("REC" + std::to_string(r) + ".A0" + std::to_string(c));
      // Record 2, channel 2 is short; record 2, channel 3 is missing.
      if (r == 2 && c == 3) {
      } else {
        WriteText(f, Channel(c, r == 2 && c == 2 ? 3 : 5, r == 1 ? "\r\n" : "\n"));
      }
      job.files.push_back(f);
    }
  std::vector<int> seen;
  auto res = ConvertKorvan(job, [&](int t, const std::string&) { seen.push_back(t); });
  ASSERT_TRUE(res.ok) << res.error;
  EXPECT_EQ(res.traces, 6);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(res.problems.size(), 2u);
  EXPECT_NE(res.problems[0].find("REC2.A02"), std::string::npos);
  EXPECT_NE(res.problems[1].find("REC2.A03"), std::string::npos);

  auto bytes = keld::testing::ReadBytes(job.output);
  ASSERT_EQ(bytes.size(), 6u * (240 + 20));
  const uint8_t* t4 = &bytes[3 * 260];  // record 2, channel 1
  EXPECT_EQ(get_i32le(t4 + 0), 0);     // tracl
  EXPECT_EQ(get_i32le(t4 + 8), 2);     // fldr
  EXPECT_EQ(get_i32le(t4 + 12), 1);    // tracf
  EXPECT_EQ(get_i16le(t4 + 28), 1);    // trid
  EXPECT_EQ(get_i16le(t4 + 114), 5);
  EXPECT_EQ(get_i16le(t4 + 116), 500);
  EXPECT_EQ(get_i16le(t4 + 156), 3);
  EXPECT_EQ(get_i16le(t4 + 158), 73);
  EXPECT_EQ(get_i16le(t4 + 160), 15);
  EXPECT_EQ(get_i16le(t4 + 162), 7);
  EXPECT_EQ(get_f32le(t4 + 240), 1001.5f);
  auto traces = ReadSuFile(job.output);
  ASSERT_TRUE(traces);
  EXPECT_EQ(traces->at(4).samples, (std::vector<float>{2001.5f, 2002.5f, 2003.5f, 0, 0}));
  EXPECT_EQ(traces->at(5).samples, std::vector<float>(5, 0.0f));
  EXPECT_EQ(traces->at(2).samples[4], 3005.5f);

  // Debian's segyio reads the file back the same (an outside check).
  if (Existe_file("/usr/bin/python3")) {
    std::string out;
    int rc = keld::testing::RunCommand(
        "/usr/bin/python3 -c 'import segyio,sys\n"
        "f=segyio.su.open(sys.argv[1],endian=\"little\",ignore_geometry=True)\n"
        "print(f.tracecount,len(f.samples),f.header[3][segyio.su.fldr],f.header[3][segyio.su.tracf],"
        "f.header[0][segyio.su.dt],f.header[0][segyio.su.day],f.trace[2][4])' " +
            keld::testing::ShellQuote(job.output),
        &out, false);
    if (rc == 0) EXPECT_EQ(out, "6 5 2 1 500 73 3005.5\n");
    else GTEST_LOG_(INFO) << "segyio not available: " << out;
  }
}

TEST(KorvanAscii, RefusesBeforeWriting) {
  TempDir d;
  WriteText(d / "old.su", "old");
  KorvanImport job;
  job.channels = 3;
  job.records = 2;
  job.ns = 5;
  job.dt = 500;
  job.output = d / "old.su";
  job.files = {d / "a1", d / "a2"};
  EXPECT_NE(ConvertKorvan(job).error.find("need 6 channel files"), std::string::npos);
  job.files.assign(6, d / "a1");
  job.ns = 40000;
  EXPECT_FALSE(ConvertKorvan(job).ok);
  job.ns = 5;
  job.channels = 200;
  job.records = 200;
  EXPECT_FALSE(ConvertKorvan(job).ok);  // more than 32767 traces
  job.channels = 3;
  job.records = 2;
  job.output = d / "a1";
  EXPECT_EQ(ConvertKorvan(job).error, "Same Input / Output");
  EXPECT_EQ(keld::testing::ReadText(d / "old.su"), "old");
}
