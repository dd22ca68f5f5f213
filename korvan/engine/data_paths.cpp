#include "korvan/engine/data_paths.hpp"

#include "common/text.hpp"

namespace keld::korvan {

std::string JoinFolder(std::string_view folder, std::string_view name) {
  std::string p(folder);
  if (!p.empty() && p.back() != '/') p += '/';
  p += name;
  return p;
}

std::string Nome_Attivo(std::string_view Text7, std::string_view Text2, std::string_view Text3) {
  std::string name = std::string(Text2) + std::string(Text3) + ".SU";
  Remplace_Chaine(name, " ", "");
  return JoinFolder(Text7, name);
}

std::string TextRecordPath(std::string_view data_folder) { return JoinFolder(data_folder, "dati.txt"); }

}  // namespace keld::korvan
