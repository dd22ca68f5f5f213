#include "boardsim/units.hpp"

#include <algorithm>

namespace keld::sim {

Units::Units(SimConfig config) : config_(std::move(config)) { shot_.seed = config_.seed; }

bool Units::present(int unit) const {
  if (config_.absent.count(unit)) return false;
  if (config_.units.empty()) return unit >= 1 && unit <= 48;
  return std::find(config_.units.begin(), config_.units.end(), unit) != config_.units.end();
}

std::vector<Chunk> Units::feed(const uint8_t* data, size_t n) {
  std::vector<Chunk> out;
  pending_.insert(pending_.end(), data, data + n);
  size_t used = 0;
  while (pending_.size() - used >= 15) {
    board::Packet p;
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(used), 15, p.begin());
    used += 15;
    received.push_back(p);
    handle(p, out);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
  return out;
}

std::vector<Chunk> Units::trigger() {
  std::vector<Chunk> out;
  if (!notice_held_) return out;
  notice_held_ = false;
  send_notice(0, out);
  return out;
}

void Units::send_notice(double delay_ms, std::vector<Chunk>& out) const {
  send(std::vector<uint8_t>(kNotice, kNotice + 3), delay_ms, 0, out);
  if (config_.stray_after_notice > 0)
    send(std::vector<uint8_t>(static_cast<size_t>(config_.stray_after_notice), 0xA5),
         config_.stray_delay_ms, 0, out);
}

void Units::handle(const board::Packet& p, std::vector<Chunk>& out) {
  switch (p[0]) {
    case 0x1A:
      arm(p, out);
      break;
    case 0xD1:
      block(p[11], out);
      break;
    case 0xC0:
      last_selected_ = p[1];  // selects the master unit; no answer
      break;
    case 0xB0: {
      int number = config_.unit_number;
      if (number < 0) {
        for (int u = 0; u < 256 && number < 0; ++u)
          if (present(u)) number = u;
      }
      if (number >= 0) send({static_cast<uint8_t>(number)}, 0, 0, out);
      break;
    }
    default:
      ++unknown_;  // not a command of these units: ignored
      break;
  }
}

void Units::arm(const board::Packet& p, std::vector<Chunk>& out) {
  shot_ = ShotFromArm(p, config_.seed, shots_++);
  next_block_.clear();
  skip_.clear();
  first_block_sent_ = false;
  notice_held_ = false;
  bool any = false;
  for (int u = 0; u < 256 && !any; ++u) any = present(u);
  if (!any) return;
  // Real units answer every arm with the status byte, in either mode.
  if (shot_.trigger_mode != 1) {
    if (!config_.no_status) send({config_.status_byte}, 0, 0, out);
    send_notice(config_.free_run_delay_ms, out);
    return;
  }
  const bool notice_now = !config_.never_trigger && !config_.trigger_on_signal;
  if (config_.merge_status && !config_.no_status && notice_now) {
    send({config_.status_byte, kNotice[0], kNotice[1], kNotice[2]}, 0, 0, out);
    return;
  }
  if (!config_.no_status) send({config_.status_byte}, 0, 0, out);
  if (notice_now)
    send_notice(config_.trigger_delay_ms, out);
  else if (config_.trigger_on_signal && !config_.never_trigger)
    notice_held_ = true;
}

const BlockFault* Units::fault(int unit, int block) const {
  for (const auto& f : config_.faults)
    if (f.unit == unit && f.block == block && (f.shot < 0 || f.shot == shot_.shot)) return &f;
  return nullptr;
}

void Units::block(int unit, std::vector<Chunk>& out) {
  if (!present(unit)) return;
  if (skip_[unit] > 0) {  // already sent with the block before it
    --skip_[unit];
    return;
  }
  const int64_t b = next_block_[unit]++;
  std::vector<uint8_t> bytes = UnitBlock(shot_, unit, b);
  double hold_ms = 0;
  if (config_.hold_first_block && !first_block_sent_ && shot_.frequency > 0)
    hold_ms = 1000.0 * static_cast<double>(shot_.samples) / shot_.frequency;
  first_block_sent_ = true;
  const BlockFault* f = fault(unit, static_cast<int>(b));
  if (!f) {
    send(std::move(bytes), hold_ms, 0, out);
    return;
  }
  switch (f->kind) {
    case BlockFault::Kind::Cut:
      bytes.resize(std::min<size_t>(bytes.size(), static_cast<size_t>(f->value > 0 ? f->value : 100)));
      send(std::move(bytes), 0, 0, out);
      break;
    case BlockFault::Kind::Garble:
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= static_cast<uint8_t>(0x5A + i);
      send(std::move(bytes), 0, 0, out);
      break;
    case BlockFault::Kind::Delay:
      send(std::move(bytes), f->value, 0, out);
      break;
    case BlockFault::Kind::Slow: {
      std::vector<uint8_t> rest(bytes.begin() + 100, bytes.end());
      bytes.resize(100);
      send(std::move(bytes), 0, 0, out);
      send(std::move(rest), f->value, 0, out);
      break;
    }
    case BlockFault::Kind::Merge: {
      std::vector<uint8_t> next = UnitBlock(shot_, unit, next_block_[unit]++);
      bytes.insert(bytes.end(), next.begin(), next.end());
      ++skip_[unit];
      send(std::move(bytes), 0, 0, out);
      break;
    }
    case BlockFault::Kind::Flood:
      send(std::vector<uint8_t>(static_cast<size_t>(f->value > 0 ? f->value : 25000), 0x55), 0, 0, out);
      break;
    case BlockFault::Kind::Error:
      send(std::move(bytes), 0, f->value > 0 ? f->value : board::kErFrame, out);
      break;
    case BlockFault::Kind::Extra: {
      std::vector<uint8_t> more = UnitBlock(shot_, unit, next_block_[unit]++);
      bytes.insert(bytes.end(), more.begin(), more.end());
      send(std::move(bytes), 0, 0, out);
      break;
    }
  }
}

void Units::send(std::vector<uint8_t> bytes, double delay_ms, int error, std::vector<Chunk>& out) const {
  if (config_.split == 0 || bytes.size() <= config_.split) {
    out.push_back({std::move(bytes), delay_ms, error});
    return;
  }
  double at = delay_ms;
  for (size_t i = 0; i < bytes.size(); i += config_.split) {
    const size_t end = std::min(bytes.size(), i + config_.split);
    out.push_back({std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(end)),
                   at, i == 0 ? error : 0});
    at += config_.piece_gap_ms;
  }
}

}  // namespace keld::sim
