#include "boardsim/options.hpp"

#include <cstdlib>

#include "common/text.hpp"

namespace keld::sim {

const char kUsage[] =
    "usage: boardsim [options]\n"
    "Serves up to 48 simulated acquisition units on a pseudo-terminal and prints\n"
    "\"boardsim: units on /dev/pts/N\". SIGUSR1 releases a held trigger.\n"
    "  --seed N                 samples follow from this seed (default 1)\n"
    "  --units LIST             unit numbers on the line, e.g. 1-24,30 (default 1-48)\n"
    "  --absent LIST            units that never answer\n"
    "  --link PATH              make PATH a symlink to the slave side\n"
    "  --no-status              no status byte after an arm\n"
    "  --never-trigger          triggered arms get no notice\n"
    "  --trigger-delay MS       status byte to notice (default 10)\n"
    "  --trigger-on-signal      the notice waits for SIGUSR1\n"
    "  --free-run-delay MS      arm to notice in free-running mode (default 0)\n"
    "  --merge-status           status byte and notice in one write\n"
    "  --split N                every write in pieces of at most N bytes\n"
    "  --piece-gap MS           pause between pieces (default 0.5)\n"
    "  --unit-number N          answer to the unit-number read\n"
    "  --cut U:B[:BYTES]        block B (from 0) of unit U cut to BYTES (default 100)\n"
    "  --garble U:B             block B of unit U garbled\n"
    "  --delay U:B:MS           block B of unit U sent MS late\n"
    "  --slow U:B:MS            block B of unit U: 100 bytes at once, the rest MS later\n"
    "  --merge-blocks U:B       block B of unit U sent together with block B+1\n"
    "  --flood U:B[:BYTES]      junk instead of block B (default 25000 bytes)\n"
    "  --extra U:B              block B of unit U followed by one block more\n"
    "  --hold-first-block       the first block after an arm waits out the recording time\n"
    "  --stray N[:MS]           N junk bytes MS after each trigger notice\n"
    "  --verbose                packets on standard error\n";

namespace {

std::optional<long> Number(const std::string& s, long lo, long hi) {
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < lo || v > hi) return std::nullopt;
  return v;
}

std::optional<double> Real(const std::string& s) {
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (*end != '\0' || v < 0) return std::nullopt;
  return v;
}

// U:B or U:B:V with `value_needed` 0 (no value), 1 (optional), 2 (required).
std::optional<BlockFault> Fault(const std::string& s, BlockFault::Kind kind, int value_needed) {
  const auto parts = Split(s, ':');
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  if (parts.size() == 3 && value_needed == 0) return std::nullopt;
  if (parts.size() == 2 && value_needed == 2) return std::nullopt;
  auto u = Number(parts[0], 0, 255);
  auto b = Number(parts[1], 0, 1000000);
  if (!u || !b) return std::nullopt;
  BlockFault f;
  f.kind = kind;
  f.unit = static_cast<int>(*u);
  f.block = static_cast<int>(*b);
  if (parts.size() == 3) {
    auto v = Number(parts[2], 0, 100000000);
    if (!v) return std::nullopt;
    f.value = static_cast<int>(*v);
  }
  return f;
}

}  // namespace

std::optional<std::vector<int>> ParseUnitList(const std::string& text) {
  std::vector<int> out;
  for (const std::string& item : Split(text, ',')) {
    const auto range = Split(item, '-');
    if (range.size() == 1) {
      auto v = Number(range[0], 0, 255);
      if (!v) return std::nullopt;
      out.push_back(static_cast<int>(*v));
    } else if (range.size() == 2) {
      auto a = Number(range[0], 0, 255), b = Number(range[1], 0, 255);
      if (!a || !b || *a > *b) return std::nullopt;
      for (long u = *a; u <= *b; ++u) out.push_back(static_cast<int>(u));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<ServerOptions> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  ServerOptions o;
  auto fail = [&](const std::string& what) -> std::optional<ServerOptions> {
    if (error) *error = what;
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    auto fault = [&](BlockFault::Kind kind, int needed) -> bool {
      auto v = value();
      auto f = v ? Fault(*v, kind, needed) : std::nullopt;
      if (!f) return false;
      o.sim.faults.push_back(*f);
      return true;
    };
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--verbose") {
      o.verbose = true;
    } else if (a == "--no-status") {
      o.sim.no_status = true;
    } else if (a == "--never-trigger") {
      o.sim.never_trigger = true;
    } else if (a == "--trigger-on-signal") {
      o.sim.trigger_on_signal = true;
    } else if (a == "--hold-first-block") {
      o.sim.hold_first_block = true;
    } else if (a == "--stray") {
      auto v = value();
      const auto parts = v ? Split(*v, ':') : std::vector<std::string>{};
      auto n = parts.empty() || parts.size() > 2 ? std::nullopt : Number(parts[0], 1, 100000);
      auto ms = parts.size() == 2 ? Real(parts[1]) : std::optional<double>(0.0);
      if (!n || !ms) return fail("--stray needs N or N:MS");
      o.sim.stray_after_notice = static_cast<int>(*n);
      o.sim.stray_delay_ms = *ms;
    } else if (a == "--merge-status") {
      o.sim.merge_status = true;
    } else if (a == "--seed") {
      auto v = value();
      char* end = nullptr;
      if (!v || v->empty()) return fail("--seed needs a number");
      o.sim.seed = std::strtoull(v->c_str(), &end, 10);
      if (*end) return fail("--seed needs a number");
    } else if (a == "--units" || a == "--absent") {
      auto v = value();
      auto list = v ? ParseUnitList(*v) : std::nullopt;
      if (!list) return fail(a + " needs a list of unit numbers 0 to 255, e.g. 1-24,30");
      if (a == "--units") {
        if (list->size() > 48) return fail("at most 48 units share the line");
        o.sim.units = *list;
      } else {
        o.sim.absent.insert(list->begin(), list->end());
      }
    } else if (a == "--link") {
      auto v = value();
      if (!v || v->empty()) return fail("--link needs a path");
      o.link = *v;
    } else if (a == "--trigger-delay" || a == "--free-run-delay") {
      auto v = value();
      auto n = v ? Number(*v, 0, 3600000) : std::nullopt;
      if (!n) return fail(a + " needs milliseconds");
      (a == "--trigger-delay" ? o.sim.trigger_delay_ms : o.sim.free_run_delay_ms) = static_cast<int>(*n);
    } else if (a == "--split") {
      auto v = value();
      auto n = v ? Number(*v, 1, 1000000) : std::nullopt;
      if (!n) return fail("--split needs a piece size of at least 1 byte");
      o.sim.split = static_cast<size_t>(*n);
    } else if (a == "--piece-gap") {
      auto v = value();
      auto n = v ? Real(*v) : std::nullopt;
      if (!n) return fail("--piece-gap needs milliseconds");
      o.sim.piece_gap_ms = *n;
    } else if (a == "--unit-number") {
      auto v = value();
      auto n = v ? Number(*v, 0, 255) : std::nullopt;
      if (!n) return fail("--unit-number needs a number 0 to 255");
      o.sim.unit_number = static_cast<int>(*n);
    } else if (a == "--cut") {
      if (!fault(BlockFault::Kind::Cut, 1)) return fail("--cut needs U:B or U:B:BYTES");
    } else if (a == "--garble") {
      if (!fault(BlockFault::Kind::Garble, 0)) return fail("--garble needs U:B");
    } else if (a == "--delay") {
      if (!fault(BlockFault::Kind::Delay, 2)) return fail("--delay needs U:B:MS");
    } else if (a == "--slow") {
      if (!fault(BlockFault::Kind::Slow, 2)) return fail("--slow needs U:B:MS");
    } else if (a == "--merge-blocks") {
      if (!fault(BlockFault::Kind::Merge, 0)) return fail("--merge-blocks needs U:B");
    } else if (a == "--extra") {
      if (!fault(BlockFault::Kind::Extra, 0)) return fail("--extra needs U:B");
    } else if (a == "--flood") {
      if (!fault(BlockFault::Kind::Flood, 1)) return fail("--flood needs U:B or U:B:BYTES");
    } else {
      return fail("unknown option " + a);
    }
  }
  return o;
}

}  // namespace keld::sim
