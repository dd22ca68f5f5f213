#pragma once
// The serial port as the board link uses it. Received bytes go into one byte
// queue; a read takes from its front, so replies are consumed in exactly the
// sizes asked for, whatever sizes the device delivered them in.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace keld::board {

// Comm event codes passed to the event handler.
enum CommEvent : int {
  kEvSend = 1,        // transmit threshold
  kEvReceive = 2,     // receive threshold reached
  kEvCts = 3,
  kEvDsr = 4,
  kEvCd = 5,
  kEvRing = 6,
  kEvEof = 7,         // end-of-file character received
  kErBreak = 1001,
  kErFrame = 1004,
  kErOverrun = 1006,
  kErRxOver = 1008,   // receive buffer overflow
  kErRxParity = 1009,
  kErTxFull = 1010,
  kErDcb = 1011,      // device control block error
  kErDevice = 1100,   // the device went away or a read or write failed
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual void set_port_number(int n) = 0;
  virtual int port_number() const = 0;
  // Opens the device of the port number. On failure error() says why.
  virtual bool open() = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // Sets the speed and reads it back from the device: true only when it took.
  virtual bool set_baud_rate(int baud) = 0;
  virtual void set_input_buffer_size(int bytes) = 0;
  // Bytes a read() takes: 0 means everything waiting.
  virtual void set_input_length(int n) = 0;
  // The receive event fires while at least this many bytes wait (0: never).
  virtual void set_receive_threshold(int n) = 0;
  virtual void set_binary_mode(bool binary) = 0;

  virtual bool write(const uint8_t* data, size_t n) = 0;
  // Waits (at most `ms`) until everything written has left for the device.
  virtual void drain_output(int ms) = 0;
  // Moves what the device has delivered into the queue and delivers pending
  // events: the receive event while the queue holds at least the threshold
  // (level-triggered: it fires again on the next call while bytes remain), and
  // error events. Every wait loop calls it on each pass.
  virtual void poll_events() = 0;
  virtual size_t in_buffer_count() = 0;            // bytes waiting in the queue
  virtual std::vector<uint8_t> read() = 0;          // input-length bytes from the front
  virtual std::vector<uint8_t> take(size_t n) = 0;  // exactly n from the front (fewer if fewer wait)
  virtual void discard_input() = 0;
  virtual void discard_output() = 0;

  virtual void set_event_handler(std::function<void(int code)> handler) = 0;
  virtual std::string error() const = 0;
};

// The device path of port number n: $KELD_COM<n> when set (how tests and the
// demo point a port number at the simulator), else /dev/ttyUSB<n-1> when it
// exists, else /dev/ttyACM<n-1>.
std::string PortDevice(int n);

}  // namespace keld::board
