#pragma once
// Several new files that belong together (the files of one export) take
// their names all at once or not at all: a failure on the last leaves every
// target as it was before, an old file where there was one and no new file
// where there was none.
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld::conversion {

struct Move {
  std::string from, to;
};

// Moves each `from` over its `to`. An old `to` is first given a second name
// beside it (a hard link, or a copy where links are refused), so that it can
// be put back, also by a process ended by SIGTERM, SIGINT or SIGHUP; those
// names go once every move is done. On a failure the moves already done are
// undone, the `from` files left are removed, and the error names the target
// that failed. A `to` that is a symbolic link stays one: the file it leads
// to takes the new contents, and the old ones back on a failure.
Status MoveTogether(const std::vector<Move>& moves);

}  // namespace keld::conversion
