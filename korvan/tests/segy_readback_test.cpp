// A record exported through the SEG-Y window, read back by segyio: the text,
// the binary header, each trace's own values and samples against the SU file.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "korvan/tests/exports_support.hpp"
#include "korvan/window/segy_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using keld::testing::TempDir;

namespace {

constexpr const char* kPython = "/usr/bin/python3";

const char* const kCheck = R"PY(
import struct, sys
import numpy as np
import segyio

su_path, sgy_path = sys.argv[1], sys.argv[2]
su = open(su_path, 'rb').read()
ns = struct.unpack_from('<h', su, 114)[0]
tb = 240 + 4 * ns
n = len(su) // tb
def su32(i, off): return struct.unpack_from('<i', su, i * tb + off)[0]
def su16(i, off): return struct.unpack_from('<h', su, i * tb + off)[0]
F = segyio.TraceField
bad = []
with segyio.open(sgy_path, ignore_geometry=True) as f:
    if not f.text[0].startswith(b'C 1 KORVAN LINE 7\r\nC 2 48 CHANNELS'):
        bad.append('text %r' % f.text[0][:40])
    if f.tracecount != n: bad.append('tracecount %d' % f.tracecount)
    if f.bin[segyio.BinField.Samples] != ns: bad.append('binary ns')
    if f.bin[segyio.BinField.Interval] != su16(0, 116): bad.append('binary dt')
    if f.bin[segyio.BinField.Format] != 5: bad.append('format')
    for i in range(n):
        h = f.header[i]
        own = {F.FieldRecord: su32(i, 8), F.TraceNumber: su32(i, 12), F.CDP: su32(i, 20),
               F.offset: su32(i, 36), F.SourceX: su32(i, 72), F.GroupX: su32(i, 80)}
        first = {F.TRACE_SAMPLE_COUNT: ns, F.TRACE_SAMPLE_INTERVAL: su16(0, 116),
                 F.DelayRecordingTime: su16(0, 108), F.YearDataRecorded: su16(0, 156),
                 F.DayOfYear: su16(0, 158), F.HourOfDay: su16(0, 160), F.MinuteOfHour: su16(0, 162)}
        for k, v in list(own.items()) + list(first.items()):
            if h[k] != v: bad.append('trace %d %s: %r, not %r' % (i + 1, k, h[k], v))
        if h[F.TraceIdentificationCode] != 1: bad.append('trace %d trid' % (i + 1))
        if not np.array_equal(f.trace[i], np.frombuffer(su, dtype='<f4', count=ns, offset=i * tb + 240)):
            bad.append('trace %d samples' % (i + 1))
print('\n'.join(bad[:40]) if bad else 'OK %d traces' % n)
sys.exit(1 if bad else 0)
)PY";

}  // namespace

TEST(SegyWindowReadBack, SegyioReadsWhatTheSuFileHolds) {
  if (RunCommand(std::string(kPython) + " -c 'import segyio, numpy'") != 0)
    GTEST_SKIP() << "python3-segyio (or python3-numpy) is not installed for " << kPython;
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  const std::string su = WriteShot(DataDir(h) + "/SHOT1007.su", 48, 1024);
  Toolbar(w, "tosu");
  SegyWindow* segy = w.segy();
  ASSERT_TRUE(segy);
  h.dialogs.files.push_back(su);
  Find<QPushButton>(segy, "Command1")->click();
  Find<QPlainTextEdit>(segy, "Text1")->setPlainText("C 1 KORVAN LINE 7\nC 2 48 CHANNELS");
  Find<QPushButton>(segy, "Command2")->click();
  const std::string sgy = DataDir(h) + "/SHOT1007.SGY";
  ASSERT_EQ(FileLength(sgy).value_or(0), 211728);
  keld::testing::WriteText(d / "check.py", kCheck);
  std::string out;
  int rc = RunCommand(std::string(kPython) + " " + ShellQuote(d / "check.py") + " " + ShellQuote(su) + " " +
                          ShellQuote(sgy),
                      &out);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("OK 48 traces"), std::string::npos) << out;
}
