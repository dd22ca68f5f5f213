#include "boardsim/sim_port.hpp"

#include <algorithm>

namespace keld::sim {

SimPort::SimPort(SimConfig config) : units_(std::move(config)) {}

bool SimPort::open() {
  calls.push_back("open");
  if (open_) {
    error_ = "Port " + std::to_string(number_) + " is already open";
    return false;
  }
  if (!openable.empty() && !openable.count(number_)) {
    error_ = "Port " + std::to_string(number_) + " (simulated) cannot be opened: no such port";
    return false;
  }
  open_ = true;
  baud_ = 9600;
  queue_.clear();
  return true;
}

void SimPort::close() {
  calls.push_back("close");
  open_ = false;
  queue_.clear();
}

bool SimPort::set_baud_rate(int baud) {
  if (!open_) return false;
  if (refuse_baud_ports.count(number_)) return false;
  baud_ = baud;
  return true;
}

void SimPort::schedule(std::vector<Chunk> chunks) {
  const auto now = MonoClock::now();
  for (auto& c : chunks) {
    auto due = now + std::chrono::duration_cast<MonoClock::duration>(
                         std::chrono::duration<double, std::milli>(c.delay_ms));
    if (!flight_.empty()) due = std::max(due, flight_.back().due);  // one line: in order
    flight_.push_back({due, std::move(c)});
  }
}

bool SimPort::write(const uint8_t* data, size_t n) {
  calls.push_back("write");
  if (!open_) {
    error_ = "the port is not open";
    return false;
  }
  if (unplugged) {
    error_ = "the device of port " + std::to_string(number_) + " has gone";
    return false;
  }
  schedule(units_.feed(data, n));
  return true;
}

void SimPort::trigger() { schedule(units_.trigger()); }

void SimPort::drain_output(int) { calls.push_back("drain"); }

void SimPort::discard_output() { calls.push_back("discard_output"); }

void SimPort::discard_input() {
  calls.push_back("discard_input");
  queue_.clear();
}

std::vector<uint8_t> SimPort::read() {
  return queue_.take(input_length_ > 0 ? static_cast<size_t>(input_length_) : queue_.size());
}

void SimPort::poll_events() {
  std::vector<int> events;
  events.swap(raised_);
  // A real port reports a device that has gone on every read it tries.
  if (open_ && unplugged) {
    error_ = "the device of port " + std::to_string(number_) + " has gone";
    events.push_back(board::kErDevice);
  }
  if (!flight_.empty() && flight_.front().due <= MonoClock::now()) {
    Chunk c = std::move(flight_.front().chunk);
    flight_.pop_front();
    if (open_ && !unplugged) {  // bytes reaching a closed port are lost
      if (c.error) events.push_back(c.error);
      size_t room = buffer_size_ > 0 && queue_.size() < static_cast<size_t>(buffer_size_)
                        ? static_cast<size_t>(buffer_size_) - queue_.size()
                        : 0;
      if (buffer_size_ <= 0) room = c.bytes.size();
      queue_.append(c.bytes.data(), std::min(room, c.bytes.size()));
      if (room < c.bytes.size()) events.push_back(board::kErRxOver);
    }
  }
  if (!handler_) return;
  for (int e : events) handler_(e);
  if (open_ && threshold_ > 0 && queue_.size() >= static_cast<size_t>(threshold_))
    handler_(board::kEvReceive);
}

}  // namespace keld::sim
