#pragma once
// The acquisition units as the link sees them: command packets in, reply
// bytes out. Up to 48 units share the line; the arm packet goes to all of
// them and is answered once (status byte, then the trigger notice), a block
// request only by the unit it names. Faults can be set per unit and block so
// that every failure of the link can be run without hardware.
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "boardlink/board_link.hpp"
#include "boardsim/samples.hpp"

namespace keld::sim {

struct BlockFault {
  enum class Kind {
    Cut,     // send only `value` bytes of the block (default 100)
    Garble,  // send the block with every byte changed
    Delay,   // send the block `value` ms late
    Slow,    // send the first 100 bytes of the block at once and the rest `value` ms later
    Merge,   // send the block together with the next one; the next request gets nothing
    Flood,   // send `value` bytes of junk instead (default 25,000: overflows the input buffer)
    Error,   // the in-process port raises event `value` with the block (a real line cannot)
    Extra,   // send the block and then one block more than was asked for
  };
  Kind kind = Kind::Cut;
  int unit = 0;
  int block = 0;   // 0-based, counted from the arm
  int shot = -1;   // -1: in every shot
  int value = 0;
};

struct SimConfig {
  uint64_t seed = 1;
  std::vector<int> units;     // unit numbers on the line; empty: 1 to 48
  std::set<int> absent;       // units that never answer
  bool no_status = false;     // no status byte after an arm
  bool never_trigger = false; // triggered arms get no notice
  bool trigger_on_signal = false;  // the notice waits for trigger()
  int trigger_delay_ms = 10;  // status byte to trigger notice
  int free_run_delay_ms = 0;  // arm to notice in free-running mode
  bool merge_status = false;  // status byte and notice in one write
  size_t split = 0;           // every write in pieces of at most this many bytes (0: whole)
  double piece_gap_ms = 0.5;  // between the pieces of a split write
  int unit_number = -1;       // answer to 0xB0; -1: the first unit on the line
  uint8_t status_byte = 0x06;
  // A unit that answers only once it has recorded: the first block request
  // after an arm is answered when the recording time (samples / frequency)
  // has passed.
  bool hold_first_block = false;
  // Bytes of junk sent this long after the trigger notice (none when 0).
  int stray_after_notice = 0;
  double stray_delay_ms = 0;
  std::vector<BlockFault> faults;
};

// One write to the line: its bytes go out `delay_ms` after the packet that
// caused it arrived, and never before an earlier write.
struct Chunk {
  std::vector<uint8_t> bytes;
  double delay_ms = 0;
  int error = 0;  // an event for the in-process port to raise with it
};

inline constexpr uint8_t kNotice[3] = {'T', 'R', 'G'};

class Units {
 public:
  explicit Units(SimConfig config = {});

  // Bytes from the link; returns the writes they cause. Packets are 15 bytes;
  // a partial one waits for the rest.
  std::vector<Chunk> feed(const uint8_t* data, size_t n);
  // Releases a notice held back for the signal; nothing when none is held.
  std::vector<Chunk> trigger();
  size_t partial_bytes() const { return pending_.size(); }
  void drop_partial() { pending_.clear(); }

  bool present(int unit) const;
  const SimConfig& config() const { return config_; }
  SimConfig& config() { return config_; }
  int shots() const { return shots_; }                // arm packets taken
  const ShotSpec& shot() const { return shot_; }      // the current one
  int last_selected() const { return last_selected_; }  // address of the last 0xC0, -1 none
  int unknown_packets() const { return unknown_; }
  bool notice_held() const { return notice_held_; }
  std::vector<board::Packet> received;  // every packet taken, in order

 private:
  void handle(const board::Packet& p, std::vector<Chunk>& out);
  void arm(const board::Packet& p, std::vector<Chunk>& out);
  void block(int unit, std::vector<Chunk>& out);
  void send(std::vector<uint8_t> bytes, double delay_ms, int error, std::vector<Chunk>& out) const;
  void send_notice(double delay_ms, std::vector<Chunk>& out) const;
  const BlockFault* fault(int unit, int block) const;

  SimConfig config_;
  std::vector<uint8_t> pending_;
  ShotSpec shot_;
  int shots_ = 0;
  int last_selected_ = -1;
  int unknown_ = 0;
  bool notice_held_ = false;
  std::map<int, int64_t> next_block_;  // per unit, since the arm
  std::map<int, int> skip_;            // requests already answered by a merged write
  bool first_block_sent_ = false;      // since the arm
};

}  // namespace keld::sim
