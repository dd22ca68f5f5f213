#pragma once
// Velocity model files (*.VEL): free-format numbers, up to 10 blocks of 31
// (CDP, ten times in ms, ten NMO velocities, ten interval velocities), and the
// small tables drawn above the section at the columns of those CDPs.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"
#include "ombrix/page/compose.hpp"

namespace keld::ombrix {

struct VelBlock {
  double cdp = 0;
  std::array<double, 10> time{}, vnmo{}, vint{};
};

// Every number checked: only numbers separated by blanks, tabs, commas and line
// ends, a whole number of blocks of 31, at most 10 blocks. `name` goes into the
// message.
Result<std::vector<VelBlock>> ParseVelModel(std::string_view text, const std::string& name);
Result<std::vector<VelBlock>> ReadVelModel(const std::string& path);

// A number of a table's row: Str(v) padded in front so that the columns line up.
std::string VelCell(double v);

void Cadre_Vitesse(Document& vp, int32_t x, int32_t y, int32_t w, int32_t h);

// The tables of the model over the section (the file found, asked for or
// remembered as the velocity-file rules say).
void Affichage_model_vitesse(Document& vp, const Frame& f, SuReader& su);

}  // namespace keld::ombrix
