#include "korvan/engine/su_join.hpp"

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld::korvan {

namespace {

constexpr size_t kMaxPieces = 900;

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::vector<std::string> SplitDialogResult(std::string_view result) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (pieces.size() < kMaxPieces) {
    size_t blank = result.find(' ', start);
    if (blank == std::string_view::npos) {
      pieces.emplace_back(result.substr(start));
      break;
    }
    pieces.emplace_back(result.substr(start, blank - start));
    start = blank + 1;
  }
  return pieces;
}

AfficheFileResult Affiche_files(const std::vector<std::string>& paths) {
  AfficheFileResult r;
  r.List1 = paths;
  r.Nb_Fichiers = static_cast<int>(paths.size());
  if (paths.empty()) return r;
  const std::string& first = paths.front();
  const std::string name = std::filesystem::path(first).filename().string();
  const std::string folder = first.substr(0, first.size() - name.size());
  r.Text2 = folder + name.substr(0, name.size() >= 3 ? name.size() - 3 : 0) + "_raw.su";
  auto L = ReadSuLayout(first);
  if (L) {
    r.ns = L->ns;
    r.Nb_Tracce = L->traces;
  } else {
    r.error = L.error();
  }
  return r;
}

AfficheFileResult Affiche_file(std::string_view dialog_result) {
  const auto pieces = SplitDialogResult(dialog_result);
  std::vector<std::string> paths;
  if (pieces.size() == 1) {
    if (!pieces[0].empty()) paths.push_back(pieces[0]);
  } else {
    for (size_t k = 1; k < pieces.size(); ++k)
      if (!pieces[k].empty()) paths.push_back(InFolder(pieces[0], pieces[k]));
  }
  return Affiche_files(paths);
}

std::string AddingFileText(int i) { return "Adding file " + Str(i); }

std::string JoinExistsQuestion(const std::string& output) {
  return output + " file already exists, append new files ?";
}

std::string JoinEraseQuestion(const std::string& output) { return "Erase " + output + " ?"; }

}  // namespace keld::korvan
