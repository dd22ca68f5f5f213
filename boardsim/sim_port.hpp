#pragma once
// A serial port with the simulated units on the other end, in the same
// process: for fast tests of the link and of the programs' shot cycles. Each
// write is fed to the units at once; their replies become readable when due,
// one write of theirs per poll_events call, so replies arrive in the pieces
// the units wrote them in.
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "boardlink/byte_queue.hpp"
#include "boardlink/serial_port.hpp"
#include "boardsim/units.hpp"
#include "platform/pump.hpp"

namespace keld::sim {

class SimPort : public board::SerialPort {
 public:
  explicit SimPort(SimConfig config = {});

  Units& units() { return units_; }

  // Test controls.
  std::set<int> openable;           // port numbers that open; empty: all
  std::set<int> refuse_baud_ports;  // ports that open but refuse 3,000,000 baud
  // The device has gone (the adapter pulled out): the port stays open, as a
  // real one does until it is closed, but writes fail, nothing arrives, and
  // every poll raises the device error event.
  bool unplugged = false;
  void raise_error(int code) { raised_.push_back(code); }  // delivered by the next poll
  void trigger();                   // the notice held for the signal goes out
  // Every call that touches the line, in order: "write", "drain", "discard_output",
  // "discard_input", "open", "close".
  std::vector<std::string> calls;
  int baud() const { return baud_; }
  int input_buffer_size() const { return buffer_size_; }
  int input_length() const { return input_length_; }
  int receive_threshold() const { return threshold_; }
  bool binary_mode() const { return binary_; }
  size_t replies_in_flight() const { return flight_.size(); }

  // SerialPort
  void set_port_number(int n) override { number_ = n; }
  int port_number() const override { return number_; }
  bool open() override;
  void close() override;
  bool is_open() const override { return open_; }
  bool set_baud_rate(int baud) override;
  void set_input_buffer_size(int bytes) override { buffer_size_ = bytes; }
  void set_input_length(int n) override { input_length_ = n; }
  void set_receive_threshold(int n) override { threshold_ = n; }
  void set_binary_mode(bool binary) override { binary_ = binary; }
  bool write(const uint8_t* data, size_t n) override;
  void drain_output(int ms) override;
  void poll_events() override;
  size_t in_buffer_count() override { return queue_.size(); }
  std::vector<uint8_t> read() override;
  std::vector<uint8_t> take(size_t n) override { return queue_.take(n); }
  void discard_input() override;
  void discard_output() override;
  void set_event_handler(std::function<void(int code)> handler) override { handler_ = std::move(handler); }
  std::string error() const override { return error_; }

 private:
  struct Timed {
    MonoClock::time_point due;
    Chunk chunk;
  };
  void schedule(std::vector<Chunk> chunks);

  Units units_;
  board::ByteQueue queue_;
  std::deque<Timed> flight_;
  std::vector<int> raised_;
  std::function<void(int)> handler_;
  std::string error_;
  int number_ = 0;
  bool open_ = false;
  int baud_ = 0;
  int buffer_size_ = 20000;
  int input_length_ = 1;
  int threshold_ = 0;
  bool binary_ = false;
};

}  // namespace keld::sim
