#pragma once
// The program-wide values of ombrix, one object made by main and handed to the
// window: the current SU file, the composition's kept values, the page and the
// document of the preview.
#include <string>

#include "ombrix/page/compose.hpp"
#include "ombrix/page/page.hpp"

namespace keld::ombrix {

struct OmbrixState {
  SuSummary su;                // path empty until a file has been checked and taken
  std::string working_folder;  // first folder of the file dialogs, ends with '/'
  ComposeValues mv;
  PageSetup page;
  Document vp;                 // the composed page the preview shows
  std::string Graphical_Prog = " ";
  bool physical_page = false;  // the preview's physical-page switch
  bool show_guides = false;
};

}  // namespace keld::ombrix
