#include "conversion/shell/move_together.hpp"

#include <cstdio>
#include <filesystem>

#include "common/files.hpp"
#include "platform/temporaries.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {

// A second name for the old `target` beside it, which a killed process puts
// back; empty when there is no old file. False when one exists and could not
// be kept.
bool KeepOld(const std::string& target, std::string& kept, std::string& error) {
  kept.clear();
  if (!Existe_file(target)) return true;
  auto name = KeepBeside(target);
  if (!name) {
    error = name.error();
    return false;
  }
  kept = *name;
  return true;
}

}  // namespace

Status MoveTogether(const std::vector<Move>& moves) {
  std::vector<std::string> kept(moves.size());
  size_t done = 0;
  std::string error;
  for (; done < moves.size(); ++done) {
    const Move& m = moves[done];
    if (!KeepOld(m.to, kept[done], error)) break;
    if (auto s = MoveFileOver(m.from, m.to); !s) {
      error = s.error;
      break;
    }
    // A file made where there was none goes with a killed process too.
    if (kept[done].empty()) RegisterTemporary(FileBehindLink(m.to));
  }
  if (done == moves.size()) {
    // Every file has its name: nothing is to be put back any more, by a
    // signal either, before the old copies go. Forgotten in one step, so a
    // signal never puts back some old files beside others' new ones.
    {
      const RegistryStep step;
      for (size_t i = 0; i < moves.size(); ++i) ForgetTemporary(kept[i].empty() ? FileBehindLink(moves[i].to) : kept[i]);
    }
    for (const auto& k : kept)
      if (!k.empty()) RemoveTemporary(k);
    return Status::good();
  }
  // Undo: the old file back under its name, or the new one gone; through a
  // link, which stays.
  for (size_t i = 0; i < done; ++i) {
    const std::string file = FileBehindLink(moves[i].to);
    if (kept[i].empty()) {
      RemoveTemporary(file);
    } else if (std::rename(kept[i].c_str(), file.c_str()) == 0) {
      ForgetTemporary(kept[i]);
      FlushFolderOf(file);
    }
  }
  if (!kept[done].empty()) RemoveTemporary(kept[done]);
  for (size_t i = done; i < moves.size(); ++i) RemoveTemporary(moves[i].from);
  return Status::failure(error);
}

}  // namespace keld::conversion
