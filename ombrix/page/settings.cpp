#include "ombrix/page/settings.hpp"

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/profile.hpp"
#include "platform/folders.hpp"

namespace keld::ombrix {

namespace {

// Long enough for any path a user keeps.
constexpr std::size_t kWhole = 1 << 16;

std::string ReadKey(const std::string& file, const char* key, const char* def) {
  return GetPrivateProfileString(kOmbrixSection, key, def, kWhole, file);
}

int ReadCheck(const std::string& file, const char* key, const char* def) {
  auto v = CInt(Val(ReadKey(file, key, def)));
  return v && *v >= 0 && *v <= 2 ? *v : 0;
}

bool WriteKey(const std::string& file, const char* key, const std::string& value) {
  return WritePrivateProfileString(kOmbrixSection, key, value, file);
}

}  // namespace

std::string OmbrixIniPath() {
  const std::string path = WorkFolder() + "/" + kOmbrixIni;
  const std::string old = ProfilePath(kOmbrixIni);
  if (Existe_file(path) || !Existe_file(old) || SameFile(path, old)) return path;
  if (auto bytes = ReadWholeFile(old)) (void)WriteFileAtomic(path, *bytes);
  return path;
}

Settings Lit_Parametres() {
  const std::string ini = OmbrixIniPath();
  auto Get = [&](const char* key, const char* def) { return ReadKey(ini, key, def); };
  auto Check = [&](const char* key, const char* def) { return ReadCheck(ini, key, def); };
  Settings s;
  s.Graphical_Prog = Get("Graphical_Prog", " ");
  s.Large_plot = Val(Get("Large_plot", "2000"));
  s.Enlarge = Val(Get("Enlarge", "1"));
  s.Haut_plot = Val(Get("Haut_plot", "2000"));
  s.Time_plot = Val(Get("Time_plot", " "));
  s.Time_Line = Val(Get("Time_Line", "100"));
  s.Label_Spacing = Val(Get("Label_Spacing", "5"));
  s.Orient1 = Get("Orient1", "West");
  s.Orient2 = Get("Orient2", "East");
  s.egal = Check("egal", "1");
  s.fold = Check("fold", "0");
  s.inverse = Check("inverse", "0");
  s.topo = Check("topo", "0");
  s.time = Check("time", "0");
  s.dead = Check("dead", "0");
  s.velocity = Check("velocity", "0");
  s.crop = Check("crop", "0");
  return s;
}

bool Sauve_Parametres(const Settings& s) {
  const std::string ini = OmbrixIniPath();
  auto Put = [&](const char* key, const std::string& value) { return WriteKey(ini, key, value); };
  bool ok = Put("Graphical_Prog", s.Graphical_Prog);
  ok &= Put("Enlarge", CStr(s.Enlarge));
  ok &= Put("Large_plot", CStr(s.Large_plot));
  ok &= Put("Haut_plot", CStr(s.Haut_plot));
  ok &= Put("Time_plot", CStr(s.Time_plot));
  ok &= Put("Time_Line", CStr(s.Time_Line));
  ok &= Put("Label_Spacing", CStr(s.Label_Spacing));
  ok &= Put("Orient1", s.Orient1);
  ok &= Put("Orient2", s.Orient2);
  ok &= Put("egal", std::to_string(s.egal));
  ok &= Put("fold", std::to_string(s.fold));
  ok &= Put("inverse", std::to_string(s.inverse));
  ok &= Put("topo", std::to_string(s.topo));
  ok &= Put("time", std::to_string(s.time));
  ok &= Put("dead", std::to_string(s.dead));
  ok &= Put("velocity", std::to_string(s.velocity));
  ok &= Put("crop", std::to_string(s.crop));
  return ok;
}

}  // namespace keld::ombrix
