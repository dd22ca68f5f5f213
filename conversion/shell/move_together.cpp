#include "conversion/shell/move_together.hpp"

#include <cstdio>
#include <filesystem>

#include "common/files.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {

// A second name for the old `target` beside it; empty when there is no old
// file. False when one exists and could not be kept.
bool KeepOld(const std::string& target, std::string& kept, std::string& error) {
  kept.clear();
  if (!Existe_file(target)) return true;
  auto name = CreateFileBeside(target);
  if (!name) {
    error = name.error();
    return false;
  }
  std::error_code ec;
  fs::remove(*name, ec);
  fs::create_hard_link(target, *name, ec);
  if (ec) fs::copy_file(target, *name, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    fs::remove(*name, ec);
    error = target + ": " + ec.message();
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
  }
  std::error_code ec;
  if (done == moves.size()) {
    for (const auto& k : kept)
      if (!k.empty()) fs::remove(k, ec);
    return Status::good();
  }
  // Undo: the old file back under its name, or the new one gone.
  for (size_t i = 0; i < done; ++i) {
    if (!kept[i].empty())
      std::rename(kept[i].c_str(), moves[i].to.c_str());
    else
      fs::remove(moves[i].to, ec);
  }
  if (!kept[done].empty()) fs::remove(kept[done], ec);
  for (size_t i = done; i < moves.size(); ++i) fs::remove(moves[i].from, ec);
  return Status::failure(error);
}

}  // namespace keld::conversion
