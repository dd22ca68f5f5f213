#pragma once
// A serial port that hands every call to another one; tests override the
// calls they watch or change.
#include "boardlink/serial_port.hpp"

namespace keld::boardtest::testing {

struct ForwardingPort : board::SerialPort {
  explicit ForwardingPort(board::SerialPort& inner) : in(inner) {}
  void set_port_number(int n) override { in.set_port_number(n); }
  int port_number() const override { return in.port_number(); }
  bool open() override { return in.open(); }
  void close() override { in.close(); }
  bool is_open() const override { return in.is_open(); }
  bool set_baud_rate(int b) override { return in.set_baud_rate(b); }
  void set_input_buffer_size(int b) override { in.set_input_buffer_size(b); }
  void set_input_length(int n) override { in.set_input_length(n); }
  void set_receive_threshold(int n) override { in.set_receive_threshold(n); }
  void set_binary_mode(bool b) override { in.set_binary_mode(b); }
  bool write(const uint8_t* d, size_t n) override { return in.write(d, n); }
  void drain_output(int ms) override { in.drain_output(ms); }
  void poll_events() override { in.poll_events(); }
  size_t in_buffer_count() override { return in.in_buffer_count(); }
  std::vector<uint8_t> read() override { return in.read(); }
  std::vector<uint8_t> take(size_t n) override { return in.take(n); }
  void discard_input() override { in.discard_input(); }
  void discard_output() override { in.discard_output(); }
  void set_event_handler(std::function<void(int)> h) override { in.set_event_handler(std::move(h)); }
  std::string error() const override { return in.error(); }
  board::SerialPort& in;
};

}  // namespace keld::boardtest::testing
