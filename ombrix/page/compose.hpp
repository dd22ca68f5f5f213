#pragma once
// DoDocument: one SU section laid out as one page. It reads the window's boxes
// as they stand (Controls), the summary of the current SU file and the page's
// size and margins, and draws on a Document: frame, header, title, orientation
// words, axis label, the overlays and every trace of the range as wiggle,
// filled lobes or coloured strokes. No window code: boxes are texts, questions
// and messages go through the message layer, the file choice through a hook.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ombrix/page/page.hpp"
#include "platform/messages.hpp"

namespace keld::ombrix {

inline constexpr const char* kOmbrixTitle = "Velquist Ombrix 2.0";

// The boxes, check boxes and list of the "Parameters" tab.
struct Controls {
  std::string Text1 = " *.SU";  // plot title
  std::string Text2 = "1", Text3 = "24";  // first and last trace
  std::string Text4 = "10", Text5 = "10";  // plot width, profile height (mm)
  std::string Text6 = "1024";              // time to draw (ms)
  std::string Text7 = "0";                 // time-line spacing (ms)
  std::string Text8 = "5", Text9 = "5";    // left and top margin (mm)
  std::string Text10 = "10";               // label spacing
  std::string Text12 = "1";                // trace size factor
  std::string Text13 = "Est", Text14 = "West";
  std::string Text15 = "35";               // fold maximum, 0 = from the headers
  int fold = 0, topo = 0, CDP = 0, time = 0, velocity = 0, Egal = 0, Inverse_trace = 0,
      Check1 = 0, Dead = 0, crop = 0;
  int combo1 = -1;  // display type, -1 when nothing is selected
};

// The current SU file as the start-up or the file choice has read it.
struct SuSummary {
  std::string path;
  int32_t ns = 0;
  int16_t dt = 0;
  int64_t traces = 0;
  int16_t delrt = 0;  // ms: the time of the first sample, where the time axis starts
};

// Page size and margins of the preview, in twips.
struct PageSetup {
  int32_t width = 11906, height = 16838;
  int32_t left = 1134, top = 1134;
};

// The colour table Amplitude1..16 (index 0..15), 0x00BBGGRR.
using ColourTable = std::array<uint32_t, 16>;

// Values kept between compositions and read by the overlays, the settings and
// the exports.
struct ComposeValues {
  double Large_plot = 2000, Haut_plot = 2000;  // twips
  double Enlarge = 1, Time_plot = 0, Time_Line = 100, Label_Spacing = 5;
  std::string mode_word;  // "normal", "wiggle", "area", "color", "grey"
  ColourTable Amplitude{};
  std::string vel_file;   // the velocity model chosen by the user, kept for the run
  // Of the last composition.
  int32_t first = 1, last = 0, L = 0, T = 0;
  int32_t S = 0;
  double D = 0, A = 0, V = 0;
  float M = 0;
};

struct ComposeHooks {
  MessageBoxes* messages = nullptr;
  std::function<void(int64_t done, int64_t total)> progress;  // also hands control to the window
  std::function<bool()> stopped;  // asked after each trace's progress: no document when it says so
  // The "You must locate your VEL file" dialog: a chosen path, nullopt when cancelled.
  std::function<std::optional<std::string>(const std::string& folder)> locate_vel;
  std::string working_folder;
};

struct ComposeOutcome {
  bool composed = false;          // a document was made
  std::optional<std::string> Text9;  // the top margin box when the margin was raised
};

ComposeOutcome DoDocument(Document& vp, PageSetup& page, const Controls& c, const SuSummary& su,
                          ComposeValues& mv, const ComposeHooks& hooks);

// Everything the overlays need of one composition.
struct Frame {
  const Controls& c;
  const SuSummary& su;
  ComposeValues& mv;
  const ComposeHooks& hooks;
  int32_t L, T, W, H;  // left, top, width and height of the section
  // Column of trace k and the file trace (0-based) drawn there.
  int32_t x(int32_t k) const;
  double xr(int32_t k) const;
  int64_t file_trace(int32_t k) const;
};

}  // namespace keld::ombrix
