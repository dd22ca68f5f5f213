// Arbitrary bytes taken as the SU file of a section: the summary is read and
// checked as the window does, then the page is composed with every overlay
// and the display mode chosen by the length. Nothing may be read outside the
// file, whatever its header words say.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/su_file.hpp"
#include "ombrix/page/compose.hpp"
#include "fuzz/scratch_file.hpp"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld;
  using namespace keld::ombrix;
  const keld::fuzzing::MemoryFile file(data, size);
  const std::string path = file.path();
  auto L = ReadSuLayout(path);
  if (!L) return 0;
  SuSummary su{path, L->ns, L->dt, L->traces};
  Controls c;
  c.Text2 = "1";
  c.Text3 = std::to_string(std::min<int64_t>(L->traces, 24));
  c.Text4 = "150";
  c.Text5 = "150";
  c.Text6 = "100000";
  c.Text7 = "100";  // a time line every 100 ms, as on a printed section
  c.Text10 = "1";
  c.Text15 = "0";
  c.fold = c.topo = c.velocity = c.Check1 = 1;
  c.Inverse_trace = int(size & 1);
  c.combo1 = int(size % 5);
  ComposeValues mv;
  static const char* words[] = {"normal", "wiggle", "area", "color", "grey"};
  mv.mode_word = words[c.combo1];
  PageSetup page;
  Document vp;
  MessageRecorder msg;
  ComposeHooks hooks;
  hooks.messages = &msg;
  DoDocument(vp, page, c, su, mv, hooks);
  return 0;
}
