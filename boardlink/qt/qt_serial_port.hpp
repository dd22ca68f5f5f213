#pragma once
// The serial port over Qt's QSerialPort. The device of a port number comes
// from PortDevice; the speed is read back from the device after it is set, so
// a rate the adapter refuses is known. Received bytes are moved into one
// queue by poll_events, which also raises the receive and error events.
#include <QSerialPort>

#include <vector>

#include "boardlink/byte_queue.hpp"
#include "boardlink/serial_port.hpp"

namespace keld::board {

class QtSerialPort : public SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;

  void set_port_number(int n) override { number_ = n; }
  int port_number() const override { return number_; }
  bool open() override;
  void close() override;
  bool is_open() const override { return port_.isOpen(); }
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

  // The speed the device reports, in bits per second (0 when closed or unknown).
  int device_baud_rate() const;
  const std::string& device() const { return device_; }

 private:
  void on_error(QSerialPort::SerialPortError e);
  void take_from_device();

  QSerialPort port_;
  ByteQueue queue_;
  std::vector<int> pending_events_;
  std::function<void(int)> handler_;
  std::string error_;
  std::string device_;
  int number_ = 0;
  int buffer_size_ = 20000;
  int input_length_ = 1;
  int threshold_ = 0;
  bool binary_ = false;
  bool gone_ = false;  // a resource error since the port was opened
};

// The event code of a QSerialPort error; 0 for those that are not line errors.
int CommEventOf(QSerialPort::SerialPortError e);

}  // namespace keld::board
