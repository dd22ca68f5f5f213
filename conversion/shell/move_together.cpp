#include "conversion/shell/move_together.hpp"

#include <cstdio>
#include <filesystem>

#include "common/files.hpp"
#include "common/temporaries.hpp"

namespace keld::conversion {

namespace fs = std::filesystem;

namespace {

void Remove(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  ForgetTemporary(path);
}

// A second name for the old `target` beside it, a temporary until the new
// file has taken the name (then a file set aside, which a killed process puts
// back); empty when there is no old
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
    error = target + ": " + ec.message();
    Remove(*name);
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
    if (!kept[done].empty()) RegisterSetAside(kept[done], m.to);
  }
  if (done == moves.size()) {
    for (const auto& k : kept)
      if (!k.empty()) Remove(k);
    return Status::good();
  }
  // Undo: the old file back under its name, or the new one gone.
  std::error_code ec;
  for (size_t i = 0; i < done; ++i) {
    if (kept[i].empty())
      fs::remove(moves[i].to, ec);
    else if (std::rename(kept[i].c_str(), moves[i].to.c_str()) == 0)
      ForgetTemporary(kept[i]);
  }
  if (!kept[done].empty()) Remove(kept[done]);
  for (size_t i = done; i < moves.size(); ++i) Remove(moves[i].from);
  return Status::failure(error);
}

}  // namespace keld::conversion
