#include "conversion/shell/move_together.hpp"

#include <cstdio>

#include "common/files.hpp"
#include "platform/temporaries.hpp"

namespace keld::conversion {

namespace {

// One target on its way: the file that takes the new contents (behind a
// link), and the second name of its old file, empty when there was none.
struct Target {
  std::string file, kept;
};

// A second name for the old `target` beside it, which a killed process puts
// back; or, when there is no old file, the target's name registered (with
// nothing to do until the new file has it) so that the move itself makes it
// a file a killed process removes. False when neither could be done.
bool Prepare(const std::string& to, Target& t, std::string& error) {
  t.file = FileBehindLink(to);
  t.kept.clear();
  if (!Existe_file(t.file)) {
    if (Register(t.file, Leftover::Nothing)) return true;
    error = to + ": too many files are being written at once";
    return false;
  }
  auto name = KeepBeside(t.file);
  if (!name) {
    error = name.error();
    return false;
  }
  t.kept = *name;
  return true;
}

}  // namespace

Status MoveTogether(const std::vector<Move>& moves) {
  std::vector<Target> targets(moves.size());
  size_t done = 0;
  bool prepared = false;
  std::string error;
  for (; done < moves.size(); ++done) {
    const Move& m = moves[done];
    Target& t = targets[done];
    if (!(prepared = Prepare(m.to, t, error))) break;
    // A file made where there was none goes with a killed process from the
    // moment it has its name.
    std::vector<LeftoverChange> with;
    if (t.kept.empty()) with.push_back({t.file, Leftover::Remove});
    if (auto s = MoveFileOver(m.from, m.to, with); !s) {
      error = s.error;
      break;
    }
  }
  if (done == moves.size()) {
    // Every file has its name. In one step that a killed process lets end:
    // the old copies become files to remove, and the new files ones to keep,
    // so that a signal finds all old or all new, never some of each.
    std::vector<LeftoverChange> settled;
    for (const auto& t : targets) settled.push_back({t.kept.empty() ? t.file : t.kept,
                                                     t.kept.empty() ? Leftover::Nothing : Leftover::Remove});
    DiscStep(settled, [] { return true; });
    for (const auto& t : targets) {
      if (t.kept.empty())
        ForgetTemporary(t.file);
      else
        RemoveTemporary(t.kept);
    }
    return Status::good();
  }
  // Undo: the old file back under its name, or the new one gone; through a
  // link, which stays.
  for (size_t i = 0; i < done; ++i) {
    const Target& t = targets[i];
    if (t.kept.empty()) {
      RemoveTemporary(t.file);
    } else if (std::rename(t.kept.c_str(), t.file.c_str()) == 0) {
      ForgetTemporary(t.kept);
      FlushFolderOf(t.file);
    }
  }
  if (prepared) {
    const Target& t = targets[done];
    if (t.kept.empty())
      ForgetTemporary(t.file);
    else
      RemoveTemporary(t.kept);
  }
  for (size_t i = done; i < moves.size(); ++i) RemoveTemporary(moves[i].from);
  return Status::failure(error);
}

}  // namespace keld::conversion
