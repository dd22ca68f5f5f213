#pragma once
// Command-line options of the boardsim program.
#include <optional>
#include <string>
#include <vector>

#include "boardsim/units.hpp"

namespace keld::sim {

struct ServerOptions {
  SimConfig sim;
  std::string link;  // a symlink to the pseudo-terminal's slave, when given
  bool verbose = false;
  bool help = false;
};

// Parses the arguments (without the program name); nullopt with `error` set
// when one is wrong.
std::optional<ServerOptions> ParseOptions(const std::vector<std::string>& args, std::string* error);

// "1-24,30" → 1..24 and 30; nullopt when not such a list of numbers 0..255.
std::optional<std::vector<int>> ParseUnitList(const std::string& text);

extern const char kUsage[];

}  // namespace keld::sim
