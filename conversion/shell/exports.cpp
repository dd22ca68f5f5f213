#include "conversion/shell/exports.hpp"

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/module1.hpp"
#include "conversion/shell/su_ascii.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {

namespace {
constexpr const char* kAbandoned = "Export abandoned: no file written";
}  // namespace

void su2ascii2(ConversionContext& cx, WorkRun& run) {
  MessageBoxes& msg = cx.sv.msg;
  ConversionState& st = cx.st;
  if (msg.show(" This module writes one file per channel in ASCII format of the current data  ", MsgIcon::None,
               MsgButtons::OkCancel, kTitle) != MsgAnswer::Ok)
    return;
  FileDialogSpec d;
  d.folder = st.Work_Dir;
  d.title = "Seismic Unix File selection";
  d.filter = "SU File |*.SU|All files|*.*|";
  d.name = "*.SU";
  d.must_exist = true;
  auto picked = cx.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  st.SU_File = *picked;
  int32_t traces = 0;
  int16_t stacked = 0;
  if (!Calcul_Channel(st, st.SU_File, traces, st.Nb_Ch, stacked)) {
    auto L = ReadSuLayout(st.SU_File);
    msg.ok(L ? "Cannot read " + st.SU_File : L.error(), MsgIcon::Critical, kTitle);
    return;
  }
  st.Nb_Traces = traces;
  auto first_text = msg.input("First channel to print", kTitle, "1");
  if (!first_text) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  auto last_text = msg.input("Last channel to print", kTitle, Str(st.Nb_Ch));
  if (!last_text) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  auto first = CInt(Val(*first_text)), last = CInt(Val(*last_text));
  if (!first || !last) {
    msg.ok("Channel numbers out of range: " + *first_text + ", " + *last_text, MsgIcon::Critical, kTitle);
    return;
  }
  auto r = ExportChannels(st.SU_File, *first, *last, [&](int64_t, int64_t) { return run.keep_going(cx.sv.pump); });
  if (run.closing()) return;
  if (!r) {
    msg.ok(r.error(), MsgIcon::Critical, kTitle);
    return;
  }
  msg.ok("Conversion OK", MsgIcon::Information, kTitle);
}

void su2Ascii(ConversionContext& cx, WorkRun& run) {
  MessageBoxes& msg = cx.sv.msg;
  ConversionState& st = cx.st;
  if (msg.show("This module allow you to export data (amplitudes) from any SU file to a text file. Continue ? "
               "This file can be edited using any spread sheet ",
               MsgIcon::None, MsgButtons::YesNo, kTitle) != MsgAnswer::Yes)
    return;
  FileDialogSpec d;
  d.folder = st.Work_Dir;
  d.title = "SU file to export ";
  d.filter = "SU files|*.SU|";
  d.name = st.SU_File;
  d.must_exist = true;
  auto picked = cx.sv.dialogs.open_file(d);
  if (!picked || picked->empty()) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  const std::string file = *picked;
  auto L = ReadSuLayout(file);
  if (!L) {
    msg.ok(L.error(), MsgIcon::Critical, kTitle);
    return;
  }
  st.SU_File = file;
  st.Ns = L->ns;
  st.Nb_Traces = static_cast<int32_t>(std::min<int64_t>(L->traces, INT32_MAX));
  const std::string output = ColumnsFileName(file);
  auto first_text = msg.input("First trace to export", kTitle, "1");
  if (!first_text) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  auto last_text = msg.input("Last trace to export", kTitle, Str(st.Nb_Traces));
  if (!last_text) {
    msg.ok(kAbandoned, MsgIcon::Information, kTitle);
    return;
  }
  auto first = CLng(Val(*first_text)), last = CLng(Val(*last_text));
  if (!first || !last) {
    msg.ok("Trace numbers out of range: " + *first_text + ", " + *last_text, MsgIcon::Critical, kTitle);
    return;
  }
  // The proposed name is also the SU file's history file: never replace it
  // without asking.
  if (Existe_file(output) &&
      msg.show(output + " already exists. Replace it ?", MsgIcon::Question, MsgButtons::YesNo, kTitle) !=
          MsgAnswer::Yes)
    return;
  Status s = ExportColumns(file, output, *first, *last, [&](int64_t, int64_t) { return run.keep_going(cx.sv.pump); });
  if (run.closing()) return;
  if (!s) {
    msg.ok(s.error, MsgIcon::Critical, kTitle);
    return;
  }
  msg.ok(output + " has been recorded", MsgIcon::Information, kTitle);
}

}  // namespace keld::conversion
