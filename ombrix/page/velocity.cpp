#include "ombrix/page/velocity.hpp"

#include <algorithm>
#include <cmath>

#include "common/files.hpp"
#include "common/numtext.hpp"

namespace keld::ombrix {

namespace {

int32_t R32(double v) { return static_cast<int32_t>(std::clamp(RoundHalfEven(v), -2147483648.0, 2147483647.0)); }

bool IsSeparator(char ch) { return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r' || ch == '\n'; }

}  // namespace

Result<std::vector<VelBlock>> ParseVelModel(std::string_view text, const std::string& name) {
  using R = Result<std::vector<VelBlock>>;
  std::vector<double> nums;
  size_t i = 0;
  while (i < text.size()) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < text.size() && !IsSeparator(text[j])) ++j;
    const std::string_view word = text.substr(i, j - i);
    auto v = CDbl(word);
    if (!v || !std::isfinite(*v))
      return R::failure(name + ": not a velocity model file (\"" + std::string(word.substr(0, 20)) +
                        "\" is not a number)");
    if (nums.size() == 310)
      return R::failure(name + ": not a velocity model file (more than 310 numbers, 10 blocks of 31)");
    nums.push_back(*v);
    i = j;
  }
  if (nums.empty() || nums.size() % 31 != 0)
    return R::failure(name + ": not a velocity model file (" + std::to_string(nums.size()) +
                      " numbers, not whole blocks of 31)");
  std::vector<VelBlock> blocks(nums.size() / 31);
  for (size_t b = 0; b < blocks.size(); ++b) {
    const double* n = &nums[b * 31];
    blocks[b].cdp = n[0];
    for (int r = 0; r < 10; ++r) {
      blocks[b].time[size_t(r)] = n[1 + r];
      blocks[b].vnmo[size_t(r)] = n[11 + r];
      blocks[b].vint[size_t(r)] = n[21 + r];
    }
  }
  return blocks;
}

Result<std::vector<VelBlock>> ReadVelModel(const std::string& path) {
  auto len = FileLength(path);
  // Ten blocks of 31 numbers fit in far less; a bigger file is not a model.
  if (len && *len > (1 << 20))
    return Result<std::vector<VelBlock>>::failure(path + ": not a velocity model file (too large)");
  auto bytes = ReadWholeFile(path);
  if (!bytes) return Result<std::vector<VelBlock>>::failure(bytes.error());
  return ParseVelModel(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                       path);
}

std::string VelCell(double v) {
  std::string t = Str(v);
  static constexpr int kPad[5] = {0, 8, 6, 4, 2};
  const size_t n = t.size();
  if (n >= 1 && n <= 4) t.insert(0, size_t(kPad[n]), ' ');
  return t;
}

void Cadre_Vitesse(Document& vp, int32_t x, int32_t y, int32_t w, int32_t h) {
  vp.Polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
  vp.Line(x, y + 200, x + w, y + 200);
}

void Affichage_model_vitesse(Document& vp, const Frame& f, SuReader& su) {
  std::string name = f.su.path.size() >= 2 ? f.su.path.substr(0, f.su.path.size() - 2) : std::string();
  name += "vel";
  if (auto beside = FindBeside(name)) {
    name = *beside;
  } else if (!f.mv.vel_file.empty() && Existe_file(f.mv.vel_file) == 1) {
    name = f.mv.vel_file;
  } else {
    if (f.hooks.messages)
      f.hooks.messages->ok("You must locate your VEL file", MsgIcon::Information, kOmbrixTitle);
    std::optional<std::string> chosen;
    if (f.hooks.locate_vel) chosen = f.hooks.locate_vel(f.hooks.working_folder);
    if (!chosen || Existe_file(*chosen) != 1) return;
    name = *chosen;
    f.mv.vel_file = name;
  }
  auto model = ReadVelModel(name);
  if (!model) {
    if (f.hooks.messages) f.hooks.messages->ok(model.error(), MsgIcon::Critical, kOmbrixTitle);
    return;
  }
  const std::string saved_font = vp.style.font_name;
  vp.style.font_name = "Arial";
  const int32_t T = f.T, y = T - 1700;
  SuTraceHeader h;
  for (int32_t k = f.mv.first; k <= f.mv.last; ++k) {
    const int64_t j = f.file_trace(k);
    if (j < 0 || j >= su.traces() || !su.read_header(j, h)) continue;
    for (const VelBlock& b : *model) {
      if (b.cdp != h.cdp) continue;
      const double x = f.xr(k);
      const int32_t xi = R32(x);
      vp.Line(xi, T, xi, T - 1200);
      int n = 0;
      while (n < 8 && b.time[size_t(n)] != 0) ++n;
      Cadre_Vitesse(vp, xi, y, 1300, 240 + 160 * n);
      vp.style.font_size = 7;
      vp.style.bold = true;
      vp.CurrentX = R32(x + 100);
      vp.CurrentY = y + 30;
      vp.Print("  ms Vnmo  Vint ");
      vp.style.bold = false;
      // Rows end at the first zero time, inside the frame.
      for (int r = 1; r <= n; ++r) {
        const size_t i = size_t(r - 1);
        vp.CurrentX = R32(x + 100);
        vp.CurrentY = y + 100 + 150 * r;
        vp.Print(VelCell(b.time[i]) + " " + VelCell(b.vnmo[i]) + " " + VelCell(b.vint[i]));
      }
    }
  }
  vp.style.font_name = saved_font;
}

}  // namespace keld::ombrix
