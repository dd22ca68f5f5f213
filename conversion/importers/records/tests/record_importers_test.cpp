#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <functional>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/importers/records/abem.hpp"
#include "conversion/importers/records/ambrogeo.hpp"
#include "conversion/importers/records/bison.hpp"
#include "conversion/importers/records/es1225.hpp"
#include "conversion/importers/records/oyo.hpp"
#include "conversion/importers/records/pasi.hpp"
#include "conversion/importers/records/record_run.hpp"
#include "conversion/importers/records/sisforme.hpp"
#include "conversion/importers/records/tests/collect_traces.hpp"
#include "conversion/importers/records/tests/hand_records.hpp"
#include "conversion/importers/radar.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::conversion::testing::Collect;
using keld::testing::TempDir;

namespace {
using Buf = std::vector<uint8_t>;
void Put16(Buf& b, std::size_t at, int v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Buf& b, std::size_t at, int32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  std::memcpy(&b[at], &v, 4);
}
void PutText(Buf& b, std::size_t at, const std::string& s) {
  if (b.size() < at + s.size()) b.resize(at + s.size());
  std::memcpy(&b[at], s.data(), s.size());
}
Bytes View(const Buf& b) { return Bytes(b.data(), b.size()); }
void Save(const std::string& path, const Buf& b) {
  keld::testing::WriteText(path, std::string(b.begin(), b.end()));
}
// Channel c's sample i in the synthetic records.
int Sample(int c, int i) { return c * 100 + i - 50; }
}  // namespace

TEST(RecordImporters, AbemHeaderAndRecordsThroughTheRun) {
  Buf rec;
  std::string text;
  for (int line = 1; line <= 113; ++line) text += (line == 7 ? "500 us" : line == 113 ? "3" : "x") + std::string("\r\n");
  PutText(rec, 0, text);
  rec.resize(2048);
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 10; ++i) Put16(rec, 2048 + ((c - 1) * 10 + i) * 2, Sample(c, i));
  Put16(rec, 2048, 0x8000);
  const AbemHeader h = ReadAbemHeader(View(rec));
  EXPECT_EQ(h.dt, 500);
  EXPECT_EQ(h.channels, 3);
  EXPECT_EQ(h.ns, 10);

  TempDir d;
  Save(d / "a.abm", rec);
  Save(d / "b.abm", rec);
  RecordRun run{.files = {d / "a.abm", d / "b.abm"}, .records = 2, .output = d / "out.su"};
  const AbemParams p{10, 500, 3};
  auto read = [&](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
    return ReadAbemRecord(f, n, p, r, give);
  };
  ASSERT_TRUE(ConvertRecords(run, read).ok());
  auto su = ReadSuFile(d / "out.su");
  ASSERT_TRUE(su.ok());
  ASSERT_EQ(su->size(), 6u);
  const SuTrace& t = (*su)[4];  // record 2, channel 2
  EXPECT_EQ(t.header.fldr, 2);
  EXPECT_EQ(t.header.tracf, 2);
  EXPECT_EQ(t.header.trid + t.header.nvs + t.header.nhs, 3);
  EXPECT_EQ(t.header.duse, 0);
  EXPECT_EQ(t.header.dt, 500);
  EXPECT_EQ(t.samples[3], Sample(2, 3));
  EXPECT_EQ((*su)[0].samples[0], -32768.0f);

  // A short record: error 62, nothing written, the older output kept.
  rec.resize(2048 + 50);
  Save(d / "b.abm", rec);
  auto bad = ConvertRecords(run, read);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error->number, kPastEndOfFile);
  EXPECT_NE(bad.error->message().find("b.abm"), std::string::npos);
  EXPECT_EQ(ReadSuFile(d / "out.su")->size(), 6u);
}

TEST(RecordImporters, RunLimitsAndRefusals) {
  TempDir d;
  Buf rec(2048 + 4, 0);
  Save(d / "r.abm", rec);
  RecordRun run;
  run.files.assign(120, d / "r.abm");
  run.records = 120;
  run.output = d / "out.su";
  int limits = 0;
  run.on_limit = [&] { ++limits; };
  auto read = [](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
    return ReadAbemRecord(f, n, {1, 500, 2}, r, give);
  };
  ASSERT_TRUE(ConvertRecords(run, read).ok());
  EXPECT_EQ(limits, 1);
  EXPECT_EQ(ReadSuFile(d / "out.su")->size(), 99u * 2);
  run.output = d / "r.abm";
  EXPECT_EQ(ConvertRecords(run, read).error->message(), "Same Input / Output");
  run.output = d / "x.su";
  run.records = 0;
  EXPECT_FALSE(ConvertRecords(run, read).ok());
  EXPECT_FALSE(std::filesystem::exists(d / "x.su"));
  // Values that do not fit their words are refused, never wrapped.
  EXPECT_EQ(Collect(ReadAbemRecord, View(rec), "r", AbemParams{40000, 500, 1}, 1).error().number, kOverflow);
}

TEST(RecordImporters, RecordsLeftOutAreNamedByTheRun) {
  TempDir d;
  Buf rec(2048 + 4, 0);
  Save(d / "r.abm", rec);
  auto read = [](RecordSource& f, const std::string& n, int r, const TraceSink& give) {
    return ReadAbemRecord(f, n, {1, 500, 2}, r, give);
  };
  for (auto [files, records, left_out] : {std::tuple{120, 120, 21}, {120, 100, 1}, {99, 120, 0}, {99, 99, 0}}) {
    RecordRun run{.files = std::vector<std::string>(files, d / "r.abm"), .records = records, .output = d / "out.su"};
    const RecordOutcome out = ConvertRecords(run, read);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.left_out, left_out) << files << " files, " << records << " records";
  }
  EXPECT_EQ(LeftOutText(1, "o.su"), "Record 100 left out: Maximum 99 records\r\no.su holds the first 99");
  EXPECT_EQ(LeftOutText(21, "o.su"), "Records 100 to 120 left out: Maximum 99 records\r\no.su holds the first 99");
}

TEST(RecordImporters, GenericLayout) {
  LayoutParams p{2048, 240, 24, 1000, 480, LayoutType::Integer2};
  EXPECT_EQ(Calcul_gd_file(p, 55808).header_for_file, 2048);
  EXPECT_EQ(Calcul_gd_file(p, 55808).record_length, 55808);
  Buf rec;
  const LayoutParams f{16, 0, 3, 4, 1000, LayoutType::Floating4};
  for (int c = 1; c <= 3; ++c)
    for (int i = 0; i < 4; ++i) {
      const float v = Sample(c, i) + 0.5f;
      Put32(rec, 16 + ((c - 1) * 4 + i) * 4, std::bit_cast<int32_t>(v));
    }
  auto t = Collect(ReadLayoutRecord, View(rec), "g", f, 1);
  ASSERT_TRUE(t);
  EXPECT_EQ((*t)[2].samples[1], Sample(3, 1) + 0.5f);
  EXPECT_EQ((*t)[2].header.duse, 1);
  rec.pop_back();
  EXPECT_EQ(Collect(ReadLayoutRecord, View(rec), "g", f, 1).error().number, kPastEndOfFile);
  LayoutParams neg = f;
  neg.header = -100;
  EXPECT_EQ(Collect(ReadLayoutRecord, View(rec), "g", neg, 1).error().message(), "Verify your parameters...");
  neg.type = LayoutType::Ascii;
  EXPECT_FALSE(Collect(ReadLayoutRecord, View(rec), "g", neg, 1));
}

TEST(RecordImporters, Es1225BlocksFillTheEndOfTheFile) {
  Buf rec(100 + 12 * 2048, 0);
  Put16(rec, 98, 7);            // channel 1, sample 1
  Put16(rec, 98 + 2048, -9);    // channel 2, sample 1
  auto t = Collect(ReadEs1225Record, View(rec), "e", Es1225Params{12, 1000, Es1225RecordLength(5)});
  ASSERT_TRUE(t);
  EXPECT_EQ((*t)[0].samples[0], 7);
  EXPECT_EQ((*t)[1].samples[0], -9);
  EXPECT_EQ((*t)[0].header.dt, 1000);
  EXPECT_EQ((*t)[0].header.fldr, 0);
  EXPECT_EQ(Es1225Dt({12, 500, 250}), 500);
  EXPECT_EQ(Es1225RecordLength(-1), 250);
  Buf shortrec(48 + 12 * 2048, 0);
  EXPECT_EQ(Collect(ReadEs1225Record, View(shortrec), "e", Es1225Params{}).error().message(), "Wrong file length\r\ne");
  shortrec.push_back(0);
  EXPECT_TRUE(Collect(ReadEs1225Record, View(shortrec), "e", Es1225Params{}));
}

TEST(RecordImporters, BisonHeaderAndGainGroups) {
  std::string text = "BISN\r\n";  // line ends on even offsets, as the recorder writes them
  for (int line = 2; line <= 18; ++line)
    text += (line == 15 ? "24" : line == 17 ? "2048" : line == 18 ? "0.25" : "ff") + std::string("\r\n");
  text.resize(1160, ' ');
  text += "\x03\x03";
  Buf rec;
  PutText(rec, 0, text);
  const BisonHeader h = ReadBisonHeader(View(rec));
  EXPECT_EQ(h.header_size, 1162);
  EXPECT_EQ(h.channels(), "24");
  EXPECT_EQ(h.samples(), "2048");
  EXPECT_EQ(h.interval_us(), "250");
  EXPECT_EQ(BisonBlockWords(2048), 2560);

  const std::vector<int16_t> words = {100, -7, 3, 0, -2, 100, -7, 3, 0, 5};
  EXPECT_EQ(DecodeBisonBlock(words, 8), (std::vector<float>{100, -7, 3, 0, 200, -14, 6, 0}));
  EXPECT_EQ(DecodeBisonBlock(std::vector<int16_t>(1254, 1), 1003).size(), 1003u);  // never past ns

  rec.resize(1162 + 2 * 2 * BisonBlockWords(8));
  Put16(rec, 1162 + 2 * 10, 42);  // channel 2's first word
  auto t = Collect(ReadBisonRecord, View(rec), "b", BisonParams{2, 8, 250, 1162});
  ASSERT_TRUE(t);
  EXPECT_EQ((*t)[1].samples[0], 42);
  EXPECT_EQ((*t)[1].header.duse, 1);
}

TEST(RecordImporters, LcmItems) {
  const std::string a = "12.5, 13.5\r\n-3\n\n 7,8,9\n";
  const std::string b = "12.5\n13.5\n-3\n7\n8\n9\n";
  for (const std::string& s : {a, b}) {
    Buf rec(s.begin(), s.end());
    auto t = Collect(ReadPasiRecord, View(rec), "p", PasiParams{2, 3, 500}, 2);
    ASSERT_TRUE(t);
    EXPECT_EQ((*t)[0].samples, (std::vector<float>{12, 14, -3}));
    EXPECT_EQ((*t)[1].samples, (std::vector<float>{7, 8, 9}));
    EXPECT_EQ((*t)[1].header.fldr, 2);
  }
  Buf few = {'1', ',', '2'};
  EXPECT_EQ(Collect(ReadPasiRecord, View(few), "p", PasiParams{2, 3, 500}, 1).error().number, kPastEndOfFile);
}

TEST(RecordImporters, OyoFieldsAndSampleWidths) {
  Buf rec(6144, ' ');
  PutText(rec, 2816, "  17");
  PutText(rec, 2866, "  12");
  PutText(rec, 2870, "1000");
  PutText(rec, 2875, "0.250");
  PutText(rec, 2881, "       20");
  PutText(rec, 2891, "  10");
  PutText(rec, 2896, " 250");
  PutText(rec, 2901, "  50");
  PutText(rec, 2906, "  -120");
  PutText(rec, 2913, "   300");
  for (int w : {2, 4}) {
    Buf r = rec;
    r.resize(6144 + 2 * 4 * w, 0);
    (w == 4 ? Put32(r, 6144 + 4 * w, -70000) : Put16(r, 6144 + 4 * w, -700));
    auto t = Collect(ReadOyoRecord, View(r), "o", OyoParams{2, 4, Val(ReadOyoFields(View(r), "o")->interval_ms), w == 4});
    ASSERT_TRUE(t);
    const SuTraceHeader& h = (*t)[1].header;
    EXPECT_EQ((*t)[1].samples[0], w == 4 ? -70000 : -700);
    EXPECT_EQ(h.fldr, 17);
    EXPECT_EQ(h.dt, 250);
    EXPECT_EQ(h.sx, -120);
    EXPECT_EQ(h.sy, 300);
    EXPECT_EQ(h.delrt + h.lcf + h.hcf + h.nofilf, 20 + 10 + 250 + 50);
  }
  EXPECT_EQ(Collect(ReadOyoRecord, View(rec), "o", OyoParams{}).error().number, kOverflow);  // 200 ms does not fit dt
}

TEST(RecordImporters, AmbrogeoTwelveChannelsReadFromTwentyFourSlots) {
  std::string text;
  for (int line = 1; line <= 37; ++line)
    text += line == 5 ? " 15 03/  07\n" : line == 6 ? " 10:42\n" : line == 8 ? "12\n" : line == 9 ? "2\n"
          : line == 11 ? "250\n" : "0\n";
  for (int s = 0; s < 2; ++s) {
    for (int k = 1; k <= 24; ++k) text += std::to_string(s * 100 + k) + (k % 6 ? ", " : "\n");
  }
  Buf rec(text.begin(), text.end());
  EXPECT_EQ(ReadAmbrogeoHeader(View(rec)).rate, "250");
  auto t = Collect(ReadAmbrogeoRecord, View(rec), "a", AmbrogeoParams{12, 2, 250}, 2);
  ASSERT_TRUE(t);
  ASSERT_EQ(t->size(), 12u);
  EXPECT_EQ((*t)[0].samples, (std::vector<float>{1, 101}));  // channel 1 of sample 2 is the 25th number
  EXPECT_EQ((*t)[11].samples, (std::vector<float>{12, 112}));
  const SuTraceHeader& h = (*t)[0].header;
  EXPECT_EQ(h.fldr, 2);
  EXPECT_EQ(h.day, 105);
  EXPECT_EQ(h.year, 2007);
  EXPECT_EQ(h.hour * 100 + h.minute, 1042);
  EXPECT_EQ(Collect(ReadAmbrogeoRecord, View(rec), "a", AmbrogeoParams{12, 3, 250}, 1).error().number, kPastEndOfFile);
}

TEST(RecordImporters, CountsTheFileCannotHoldAreRefusedBeforeAnything) {
  // A 7000-byte record asked for 100,000,000 channels (typed, or read from a
  // header): the readers name the count and the size, and allocate nothing.
  Buf rec(7000, ' ');
  PutText(rec, 2875, "0.250");
  const int huge = 100'000'000;
  const std::vector<std::function<Imported<std::vector<SuTrace>>(Bytes)>> readers = {
      [&](Bytes f) { return Collect(ReadAbemRecord, f, "abem.abm", AbemParams{1000, 500, huge}, 1); },
      [&](Bytes f) { return Collect(ReadLayoutRecord, f, "layout.dat", LayoutParams{2048, 240, huge, 1000, 480, LayoutType::Integer4}, 1); },
      [&](Bytes f) { return Collect(ReadBisonRecord, f, "bison.dat", BisonParams{huge, 1000, 480, 1161}); },
      [&](Bytes f) { return Collect(ReadOyoRecord, f, "oyo.org", OyoParams{huge, 1000, 0.25, true}); },
  };
  for (const auto& read : readers) {
    auto r = read(View(rec));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().number, kPastEndOfFile);
    const std::string said = r.error().message();
    EXPECT_NE(said.find("100000000 channels"), std::string::npos) << said;
    EXPECT_NE(said.find("holds 7000 bytes"), std::string::npos) << said;
  }
  // The largest count a file holds is still read: 2 channels of 1000 16-bit
  // samples after the ABEM header fill 6048 bytes exactly.
  Buf two(2048 + 2 * 2000, 0);
  EXPECT_TRUE(Collect(ReadAbemRecord, View(two), "abem.abm", AbemParams{1000, 500, 2}, 1));
  EXPECT_FALSE(Collect(ReadAbemRecord, View(two), "abem.abm", AbemParams{1000, 500, 3}, 1));
}

TEST(RecordImporters, ReadInPiecesTheRunWritesTheBytesItWroteFromWholeRecords) {
  // Three hand-built records of each format through the run; the FNV-1a of
  // each output and its trace count are those of the run that read whole
  // records into memory, before records were read a trace at a time.
  using namespace keld::conversion::testing;
  struct Case {
    const char* name;
    std::string (*make)(uint32_t);
    RecordReader read;
    uint64_t fnv;
    int64_t traces;
  };
  const Case cases[] = {
      {"abem", HandAbem, [](RecordSource& f, const std::string& n, int r, const TraceSink& g) {
         return ReadAbemRecord(f, n, {700, 250, 5}, r, g); }, 0xb8389ccdf1880ceaull, 15},
      {"layout", HandLayout, [](RecordSource& f, const std::string& n, int r, const TraceSink& g) {
         return ReadLayoutRecord(f, n, {100, 32, 6, 600, 125, LayoutType::Floating4}, r, g); }, 0x16127479706a4438ull, 18},
      {"es1225", HandEs1225, [](RecordSource& f, const std::string& n, int, const TraceSink& g) {
         return ReadEs1225Record(f, n, {4, 500, 250}, g); }, 0x4cbd7026dd788bc4ull, 12},
      {"bison", HandBison, [](RecordSource& f, const std::string& n, int, const TraceSink& g) {
         return ReadBisonRecord(f, n, {3, 500, 500, 120}, g); }, 0xc87f3951f0115b0dull, 9},
      {"pasi", HandPasi, [](RecordSource& f, const std::string& n, int r, const TraceSink& g) {
         return ReadPasiRecord(f, n, {5, 3000, 500}, r, g); }, 0x32329f705527d9b0ull, 15},
      {"oyo", HandOyo, [](RecordSource& f, const std::string& n, int, const TraceSink& g) {
         return ReadOyoRecord(f, n, {4, 800, 0.25, true}, g); }, 0xb4da009f6d204db5ull, 12},
      {"ambrogeo", HandAmbrogeo, [](RecordSource& f, const std::string& n, int r, const TraceSink& g) {
         return ReadAmbrogeoRecord(f, n, {12, 1500, 125}, r, g); }, 0xe0cdd32bbe291f09ull, 36},
  };
  TempDir d;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    RecordRun run{.files = {}, .records = 3, .output = d / (std::string(k.name) + ".su")};
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      run.files.push_back(d / (k.name + std::to_string(seed)));
      keld::testing::WriteText(run.files.back(), k.make(seed));
    }
    const RecordOutcome out = ConvertRecords(run, k.read);
    ASSERT_TRUE(out.ok()) << out.error->message();
    EXPECT_EQ(out.traces, k.traces);
    EXPECT_EQ(Fnv1a(keld::testing::ReadText(run.output)), k.fnv);
  }
}

TEST(RecordImporters, RealFilesReadAsLayoutsKeepEverySample) {
  // Files of other programs described as binary layouts: an SU file (240-byte
  // trace headers, floats), a DT1 profile (128-byte trace headers, 16-bit
  // integers), a RAMAC profile (16-bit integers alone). Their samples come
  // out as the SU reader and the radar importers read them.
  KELD_REQUIRE_TESTDATA(data, "");
  const auto su = ReadSuFile(data + "/su/su_tutorial_data.su");
  const auto dt1 = ReadWholeFile(data + "/dt1/rgpr_cornino_cmp.DT1");
  const auto rd3 = ReadWholeFile(data + "/ramac/su_demos_DAT_1251_A1.rd3");
  ASSERT_TRUE(su.ok() && dt1.ok() && rd3.ok());
  std::vector<std::vector<float>> expect_su, expect_dt1, expect_rd3;
  for (const SuTrace& t : *su) expect_su.push_back(t.samples);
  const auto radar_dt1 = ImportDt1(*dt1, {500, 0, 51, 0.8, 1});
  const auto radar_rd3 = ImportRamac(*rd3, {568, 0, 2156, 0.2, 1}, {});
  ASSERT_TRUE(radar_dt1.ok() && radar_rd3.ok());
  for (const SuTrace& t : radar_dt1->traces) expect_dt1.push_back(t.samples);
  for (const SuTrace& t : radar_rd3->traces) expect_rd3.push_back(t.samples);
  const struct {
    std::string file;
    LayoutParams layout;
    const std::vector<std::vector<float>>& expect;
  } cases[] = {
      {data + "/su/su_tutorial_data.su", {0, 240, 32, 64, 4000, LayoutType::Floating4}, expect_su},
      {data + "/dt1/rgpr_cornino_cmp.DT1", {0, 128, 51, 500, 800, LayoutType::Integer2}, expect_dt1},
      {data + "/ramac/su_demos_DAT_1251_A1.rd3", {0, 0, 2156, 568, 200, LayoutType::Integer2}, expect_rd3},
  };
  TempDir d;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.file);
    RecordRun run{.files = {k.file}, .records = 1, .output = d / "out.su"};
    const LayoutParams p = k.layout;
    ASSERT_TRUE(ConvertRecords(run, [&](RecordSource& f, const std::string& n, int r, const TraceSink& g) {
                  return ReadLayoutRecord(f, n, p, r, g);
                }).ok());
    auto out = ReadSuFile(run.output);
    ASSERT_TRUE(out.ok());
    ASSERT_EQ(out->size(), k.expect.size());
    for (std::size_t i = 0; i < k.expect.size(); ++i) ASSERT_EQ((*out)[i].samples, k.expect[i]) << "trace " << i + 1;
  }
}
