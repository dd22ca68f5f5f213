#pragma once
// What surrounds the traces: trace or CDP labels above the section, the
// topography line from tstat, the fold band below it from nhs, and the time
// lines. Each reads the header words it needs from the SU file, only of traces
// inside the file.
#include "ombrix/page/compose.hpp"
#include "common/su_file.hpp"

namespace keld::ombrix {

void Affichage_Label(Document& vp, const Frame& f, SuReader& su);
void Affichage_topo(Document& vp, const Frame& f, SuReader& su);
void Affichage_Fold(Document& vp, const Frame& f, SuReader& su);
void Affichage_line_Temps(Document& vp, const Frame& f);

}  // namespace keld::ombrix
