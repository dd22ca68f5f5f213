#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/files.hpp"
#include "common/header_io.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using keld::testing::TempDir;

namespace {

SuTrace MakeTrace(int ns, int i) {
  SuTrace t;
  t.header.tracf = i + 1;
  t.header.ns = static_cast<int16_t>(ns);
  t.header.dt = 1000;
  t.samples.resize(ns);
  for (int k = 0; k < ns; ++k) t.samples[k] = static_cast<float>(std::sin(0.1 * k + i));
  return t;
}

}  // namespace

TEST(SuLayout, TraceCountIsTheWholePart) {
  EXPECT_EQ(SuTraceCount(104064, 1024), 24);
  EXPECT_EQ(SuTraceCount(104064 + 4335, 1024), 24);
  EXPECT_EQ(SuTraceCount(104064 - 1, 1024), 23);
  EXPECT_EQ(SuTraceCount(1000, 0), 0);
  EXPECT_EQ(SuTraceCount(1000, -5), 0);
}

TEST(SuFile, ReadsRealFiles) {
  KELD_REQUIRE_TESTDATA(dir, "su");
  struct Want { const char* file; int traces; int ns; int dt; };
  const Want want[] = {
      {"obspy_1.su_first_trace", 1, 8000, 250},
      {"obspy_one_trace_year_11.su", 1, 8000, 250},
      {"obspy_one_trace_year_99.su", 1, 8000, 250},
      {"segyio_small-lsb.su", 25, 50, 0},
      {"su_tutorial_data.su", 32, 64, 4000},
  };
  for (const auto& w : want) {
    SuReader r;
    ASSERT_TRUE(r.open(dir + "/" + w.file).ok()) << w.file;
    EXPECT_EQ(r.traces(), w.traces) << w.file;
    EXPECT_EQ(r.ns(), w.ns) << w.file;
    EXPECT_EQ(r.layout().dt, w.dt) << w.file;
    SuTrace t;
    for (int64_t i = 0; i < r.traces(); ++i) ASSERT_TRUE(r.next(t)) << w.file << " trace " << i;
    EXPECT_FALSE(r.next(t)) << "read past the last trace of " << w.file;
  }
  // The two-digit years are what the files hold.
  SuReader r;
  ASSERT_TRUE(r.open(dir + "/obspy_one_trace_year_99.su").ok());
  SuTraceHeader h;
  ASSERT_TRUE(r.read_header(0, h));
  EXPECT_EQ(h.year, 99);
  // segyio's small file has no sample interval.
  EXPECT_FALSE(ReadSuLayoutWithDt(dir + "/segyio_small-lsb.su").ok());
  EXPECT_TRUE(ReadSuLayoutWithDt(dir + "/su_tutorial_data.su").ok());
}

TEST(SuFile, BigEndianFileIsRefusedWithAMessage) {
  KELD_REQUIRE_TESTDATA(dir, "su");
  auto L = ReadSuLayout(dir + "/segyio_small.su");
  ASSERT_FALSE(L.ok());
  EXPECT_NE(L.error().find("segyio_small.su"), std::string::npos);
  SuReader r;
  EXPECT_FALSE(r.open(dir + "/segyio_small.su").ok());
  SuTrace t;
  EXPECT_FALSE(r.next(t));
}

// Files laid out by hand: 240-byte headers whose ns word (bytes 114-115) and
// dt word (116-117) are set byte by byte, samples left zero.
std::string HandMadeFile(std::initializer_list<std::pair<std::string, int>> traces) {
  std::string out;
  for (const auto& [ns_dt_bytes, samples] : traces) {
    std::string h(240, '\0');
    h.replace(114, 4, ns_dt_bytes);
    out += h + std::string(4 * static_cast<size_t>(samples), '\0');
  }
  return out;
}

TEST(SuFile, BigEndianAndMixedFilesAreRefusedEverywhere) {
  TempDir d;
  struct Case {
    const char* name;
    std::string bytes;
    const char* said;  // empty: opened
  };
  // ns 256 big-endian is 01 00, which reads as 1 little-endian: 3 traces of
  // 1264 bytes are 3792 bytes, 15.5 "traces" of 244. ns 512 (02 00) reads as 2.
  const std::string be256 = std::string("\x01\x00\x03\xE8", 4), be512 = std::string("\x02\x00\x03\xE8", 4);
  const Case cases[] = {
      {"be3.su", HandMadeFile({{be256, 256}, {be256, 256}, {be256, 256}}),
       "it reads as a big-endian file of 3 traces of 256 samples"},
      {"be2.su", HandMadeFile({{be512, 512}, {be512, 512}}),
       "it reads as a big-endian file of 2 traces of 512 samples"},
      // 10 then 12 samples little-endian (0A 00, 0C 00).
      {"mixed.su", HandMadeFile({{std::string("\x0A\x00\xE8\x03", 4), 10}, {std::string("\x0C\x00\xE8\x03", 4), 12}}),
       "trace 2 has 12 samples, the first trace 10"},
      // ns 257 (01 01) reads the same both ways; dt 1000 big-endian (03 E8)
      // reads as -6141 little-endian.
      {"be257.su", HandMadeFile({{std::string("\x01\x01\x03\xE8", 4), 257}, {std::string("\x01\x01\x03\xE8", 4), 257}}),
       "it reads as a big-endian file of 2 traces of 257 samples"},
      // The same two little-endian traces of 10 samples, the second cut: opened.
      {"cut.su", HandMadeFile({{std::string("\x0A\x00\xE8\x03", 4), 10}, {std::string("\x0A\x00\xE8\x03", 4), 10}}).substr(0, 2 * 280 - 9), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    keld::testing::WriteText(d / c.name, c.bytes);
    auto L = ReadSuLayout(d / c.name);
    SuReader r;
    const Status opened = r.open(d / c.name);
    InPlaceFile f;
    ASSERT_TRUE(f.open(d / c.name, true).ok());
    const auto ns = ReadSuNs(f);
    const Status wrote = WriteSuWord(f, 1, 1, *FindHeaderWord(1), 7);
    f.close();
    if (!*c.said) {
      ASSERT_TRUE(L.ok()) << L.error();
      EXPECT_EQ(L->traces, 1);
      EXPECT_TRUE(opened.ok());
      EXPECT_EQ(*ns, 10);
      continue;
    }
    ASSERT_FALSE(L.ok());
    EXPECT_NE(L.error().find(c.said), std::string::npos) << L.error();
    EXPECT_NE(L.error().find(c.name), std::string::npos) << L.error();
    EXPECT_FALSE(opened.ok());
    EXPECT_FALSE(ns.ok());
    EXPECT_FALSE(wrote.ok());
    EXPECT_EQ(keld::testing::ReadText(d / c.name), c.bytes) << "nothing is written into a refused file";
  }
}

// Opening reads two headers; each trace after them is checked as it is read,
// by every way of reading one, and nothing is written into such a file.
TEST(SuFile, ATraceOfAnotherLengthStopsEveryReadOfIt) {
  TempDir d;
  for (const std::string& path : keld::testing::WriteLengthChangeFiles(d.path())) {
    SCOPED_TRACE(path);
    const std::string said = path + ": " + keld::testing::kThirdTraceInFile;
    const std::string bytes = keld::testing::ReadText(path);
    SuReader r;
    ASSERT_TRUE(r.open(path).ok());
    SuTrace t;
    SuTraceHeader h;
    std::vector<float> s(100);
    EXPECT_TRUE(r.next(t) && r.next(t));
    EXPECT_FALSE(r.next(t));
    EXPECT_EQ(r.error(), said);
    EXPECT_FALSE(r.read_header(2, h));
    EXPECT_EQ(r.error(), said);
    EXPECT_FALSE(r.read_samples(2, s.data()));
    EXPECT_EQ(r.error(), said);
    EXPECT_EQ(ReadSuFile(path).error(), said);
    InPlaceFile f;
    ASSERT_TRUE(f.open(path, true).ok());
    EXPECT_EQ(ReadSuWord(f, 100, 3, *FindHeaderWord(1)).error(), said);
    EXPECT_FALSE(WriteSuWord(f, 100, 3, *FindHeaderWord(1), 7).ok());
    f.close();
    EXPECT_EQ(keld::testing::ReadText(path), bytes);
  }
}

TEST(SuFile, TruncatedAndAbsurdFilesGiveErrors) {
  TempDir d;
  keld::testing::WriteText(d / "empty.su", "");
  EXPECT_FALSE(ReadSuLayout(d / "empty.su").ok());
  keld::testing::WriteText(d / "short.su", std::string(100, '\0'));
  EXPECT_FALSE(ReadSuLayout(d / "short.su").ok());
  EXPECT_FALSE(ReadSuLayout(d / "missing.su").ok());

  // ns = 0 and ns negative
  SuTrace t = MakeTrace(10, 0);
  t.header.ns = 0;
  ASSERT_TRUE(WriteSuFile(d / "ns0.su", {t}).ok());
  EXPECT_FALSE(ReadSuLayout(d / "ns0.su").ok());
  t.header.ns = -3;
  ASSERT_TRUE(WriteSuFile(d / "nsneg.su", {t}).ok());
  EXPECT_FALSE(ReadSuLayout(d / "nsneg.su").ok());

  // A header promising more samples than the file holds.
  t = MakeTrace(10, 0);
  t.header.ns = 30000;
  ASSERT_TRUE(WriteSuFile(d / "cut.su", {t}).ok());
  EXPECT_FALSE(ReadSuLayout(d / "cut.su").ok());

  // A partial last trace is not a trace.
  std::vector<SuTrace> two = {MakeTrace(64, 0), MakeTrace(64, 1)};
  ASSERT_TRUE(WriteSuFile(d / "partial.su", two).ok());
  std::filesystem::resize_file(d / "partial.su", 2 * (240 + 256) - 7);
  auto L = ReadSuLayout(d / "partial.su");
  ASSERT_TRUE(L.ok());
  EXPECT_EQ(L->traces, 1);
  SuReader r;
  ASSERT_TRUE(r.open(d / "partial.su").ok());
  SuTrace out;
  EXPECT_TRUE(r.read(0, out));
  EXPECT_FALSE(r.read(1, out));
  EXPECT_FALSE(r.read(-1, out));
}

TEST(SuFile, WriteReadRoundTrip) {
  TempDir d;
  std::vector<SuTrace> in;
  for (int i = 0; i < 24; ++i) in.push_back(MakeTrace(1024, i));
  ASSERT_TRUE(WriteSuFile(d / "shot.su", in).ok());
  EXPECT_EQ(*FileLength(d / "shot.su"), 104064);
  auto out = ReadSuFile(d / "shot.su");
  ASSERT_TRUE(out.ok());
  ASSERT_EQ(out->size(), 24u);
  for (size_t i = 0; i < 24; ++i) {
    EXPECT_EQ(0, std::memcmp(EncodeSuHeader(in[i].header).data(), EncodeSuHeader((*out)[i].header).data(), 240));
    EXPECT_EQ(in[i].samples, (*out)[i].samples);
  }
  // Random access: channel 5's samples start at byte 17,584.
  auto bytes = keld::testing::ReadBytes(d / "shot.su");
  float first;
  std::memcpy(&first, &bytes[17584], 4);
  EXPECT_EQ(first, in[4].samples[0]);
  SuReader r;
  ASSERT_TRUE(r.open(d / "shot.su").ok());
  std::vector<float> s(1024);
  ASSERT_TRUE(r.read_samples(4, s.data()));
  EXPECT_EQ(s, in[4].samples);
}

TEST(SuFile, WriterThatIsNotCommittedLeavesTheOldFile) {
  TempDir d;
  ASSERT_TRUE(WriteSuFile(d / "a.su", {MakeTrace(8, 0)}).ok());
  auto before = keld::testing::ReadBytes(d / "a.su");
  {
    SuWriter w(d / "a.su");
    SuTrace t = MakeTrace(16, 3);
    ASSERT_TRUE(w.write(t));
  }
  EXPECT_EQ(keld::testing::ReadBytes(d / "a.su"), before);
}

// segyio (Debian's python3-segyio) reads our files back field for field.
TEST(SuFile, SegyioReadsWhatWeWrite) {
  const char* py = "/usr/bin/python3";
  if (keld::testing::RunCommand(std::string(py) + " -c 'import segyio'") != 0)
    GTEST_SKIP() << "python3-segyio is not installed (apt-get install python3-segyio)";
  TempDir d;
  std::vector<SuTrace> traces;
  for (int i = 0; i < 3; ++i) {
    SuTrace t = MakeTrace(100, i);
    int n = 0;
    for (const auto& f : HeaderFields()) {
      ++n;
      if (f.kind == FieldKind::F32) continue;
      if (f.name == "ns" || f.name == "dt") continue;
      // Distinct values per field and trace, within every field's range.
      SetField(t.header, f, f.kind == FieldKind::I16 ? 100 * i + n : -(100000 * (i + 1) + n));
    }
    t.header.dt = 2000;
    traces.push_back(t);
  }
  ASSERT_TRUE(WriteSuFile(d / "out.su", traces).ok());
  const std::string script = R"(
import segyio, segyio.su, sys
f = segyio.su.open(sys.argv[1], endian='little', ignore_geometry=True)
print(f.tracecount, len(f.samples), f.bin[segyio.BinField.Interval] if False else 0)
keys = sorted(int(k) for k in f.header[0].keys())
sizes = {k: (keys[i+1] - k if i + 1 < len(keys) else 4) for i, k in enumerate(keys)}
for t in range(f.tracecount):
    h = f.header[t]
    for k in keys:
        print(t, k - 1, sizes[k], h[k])
    print('S', t, repr(float(f.trace[t][7])))
)";
  keld::testing::WriteText(d / "dump.py", script);
  std::string out;
  ASSERT_EQ(0, keld::testing::RunCommand(std::string(py) + " " + d / "dump.py" + " " + d / "out.su", &out, false)) << out;
  std::istringstream in(out);
  int count, ns, dummy;
  in >> count >> ns >> dummy;
  EXPECT_EQ(count, 3);
  EXPECT_EQ(ns, 100);
  int compared = 0;
  std::string tok;
  while (in >> tok) {
    if (tok == "S") {
      int t;
      double v;
      in >> t >> v;
      EXPECT_FLOAT_EQ(static_cast<float>(v), traces[t].samples[7]);
      continue;
    }
    int t = std::stoi(tok), off, size;
    long long v;
    in >> off >> size >> v;
    // segyio reads the source water depth (byte 60) as a 16-bit word.
    if (off == 60) continue;
    for (const auto& f : HeaderFields()) {
      if (f.offset == off && f.size() == size && f.kind != FieldKind::F32) {
        EXPECT_EQ(static_cast<long long>(GetField(traces[t].header, f)), v) << f.name << " trace " << t;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 3 * 70);
}

TEST(FindBeside, TheExactNameFirstThenAnyCaseOfTheExtensionButNeverAnotherStem) {
  TempDir d;
  for (const char* f : {"LINE.VEL", "line2.Vel", "Shot.HD", "Shot.hd", "noext"}) keld::testing::WriteText(d / f, "x");
  const std::pair<const char*, const char*> cases[] = {  // asked, found ("" for none)
      {"LINE.vel", "LINE.VEL"}, {"line2.vel", "line2.Vel"}, {"Shot.hd", "Shot.hd"}, {"Shot.Hd", "Shot.HD"},
      {"line.vel", ""},         {"LINE.vl", ""},            {"NOEXT", ""},         {"sub/LINE.vel", ""}};
  for (auto [asked, found] : cases) EXPECT_EQ(FindBeside(d / asked).value_or(d / ""), d / found) << asked;
}
