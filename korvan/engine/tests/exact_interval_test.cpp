// A shot at every rate of the panel carries the interval the units sample at
// (125 us at 8000 Hz), not the panel's nominal text (128), in each file the
// suite writes of it: the SU dt word, the text record's interval line, the
// SEG-2 file dropconv makes of that record, and the SEG-Y export.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/engine/acquisition_values.hpp"
#include "korvan/engine/segy_export.hpp"
#include "korvan/engine/text_record.hpp"
#include "korvan/engine/trace_header.hpp"

namespace keld::korvan {
namespace {

using keld::testing::ReadBytes;
using keld::testing::ShellQuote;
using keld::testing::TempDir;

struct Rate {
  const char* text;      // the Sample_rate entry
  int16_t dt;            // microseconds between samples at its frequency
  const char* line;      // line 9 of the text record
  const char* seconds;   // the SEG-2 SAMPLE_INTERVAL value
  const char* rec_time;  // Rec_time for 1024 samples
};

// Worked by hand: 1 / 8000 Hz = 125 us, 1 / 4000 Hz = 250 us, and so on.
constexpr Rate kRates[] = {
    {"128", 125, "125 usec", "0.000125", "0.128"},  {"256", 250, "250 usec", "0.00025", "0.256"},
    {"512", 500, "500 usec", "0.0005", "0.512"},    {"1024", 1000, "1000 usec", "0.001", "1.024"},
    {"2048", 2000, "2000 usec", "0.002", "2.048"},  {"4096", 4000, "4000 usec", "0.004", "4.096"},
};

// The values that follow each "SAMPLE_INTERVAL " string of a SEG-2 file.
std::vector<std::string> Seg2Intervals(const std::vector<unsigned char>& f) {
  const std::string bytes(f.begin(), f.end()), key = "SAMPLE_INTERVAL ";
  std::vector<std::string> out;
  for (size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1)) {
    size_t from = at + key.size();
    out.push_back(bytes.substr(from, bytes.find('\0', from) - from));
  }
  return out;
}

TEST(ExactInterval, EveryFileOfAShotAtEveryRate) {
  for (const Rate& r : kRates) {
    SCOPED_TRACE(r.text);
    TempDir dir;
    ShotHeaderInputs h;
    h.Text3 = "1000";
    h.Sample_rate = r.text;
    h.Nb_Sample = "4";
    TextRecordInputs in;
    in.date = "08/12/2024";
    in.time = "14:03:07";
    in.Total_Channel = "2";
    in.Sample_rate = r.text;
    in.Nb_Sample = "4";
    in.Text15 = "5";
    in.offset = "0";

    // The SU shot: every trace's dt word, little-endian at byte 116.
    std::vector<SuTrace> shot(2);
    for (int c = 1; c <= 2; ++c) {
      shot[c - 1].header = Ecrit_Entete_Trace(h, c);
      shot[c - 1].samples = {1, -2, 3, -4};
    }
    ASSERT_TRUE(WriteSuFile(dir / "tmp.su", shot).ok());
    auto su = ReadBytes(dir / "tmp.su");
    EXPECT_EQ(get_i16le(&su[116]), r.dt);
    EXPECT_EQ(get_i16le(&su[240 + 16 + 116]), r.dt);

    // The text record, and the SEG-2 file dropconv makes of it.
    TextRecordWriter w;
    ASSERT_TRUE(w.Open(dir / "dati.txt", in));
    for (int c = 1; c <= 2; ++c) w.Channel(c, shot[c - 1].samples);
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(TextRecordHeaderLines(in)[8], r.line);
    const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " +
                            ShellQuote(keld::testing::BinDir() + "/dropconv") + " " +
                            ShellQuote(dir / "dati.txt|" + dir / "shot.sg2");
    std::string said;
    ASSERT_EQ(keld::testing::RunCommand(cmd, &said), 0) << said;
    EXPECT_EQ(Seg2Intervals(ReadBytes(dir / "shot.sg2")), (std::vector<std::string>{r.seconds, r.seconds}));

    // The SEG-Y export: binary header bytes 3216-3217 and each trace's 116-117,
    // big-endian; an older record with the nominal dt goes out exact as well.
    for (int16_t dt : {r.dt, static_cast<int16_t>(std::stoi(r.text))}) {
      for (SuTrace& t : shot) t.header.dt = dt;
      ASSERT_TRUE(WriteSuFile(dir / "rec.su", shot).ok());
      auto e = ConvertSuToSegy(dir / "rec.su", dir / "rec.sgy", "", "");
      ASSERT_TRUE(e.ok()) << e.error();
      auto sgy = ReadBytes(dir / "rec.sgy");
      EXPECT_EQ(get_i16be(&sgy[3216]), r.dt) << "dt " << dt;
      EXPECT_EQ(get_i16be(&sgy[3600 + 116]), r.dt) << "dt " << dt;
      EXPECT_EQ(get_i16be(&sgy[3600 + 240 + 16 + 116]), r.dt) << "dt " << dt;
    }

    // The recording time the panel shows.
    EXPECT_EQ(RecordingTimeText("1024", r.text), r.rec_time);
  }
}

// Intervals korvan does not record go out as they stand: 32 and 64 us are
// no recorder's rounding of 31.25 and 62.5 us, and a file sampled every
// 64 us elsewhere must not leave 3 % off.
TEST(ExactInterval, TheExportKeepsEveryOtherInterval) {
  for (int16_t dt : {32, 64, 31, 62, 100, 300}) {
    SCOPED_TRACE(dt);
    TempDir dir;
    std::vector<SuTrace> su(2);
    for (SuTrace& t : su) {
      t.header.ns = 4;
      t.header.dt = dt;
      t.samples = {1, 2, 3, 4};
    }
    ASSERT_TRUE(WriteSuFile(dir / "other.su", su).ok());
    auto e = ConvertSuToSegy(dir / "other.su", dir / "other.sgy", "", "");
    ASSERT_TRUE(e.ok()) << e.error();
    auto sgy = ReadBytes(dir / "other.sgy");
    EXPECT_EQ(get_i16be(&sgy[3216]), dt);
    EXPECT_EQ(get_i16be(&sgy[3600 + 116]), dt);
    EXPECT_EQ(get_i16be(&sgy[3600 + 240 + 16 + 116]), dt);
  }
}

}  // namespace
}  // namespace keld::korvan
